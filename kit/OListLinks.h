// OListLinks: the untyped half of the owning lists (OList, OArray): node links, head, tail, the
// owner's iteration cursor, the count and the optional ring anchor. The typed lists build and
// destroy the elements; everything that only moves pointers lives here once.
#pragma once

#include <cstdint>

struct ONodeLinks
{
    ONodeLinks* prev = nullptr;
    ONodeLinks* next = nullptr;
};

class OListLinks
{
public:
    OListLinks() = default;
    OListLinks(const OListLinks&) = delete;
    OListLinks& operator=(const OListLinks&) = delete;

    uint32_t GetCount() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    bool IsRing() const { return m_ringAnchor != nullptr; }

protected:
    ~OListLinks() = default;

    ONodeLinks* HeadLink() const { return m_head; }
    ONodeLinks* TailLink() const { return m_tail; }
    ONodeLinks* CurrentLink() const { return m_current; }
    void SetCurrentLink(ONodeLinks* node) { m_current = node; }

    // Links a new node after the last one. When the list was empty the head, the tail and the
    // cursor all become the node.
    void LinkTail(ONodeLinks* node);
    // Unlinks the first or last node and returns it (null when empty). A cursor that pointed at
    // it moves to the neighbour that stays.
    ONodeLinks* UnlinkHead();
    ONodeLinks* UnlinkTail();
    // Forgets every node and returns the first of them as a null-terminated chain for the owner
    // to free; a ring is cut at its anchor first.
    ONodeLinks* DetachAll();

    // Joins the last node to the first; the first becomes the ring anchor.
    void CloseRing();
    // Cuts a ring at its anchor: the anchor is the head again and its previous node the tail.
    void OpenRing();

    void SwapWith(OListLinks& other);

private:
    ONodeLinks* m_ringAnchor = nullptr;
    ONodeLinks* m_head = nullptr;
    ONodeLinks* m_tail = nullptr;
    ONodeLinks* m_current = nullptr;
    uint32_t m_count = 0;
};
