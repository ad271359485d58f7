// CPlex: storage for the nodes of a list or map, allocated in blocks of a fixed count and kept
// for reuse until FreeAll. Nodes are constructed and destroyed by the owner.
#pragma once

#include "framework/CException.h"

#include <new>

template <class NODE>
class CPlex
{
public:
    explicit CPlex(INT_PTR nBlockSize) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}
    ~CPlex() { FreeAll(); }
    CPlex(const CPlex&) = delete;
    CPlex& operator=(const CPlex&) = delete;

    // Raw storage for one node; throws CMemoryException when a new block cannot be made.
    void* Take()
    {
        if (m_pFree == nullptr)
            AddBlock();
        Slot* pSlot = m_pFree;
        m_pFree = pSlot->pNext;
        return pSlot->storage;
    }
    // Returns the storage of a destroyed node.
    void Give(void* p)
    {
        Slot* pSlot = reinterpret_cast<Slot*>(p);
        pSlot->pNext = m_pFree;
        m_pFree = pSlot;
    }
    // Releases every block; all nodes must have been destroyed.
    void FreeAll()
    {
        while (m_pBlocks != nullptr) {
            Block* pNext = m_pBlocks->pNext;
            ::operator delete(m_pBlocks);
            m_pBlocks = pNext;
        }
        m_pFree = nullptr;
    }

private:
    union Slot
    {
        Slot* pNext;
        alignas(NODE) unsigned char storage[sizeof(NODE)];
    };
    struct Block
    {
        Block* pNext;
        Slot* Slots() { return reinterpret_cast<Slot*>(this + 1); }
    };
    static_assert(sizeof(Block) % alignof(Slot) == 0, "slots follow the block header");

    void AddBlock()
    {
        void* p = ::operator new(sizeof(Block) + m_nBlockSize * sizeof(Slot), std::nothrow);
        if (p == nullptr)
            AfxThrowMemoryException();
        Block* pBlock = static_cast<Block*>(p);
        pBlock->pNext = m_pBlocks;
        m_pBlocks = pBlock;
        for (INT_PTR i = m_nBlockSize - 1; i >= 0; --i)
            Give(pBlock->Slots() + i);
    }

    INT_PTR m_nBlockSize;
    Block* m_pBlocks = nullptr;
    Slot* m_pFree = nullptr;
};
