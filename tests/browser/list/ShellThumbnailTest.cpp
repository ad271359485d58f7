// Thumbnails of the shell file list with the real thumbnail thread, engine and cache on a
// temporary folder of generated drawings and images: every drawing and image gets its picture,
// a corrupt file its placeholder, a sort while pictures are made leaves each on its own file,
// and a second fill of the folder takes every picture from the cache.
#include "browser/list/CIEShellListCtrl.h"

#include "core/CAppOptions.h"
#include "imaging/CDib.h"
#include "imaging/CJpeg.h"
#include "render/cache/CacheFile.h"
#include "render/cache/TDwgCache.h"
#include "render/cache/TLibIndexTree.h"
#include "render/workers/TTaskManageThread.h"
#include "render/workers/WorkerAppState.h"
#include "tests/core/RegistryRootScope.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ListTestWindow.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

using orvo::test::TempDir;
using orvo::test::WaitFor;

namespace {

const char kSmallDxf[] =
    "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n62\n1\n10\n0.0\n20\n0.0\n30\n0.0\n11\n100.0\n21\n"
    "50.0\n31\n0.0\n0\nCIRCLE\n8\n0\n62\n3\n10\n50.0\n20\n25.0\n30\n0.0\n40\n20.0\n0\nENDSEC\n"
    "0\nEOF\n";

// A picture of one colour, written by the imaging library as a 24-bit BMP file.
bool WriteBmp(const std::string& path, int width, int height, COLORREF color)
{
    CDib dib;
    if (!dib.Create(width, height, 24))
        return false;
    const HDC dc = dib.BeginMemDC();
    if (!dc)
        return false;
    const RECT all = {0, 0, width, height};
    SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    dib.EndMemDC();
    return dib.SaveFile(path.c_str()) != FALSE;
}

// The colour at the middle of a thumbnail, drawn as the list draws it.
COLORREF MiddleColour(const KBMP& picture, int width, int height)
{
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    RECT rect = {0, 0, width, height};
    picture.Draw(dc, rect, false);
    const COLORREF colour = GetPixel(dc, width / 2, height / 2);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return colour;
}

bool Near(COLORREF a, COLORREF b)
{
    return std::abs(GetRValue(a) - GetRValue(b)) < 24 && std::abs(GetGValue(a) - GetGValue(b)) < 24 &&
           std::abs(GetBValue(a) - GetBValue(b)) < 24;
}

struct AppStateScope : WorkerAppState
{
    AppStateScope() { mode.store(TTaskManageThread::kBrowseMode); }
};

class ShellThumbnailTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OleInitialize(nullptr);
        CacheFile::SetRetryPolicy({3, 1});
        CreateLibIndexTree(m_cache.Path().c_str(), false, true);
        CreateDwgCache(true);
        m_thread = std::make_unique<TTaskManageThread>();
        m_thread->SetAppState(&m_state);
        ASSERT_TRUE(m_thread->CreateThread());
        ASSERT_TRUE(m_thread->WaitUntilIdle(10000));
        ASSERT_TRUE(m_owner.CreateOwner(800, 600));
        m_owner.ShowWindow(SW_SHOW);
        m_list.SetShellSwitches(false, false);
        m_list.SetViewType(CIEShellListCtrl::kThumbnails);
        ASSERT_TRUE(m_list.CreateList(&m_owner, CRect(0, 0, 780, 560), 112));
        m_list.SetThumbnailThread(m_thread.get());
        MakeFiles();
    }
    void TearDown() override
    {
        m_list.DestroyWindow();
        m_owner.DestroyWindow();
        if (m_thread) {
            EXPECT_TRUE(m_thread->StopAndWait(20000));
        }
        m_thread.reset();
        DeleteDwgCache();
        DeleteLibIndexTree();
        CacheFile::SetRetryPolicy({100, 100});
        OleUninitialize();
    }

    void Write(const std::string& name, const std::string& bytes)
    {
        ASSERT_TRUE(orvo::test::WriteFileBytes(m_folder / name, bytes.data(), bytes.size()));
    }

    void MakeFiles()
    {
        for (int i = 0; i < 4; ++i)
            Write("drawing" + std::to_string(i) + ".dxf", std::string(kSmallDxf) + std::string(static_cast<size_t>(i), '\n'));
        const COLORREF colours[] = {RGB(200, 30, 30), RGB(30, 200, 30), RGB(30, 30, 200),
                                    RGB(200, 200, 30), RGB(30, 200, 200), RGB(200, 30, 200)};
        for (int i = 0; i < 6; ++i) {
            const std::string name = "image" + std::to_string(i) + ".bmp";
            ASSERT_TRUE(WriteBmp(m_folder / name, 60 + 10 * i, 40, colours[i]));
            m_colours[name] = colours[i];
        }
        std::vector<uint8_t> rgb(64 * 48 * 3);
        for (size_t p = 0; p < rgb.size(); p += 3) {
            rgb[p] = 240;
            rgb[p + 1] = 120;
            rgb[p + 2] = 10;
        }
        CJpeg jpeg;
        ASSERT_NE(jpeg.WriteJpeg((m_folder / "photo.jpg").c_str(), rgb.data(), 64, 48, true, 90, 72), 0);
        m_colours["photo.jpg"] = RGB(240, 120, 10);
        Write("broken.dxf", std::string(2000, 'x'));
        Write("readme.txt", "not shown among thumbnails");
    }

    int PictureRows() const { return m_list.GetDrawingFileCount(); }

    bool AllPicturesArrived() const
    {
        for (int row = 0; row < m_list.GetItemCount(); ++row) {
            const CShellListItem* item = m_list.GetItemRecord(row);
            if (item && item->fileType >= 0 && !item->thumbnail)
                return false;
        }
        return true;
    }

    bool WaitForPictures()
    {
        return WaitFor([&] { return AllPicturesArrived() && m_thread->IsIdle(); }, 60000) &&
               GetDwgCache()->WaitForWriter(10000);
    }

    // Every image row shows its own file's colour.
    void ExpectEachPictureOnItsFile() const
    {
        int checked = 0;
        for (const auto& [name, colour] : m_colours) {
            const int row = m_list.FindRowByName(name.c_str());
            ASSERT_GE(row, 0) << name;
            const CShellListItem* item = m_list.GetItemRecord(row);
            ASSERT_TRUE(item->thumbnail) << name;
            EXPECT_TRUE(Near(MiddleColour(*item->thumbnail, 160, 120), colour)) << name;
            ++checked;
        }
        EXPECT_EQ(checked, static_cast<int>(m_colours.size()));
    }

    RegistryRootScope m_registry;
    AppStateScope m_state;
    TempDir m_cache;
    TempDir m_folder;
    std::map<std::string, COLORREF> m_colours;
    std::unique_ptr<TTaskManageThread> m_thread;
    CListTestOwner m_owner;
    CIEShellListCtrl m_list;
};

TEST_F(ShellThumbnailTest, EveryDrawingAndImageGetsItsPicture)
{
    ASSERT_TRUE(m_list.SetFolderPath(m_folder.Path().c_str()));
    EXPECT_EQ(m_list.GetItemCount(), 12); // readme.txt is not shown among thumbnails
    EXPECT_EQ(PictureRows(), 12);
    ASSERT_TRUE(WaitForPictures());
    ExpectEachPictureOnItsFile();
    EXPECT_EQ(m_list.GetThumbnailsDone(), 12);
    // The unreadable file has the placeholder, the others a real picture.
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        const CShellListItem* item = m_list.GetItemRecord(row);
        const bool broken = row == m_list.FindRowByName("broken.dxf");
        EXPECT_EQ(item->thumbState == TTask::kPlaceholder, broken) << row;
    }
}

namespace {
// A status window that keeps the list's progress reports (0x8032: done, jobs) and notes the end
// of the queue (0x808C).
struct ProgressRecord
{
    std::vector<std::pair<int, int>> reports;
    bool ended = false;
};
ProgressRecord* g_progress = nullptr;

LRESULT CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (g_progress && message == 0x8032)
        g_progress->reports.emplace_back(static_cast<int>(wParam), static_cast<int>(lParam));
    if (g_progress && message == TTaskManageThread::kMsgQueueFinished)
        g_progress->ended = true;
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

TEST_F(ShellThumbnailTest, ProgressReportsEndWithEveryPictureCounted)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &ProgressWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "OrvoProgressRecord";
    RegisterClassA(&windowClass);
    const HWND status = CreateWindowA("OrvoProgressRecord", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      windowClass.hInstance, nullptr);
    ASSERT_NE(status, nullptr);
    ProgressRecord record;
    g_progress = &record;
    m_list.SetStatusWindow(status);
    ASSERT_TRUE(m_list.SetFolderPath(m_folder.Path().c_str()));
    ASSERT_TRUE(WaitForPictures());
    EXPECT_TRUE(WaitFor([&] { return record.ended; }, 20000));
    m_list.SetStatusWindow(nullptr);
    g_progress = nullptr;
    DestroyWindow(status);
    // However many reports were held back while pictures came fast, the last one before the
    // end counts all 12 of 12 (a reset is -1000).
    std::vector<std::pair<int, int>> counted;
    for (const auto& report : record.reports)
        if (report.first >= 0)
            counted.push_back(report);
    ASSERT_FALSE(counted.empty());
    EXPECT_EQ(counted.back(), std::make_pair(12, 12));
    EXPECT_LE(counted.size(), 14u);
}

TEST_F(ShellThumbnailTest, SortAndDeletionWhilePicturesAreMadeKeepEachOnItsFile)
{
    ASSERT_TRUE(m_list.SetFolderPath(m_folder.Path().c_str()));
    // At once, while the thread works: the rows move and one goes away.
    m_list.SetSort(CIEShellListCtrl::kNameColumn, FALSE);
    m_list.Sort();
    ASSERT_TRUE(DeleteFileA((m_folder / "drawing0.dxf").c_str()));
    m_list.Refresh(TRUE, FALSE);
    m_list.SetSort(CIEShellListCtrl::kSizeColumn, TRUE);
    m_list.Sort();
    ASSERT_TRUE(WaitForPictures());
    EXPECT_EQ(m_list.FindRowByName("drawing0.dxf"), -1);
    ExpectEachPictureOnItsFile();
}

TEST_F(ShellThumbnailTest, SecondFillTakesEveryPictureFromTheCache)
{
    ASSERT_TRUE(m_list.SetFolderPath(m_folder.Path().c_str()));
    ASSERT_TRUE(WaitForPictures());
    m_list.Refresh(TRUE, TRUE); // a rebuild drops every picture
    ASSERT_TRUE(WaitForPictures());
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        const CShellListItem* item = m_list.GetItemRecord(row);
        if (row == m_list.FindRowByName("broken.dxf"))
            continue; // a placeholder is made again, never cached
        EXPECT_EQ(item->thumbState, 0u) << "row " << row << " was not served from the cache";
    }
    ExpectEachPictureOnItsFile();
}

// Cached pictures come back several to a message: rows that move or go meanwhile still get
// their own file's picture.
TEST_F(ShellThumbnailTest, SortAndDeletionWhileCachedPicturesArriveKeepEachOnItsFile)
{
    ASSERT_TRUE(m_list.SetFolderPath(m_folder.Path().c_str()));
    ASSERT_TRUE(WaitForPictures());
    m_list.Refresh(TRUE, TRUE);
    m_list.SetSort(CIEShellListCtrl::kNameColumn, FALSE);
    m_list.Sort();
    ASSERT_TRUE(DeleteFileA((m_folder / "image0.bmp").c_str()));
    m_colours.erase("image0.bmp");
    m_list.Refresh(TRUE, FALSE);
    m_list.SetSort(CIEShellListCtrl::kSizeColumn, TRUE);
    m_list.Sort();
    ASSERT_TRUE(WaitForPictures());
    EXPECT_EQ(m_list.FindRowByName("image0.bmp"), -1);
    ExpectEachPictureOnItsFile();
    EXPECT_EQ(m_list.GetThumbnailsDone(), PictureRows());
}

TEST_F(ShellThumbnailTest, WatchedChangesKeepUntouchedPictures)
{
    ASSERT_TRUE(m_list.SetFolderPath(m_folder.Path().c_str()));
    ASSERT_TRUE(WaitForPictures());
    const CShellListItem* keep = m_list.GetItemRecord(m_list.FindRowByName("image3.bmp"));
    const KBMP* keptPicture = keep->thumbnail.get();
    ASSERT_TRUE(WriteBmp(m_folder / "added.bmp", 50, 50, RGB(10, 10, 10)));
    ASSERT_TRUE(DeleteFileA((m_folder / "image0.bmp").c_str()));
    ASSERT_TRUE(MoveFileA((m_folder / "image1.bmp").c_str(), (m_folder / "moved.bmp").c_str()));
    m_colours.erase("image0.bmp");
    m_colours["moved.bmp"] = m_colours["image1.bmp"];
    m_colours.erase("image1.bmp");
    m_colours["added.bmp"] = RGB(10, 10, 10);
    ASSERT_TRUE(WaitFor([&] {
        return m_list.FindRowByName("added.bmp") >= 0 && m_list.FindRowByName("moved.bmp") >= 0 &&
               m_list.FindRowByName("image0.bmp") < 0;
    }, 10000));
    ASSERT_TRUE(WaitForPictures());
    const int row = m_list.FindRowByName("image3.bmp");
    EXPECT_EQ(m_list.GetItemRecord(row), keep);
    EXPECT_EQ(m_list.GetItemRecord(row)->thumbnail.get(), keptPicture);
    ExpectEachPictureOnItsFile();
    // The watch named the files: only their rows were looked at.
    EXPECT_GT(m_list.GetNamedRefreshCount(), 0);
    EXPECT_EQ(m_list.GetNamedRefreshCount(), m_list.GetRefreshCount());
}

TEST_F(ShellThumbnailTest, RebuildCommandsFollowViewSelectionAndThread)
{
    ASSERT_TRUE(m_list.SetFolderPath(m_folder.Path().c_str()));
    // The thread cannot finish before this thread answers its first send: it is working.
    EXPECT_TRUE(m_list.IsThumbnailJobRunning());
    EXPECT_FALSE(m_list.IsThumbnailThreadIdle());
    EXPECT_FALSE(m_list.CanSaveThumbnails());
    EXPECT_FALSE(m_list.CanRebuildThumbnails(false));
    ASSERT_TRUE(WaitForPictures());
    struct Case
    {
        int view;
        bool selection;
        bool save;
        bool rebuildSelected;
    };
    // Thumbnail cases first: leaving the view stops nothing that a return would not start again.
    const Case cases[] = {
        {CIEShellListCtrl::kThumbnails, false, true, false},
        {CIEShellListCtrl::kThumbnails, true, true, true},
        {CIEShellListCtrl::kDetails, true, false, false},
        {CIEShellListCtrl::kLargeIcons, false, false, false},
    };
    for (const Case& c : cases) {
        m_list.SetViewType(c.view);
        ASSERT_TRUE(WaitFor([&] { return m_thread->IsIdle(); }, 60000));
        m_list.UnselectAll();
        if (c.selection)
            m_list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
        EXPECT_FALSE(m_list.IsThumbnailJobRunning()) << c.view;
        EXPECT_EQ(m_list.CanSaveThumbnails(), c.save) << c.view;
        EXPECT_EQ(m_list.CanRebuildThumbnails(false), c.save) << c.view;
        EXPECT_EQ(m_list.CanRebuildThumbnails(true), c.rebuildSelected) << c.view << " " << c.selection;
    }
    m_list.SetThumbnailThread(nullptr);
    EXPECT_FALSE(m_list.IsThumbnailThreadIdle());
    EXPECT_FALSE(m_list.CanRebuildThumbnails(false));
}

TEST_F(ShellThumbnailTest, RebuildingTheSelectionRendersOnlyTheSelectedRows)
{
    ASSERT_TRUE(m_list.SetFolderPath(m_folder.Path().c_str()));
    ASSERT_TRUE(WaitForPictures());
    m_list.Refresh(TRUE, TRUE); // every picture now comes from the cache (state 0)
    ASSERT_TRUE(WaitForPictures());
    std::map<const CShellListItem*, const KBMP*> before;
    for (int row = 0; row < m_list.GetItemCount(); ++row)
        before[m_list.GetItemRecord(row)] = m_list.GetItemRecord(row)->thumbnail.get();

    // Nothing selected: nothing is made again.
    m_list.UnselectAll();
    m_list.QueueThumbnailTasks(true);
    EXPECT_TRUE(m_thread->IsIdle());
    EXPECT_EQ(m_thread->GetTaskCount(), 0);
    for (const auto& [item, picture] : before)
        EXPECT_EQ(item->thumbnail.get(), picture);

    const char* const selected[] = {"image2.bmp", "drawing1.dxf"};
    for (const char* name : selected)
        m_list.SetItemState(m_list.FindRowByName(name), LVIS_SELECTED, LVIS_SELECTED);
    m_list.QueueThumbnailTasks(true);
    EXPECT_EQ(m_thread->GetTaskCount(), 2);
    for (const char* name : selected)
        EXPECT_FALSE(m_list.GetItemRecord(m_list.FindRowByName(name))->thumbnail) << name;
    ASSERT_TRUE(WaitForPictures());
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        const CShellListItem* item = m_list.GetItemRecord(row);
        const bool rebuilt = (m_list.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
        if (rebuilt) {
            EXPECT_EQ(item->thumbState, TTask::kFromCacheOrRendered) << row << " was not rendered again";
        } else {
            EXPECT_EQ(item->thumbnail.get(), before[item]) << row << " lost its picture";
        }
    }
    ExpectEachPictureOnItsFile();
}

TEST_F(ShellThumbnailTest, RebuildingAllRendersEveryRowAgain)
{
    ASSERT_TRUE(m_list.SetFolderPath(m_folder.Path().c_str()));
    ASSERT_TRUE(WaitForPictures());
    m_list.Refresh(TRUE, TRUE);
    ASSERT_TRUE(WaitForPictures());
    m_list.QueueThumbnailTasks(false);
    EXPECT_EQ(m_thread->GetTaskCount(), PictureRows());
    ASSERT_TRUE(WaitForPictures());
    const int broken = m_list.FindRowByName("broken.dxf");
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        const UINT expected = row == broken ? TTask::kPlaceholder : TTask::kFromCacheOrRendered;
        EXPECT_EQ(m_list.GetItemRecord(row)->thumbState, expected) << row;
    }
    EXPECT_EQ(m_list.GetThumbnailsDone(), PictureRows());
    ExpectEachPictureOnItsFile();
}

TEST_F(ShellThumbnailTest, StoppingHandlesTheThreadsSendsWithinTheLimit)
{
    ASSERT_TRUE(m_list.SetFolderPath(m_folder.Path().c_str()));
    const DWORD start = GetTickCount();
    m_list.StopThumbnailTasks();
    EXPECT_LT(GetTickCount() - start, CIEShellListCtrl::kStopWaitLimitMs);
    EXPECT_TRUE(m_thread->IsIdle());
    EXPECT_EQ(m_thread->GetTaskCount(), 0);
}

// For a look at the thumbnail view as a user sees it: shows the shared sample drawings and keeps
// the window up for ORVO_SHOW_SECONDS while a screenshot is taken from outside.
TEST_F(ShellThumbnailTest, ShowSampleDrawings)
{
    const char* seconds = getenv("ORVO_SHOW_SECONDS");
    const std::string samples = orvo::test::SamplesDir();
    if (!seconds || samples.empty())
        GTEST_SKIP() << "set ORVO_SHOW_SECONDS (and have the shared samples) to look at the view";
    m_owner.MoveWindow(0, 0, 1000, 740);
    m_list.MoveWindow(0, 0, 980, 700);
    ASSERT_TRUE(m_list.SetFolderPath((samples + "\\dwg\\2000").c_str()));
    m_list.SetFocus();
    m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_TRUE(WaitFor([&] { return AllPicturesArrived() && m_thread->IsIdle(); }, 120000));
    m_list.Invalidate();
    WaitFor([] { return false; }, static_cast<DWORD>(atoi(seconds)) * 1000);
}

} // namespace
