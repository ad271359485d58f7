#include "kit/OListLinks.h"

#include <utility>

void OListLinks::LinkTail(ONodeLinks* node)
{
    OpenRing();
    node->next = nullptr;
    node->prev = m_tail;
    if (m_tail) {
        m_tail->next = node;
    } else {
        m_head = node;
        m_current = node;
    }
    m_tail = node;
    ++m_count;
}

ONodeLinks* OListLinks::UnlinkHead()
{
    OpenRing();
    ONodeLinks* node = m_head;
    if (!node)
        return nullptr;
    m_head = node->next;
    if (m_head)
        m_head->prev = nullptr;
    if (m_tail == node)
        m_tail = nullptr;
    if (m_current == node)
        m_current = m_head;
    node->next = nullptr;
    --m_count;
    return node;
}

ONodeLinks* OListLinks::UnlinkTail()
{
    OpenRing();
    ONodeLinks* node = m_tail;
    if (!node)
        return nullptr;
    m_tail = node->prev;
    if (m_tail)
        m_tail->next = nullptr;
    else
        m_head = nullptr;
    if (m_current == node)
        m_current = m_tail;
    node->prev = nullptr;
    --m_count;
    return node;
}

ONodeLinks* OListLinks::DetachAll()
{
    OpenRing();
    ONodeLinks* first = m_head;
    m_head = m_tail = m_current = nullptr;
    m_count = 0;
    return first;
}

void OListLinks::CloseRing()
{
    if (m_ringAnchor || !m_head)
        return;
    m_tail->next = m_head;
    m_head->prev = m_tail;
    m_ringAnchor = m_head;
}

void OListLinks::OpenRing()
{
    if (!m_ringAnchor)
        return;
    m_head = m_ringAnchor;
    m_tail = m_ringAnchor->prev;
    m_tail->next = nullptr;
    m_head->prev = nullptr;
    m_ringAnchor = nullptr;
}

void OListLinks::SwapWith(OListLinks& other)
{
    std::swap(m_ringAnchor, other.m_ringAnchor);
    std::swap(m_head, other.m_head);
    std::swap(m_tail, other.m_tail);
    std::swap(m_current, other.m_current);
    std::swap(m_count, other.m_count);
}
