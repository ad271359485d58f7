// What the browse frame's file list shows as a user sees it: the thumbnail grid after a size
// change in Options, folder cells, the scroll position across view switches, the View menu's
// marks, the details view's columns, the tree's selection, the preview after the view frame,
// overlays and dimmed rows, and where a pasted file lands.
#include "tests/frames/browse/BrowseFrameFixture.h"

#include "app/CacheOptions.h"
#include "browser/preview/CPreView.h"
#include "frames/view/CViewFrame.h"
#include "browser/shell/CFileName.h"
#include "browser/shell/ShellItemFilter.h"
#include "framework/CPropertySheet.h"
#include "ui/FileClipboard.h"
#include "render/cache/TDwgCache.h"
#include "render/cache/TLibIndexTree.h"
#include "tests/render/CacheTestFiles.h"

#include <commctrl.h>
#include <shobjidl.h>

#include <algorithm>
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

    // The thumbnail view of the test folder with the settings' size given and a library of the
    // folder made with 110 x 80 pictures (cells of 120 x 90).
    void OpenThumbnailsOverLibrary(int width, int height)
    {
        g_options.ThumbWidth = width;
        g_options.ThumbHeight = height;
        g_options.ThumbBorder = 5;
        MakeFolderLibrary(110, 80);
        OpenFolder(4);
        Command(ID_VIEW_THUMBNAILS);
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
    OpenThumbnailsOverLibrary(120, 90);
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
    OpenThumbnailsOverLibrary(220, 160);
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
            // It is on the first line in sight (below the details view's header).
            CRect client;
            List().GetClientRect(&client);
            if (to == ID_VIEW_DETAILS_ITEMS)
                client.top = ItemRect(List().GetTopIndex(), LVIR_BOUNDS).top;
            const CRect place = ItemRect(top, LVIR_BOUNDS);
            SCROLLINFO bar = {sizeof(bar), SIF_ALL};
            ::GetScrollInfo(List().GetSafeHwnd(), SB_VERT, &bar);
            const bool atEnd = bar.nPos + static_cast<int>(bar.nPage) > bar.nMax;
            if (to != ID_VIEW_LIST_ITEMS && !atEnd) {
                EXPECT_LT(place.top - client.top, place.Height()) << "row " << top << " after " << from << " -> " << to;
                EXPECT_GE(place.top, client.top) << "row " << top << " after " << from << " -> " << to;
            }
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
    SeedEarlierRun(CRect(40, 40, 640, 420));
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
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    const auto lighter = [](int channel) { return static_cast<BYTE>(std::min(channel + 70, 255)); };
    const COLORREF unfocusedMark =
        RGB(lighter(GetRValue(highlight)), lighter(GetGValue(highlight)), lighter(GetBValue(highlight)));
    ASSERT_NE(unfocusedMark, background);
    int marked = 0;
    int all = 0;
    const HDC dc = ::GetDC(tree.GetSafeHwnd());
    for (int y = text.top + 1; y < text.bottom - 1; ++y)
        for (int x = text.left + 1; x < text.right - 1; ++x, ++all)
            marked += ::GetPixel(dc, x, y) == unfocusedMark ? 1 : 0;
    ::ReleaseDC(tree.GetSafeHwnd(), dc);
    EXPECT_GT(marked, all / 2) << "the selection is marked while the tree has no focus";
}

// The number of colours the window shows in its client area (every fourth pixel each way).
size_t ColoursShown(CWnd& window)
{
    CRect client;
    window.GetClientRect(&client);
    std::set<COLORREF> colours;
    const HDC dc = ::GetDC(window.GetSafeHwnd());
    for (int y = 0; y < client.bottom; y += 4)
        for (int x = 0; x < client.right; x += 4)
            colours.insert(::GetPixel(dc, x, y));
    ::ReleaseDC(window.GetSafeHwnd(), dc);
    return colours.size();
}

// A bitmap of 1200 x 900 pixels in four colours (larger than the view and the pane), as a file
// holds it.
std::string FourColourBmp()
{
    constexpr int kWidth = 1200;
    constexpr int kHeight = 900;
    constexpr int kRow = kWidth * 3;
    std::string pixels;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool left = x < kWidth / 2;
            const bool top = y < kHeight / 2;
            pixels += static_cast<char>(left ? 200 : 20);
            pixels += static_cast<char>(top ? 40 : 220);
            pixels += static_cast<char>(left == top ? 240 : 60);
        }
    auto u32 = [](uint32_t v) { return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)}; };
    auto u16 = [](uint16_t v) { return std::string{static_cast<char>(v), static_cast<char>(v >> 8)}; };
    const uint32_t size = 54 + kRow * kHeight;
    return "BM" + u32(size) + u32(0) + u32(54) + u32(40) + u32(kWidth) + u32(kHeight) + u16(1) + u16(24) + u32(0) +
           u32(kRow * kHeight) + u32(2835) + u32(2835) + u32(0) + u32(0) + pixels;
}

// A drawing or a picture opened in the view frame (Enter) and left again shows in the preview
// pane again.
TEST_F(BrowseDisplayTest, ThePreviewShowsTheSelectedFileAfterTheView)
{
    const std::string bmp = FourColourBmp();
    ASSERT_TRUE(orvo::test::WriteFileBytes(m_folder / "bz.bmp", bmp.data(), bmp.size()));
    ASSERT_TRUE(g_appState.StartPreviewThread());
    auto* view = new CViewFrame; // owned by its window from LoadFrame on
    ASSERT_TRUE(view->LoadFrame(CViewFrame::kResourceId, 0xCF8000));
    g_appState.viewFrame = view;
    view->SetWindowPos(nullptr, 0, 0, 1500, 960, SWP_NOZORDER | SWP_NOACTIVATE);
    OpenFolder(5);
    CPreView& preview = m_frame->GetPreview();
    const auto settled = [] { return !g_appState.drawThread->IsBusy() && !g_appState.drawThread->IsOpening(); };
    float fitted = 0; // the picture's scale in the pane
    for (const char* name : {"b.dxf", "bz.bmp"}) {
        SCOPED_TRACE(name);
        const CString path = (m_folder / name).c_str();
        SelectOnly(name);
        ASSERT_TRUE(WaitFor([&] { return preview.GetShownPath() == path && settled(); }, 10000));
        WaitFor([&] { return false; }, 300);
        Pump();
        preview.UpdateWindow();
        const size_t before = ColoursShown(preview);
        ASSERT_GT(before, 2u) << "the file shows in the preview";
        if (path.Right(4) == ".bmp")
            fitted = g_appState.drawThread->GetRasterScene().GetZoomScale();

        PressKey(List().GetSafeHwnd(), VK_RETURN);
        ASSERT_TRUE(WaitFor([&] { return view->IsWindowVisible() != FALSE; }, 10000));
        WaitFor([&] { return false; }, 300);
        ASSERT_TRUE(WaitFor(settled, 10000));
        view->SendMessage(CViewFrame::kMsgReturnToBrowser);
        ASSERT_TRUE(WaitFor([&] { return m_frame->IsWindowVisible() != FALSE; }, 5000));
        WaitFor([&] { return false; }, 300);
        ASSERT_TRUE(WaitFor(settled, 10000));
        Pump();
        preview.UpdateWindow();
        EXPECT_EQ(List().GetCurrentPath().CompareNoCase(path), 0);
        EXPECT_EQ(preview.GetShownPath().CompareNoCase(path), 0);
        EXPECT_GE(ColoursShown(preview), before) << "the preview is empty after the view";
        if (path.Right(4) == ".bmp") {
            EXPECT_FLOAT_EQ(g_appState.drawThread->GetRasterScene().GetZoomScale(), fitted) << "fitted to the pane";
        }
    }

    // A walk in the view to the next file, a picture: back in the browser the list selects it and
    // the preview shows it fitted to the pane, as when it was selected there.
    SelectOnly("b.dxf");
    ASSERT_TRUE(WaitFor([&] { return preview.GetShownPath() == (m_folder / "b.dxf").c_str() && settled(); }, 10000));
    PressKey(List().GetSafeHwnd(), VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return view->IsWindowVisible() != FALSE; }, 10000));
    ASSERT_TRUE(WaitFor(settled, 10000));
    view->SendMessage(WM_COMMAND, ID_VIEW_NEXT_FILE);
    ASSERT_TRUE(WaitFor([&] { return g_appState.drawThread->GetFilePath().CompareNoCase((m_folder / "bz.bmp").c_str()) == 0; }, 10000));
    WaitFor([&] { return false; }, 300);
    ASSERT_TRUE(WaitFor(settled, 10000));
    ASSERT_NE(g_appState.drawThread->GetRasterScene().GetZoomScale(), fitted) << "the view shows it at its own size";
    view->SendMessage(CViewFrame::kMsgReturnToBrowser);
    ASSERT_TRUE(WaitFor([&] { return m_frame->IsWindowVisible() != FALSE; }, 5000));
    WaitFor([&] { return false; }, 300);
    ASSERT_TRUE(WaitFor(settled, 10000));
    Pump();
    EXPECT_EQ(List().GetCurrentPath().CompareNoCase((m_folder / "bz.bmp").c_str()), 0);
    EXPECT_EQ(preview.GetShownPath().CompareNoCase((m_folder / "bz.bmp").c_str()), 0);
    EXPECT_FLOAT_EQ(g_appState.drawThread->GetRasterScene().GetZoomScale(), fitted);

    g_appState.viewFrame = nullptr;
    view->DestroyWindow();
    g_appState.StopPreviewThread();
}

// A shortcut to a file, saved where given.
bool MakeShortcut(const std::string& at, const std::string& target)
{
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(target.c_str());
    IPersistFile* file = nullptr;
    bool saved = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, at.c_str(), -1, wide, MAX_PATH);
        saved = SUCCEEDED(file->Save(wide, TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

// The state bits of a row from the item's attributes.
TEST(BrowseRowStateTest, HiddenAndGhostedAreDimmedSharedAndShortcutsOverlaid)
{
    const struct {
        ULONG attributes;
        UINT state;
    } cases[] = {
        {0, 0},
        {SFGAO_HIDDEN, LVIS_CUT},
        {SFGAO_GHOSTED, LVIS_CUT},
        {SFGAO_LINK, INDEXTOOVERLAYMASK(2)},
        {SFGAO_SHARE, INDEXTOOVERLAYMASK(1)},
        {SFGAO_SHARE | SFGAO_LINK, INDEXTOOVERLAYMASK(1)},
        {SFGAO_HIDDEN | SFGAO_LINK, LVIS_CUT | INDEXTOOVERLAYMASK(2)},
        {SFGAO_FOLDER | SFGAO_FILESYSTEM, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShellItemFilter::RowState(c.attributes), c.state) << std::hex << c.attributes;
}

// In every view a shortcut carries its overlay and a hidden file is dimmed; a cut file is dimmed
// until the clipboard holds something else. In the thumbnail view a dimmed cell shows so.
TEST_F(BrowseDisplayTest, ShortcutsAreOverlaidHiddenAndCutFilesDimmedInEveryView)
{
    g_options.ShowNoneDrawingFile = true;
    const std::string hidden = m_folder / "h.dxf";
    ASSERT_TRUE(orvo::test::WriteFileBytes(hidden, kSmallDxf, sizeof(kSmallDxf) - 1));
    ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(MakeShortcut(m_folder / "link.lnk", m_folder / "a.dxf"));
    Open(m_folder.Path());
    StartThumbnailThread(true);
    List().SetShellSwitches(true, false);
    Command(ID_VIEW_DETAILS_ITEMS);
    List().Refresh(TRUE, TRUE);
    ASSERT_GE(List().FindRowByName("h.dxf"), 0);
    ASSERT_GE(List().FindRowByName("link.lnk"), 0);
    const auto state = [&](const char* name) {
        const int row = List().FindRowByName(name);
        return row < 0 ? 0u : static_cast<UINT>(List().GetItemState(row, LVIS_CUT | LVIS_OVERLAYMASK));
    };
    List().SetFocus();
    SelectOnly("a.dxf");
    Command(ID_EDIT_CUT_ITEMS);
    const UINT kViews[] = {ID_VIEW_LARGE_ICONS, ID_VIEW_SMALL_ICONS, ID_VIEW_LIST_ITEMS, ID_VIEW_DETAILS_ITEMS,
                           ID_VIEW_THUMBNAILS};
    for (const UINT view : kViews) {
        Command(view);
        EXPECT_EQ(state("h.dxf"), static_cast<UINT>(LVIS_CUT)) << view;
        EXPECT_EQ(state("a.dxf"), static_cast<UINT>(LVIS_CUT)) << view;
        EXPECT_EQ(state("b.dxf"), 0u) << view;
        if (view != ID_VIEW_THUMBNAILS) {
            EXPECT_EQ(state("link.lnk"), static_cast<UINT>(INDEXTOOVERLAYMASK(2))) << view;
        }
    }
    // The thumbnail view: the dimmed cell differs from a plain one of the same kind.
    List().Invalidate();
    List().UpdateWindow();
    const auto centre = [&](const char* name) {
        const CRect icon = ItemRect(List().FindRowByName(name), LVIR_ICON);
        const HDC dc = ::GetDC(List().GetSafeHwnd());
        const COLORREF colour = ::GetPixel(dc, icon.left + List().GetCellWidth() / 2, icon.top + 8);
        ::ReleaseDC(List().GetSafeHwnd(), dc);
        return colour;
    };
    EXPECT_NE(centre("h.dxf"), centre("b.dxf"));
    EXPECT_EQ(centre("c.dxf"), centre("b.dxf"));

    // Another program's text on the clipboard: the cut file is plain again, the hidden one not.
    ASSERT_TRUE(OpenClipboard(m_frameWnd));
    EmptyClipboard();
    if (HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 3)) {
        memcpy(GlobalLock(text), "hi", 3);
        GlobalUnlock(text);
        SetClipboardData(CF_TEXT, text);
    }
    CloseClipboard();
    EXPECT_TRUE(WaitFor([&] { return state("a.dxf") == 0u; }, 3000));
    EXPECT_EQ(state("h.dxf"), static_cast<UINT>(LVIS_CUT));
    ASSERT_TRUE(OpenClipboard(m_frameWnd));
    EmptyClipboard();
    CloseClipboard();
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A pasted file takes its place in the sort order, in both directions, not the end of the list.
TEST_F(BrowseDisplayTest, APastedFileLandsInItsSortPlace)
{
    orvo::test::TempDir elsewhere;
    OpenFolder(4);
    Command(ID_VIEW_DETAILS_ITEMS);
    for (const UINT direction : {ID_SORT_FORWARD, ID_SORT_REVERSE}) {
        SCOPED_TRACE(direction);
        Command(ID_SORT_BY_NAME);
        Command(direction);
        const std::string name = direction == ID_SORT_FORWARD ? "bb.dxf" : "bc.dxf";
        const std::string source = elsewhere / name;
        ASSERT_TRUE(orvo::test::WriteFileBytes(source, kSmallDxf, sizeof(kSmallDxf) - 1));
        CStringList files;
        files.AddTail(source.c_str());
        ASSERT_TRUE(FileClipboard::Put(m_frameWnd, files, FileClipboard::Marker::Copy));
        List().SetFocus();
        Command(ID_EDIT_PASTE_ITEMS);
        ASSERT_TRUE(WaitFor([&] { return List().FindRowByName(name.c_str()) >= 0 && !List().IsRefreshPending(); }, 10000));
        Pump();
        std::vector<std::string> shown;
        for (int row = 0; row < List().GetItemCount(); ++row)
            shown.emplace_back(CFileName(List().GetRowPath(row)).GetFileNameExt().GetString());
        std::vector<std::string> sorted = shown;
        std::sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
            return lstrcmpiA(a.c_str(), b.c_str()) < 0;
        });
        if (direction == ID_SORT_REVERSE)
            std::reverse(sorted.begin(), sorted.end());
        EXPECT_EQ(shown, sorted);
    }
    ASSERT_TRUE(OpenClipboard(m_frameWnd));
    EmptyClipboard();
    CloseClipboard();
}

} // namespace
