// OListBase<T>: the typed part shared by OList<T> and OArray<T>: a doubly linked list that owns
// its elements by value, one heap node each, with the owner's iteration cursor.
#pragma once

#include "kit/OListLinks.h"

#include <new>
#include <utility>

template <class T>
class OListBase : public OListLinks
{
public:
    OListBase() = default;
    OListBase(OListBase&& other) noexcept { SwapWith(other); }
    OListBase& operator=(OListBase&& other) noexcept
    {
        if (this != &other) {
            RemoveAll();
            SwapWith(other);
        }
        return *this;
    }
    virtual ~OListBase() { RemoveAll(); }

    // Empties the list, then appends a copy of every element of other, in order. A null other
    // only empties the list; assigning a list to itself changes nothing.
    virtual void Assign(const OListBase* other)
    {
        if (other == this)
            return;
        RemoveAll();
        Append(other);
    }

    // Appends a copy of every element of other. The other list's cursor is not moved. Appending
    // a list to itself copies the elements it held when the call began.
    virtual void Append(const OListBase* other)
    {
        if (!other)
            return;
        const uint32_t count = other->GetCount();
        const ONodeLinks* link = other->HeadLink();
        for (uint32_t i = 0; i < count && link; ++i, link = link->next)
            AddTail(static_cast<const Node*>(link)->item);
    }

    // Appends a copy of the element; returns it, or null when the node could not be allocated.
    T* AddTail(const T& item) { return Link(new (std::nothrow) Node(item)); }

    // Appends a default-constructed element for the caller to fill in place; null when the node
    // could not be allocated.
    T* AddNew() { return Link(new (std::nothrow) Node()); }

    // Destroys the first or last element; the cursor moves to the neighbour that stays.
    void RemoveHead() { delete static_cast<Node*>(UnlinkHead()); }
    void RemoveTail() { delete static_cast<Node*>(UnlinkTail()); }

    // Destroys every element and frees every node.
    void RemoveAll()
    {
        ONodeLinks* link = DetachAll();
        while (link) {
            ONodeLinks* next = link->next;
            delete static_cast<Node*>(link);
            link = next;
        }
    }

    T* GetHead() const { return ItemOf(HeadLink()); }
    T* GetTail() const { return ItemOf(TailLink()); }

    // The owner's cursor: MoveFirst, then MoveNext until it gives null.
    T* MoveFirst()
    {
        SetCurrentLink(HeadLink());
        return GetCurrent();
    }
    T* MoveNext()
    {
        if (ONodeLinks* current = CurrentLink())
            SetCurrentLink(current->next);
        return GetCurrent();
    }
    T* GetCurrent() const { return ItemOf(CurrentLink()); }

    // Walks the elements without touching the cursor (safe for const users).
    template <class F>
    void ForEach(F&& visit) const
    {
        const uint32_t count = GetCount();
        const ONodeLinks* link = HeadLink();
        for (uint32_t i = 0; i < count && link; ++i, link = link->next)
            visit(static_cast<const Node*>(link)->item);
    }

protected:
    struct Node : ONodeLinks
    {
        Node() : item() {}
        explicit Node(const T& value) : item(value) {}
        T item;
    };

    static T* ItemOf(ONodeLinks* link) { return link ? &static_cast<Node*>(link)->item : nullptr; }

    T* Link(Node* node)
    {
        if (!node)
            return nullptr;
        LinkTail(node);
        return &node->item;
    }
};
