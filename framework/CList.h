// CList: the framework's doubly linked list with POSITION cursors. Nodes come from blocks of
// nBlockSize nodes, reused after removal and released when the list is emptied. Asking for the
// head, tail or element of an empty list or a null position throws CInvalidArgException.
#pragma once

#include "framework/AfxTempl.h"
#include "framework/CException.h"
#include "framework/CObject.h"
#include "framework/CPlex.h"

#include <new>
#include <utility>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject
{
protected:
    struct CNode
    {
        CNode(CNode* prev, CNode* next, ARG_TYPE value) : pNext(next), pPrev(prev), data(value) {}
        CNode* pNext;
        CNode* pPrev;
        TYPE data;
    };

public:
    explicit CList(INT_PTR nBlockSize = 10) : m_nodes(nBlockSize) {}
    ~CList() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    TYPE& GetHead() { return Checked(m_pNodeHead)->data; }
    const TYPE& GetHead() const { return Checked(m_pNodeHead)->data; }
    TYPE& GetTail() { return Checked(m_pNodeTail)->data; }
    const TYPE& GetTail() const { return Checked(m_pNodeTail)->data; }

    TYPE RemoveHead();
    TYPE RemoveTail();
    POSITION AddHead(ARG_TYPE newElement) { return InsertBefore(ToPosition(m_pNodeHead), newElement); }
    POSITION AddTail(ARG_TYPE newElement) { return InsertAfter(ToPosition(m_pNodeTail), newElement); }
    void AddHead(const CList* pNewList);
    void AddTail(const CList* pNewList);
    void RemoveAll();

    POSITION GetHeadPosition() const { return ToPosition(m_pNodeHead); }
    POSITION GetTailPosition() const { return ToPosition(m_pNodeTail); }
    TYPE& GetNext(POSITION& rPosition) { return Step(rPosition, &CNode::pNext)->data; }
    const TYPE& GetNext(POSITION& rPosition) const { return Step(rPosition, &CNode::pNext)->data; }
    TYPE& GetPrev(POSITION& rPosition) { return Step(rPosition, &CNode::pPrev)->data; }
    const TYPE& GetPrev(POSITION& rPosition) const { return Step(rPosition, &CNode::pPrev)->data; }

    TYPE& GetAt(POSITION position) { return Checked(ToNode(position))->data; }
    const TYPE& GetAt(POSITION position) const { return Checked(ToNode(position))->data; }
    void SetAt(POSITION pos, ARG_TYPE newElement) { Checked(ToNode(pos))->data = newElement; }
    void RemoveAt(POSITION position);

    // A null position inserts at the head (InsertBefore) or the tail (InsertAfter).
    POSITION InsertBefore(POSITION position, ARG_TYPE newElement);
    POSITION InsertAfter(POSITION position, ARG_TYPE newElement);

    POSITION Find(ARG_TYPE searchValue, POSITION startAfter = nullptr) const;
    POSITION FindIndex(INT_PTR nIndex) const;

protected:
    static POSITION ToPosition(CNode* pNode) { return reinterpret_cast<POSITION>(pNode); }
    static CNode* ToNode(POSITION pos) { return reinterpret_cast<CNode*>(pos); }
    static CNode* Checked(CNode* pNode)
    {
        if (pNode == nullptr)
            AfxThrowInvalidArgException();
        return pNode;
    }
    static CNode* Step(POSITION& rPosition, CNode* CNode::*link)
    {
        CNode* pNode = Checked(ToNode(rPosition));
        rPosition = ToPosition(pNode->*link);
        return pNode;
    }

private:
    CNode* NewNode(CNode* pPrev, CNode* pNext, ARG_TYPE newElement);
    void FreeNode(CNode* pNode);
    void Unlink(CNode* pNode);

    CNode* m_pNodeHead = nullptr;
    CNode* m_pNodeTail = nullptr;
    INT_PTR m_nCount = 0;
    CPlex<CNode> m_nodes;
};

template <class TYPE, class ARG_TYPE>
typename CList<TYPE, ARG_TYPE>::CNode* CList<TYPE, ARG_TYPE>::NewNode(CNode* pPrev, CNode* pNext,
                                                                      ARG_TYPE newElement)
{
    void* p = m_nodes.Take();
    CNode* pNode;
    try {
        pNode = new (p) CNode(pPrev, pNext, newElement);
    } catch (...) {
        m_nodes.Give(p);
        throw;
    }
    ++m_nCount;
    return pNode;
}

template <class TYPE, class ARG_TYPE>
void CList<TYPE, ARG_TYPE>::FreeNode(CNode* pNode)
{
    pNode->~CNode();
    m_nodes.Give(pNode);
    if (--m_nCount == 0)
        RemoveAll();
}

template <class TYPE, class ARG_TYPE>
void CList<TYPE, ARG_TYPE>::Unlink(CNode* pNode)
{
    (pNode->pPrev != nullptr ? pNode->pPrev->pNext : m_pNodeHead) = pNode->pNext;
    (pNode->pNext != nullptr ? pNode->pNext->pPrev : m_pNodeTail) = pNode->pPrev;
}

template <class TYPE, class ARG_TYPE>
TYPE CList<TYPE, ARG_TYPE>::RemoveHead()
{
    CNode* pNode = Checked(m_pNodeHead);
    TYPE value(std::move(pNode->data));
    RemoveAt(ToPosition(pNode));
    return value;
}

template <class TYPE, class ARG_TYPE>
TYPE CList<TYPE, ARG_TYPE>::RemoveTail()
{
    CNode* pNode = Checked(m_pNodeTail);
    TYPE value(std::move(pNode->data));
    RemoveAt(ToPosition(pNode));
    return value;
}

template <class TYPE, class ARG_TYPE>
void CList<TYPE, ARG_TYPE>::AddHead(const CList* pNewList)
{
    if (pNewList == nullptr)
        AfxThrowInvalidArgException();
    // Walk backwards from the tail so the added elements keep their order.
    POSITION pos = pNewList->GetTailPosition();
    for (INT_PTR n = pNewList->GetCount(); n > 0; --n)
        AddHead(pNewList->GetPrev(pos));
}

template <class TYPE, class ARG_TYPE>
void CList<TYPE, ARG_TYPE>::AddTail(const CList* pNewList)
{
    if (pNewList == nullptr)
        AfxThrowInvalidArgException();
    // Counted, so that adding a list to itself ends.
    POSITION pos = pNewList->GetHeadPosition();
    for (INT_PTR n = pNewList->GetCount(); n > 0; --n)
        AddTail(pNewList->GetNext(pos));
}

template <class TYPE, class ARG_TYPE>
void CList<TYPE, ARG_TYPE>::RemoveAll()
{
    for (CNode* pNode = m_pNodeHead; pNode != nullptr;) {
        CNode* pNext = pNode->pNext;
        pNode->~CNode();
        pNode = pNext;
    }
    m_nodes.FreeAll();
    m_pNodeHead = m_pNodeTail = nullptr;
    m_nCount = 0;
}

template <class TYPE, class ARG_TYPE>
void CList<TYPE, ARG_TYPE>::RemoveAt(POSITION position)
{
    CNode* pNode = Checked(ToNode(position));
    Unlink(pNode);
    FreeNode(pNode);
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::InsertBefore(POSITION position, ARG_TYPE newElement)
{
    CNode* pOld = ToNode(position);
    if (pOld == nullptr)
        pOld = m_pNodeHead;
    CNode* pNode = NewNode(pOld != nullptr ? pOld->pPrev : nullptr, pOld, newElement);
    (pNode->pPrev != nullptr ? pNode->pPrev->pNext : m_pNodeHead) = pNode;
    (pOld != nullptr ? pOld->pPrev : m_pNodeTail) = pNode;
    return ToPosition(pNode);
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::InsertAfter(POSITION position, ARG_TYPE newElement)
{
    CNode* pOld = ToNode(position);
    if (pOld == nullptr)
        pOld = m_pNodeTail;
    CNode* pNode = NewNode(pOld, pOld != nullptr ? pOld->pNext : nullptr, newElement);
    (pNode->pNext != nullptr ? pNode->pNext->pPrev : m_pNodeTail) = pNode;
    (pOld != nullptr ? pOld->pNext : m_pNodeHead) = pNode;
    return ToPosition(pNode);
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::Find(ARG_TYPE searchValue, POSITION startAfter) const
{
    CNode* pNode = startAfter != nullptr ? ToNode(startAfter)->pNext : m_pNodeHead;
    for (; pNode != nullptr; pNode = pNode->pNext) {
        if (CompareElements(&pNode->data, &searchValue))
            return ToPosition(pNode);
    }
    return nullptr;
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::FindIndex(INT_PTR nIndex) const
{
    if (nIndex < 0 || nIndex >= m_nCount)
        return nullptr;
    CNode* pNode = m_pNodeHead;
    while (nIndex-- > 0)
        pNode = pNode->pNext;
    return ToPosition(pNode);
}
