// The thumbnail job queue: ownership of jobs, the searches that start at the first item in view
// and wrap around, and the finished jobs the list has not taken yet.
#include "render/workers/TTaskList.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// A list of jobs with the given done and cache-first flags.
void Fill(TTaskList& list, const char* states)
{
    // 'c' cache-first, 'r' to render, 'd' done, 't' done and taken.
    for (int i = 0; states[i]; ++i) {
        auto* task = new TTask("C:\\f.dxf", i, states[i] == 'c', 1);
        task->m_done = states[i] == 'd' || states[i] == 't';
        task->m_taken = states[i] == 't';
        ASSERT_EQ(list.Add(task), i);
    }
}

TEST(TTaskList, SearchesStartAtTheClampedIndexAndWrapAround)
{
    struct Case
    {
        const char* states;
        int start;
        int cacheFirst;
        int toRender;
    } cases[] = {
        {"", 0, -1, -1},          {"crcr", -1, 0, 1},     {"crcr", 2, 2, 3},
        {"crcr", 3, 0, 3},        {"crcr", 99, 0, 3},     {"rcdc", 2, 3, 0},
        {"dtdt", 0, -1, -1},      {"rrrc", 3, 3, 0},      {"crrr", 1, 0, 1},
    };
    for (const Case& c : cases) {
        TTaskList list;
        Fill(list, c.states);
        EXPECT_EQ(list.FindNextCacheFirst(c.start), c.cacheFirst) << c.states << " " << c.start;
        EXPECT_EQ(list.FindNextToRender(c.start), c.toRender) << c.states << " " << c.start;
    }
}

// The cache pass's search among one file type passes the others by, done or not.
TEST(TTaskList, TheSearchOfOneTypePassesTheOthersBy)
{
    TTaskList list;
    const int types[] = {4, 0, 4, 0, 0};
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(list.Add(new TTask("C:\\f.dwg", i, i != 4, types[i])), i);
    list.GetAt(1)->m_done = true;
    EXPECT_EQ(list.FindNextCacheFirstOfType(0, 0), 3);
    EXPECT_EQ(list.FindNextCacheFirstOfType(4, 0), 3); // wraps; the last one is not cache-first
    EXPECT_EQ(list.FindNextCacheFirstOfType(1, 4), 2);
    list.GetAt(3)->m_inWork = true;
    EXPECT_EQ(list.FindNextCacheFirstOfType(0, 0), -1);
    EXPECT_EQ(list.FindNextCacheFirstOfType(0, 9), -1);
    EXPECT_EQ(list.FindNextCacheFirst(1), 2);
}

TEST(TTaskList, FinishedJobsAreHandedOutUntilTaken)
{
    TTaskList list;
    Fill(list, "ctdd");
    EXPECT_EQ(list.GetFinishedTask(), list.GetAt(2));
    list.GetAt(2)->m_taken = true;
    EXPECT_EQ(list.GetFinishedTask(), list.GetAt(3));
    list.GetAt(3)->m_taken = true;
    EXPECT_EQ(list.GetFinishedTask(), nullptr);
}

TEST(TTaskList, NullJobsAndIndicesOutsideAreRefused)
{
    TTaskList list;
    EXPECT_EQ(list.Add(nullptr), -1);
    Fill(list, "c");
    EXPECT_EQ(list.GetAt(-1), nullptr);
    EXPECT_EQ(list.GetAt(1), nullptr);
    EXPECT_NE(list.GetAt(0), nullptr);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(TTask, TakenPictureOutlivesTheJob)
{
    std::unique_ptr<KBMP> taken;
    {
        TTask task("C:\\a.bmp", 0, true, 4);
        EXPECT_EQ(task.m_item, 0);
        EXPECT_TRUE(task.m_cacheFirst);
        task.PrepareBitmap(32, 24);
        const HDC dc = task.BeginPicture(nullptr, 24);
        ASSERT_NE(dc, nullptr);
        PatBlt(dc, 0, 0, 32, 24, WHITENESS);
        task.EndPicture();
        ASSERT_NE(task.GetBitmap(), nullptr);
        EXPECT_EQ(task.GetBitmap()->GetBitmapWidth(), 32);
        EXPECT_EQ(task.GetBitmap()->GetWidth(), 32);
        taken.reset(task.DetachBitmap());
    }
    ASSERT_TRUE(taken);
    EXPECT_FALSE(taken->IsEmpty());
    EXPECT_EQ(taken->GetBitmapHeight(), 24);
}

TEST(TTask, ZeroSizedPicturesAreRefused)
{
    TTask task;
    EXPECT_EQ(task.m_item, -1);
    task.PrepareBitmap(0, 10);
    EXPECT_EQ(task.BeginPicture(nullptr, 24), nullptr);
    EXPECT_EQ(task.BeginPictureSized(nullptr, 10, -1, 24), nullptr);
    task.EndPicture();
    EXPECT_TRUE(task.GetBitmap()->IsEmpty());
}

} // namespace
