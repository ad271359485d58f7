// The owning containers: every element they take is destroyed exactly once, copies are deep, the
// owner's cursor behaves as the scene walks it, and the view history stays within its limit.
#include "kit/KType.h"
#include "kit/OArray.h"
#include "kit/OBuffer.h"
#include "kit/OList.h"
#include "kit/OViewHistory.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Counts the instances alive so that leaks and double destruction show.
struct Tracked
{
    static int alive;
    int value = 0;
    Tracked() { ++alive; }
    explicit Tracked(int v) : value(v) { ++alive; }
    Tracked(const Tracked& other) : value(other.value) { ++alive; }
    Tracked& operator=(const Tracked&) = default;
    ~Tracked() { --alive; }
};
int Tracked::alive = 0;

template <class List>
std::vector<int> Values(const List& list)
{
    std::vector<int> values;
    list.ForEach([&](const Tracked& t) { values.push_back(t.value); });
    return values;
}

template <class List>
void Fill(List& list, std::initializer_list<int> values)
{
    for (int v : values)
        list.AddTail(Tracked(v));
}

template <class List>
class OwningListTest : public ::testing::Test
{
protected:
    void SetUp() override { Tracked::alive = 0; }
    void TearDown() override { EXPECT_EQ(Tracked::alive, 0) << "elements leaked or destroyed twice"; }
};

using ListTypes = ::testing::Types<OList<Tracked>, OArray<Tracked>>;
TYPED_TEST_SUITE(OwningListTest, ListTypes);

TYPED_TEST(OwningListTest, FirstElementBecomesHeadTailAndCursor)
{
    TypeParam list;
    Tracked* added = list.AddTail(Tracked(7));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(list.GetHead(), added);
    EXPECT_EQ(list.GetTail(), added);
    EXPECT_EQ(list.GetCurrent(), added);
    EXPECT_EQ(list.GetCount(), 1u);
    Fill(list, {8, 9});
    EXPECT_EQ(list.GetCurrent(), added) << "appending must not move the cursor";
    EXPECT_EQ(Values(list), (std::vector<int>{7, 8, 9}));
}

TYPED_TEST(OwningListTest, AddNewIsFilledInPlace)
{
    TypeParam list;
    Fill(list, {1});
    Tracked* fresh = list.AddNew();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->value, 0);
    fresh->value = 5;
    EXPECT_EQ(Values(list), (std::vector<int>{1, 5}));
}

TYPED_TEST(OwningListTest, RemoveAllDestroysEveryElementAndResets)
{
    TypeParam list;
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0u);
    Fill(list, {1, 2, 3});
    EXPECT_EQ(Tracked::alive, 3);
    list.RemoveAll();
    EXPECT_EQ(Tracked::alive, 0);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetHead(), nullptr);
    EXPECT_EQ(list.GetTail(), nullptr);
    EXPECT_EQ(list.GetCurrent(), nullptr);
    Fill(list, {4});
    EXPECT_EQ(Values(list), (std::vector<int>{4}));
}

TYPED_TEST(OwningListTest, CursorWalksFromHeadToEnd)
{
    TypeParam list;
    Fill(list, {1, 2, 3});
    std::vector<int> seen;
    for (Tracked* t = list.MoveFirst(); t; t = list.MoveNext())
        seen.push_back(t->value);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(list.GetCurrent(), nullptr);
    EXPECT_EQ(list.MoveNext(), nullptr);
}

TYPED_TEST(OwningListTest, RemovingAnEndMovesTheCursorToTheNodeThatStays)
{
    TypeParam list;
    Fill(list, {1, 2, 3});
    list.MoveFirst();
    list.RemoveHead();
    ASSERT_NE(list.GetCurrent(), nullptr);
    EXPECT_EQ(list.GetCurrent()->value, 2);
    list.MoveNext();
    list.RemoveTail();
    ASSERT_NE(list.GetCurrent(), nullptr);
    EXPECT_EQ(list.GetCurrent()->value, 2);
    list.RemoveTail();
    EXPECT_EQ(list.GetCurrent(), nullptr);
    EXPECT_EQ(list.GetHead(), nullptr);
    EXPECT_EQ(list.GetTail(), nullptr);
    list.RemoveTail();
    list.RemoveHead();
    EXPECT_EQ(list.GetCount(), 0u);
}

TYPED_TEST(OwningListTest, AssignAndAppendCopyDeeplyAndLeaveTheSourceCursor)
{
    TypeParam source;
    Fill(source, {1, 2, 3});
    source.MoveFirst();
    source.MoveNext();
    TypeParam target;
    Fill(target, {9});

    target.Append(&source);
    EXPECT_EQ(Values(target), (std::vector<int>{9, 1, 2, 3}));
    target.Assign(&source);
    EXPECT_EQ(Values(target), (std::vector<int>{1, 2, 3}));
    ASSERT_NE(source.GetCurrent(), nullptr);
    EXPECT_EQ(source.GetCurrent()->value, 2);

    target.GetHead()->value = 100;
    EXPECT_EQ(source.GetHead()->value, 1) << "copies must be the target's own";
    EXPECT_EQ(Tracked::alive, 6);
}

TYPED_TEST(OwningListTest, NullAndSelfSources)
{
    TypeParam list;
    Fill(list, {1, 2});
    list.Append(nullptr);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 2}));
    list.Assign(&list);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 2}));
    list.Append(&list);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 1, 2}));
    list.Assign(nullptr);
    EXPECT_EQ(list.GetCount(), 0u);
}

TYPED_TEST(OwningListTest, MovedListOwnsTheElementsOnce)
{
    TypeParam list;
    Fill(list, {1, 2});
    TypeParam moved(std::move(list));
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(Values(moved), (std::vector<int>{1, 2}));
    TypeParam other;
    Fill(other, {3});
    other = std::move(moved);
    EXPECT_EQ(Values(other), (std::vector<int>{1, 2}));
}

TEST(OListRing, RingIsCutAtItsAnchorBeforeElementsAreFreed)
{
    Tracked::alive = 0;
    {
        OList<Tracked> list;
        Fill(list, {1, 2, 3});
        list.CloseRing();
        EXPECT_TRUE(list.IsRing());
        list.RemoveAll();
        EXPECT_FALSE(list.IsRing());
        EXPECT_EQ(Tracked::alive, 0);

        Fill(list, {1, 2});
        list.CloseRing();
        list.AddTail(Tracked(3));
        EXPECT_FALSE(list.IsRing()) << "appending opens the ring again";
        EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 3}));
        list.CloseRing();
    }
    EXPECT_EQ(Tracked::alive, 0) << "destroying a ring frees every element once";
}

TEST(OBuffer, CopiesHaveElementsOfTheirOwn)
{
    OBuffer<KType::RPoint2D> points(3);
    ASSERT_EQ(points.GetCount(), 3u);
    EXPECT_EQ(points[2].x, 0.0f);
    points[1] = {1.5f, -2.0f};

    OBuffer<KType::RPoint2D> copy(points);
    ASSERT_EQ(copy.GetCount(), 3u);
    EXPECT_NE(copy.GetData(), points.GetData());
    EXPECT_EQ(copy[1].y, -2.0f);
    copy[1].y = 4.0f;
    EXPECT_EQ(points[1].y, -2.0f);

    OBuffer<KType::RPoint2D> empty;
    copy = empty;
    EXPECT_EQ(copy.GetCount(), 0u);
    EXPECT_EQ(copy.GetData(), nullptr);
}

TEST(OBuffer, ImpossibleSizeLeavesAnEmptyBuffer)
{
    OBuffer<KType::RPoint2D> points(2);
    EXPECT_FALSE(points.SetSize(0xFFFFFFFFu));
    EXPECT_EQ(points.GetCount(), 0u);
    EXPECT_EQ(points.GetData(), nullptr);
}

TEST(OBuffer, ListOfBuffersKeepsDeepCopies)
{
    OList<OBuffer<KType::RPoint2D>> polylines;
    OBuffer<KType::RPoint2D> line(2);
    line[0] = {1.0f, 2.0f};
    polylines.AddTail(line);
    line[0].x = 9.0f;
    ASSERT_EQ(polylines.GetCount(), 1u);
    EXPECT_EQ((*polylines.GetHead())[0].x, 1.0f);
    OList<OBuffer<KType::RPoint2D>> copy;
    copy.Assign(&polylines);
    EXPECT_NE(copy.GetHead()->GetData(), polylines.GetHead()->GetData());
}

struct View
{
    int origin = 0;
};

TEST(OViewHistory, NeverHoldsMoreThanItsLimit)
{
    OViewHistory<View> history;
    EXPECT_EQ(history.GetLimit(), 50u);
    EXPECT_EQ(history.CurrentView(), nullptr);
    EXPECT_EQ(history.PushView(false), nullptr);
    for (int i = 0; i < 60; ++i) {
        View* view = history.PushView(true);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->origin, i) << "a pushed view starts as a copy of the previous top";
        view->origin = i + 1;
        EXPECT_LE(history.GetCount(), 50u);
    }
    EXPECT_EQ(history.GetCount(), 50u);
    EXPECT_EQ(history.GetHead()->origin, 11) << "the oldest views are dropped first";
    history.PopView();
    EXPECT_EQ(history.CurrentView()->origin, 59);
}

TEST(OViewHistory, SingleViewWithLimitOneIsReturnedUnchanged)
{
    OViewHistory<View> history(1);
    View* first = history.PushView(true);
    ASSERT_NE(first, nullptr);
    first->origin = 3;
    EXPECT_EQ(history.PushView(true), first);
    EXPECT_EQ(history.GetCount(), 1u);
    history.PopView();
    EXPECT_EQ(history.CurrentView(), nullptr);
}

} // namespace
