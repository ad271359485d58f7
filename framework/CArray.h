// CArray: the framework's growable array. It grows by m_nGrowBy elements (by an eighth of its
// size, 4 to 1024, when that is 0); new elements are value-initialised (zero for plain types).
// Indices out of range throw CInvalidArgException; growth that cannot be allocated throws
// CMemoryException.
#pragma once

#include "framework/CException.h"
#include "framework/CObject.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject
{
public:
    CArray() = default;
    ~CArray() override { SetSize(0, -1); }

    INT_PTR GetSize() const { return m_nSize; }
    INT_PTR GetCount() const { return m_nSize; }
    BOOL IsEmpty() const { return m_nSize == 0; }
    INT_PTR GetUpperBound() const { return m_nSize - 1; }

    // nGrowBy -1 keeps the current step.
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1);
    void FreeExtra();
    void RemoveAll() { SetSize(0, -1); }

    const TYPE& GetAt(INT_PTR nIndex) const { return m_pData[CheckedIndex(nIndex)]; }
    TYPE& GetAt(INT_PTR nIndex) { return m_pData[CheckedIndex(nIndex)]; }
    void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { m_pData[CheckedIndex(nIndex)] = newElement; }
    const TYPE& ElementAt(INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& ElementAt(INT_PTR nIndex) { return GetAt(nIndex); }
    const TYPE& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& operator[](INT_PTR nIndex) { return GetAt(nIndex); }
    const TYPE* GetData() const { return m_pData; }
    TYPE* GetData() { return m_pData; }

    // The element may be one of this array's own: it is copied before the array grows.
    void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement);
    INT_PTR Add(ARG_TYPE newElement);
    INT_PTR Append(const CArray& src);
    void Copy(const CArray& src);

    void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1);
    void InsertAt(INT_PTR nStartIndex, const CArray* pNewArray);
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1);

protected:
    TYPE* m_pData = nullptr;
    INT_PTR m_nSize = 0;
    INT_PTR m_nMaxSize = 0;
    INT_PTR m_nGrowBy = 0;

private:
    INT_PTR CheckedIndex(INT_PTR nIndex) const
    {
        if (nIndex < 0 || nIndex >= m_nSize)
            AfxThrowInvalidArgException();
        return nIndex;
    }
    static TYPE* Allocate(INT_PTR nCount);
    void Reallocate(INT_PTR nNewMax);
};

template <class TYPE, class ARG_TYPE>
TYPE* CArray<TYPE, ARG_TYPE>::Allocate(INT_PTR nCount)
{
    if (nCount <= 0)
        return nullptr;
    if (static_cast<size_t>(nCount) > SIZE_MAX / 2 / sizeof(TYPE))
        AfxThrowMemoryException();
    void* p = ::operator new(static_cast<size_t>(nCount) * sizeof(TYPE), std::nothrow);
    if (p == nullptr)
        AfxThrowMemoryException();
    return static_cast<TYPE*>(p);
}

// Moves the elements into a block of nNewMax (at least m_nSize) elements.
template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::Reallocate(INT_PTR nNewMax)
{
    TYPE* pNew = Allocate(nNewMax);
    for (INT_PTR i = 0; i < m_nSize; ++i) {
        new (pNew + i) TYPE(std::move(m_pData[i]));
        m_pData[i].~TYPE();
    }
    ::operator delete(m_pData);
    m_pData = pNew;
    m_nMaxSize = nNewMax;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::SetSize(INT_PTR nNewSize, INT_PTR nGrowBy)
{
    if (nNewSize < 0)
        AfxThrowInvalidArgException();
    if (nGrowBy >= 0)
        m_nGrowBy = nGrowBy;
    if (nNewSize > m_nMaxSize) {
        INT_PTR nStep = m_nGrowBy;
        if (nStep == 0)
            nStep = std::min<INT_PTR>(1024, std::max<INT_PTR>(4, m_nSize / 8));
        const INT_PTR nNewMax = m_pData == nullptr
                                    ? std::max(nNewSize, m_nGrowBy)
                                    : std::max(nNewSize, m_nMaxSize + nStep);
        Reallocate(nNewMax);
    }
    for (INT_PTR i = m_nSize; i < nNewSize; ++i)
        new (m_pData + i) TYPE();
    for (INT_PTR i = nNewSize; i < m_nSize; ++i)
        m_pData[i].~TYPE();
    m_nSize = nNewSize;
    if (nNewSize == 0) {
        ::operator delete(m_pData);
        m_pData = nullptr;
        m_nMaxSize = 0;
    }
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::FreeExtra()
{
    if (m_nSize != m_nMaxSize && m_nSize > 0)
        Reallocate(m_nSize);
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement)
{
    if (nIndex < 0)
        AfxThrowInvalidArgException();
    TYPE copy(newElement);
    if (nIndex >= m_nSize)
        SetSize(nIndex + 1, -1);
    m_pData[nIndex] = std::move(copy);
}

template <class TYPE, class ARG_TYPE>
INT_PTR CArray<TYPE, ARG_TYPE>::Add(ARG_TYPE newElement)
{
    const INT_PTR nIndex = m_nSize;
    SetAtGrow(nIndex, newElement);
    return nIndex;
}

template <class TYPE, class ARG_TYPE>
INT_PTR CArray<TYPE, ARG_TYPE>::Append(const CArray& src)
{
    const INT_PTR nOldSize = m_nSize;
    const INT_PTR nCount = src.m_nSize; // src may be this array
    SetSize(m_nSize + nCount, -1);
    for (INT_PTR i = 0; i < nCount; ++i)
        m_pData[nOldSize + i] = src.m_pData[i];
    return nOldSize;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::Copy(const CArray& src)
{
    if (this == &src)
        return;
    SetSize(src.m_nSize, -1);
    for (INT_PTR i = 0; i < m_nSize; ++i)
        m_pData[i] = src.m_pData[i];
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount)
{
    if (nIndex < 0 || nCount <= 0) {
        if (nIndex < 0 || nCount < 0)
            AfxThrowInvalidArgException();
        return;
    }
    TYPE copy(newElement);
    const INT_PTR nOldSize = m_nSize;
    if (nIndex >= nOldSize) {
        SetSize(nIndex + nCount, -1);
    } else {
        SetSize(nOldSize + nCount, -1);
        std::move_backward(m_pData + nIndex, m_pData + nOldSize, m_pData + nOldSize + nCount);
    }
    for (INT_PTR i = nIndex; i < nIndex + nCount; ++i)
        m_pData[i] = copy;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::InsertAt(INT_PTR nStartIndex, const CArray* pNewArray)
{
    if (pNewArray == nullptr || nStartIndex < 0)
        AfxThrowInvalidArgException();
    if (pNewArray->m_nSize == 0)
        return;
    CArray copy; // the source may be this array
    copy.Copy(*pNewArray);
    InsertAt(nStartIndex, copy.m_pData[0], copy.m_nSize);
    for (INT_PTR i = 1; i < copy.m_nSize; ++i)
        m_pData[nStartIndex + i] = copy.m_pData[i];
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::RemoveAt(INT_PTR nIndex, INT_PTR nCount)
{
    if (nIndex < 0 || nCount < 0 || nCount > m_nSize - nIndex)
        AfxThrowInvalidArgException();
    std::move(m_pData + nIndex + nCount, m_pData + m_nSize, m_pData + nIndex);
    for (INT_PTR i = m_nSize - nCount; i < m_nSize; ++i)
        m_pData[i].~TYPE();
    m_nSize -= nCount;
}
