// Collections: array growth steps, insertion and removal, list positions, and maps with their
// hash tables, as the list control, menu and cache code use them.
#include "framework/Afx.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

namespace {

TEST(CArray, GrowsByItsStep)
{
    CDWordArray array;
    array.SetSize(0, 128);
    array.Add(1);
    const DWORD* block = array.GetData();
    for (DWORD i = 2; i <= 128; ++i)
        array.Add(i);
    EXPECT_EQ(block, array.GetData()) << "128 elements fit the first step";
    array.Add(129);
    EXPECT_NE(block, array.GetData()) << "the 129th element needs a new block";
    ASSERT_EQ(129, array.GetSize());
    for (INT_PTR i = 0; i < array.GetSize(); ++i)
        ASSERT_EQ(static_cast<DWORD>(i + 1), array[i]);

    // Without a step the array still grows in steps, never one element at a time.
    CUIntArray automatic;
    int moves = 0;
    const UINT* last = nullptr;
    for (UINT i = 0; i < 10000; ++i) {
        automatic.Add(i);
        if (automatic.GetData() != last) {
            ++moves;
            last = automatic.GetData();
        }
    }
    EXPECT_LT(moves, 200);
    EXPECT_EQ(9999u, automatic[9999]);
}

TEST(CArray, SetAtGrowAndSetSizeZeroNewElements)
{
    CDWordArray array;
    array.SetAtGrow(5, 7);
    ASSERT_EQ(6, array.GetSize());
    for (INT_PTR i = 0; i < 5; ++i)
        EXPECT_EQ(0u, array[i]);
    EXPECT_EQ(7u, array[5]);
    array.SetSize(2);
    array.SetSize(4);
    EXPECT_EQ(0u, array[2]) << "shrinking and growing again gives fresh zeros";
    EXPECT_EQ(3, array.GetUpperBound());
}

TEST(CArray, InsertAndRemoveAt)
{
    CStringArray array;
    for (const char* s : {"a", "b", "c", "d", "e"})
        array.Add(s);
    array.RemoveAt(1);
    array.RemoveAt(2, 2);
    ASSERT_EQ(2, array.GetSize());
    EXPECT_STREQ("a", array[0]);
    EXPECT_STREQ("c", array[1]);
    array.InsertAt(1, "x", 2);
    array.InsertAt(6, "y");
    ASSERT_EQ(7, array.GetSize());
    const char* expected[] = {"a", "x", "x", "c", "", "", "y"};
    for (INT_PTR i = 0; i < 7; ++i)
        EXPECT_STREQ(expected[i], array[i]) << i;
    array.RemoveAt(0, 7);
    EXPECT_TRUE(array.IsEmpty());

    const struct {
        INT_PTR index, count;
    } bad[] = {{-1, 1}, {0, 1}, {0, -1}};
    for (const auto& b : bad) {
        try {
            array.RemoveAt(b.index, b.count);
            ADD_FAILURE() << b.index << "," << b.count;
        } catch (CInvalidArgException* e) {
            e->Delete();
        }
    }
    EXPECT_THROW(array.GetAt(0), CInvalidArgException*);
}

TEST(CArray, AddOfItsOwnElementSurvivesGrowth)
{
    CStringArray array;
    array.SetSize(0, 1);
    array.Add("first");
    for (int i = 0; i < 20; ++i)
        array.Add(array[0]);
    for (INT_PTR i = 0; i < array.GetSize(); ++i)
        ASSERT_STREQ("first", array[i]);
    array.InsertAt(0, array[3]);
    EXPECT_STREQ("first", array[0]);
    array.Append(array);
    EXPECT_EQ(44, array.GetSize());
    CStringArray other;
    other.Copy(array);
    other.InsertAt(1, &other);
    EXPECT_EQ(88, other.GetSize());
}

TEST(CArray, GrowthBeyondMemoryThrowsMemoryException)
{
    CDWordArray array;
    try {
        array.SetSize(static_cast<INT_PTR>(SIZE_MAX / 2 / sizeof(DWORD)));
        ADD_FAILURE() << "allocated half the address space";
    } catch (CMemoryException* e) {
        e->Delete();
    }
    EXPECT_EQ(0, array.GetSize()) << "the array is as it was";
}

TEST(CTypedPtrArray, OwnsNothingButTypesEverything)
{
    CTypedPtrArray<CObArray, CStringList*> lists;
    std::unique_ptr<CStringList> a(new CStringList), b(new CStringList);
    lists.Add(a.get());
    lists.Add(b.get());
    lists[1]->AddTail("in b");
    EXPECT_EQ(1, b->GetCount());
    EXPECT_TRUE(lists.GetAt(0)->IsKindOf(RUNTIME_CLASS(CStringList)));
    EXPECT_TRUE(lists.IsKindOf(RUNTIME_CLASS(CObArray)));
}

TEST(CList, PositionsWalkBothWays)
{
    CStringList list;
    list.AddTail("b");
    list.AddHead("a");
    POSITION posC = list.AddTail("c");
    list.InsertBefore(posC, "b2");
    list.InsertAfter(posC, "d");
    const char* forward[] = {"a", "b", "b2", "c", "d"};
    int i = 0;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr; ++i)
        EXPECT_STREQ(forward[i], list.GetNext(pos));
    EXPECT_EQ(5, i);
    for (POSITION pos = list.GetTailPosition(); pos != nullptr;)
        EXPECT_STREQ(forward[--i], list.GetPrev(pos));
    EXPECT_STREQ("a", list.GetHead());
    EXPECT_STREQ("d", list.GetTail());
    EXPECT_EQ(posC, list.Find("c"));
    EXPECT_EQ(nullptr, list.Find("a", list.GetHeadPosition()));
    EXPECT_STREQ("b2", list.GetAt(list.FindIndex(2)));
    EXPECT_EQ(nullptr, list.FindIndex(5));
}

TEST(CList, RemovalWhileWalking)
{
    CPtrList list;
    int values[10];
    for (int& v : values)
        list.AddTail(&v);
    // Remove every other element, keeping the position of the next one first.
    int n = 0;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr; ++n) {
        const POSITION current = pos;
        list.GetNext(pos);
        if (n % 2 == 0)
            list.RemoveAt(current);
    }
    ASSERT_EQ(5, list.GetCount());
    EXPECT_EQ(&values[1], list.RemoveHead());
    EXPECT_EQ(&values[9], list.RemoveTail());
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_THROW(list.RemoveHead(), CInvalidArgException*);
    EXPECT_THROW(list.GetTail(), CInvalidArgException*);
}

TEST(CList, NodesAreReusedAcrossManyCycles)
{
    CStringList list(3);
    for (int round = 0; round < 1000; ++round) {
        for (int i = 0; i < 7; ++i)
            list.AddTail(CString('x', i));
        while (list.GetCount() > 2)
            list.RemoveHead();
    }
    EXPECT_EQ(2, list.GetCount());
    EXPECT_STREQ("xxxxx", list.GetHead());
    list.AddTail(&list);
    list.AddHead(&list);
    ASSERT_EQ(8, list.GetCount());
    EXPECT_STREQ("xxxxx", list.GetHead());
    EXPECT_STREQ("xxxxxx", list.GetTail());
}

TEST(CMap, SetLookupRemoveAndWalk)
{
    CMap<UINT, UINT, int, int> map;
    map.InitHashTable(17);
    EXPECT_EQ(17u, map.GetHashTableSize());
    for (UINT id = 100; id < 400; ++id)
        map.SetAt(id, static_cast<int>(id) * 2);
    map[150] = -1;
    EXPECT_EQ(300, map.GetCount());
    int value = 0;
    EXPECT_TRUE(map.Lookup(150, value));
    EXPECT_EQ(-1, value);
    EXPECT_FALSE(map.Lookup(99, value));
    EXPECT_TRUE(map.RemoveKey(100));
    EXPECT_FALSE(map.RemoveKey(100));

    std::set<UINT> seen;
    for (POSITION pos = map.GetStartPosition(); pos != nullptr;) {
        UINT key;
        map.GetNextAssoc(pos, key, value);
        EXPECT_TRUE(seen.insert(key).second) << "key met twice: " << key;
        EXPECT_EQ(key == 150 ? -1 : static_cast<int>(key) * 2, value);
    }
    EXPECT_EQ(299u, seen.size());

    // A new table size keeps the entries.
    map.InitHashTable(251);
    EXPECT_TRUE(map.Lookup(399, value));
    EXPECT_EQ(798, value);
    EXPECT_EQ(299, map.GetCount());
    map.RemoveAll();
    EXPECT_EQ(nullptr, map.GetStartPosition());
    EXPECT_FALSE(map.Lookup(399, value));
}

TEST(CMap, StringKeys)
{
    CMap<CString, const CString&, UINT, UINT> headings;
    headings[CString("Name")] = 1;
    headings.SetAt("Size", 2);
    UINT id = 0;
    EXPECT_TRUE(headings.Lookup("Size", id));
    EXPECT_EQ(2u, id);

    CMapStringToPtr map;
    int a = 0, b = 0;
    map.SetAt("Key", &a);
    map["key"] = &b;
    void* p = nullptr;
    EXPECT_TRUE(map.Lookup("Key", p));
    EXPECT_EQ(&a, p) << "keys compare with case";
    EXPECT_EQ(2, map.GetCount());
    POSITION pos = map.GetStartPosition();
    CString key;
    map.GetNextAssoc(pos, key, p);
    EXPECT_TRUE(key == "Key" || key == "key");
}

TEST(CMap, PointerAndWordMaps)
{
    int objects[3];
    CMapPtrToPtr hooks;
    CMapWordToPtr images;
    CMapPtrToWord keys;
    for (WORD i = 0; i < 3; ++i) {
        hooks.SetAt(&objects[i], &objects[(i + 1) % 3]);
        images.SetAt(static_cast<WORD>(32768 + i), &objects[i]);
        keys.SetAt(&objects[i], static_cast<WORD>(i * 10));
    }
    void* p = nullptr;
    WORD w = 0;
    EXPECT_TRUE(hooks.Lookup(&objects[2], p));
    EXPECT_EQ(&objects[0], p);
    EXPECT_TRUE(images.Lookup(32769, p));
    EXPECT_EQ(&objects[1], p);
    EXPECT_TRUE(keys.Lookup(&objects[2], w));
    EXPECT_EQ(20, w);

    CTypedPtrMap<CMapPtrToPtr, HWND, CStringList*> byWindow;
    CStringList list;
    byWindow.SetAt(reinterpret_cast<HWND>(0x1234), &list);
    CStringList* found = nullptr;
    EXPECT_TRUE(byWindow.Lookup(reinterpret_cast<HWND>(0x1234), found));
    EXPECT_EQ(&list, found);
    POSITION pos = byWindow.GetStartPosition();
    HWND hWnd = nullptr;
    byWindow.GetNextAssoc(pos, hWnd, found);
    EXPECT_EQ(reinterpret_cast<HWND>(0x1234), hWnd);
    EXPECT_EQ(nullptr, pos);
}

} // namespace
