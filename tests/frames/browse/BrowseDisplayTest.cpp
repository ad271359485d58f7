// What the browse frame's file list shows as a user sees it: the thumbnail grid after a size
// change in Options, folder cells, the scroll position across view switches, the View menu's
// marks, the details view's columns, the tree's selection, the preview after the view frame,
// overlays and dimmed rows, and where a pasted file lands.
#include "tests/frames/browse/BrowseFrameFixture.h"

#include "app/CacheOptions.h"
#include "framework/CPropertySheet.h"
#include "render/cache/TDwgCache.h"
#include "render/cache/TLibIndexTree.h"
#include "tests/render/CacheTestFiles.h"

#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

using namespace orvo::test::browse;
using orvo::test::WaitFor;

namespace {

class BrowseDisplayTest : public BrowseFrameTest
{
protected:
    void TearDown() override
    {
        BrowseFrameTest::TearDown();
        DeleteLibIndexTree();
        DeleteDwgCache();
    }

    // The thumbnail cache of a start, with a library of the test folder that an earlier run wrote
    // with pictures of the given size.
    void MakeFolderLibrary(int width, int height)
    {
        ASSERT_EQ(SHSetValueA(HKEY_CURRENT_USER, ProgramKeyPath("Option\\LibIndex"), "Path", REG_SZ,
                              m_cacheFolder.Path().c_str(), static_cast<DWORD>(m_cacheFolder.Path().size() + 1)),
                  ERROR_SUCCESS);
        LoadCacheOptions();
        const std::string lib = m_cacheFolder / "OrvoKestalLib000000.opslib";
        const std::string bytes = cachetest::LibHeader(m_folder.Path() + "\\", 11, static_cast<uint32_t>(width),
                                                       static_cast<uint32_t>(height));
        ASSERT_TRUE(orvo::test::WriteFileBytes(lib, bytes.data(), bytes.size()));
        ASSERT_NE(GetLibIndexTree(), nullptr);
        ASSERT_TRUE(GetLibIndexTree()->AddFolder(m_folder.Path().c_str(), lib.c_str()));
        int w = 0;
        int h = 0;
        ASSERT_TRUE(GetDwgCache() && GetDwgCache()->GetLibThumbSize(m_folder.Path().c_str(), &w, &h));
        ASSERT_EQ(w, width);
    }

    // The frame on the test folder with every row listed, the list focused and an idle
    // thumbnail thread.
    void OpenFolder(int rows)
    {
        Open(m_folder.Path());
        ASSERT_TRUE(WaitFor([&] { return List().GetItemCount() == rows; }, 10000)) << List().GetItemCount();
        StartThumbnailThread(true);
        List().SetFocus();
    }

    // The Options sheet as the user runs it from the Tools menu: the thumbnail page's width
    // slider moved (the height follows with the kept proportion), then OK.
    void ChangeThumbnailWidth(int width)
    {
        CModalHandlerScope scope([&](const ModalRequest& request) -> INT_PTR {
            if (request.kind != ModalKind::PropertySheet)
                return IDCANCEL;
            auto& sheet = *static_cast<CPropertySheet*>(request.pWnd);
            constexpr int kThumbnailPage = 3;
            sheet.SetActivePage(kThumbnailPage);
            const HWND page = sheet.GetPage(kThumbnailPage)->GetSafeHwnd();
            const HWND slider = ::GetDlgItem(page, IDC_OPT_THUMB_WIDTH_SLIDER);
            ::SendMessageA(slider, TBM_SETPOS, TRUE, width);
            ::SendMessageA(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, width), reinterpret_cast<LPARAM>(slider));
            return IDOK;
        });
        Command(ID_TOOLS_OPTIONS);
    }

    CRect ItemRect(int row, int part) { 
        CRect rect;
        List().GetItemRect(row, &rect, part);
        return rect;
    }

    // Every cell of the thumbnail grid is of the size given, its name below its picture, and no
    // cell covers another cell or its name.
    void CheckGrid(int width, int height)
    {
        EXPECT_EQ(List().GetCellWidth(), width);
        EXPECT_EQ(List().GetCellHeight(), height);
        EXPECT_EQ(g_appState.taskThread->GetThumbWidth(), width - 2 * g_options.ThumbBorder);
        for (int row = 0; row < List().GetItemCount(); ++row) {
            const CRect icon = ItemRect(row, LVIR_ICON);
            EXPECT_GE(icon.Width(), width) << row;
            EXPECT_GE(icon.Height(), height) << row;
            const CRect label = ItemRect(row, LVIR_LABEL);
            EXPECT_GE(label.top, icon.top + height) << "the name lies below the picture, row " << row;
            const CRect cell(icon.left, icon.top, icon.left + width, icon.top + height);
            for (int other = 0; other < List().GetItemCount(); ++other) {
                CRect overlap;
                if (other == row)
                    continue;
                EXPECT_FALSE(overlap.IntersectRect(cell, ItemRect(other, LVIR_LABEL)))
                    << "row " << row << "'s picture covers row " << other << "'s name";
                EXPECT_FALSE(overlap.IntersectRect(cell, ItemRect(other, LVIR_ICON)))
                    << "rows " << row << " and " << other << " overlap";
            }
        }
    }

    orvo::test::TempDir m_cacheFolder;
};

// A new thumbnail size from Options lays the grid out again and makes every picture again at
// the new size at once, also where the folder's library holds pictures of the old size; Rebuild
// All keeps that grid.
TEST_F(BrowseDisplayTest, ANewThumbnailSizeRelaysTheGridAndRemakesThePicturesAtOnce)
{
    g_options.ThumbWidth = 120;
    g_options.ThumbHeight = 90;
    g_options.ThumbBorder = 5;
    MakeFolderLibrary(110, 80);
    OpenFolder(4);
    Command(ID_VIEW_THUMBNAILS);
    ASSERT_EQ(List().GetCellWidth(), 120);
    g_appState.taskThread->ClearTasks();
    ChangeThumbnailWidth(200);
    ASSERT_EQ(g_options.ThumbWidth, 200);
    {
        SCOPED_TRACE("after Options");
        CheckGrid(200, g_options.ThumbHeight);
    }
    EXPECT_EQ(g_appState.taskThread->GetTaskCount(), List().GetDrawingFileCount()) << "every picture is made again";

    g_appState.taskThread->ClearTasks();
    Command(ID_THUMB_REBUILD_ALL);
    SCOPED_TRACE("after Rebuild All");
    CheckGrid(200, g_options.ThumbHeight);
    EXPECT_EQ(g_appState.taskThread->GetTaskCount(), List().GetDrawingFileCount());
}

// Where the folder's library imposed its own cell size, Rebuild All brings the settings' size
// back with a grid of that size.
TEST_F(BrowseDisplayTest, RebuildAllLaysOutTheSettingsSize)
{
    g_options.ThumbWidth = 220;
    g_options.ThumbHeight = 160;
    g_options.ThumbBorder = 5;
    MakeFolderLibrary(110, 80);
    OpenFolder(4);
    Command(ID_VIEW_THUMBNAILS);
    ASSERT_EQ(List().GetCellWidth(), 120) << "the library's size";
    Command(ID_THUMB_REBUILD_ALL);
    CheckGrid(220, 160);
}

// A folder's cell in the thumbnail view shows the folder's icon on the cell, not a blank cell.
TEST_F(BrowseDisplayTest, AFolderCellShowsTheFoldersIcon)
{
    ASSERT_TRUE(CreateDirectoryA((m_folder / "sub").c_str(), nullptr));
    OpenFolder(5);
    Command(ID_VIEW_THUMBNAILS);
    const int row = List().FindRowByName("sub");
    ASSERT_GE(row, 0);
    List().UnselectAll();
    List().SetItemState(row, 0, LVIS_FOCUSED);
    List().Invalidate();
    List().UpdateWindow();
    const CRect icon = ItemRect(row, LVIR_ICON);
    const int border = g_options.ThumbBorder;
    std::set<COLORREF> colours;
    const HDC dc = ::GetDC(List().GetSafeHwnd());
    for (int y = icon.top + border + 1; y < icon.top + List().GetCellHeight() - border - 1; ++y)
        for (int x = icon.left + border + 1; x < icon.left + List().GetCellWidth() - border - 1; ++x)
            colours.insert(::GetPixel(dc, x, y));
    ::ReleaseDC(List().GetSafeHwnd(), dc);
    EXPECT_GT(colours.size(), 3u) << "a cell of " << colours.size() << " colours is blank";
}

// A switch of the view type keeps the row that was at the top in sight, between every two types.
TEST_F(BrowseDisplayTest, AViewSwitchKeepsTheTopRowInSight)
{
    constexpr int kExtra = 150;
    for (int i = 0; i < kExtra; ++i) {
        char name[32];
        wsprintfA(name, "f%03d.dxf", i);
        ASSERT_TRUE(orvo::test::WriteFileBytes(m_folder / name, kSmallDxf, sizeof(kSmallDxf) - 1));
    }
    OpenFolder(4 + kExtra);
    m_frame->ShowWindow(SW_RESTORE);
    m_frame->SetWindowPos(nullptr, 0, 0, 900, 640, SWP_NOZORDER);
    Pump();
    const UINT kViews[] = {ID_VIEW_THUMBNAILS, ID_VIEW_LARGE_ICONS, ID_VIEW_SMALL_ICONS, ID_VIEW_LIST_ITEMS,
                           ID_VIEW_DETAILS_ITEMS};
    auto inSight = [&](int row) {
        CRect client;
        List().GetClientRect(&client);
        CRect overlap;
        return overlap.IntersectRect(client, ItemRect(row, LVIR_BOUNDS)) != FALSE;
    };
    auto topRow = [&] {
        for (int row = 0; row < List().GetItemCount(); ++row)
            if (inSight(row))
                return row;
        return -1;
    };
    for (const UINT from : kViews) {
        for (const UINT to : kViews) {
            if (from == to)
                continue;
            Command(from);
            List().EnsureVisible(List().GetItemCount() - 1, FALSE);
            List().EnsureVisible(List().GetItemCount() / 2, FALSE);
            Pump();
            const int top = topRow();
            ASSERT_GT(top, 0) << from << " scrolled";
            Command(to);
            EXPECT_TRUE(inSight(top)) << "row " << top << " after " << from << " -> " << to;
        }
    }
}

// The View menu marks the view type shown with a radio mark, and only that one.
TEST_F(BrowseDisplayTest, TheViewMenuMarksTheViewTypeShown)
{
    OpenFolder(4);
    const UINT kViews[] = {ID_VIEW_THUMBNAILS, ID_VIEW_LARGE_ICONS, ID_VIEW_SMALL_ICONS, ID_VIEW_LIST_ITEMS,
                           ID_VIEW_DETAILS_ITEMS};
    const HMENU bar = ::GetMenu(m_frameWnd);
    ASSERT_NE(bar, nullptr);
    HMENU popup = nullptr;
    int place = -1;
    for (int i = 0; i < ::GetMenuItemCount(bar) && !popup; ++i) {
        const HMENU sub = ::GetSubMenu(bar, i);
        if (sub && ::GetMenuState(sub, ID_VIEW_THUMBNAILS, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
            popup = sub;
            place = i;
        }
    }
    ASSERT_NE(popup, nullptr) << "a menu holds the view types";
    for (const UINT shown : kViews) {
        Command(shown);
        m_frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(place, FALSE));
        for (const UINT id : kViews) {
            MENUITEMINFOA info = {};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_STATE | MIIM_FTYPE;
            ASSERT_TRUE(::GetMenuItemInfoA(popup, id, FALSE, &info)) << id;
            EXPECT_EQ((info.fState & MFS_CHECKED) != 0, id == shown) << id << " while " << shown << " is shown";
            if (id == shown) {
                EXPECT_NE(info.fType & MFT_RADIOCHECK, 0u) << "a radio mark for " << id;
            }
        }
    }
}

// The details view's Name column is wide enough for the longest name it shows.
TEST_F(BrowseDisplayTest, TheDetailsNameColumnFitsTheNames)
{
    const char kLong[] = "A drawing with a rather long name, the site plan of the east wing.dxf";
    ASSERT_TRUE(orvo::test::WriteFileBytes(m_folder / kLong, kSmallDxf, sizeof(kSmallDxf) - 1));
    OpenFolder(5);
    Command(ID_VIEW_DETAILS_ITEMS);
    int widest = 0;
    for (int row = 0; row < List().GetItemCount(); ++row)
        widest = std::max(widest, List().GetStringWidth(List().GetCellText(row, CIEShellListCtrl::kNameColumn)));
    ASSERT_GT(widest, 100);
    const int icon = ::GetSystemMetrics(SM_CXSMICON);
    EXPECT_GE(List().GetColumnWidth(CIEShellListCtrl::kNameColumn), widest + icon + 6);
}

// At start the tree shows its selected folder in sight, also in a small frame, and the
// selection stays marked while the list has the focus.
TEST_F(BrowseDisplayTest, TheTreeKeepsItsSelectedFolderInSightAndMarked)
{
    ASSERT_TRUE(BrowseBarLayout::Write(1));
    const CRect work = [] {
        RECT r = {};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
        return CRect(r);
    }();
    CString placement;
    placement.Format("%d,%d,%d,%d,%d,%ld,%ld,%ld,%ld", SW_SHOWNORMAL, 40, 40, 640, 420, work.left, work.top,
                     work.right, work.bottom);
    theTestApp.WriteProfileString("Settings", "Browser", placement);
    OpenFolder(4);
    CShellTree& tree = m_frame->GetTree();
    const HTREEITEM selected = tree.GetSelectedItem();
    ASSERT_NE(selected, nullptr);
    CString shown;
    ASSERT_TRUE(tree.GetSelectedFolderPath(shown));
    ASSERT_EQ(shown.CompareNoCase(m_folder.Path().c_str()), 0) << shown.GetString();
    CRect client;
    tree.GetClientRect(&client);
    CRect text;
    ASSERT_TRUE(tree.GetItemRect(selected, &text, TRUE));
    CRect overlap;
    EXPECT_TRUE(overlap.IntersectRect(client, text) && overlap == text)
        << "the selected folder lies at " << text.top << ".." << text.bottom << " of " << client.Height();
    EXPECT_NE(tree.GetStyle() & TVS_SHOWSELALWAYS, 0u);

    ASSERT_NE(::GetFocus(), tree.GetSafeHwnd());
    tree.Invalidate();
    tree.UpdateWindow();
    const auto own = static_cast<COLORREF>(tree.SendMessage(TVM_GETBKCOLOR));
    const COLORREF background = own == CLR_INVALID ? ::GetSysColor(COLOR_WINDOW) : own;
    int marked = 0;
    int all = 0;
    const HDC dc = ::GetDC(tree.GetSafeHwnd());
    for (int y = text.top + 1; y < text.bottom - 1; ++y)
        for (int x = text.left + 1; x < text.right - 1; ++x, ++all)
            marked += ::GetPixel(dc, x, y) != background ? 1 : 0;
    ::ReleaseDC(tree.GetSafeHwnd(), dc);
    EXPECT_GT(marked, all / 2) << "the selection is marked while the tree has no focus";
}

} // namespace
