// CMap: the framework's hash map. The table has 17 buckets unless InitHashTable sets another
// size; entries come from blocks of nBlockSize and are released when the map is emptied.
// GetStartPosition / GetNextAssoc walk the entries in bucket order.
#pragma once

#include "framework/AfxTempl.h"
#include "framework/CException.h"
#include "framework/CObject.h"
#include "framework/CPlex.h"

#include <new>

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject
{
protected:
    struct CAssoc
    {
        CAssoc(ARG_KEY k, UINT nHash) : pNext(nullptr), nHashValue(nHash), key(k), value() {}
        CAssoc* pNext;
        UINT nHashValue; // full hash, kept to resume a walk and to rehash
        KEY key;
        VALUE value;
    };

public:
    typedef KEY BASE_KEY;
    typedef ARG_KEY BASE_ARG_KEY;
    typedef VALUE BASE_VALUE;
    typedef ARG_VALUE BASE_ARG_VALUE;

    explicit CMap(INT_PTR nBlockSize = 10) : m_assocs(nBlockSize) {}
    ~CMap() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    BOOL Lookup(ARG_KEY key, VALUE& rValue) const;
    // The value of the key, added (value-initialised) when the key is new.
    VALUE& operator[](ARG_KEY key);
    void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }
    BOOL RemoveKey(ARG_KEY key);
    void RemoveAll();

    POSITION GetStartPosition() const { return m_nCount == 0 ? nullptr : BEFORE_START_POSITION; }
    void GetNextAssoc(POSITION& rNextPosition, KEY& rKey, VALUE& rValue) const;

    UINT GetHashTableSize() const { return m_nHashTableSize; }
    // Sets the number of buckets (a prime a little above the expected count works best).
    // Entries already in the map are kept.
    void InitHashTable(UINT hashSize, BOOL bAllocNow = TRUE);

private:
    CAssoc* Find(ARG_KEY key, UINT nHash) const;
    CAssoc* NewAssoc(ARG_KEY key, UINT nHash);
    void FreeAssoc(CAssoc* pAssoc);
    void AllocTable();
    CAssoc* FirstFrom(UINT nBucket) const;

    CAssoc** m_pHashTable = nullptr;
    UINT m_nHashTableSize = 17;
    INT_PTR m_nCount = 0;
    CPlex<CAssoc> m_assocs;
};

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
typename CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::CAssoc*
CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::Find(ARG_KEY key, UINT nHash) const
{
    if (m_pHashTable == nullptr)
        return nullptr;
    for (CAssoc* p = m_pHashTable[nHash % m_nHashTableSize]; p != nullptr; p = p->pNext) {
        if (p->nHashValue == nHash && CompareElements(&p->key, &key))
            return p;
    }
    return nullptr;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
BOOL CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::Lookup(ARG_KEY key, VALUE& rValue) const
{
    const CAssoc* p = Find(key, HashKey<ARG_KEY>(key));
    if (p == nullptr)
        return FALSE;
    rValue = p->value;
    return TRUE;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::AllocTable()
{
    m_pHashTable = new (std::nothrow) CAssoc*[m_nHashTableSize]();
    if (m_pHashTable == nullptr)
        AfxThrowMemoryException();
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
typename CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::CAssoc*
CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::NewAssoc(ARG_KEY key, UINT nHash)
{
    void* p = m_assocs.Take();
    CAssoc* pAssoc;
    try {
        pAssoc = new (p) CAssoc(key, nHash);
    } catch (...) {
        m_assocs.Give(p);
        throw;
    }
    ++m_nCount;
    return pAssoc;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::FreeAssoc(CAssoc* pAssoc)
{
    pAssoc->~CAssoc();
    m_assocs.Give(pAssoc);
    if (--m_nCount == 0)
        RemoveAll();
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
VALUE& CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::operator[](ARG_KEY key)
{
    const UINT nHash = HashKey<ARG_KEY>(key);
    CAssoc* pAssoc = Find(key, nHash);
    if (pAssoc == nullptr) {
        if (m_pHashTable == nullptr)
            AllocTable();
        pAssoc = NewAssoc(key, nHash);
        CAssoc*& bucket = m_pHashTable[nHash % m_nHashTableSize];
        pAssoc->pNext = bucket;
        bucket = pAssoc;
    }
    return pAssoc->value;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
BOOL CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::RemoveKey(ARG_KEY key)
{
    if (m_pHashTable == nullptr)
        return FALSE;
    const UINT nHash = HashKey<ARG_KEY>(key);
    for (CAssoc** pp = &m_pHashTable[nHash % m_nHashTableSize]; *pp != nullptr;
         pp = &(*pp)->pNext) {
        CAssoc* p = *pp;
        if (p->nHashValue == nHash && CompareElements(&p->key, &key)) {
            *pp = p->pNext;
            FreeAssoc(p);
            return TRUE;
        }
    }
    return FALSE;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::RemoveAll()
{
    if (m_pHashTable != nullptr) {
        for (UINT i = 0; i < m_nHashTableSize; ++i) {
            for (CAssoc* p = m_pHashTable[i]; p != nullptr;) {
                CAssoc* pNext = p->pNext;
                p->~CAssoc();
                p = pNext;
            }
        }
        delete[] m_pHashTable;
        m_pHashTable = nullptr;
    }
    m_assocs.FreeAll();
    m_nCount = 0;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
typename CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::CAssoc*
CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::FirstFrom(UINT nBucket) const
{
    for (; m_pHashTable != nullptr && nBucket < m_nHashTableSize; ++nBucket) {
        if (m_pHashTable[nBucket] != nullptr)
            return m_pHashTable[nBucket];
    }
    return nullptr;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::GetNextAssoc(POSITION& rNextPosition, KEY& rKey,
                                                        VALUE& rValue) const
{
    CAssoc* pAssoc = rNextPosition == BEFORE_START_POSITION
                         ? FirstFrom(0)
                         : reinterpret_cast<CAssoc*>(rNextPosition);
    if (pAssoc == nullptr)
        AfxThrowInvalidArgException();
    CAssoc* pNext = pAssoc->pNext;
    if (pNext == nullptr)
        pNext = FirstFrom(pAssoc->nHashValue % m_nHashTableSize + 1);
    rNextPosition = reinterpret_cast<POSITION>(pNext);
    rKey = pAssoc->key;
    rValue = pAssoc->value;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::InitHashTable(UINT hashSize, BOOL bAllocNow)
{
    if (hashSize == 0)
        AfxThrowInvalidArgException();
    CAssoc** pOld = m_pHashTable;
    const UINT nOldSize = m_nHashTableSize;
    m_pHashTable = nullptr;
    m_nHashTableSize = hashSize;
    if (bAllocNow || pOld != nullptr) {
        try {
            AllocTable();
        } catch (CException*) {
            m_pHashTable = pOld;
            m_nHashTableSize = nOldSize;
            throw;
        }
    }
    if (pOld == nullptr)
        return;
    // Entries already in the map move to their buckets in the new table.
    for (UINT i = 0; i < nOldSize; ++i) {
        for (CAssoc* p = pOld[i]; p != nullptr;) {
            CAssoc* pNext = p->pNext;
            CAssoc*& bucket = m_pHashTable[p->nHashValue % m_nHashTableSize];
            p->pNext = bucket;
            bucket = p;
            p = pNext;
        }
    }
    delete[] pOld;
}
