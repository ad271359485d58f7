// The Options sheet answered through the modal seam: every page is visited, changed by the test
// and closed with OK or Cancel. A hidden window stands in for the main window and records the
// settings-changed messages.
#include "app/AssociationRequests.h"
#include "app/CAppState.h"
#include "app/CacheOptions.h"
#include "app/ExtensionAssociation.h"
#include "core/CAppOptions.h"
#include "frames/options/COption.h"
#include "frames/options/COptionAssociate.h"
#include "frames/options/COptionCache.h"
#include "frames/options/COptionThumbnail.h"
#include "framework/CPropertySheet.h"
#include "framework/CommonDialogs.h"
#include "framework/ModalSeam.h"
#include "framework/Prompt.h"
#include "render/cache/TDwgCache.h"
#include "render/cache/TLibIndexTree.h"
#include "render/workers/TDwgDrawThread.h"
#include "render/workers/TTaskManageThread.h"
#include "res/resource.h"
#include "core/NumberFormat.h"
#include "engine/rkui/RkUI.h"
#include "tests/core/RegistryRootScope.h"
#include "tests/render/CacheTestFiles.h"
#include "tests/support/HiddenWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using orvo::test::HiddenWindow;
using orvo::test::TempDir;
using cachetest::LibHeader;

enum PageIndex { kBrowse = 0, kDrawing = 1, kCache = 2, kThumbnail = 3, kAssociate = 4 };

using Message = std::pair<UINT, LPARAM>;
using PageScript = std::function<void(CPropertySheet&)>;

HWND PageWindow(CPropertySheet& sheet, int index)
{
    sheet.SetActivePage(index);
    return sheet.GetPage(index)->m_hWnd;
}

void Check(CPropertySheet& sheet, int page, int id, bool on)
{
    ::CheckDlgButton(PageWindow(sheet, page), id, on ? BST_CHECKED : BST_UNCHECKED);
}

// A click as the control reports it to its page.
void Notify(HWND page, int id, WORD code)
{
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
}

void Click(CPropertySheet& sheet, int page, int id)
{
    Notify(PageWindow(sheet, page), id, BN_CLICKED);
}

// Moves a slider as the user would and tells the page.
void Slide(CPropertySheet& sheet, int id, int position)
{
    HWND page = PageWindow(sheet, kThumbnail);
    HWND slider = ::GetDlgItem(page, id);
    ::SendMessageA(slider, TBM_SETPOS, TRUE, position);
    const UINT message = id == IDC_OPT_THUMB_HEIGHT_SLIDER ? WM_VSCROLL : WM_HSCROLL;
    ::SendMessageA(page, message, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(slider));
}

int Number(CPropertySheet& sheet, int id)
{
    return static_cast<int>(::GetDlgItemInt(PageWindow(sheet, kThumbnail), id, nullptr, FALSE));
}

class OptionsSheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_registry.SetString("Option\\LibIndex", "Path", m_cacheFolder.Path());
        LoadCacheOptions();
    }
    void TearDown() override
    {
        DeleteLibIndexTree();
        DeleteDwgCache();
    }

    // Runs the sheet; the script sees every page created (each visited once) and then the answer
    // closes the sheet.
    bool Run(const PageScript& script, INT_PTR answer = IDOK)
    {
        m_messages.clear();
        CModalHandlerScope scope([&](const ModalRequest& request) -> INT_PTR {
            if (request.kind != ModalKind::PropertySheet)
                return IDCANCEL;
            CPropertySheet& sheet = *static_cast<CPropertySheet*>(request.pWnd);
            for (int i = 0; i < sheet.GetPageCount(); ++i)
                sheet.SetActivePage(i);
            sheet.SetActivePage(0);
            if (script)
                script(sheet);
            return answer;
        });
        CPromptHandlerScope prompts([](const PromptRequest&) { return IDCANCEL; });
        return COption().DoOptions(m_options, m_receiver.Get());
    }

    RegistryRootScope m_registry;
    TempDir m_cacheFolder;
    CAppOptions m_options;
    std::vector<Message> m_messages;
    HiddenWindow m_receiver{[this](UINT message, WPARAM, LPARAM lParam) {
        if (message >= WM_OPTIONS_BROWSER_CHANGED && message <= WM_OPTIONS_DRAWING_CHANGED)
            m_messages.emplace_back(message, lParam);
    }};
};

TEST_F(OptionsSheetTest, OkWithoutChangeSendsNothingAndCancelAppliesNothing)
{
    EXPECT_TRUE(Run(nullptr));
    EXPECT_TRUE(m_messages.empty());

    const CAppOptions before = m_options;
    EXPECT_FALSE(Run([](CPropertySheet& sheet) {
                     Check(sheet, kBrowse, IDC_OPT_SHOW_TOOLBAR, false);
                     Slide(sheet, IDC_OPT_THUMB_WIDTH_SLIDER, 200);
                 },
                 IDCANCEL));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(before.ShowToolBar, m_options.ShowToolBar);
    EXPECT_EQ(before.ThumbWidth, m_options.ThumbWidth);
}

// One change per case, the messages that must follow, and the record afterwards.
struct MessageCase
{
    const char* name;
    PageScript change;
    std::vector<Message> expected;
    std::function<bool(const CAppOptions&)> stored;
};

TEST_F(OptionsSheetTest, EachChangedPageSendsItsMessageInOrder)
{
    const MessageCase cases[] = {
        {"tool bar", [](CPropertySheet& s) { Check(s, kBrowse, IDC_OPT_SHOW_TOOLBAR, false); },
         {{WM_OPTIONS_BROWSER_CHANGED, 0}}, [](const CAppOptions& o) { return !o.ShowToolBar; }},
        {"drawings only", [](CPropertySheet& s) { Check(s, kBrowse, IDC_OPT_ONLY_DRAWINGS, true); },
         {{WM_OPTIONS_BROWSER_CHANGED, 1}}, [](const CAppOptions& o) { return o.OnlyShowDrawing; }},
        {"sort by date reverse",
         [](CPropertySheet& s) {
             Check(s, kBrowse, IDC_OPT_SORT_NAME, false);
             Check(s, kBrowse, IDC_OPT_SORT_DATE, true);
             Check(s, kBrowse, IDC_OPT_SORT_FORWARD, false);
             Check(s, kBrowse, IDC_OPT_SORT_REVERSE, true);
         },
         {{WM_OPTIONS_BROWSER_CHANGED, 0}}, [](const CAppOptions& o) { return o.SortType == 3 && !o.SortDir; }},
        {"thumbnail width", [](CPropertySheet& s) { Slide(s, IDC_OPT_THUMB_WIDTH_SLIDER, 200); },
         {{WM_OPTIONS_THUMBNAIL_CHANGED, 0}}, [](const CAppOptions& o) { return o.ThumbWidth == 200; }},
        {"cache read first off", [](CPropertySheet& s) { Check(s, kCache, IDC_OPT_CACHE_READ_FIRST, false); },
         {{WM_OPTIONS_CACHE_CHANGED, 0}}, [](const CAppOptions&) { return !GetLibReadFromBrowserFolderFirst(); }},
        {"no fill alone is stored but not announced",
         [](CPropertySheet& s) { Check(s, kDrawing, IDC_OPT_DRAW_NOFILL, true); }, {},
         [](const CAppOptions& o) { return o.FillOn == 0; }},
        {"update immediately without change",
         [](CPropertySheet& s) { Check(s, kDrawing, IDC_OPT_DRAW_UPDATE_NOW, true); },
         {{WM_OPTIONS_DRAWING_CHANGED, 0}}, [](const CAppOptions& o) { return o.FillOn == 1; }},
        {"every page",
         [](CPropertySheet& s) {
             Check(s, kDrawing, IDC_OPT_DRAW_UPDATE_NOW, true);
             Check(s, kCache, IDC_OPT_CACHE_READ_FIRST, false);
             Slide(s, IDC_OPT_THUMB_BORDER_SLIDER, 8);
             Check(s, kBrowse, IDC_OPT_ONLY_DRAWINGS, true);
         },
         {{WM_OPTIONS_BROWSER_CHANGED, 1}, {WM_OPTIONS_THUMBNAIL_CHANGED, 0}, {WM_OPTIONS_CACHE_CHANGED, 0},
          {WM_OPTIONS_DRAWING_CHANGED, 0}},
         [](const CAppOptions& o) { return o.ThumbBorder == 8 && o.OnlyShowDrawing; }},
    };
    for (const MessageCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_options = CAppOptions();
        SetLibReadFromBrowserFolderFirst(true);
        ASSERT_TRUE(Run(c.change));
        EXPECT_EQ(c.expected, m_messages);
        EXPECT_TRUE(c.stored(m_options));
    }
}

TEST_F(OptionsSheetTest, OkSavesTheRecordToTheRegistry)
{
    ASSERT_TRUE(Run([](CPropertySheet& s) {
        Check(s, kBrowse, IDC_OPT_SHOW_STATUS, false);
        Slide(s, IDC_OPT_THUMB_WIDTH_SLIDER, 120);
    }));
    CAppOptions loaded;
    loaded.Load();
    EXPECT_FALSE(loaded.ShowStatus);
    EXPECT_EQ(m_options.ThumbWidth, loaded.ThumbWidth);
}

// Out-of-range record values are shown and stored clamped.
struct SizeCase
{
    int width, height, border;
    int shownWidth, shownHeight, shownBorder;
};

TEST_F(OptionsSheetTest, ThumbnailPageClampsTheRecordsSizes)
{
    const SizeCase cases[] = {
        {170, 130, 5, 170, 130, 0},  {500, 30, 99, 250, 80, 10}, {-4, 100000, -1, 80, 250, 0},
        {80, 250, 6, 80, 250, 6},    {251, 79, 11, 250, 80, 10},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.width);
        m_options = CAppOptions();
        m_options.ThumbWidth = c.width;
        m_options.ThumbHeight = c.height;
        m_options.ThumbBorder = c.border;
        int shown[3] = {};
        ASSERT_TRUE(Run([&](CPropertySheet& s) {
            shown[0] = Number(s, IDC_OPT_THUMB_WIDTH);
            shown[1] = Number(s, IDC_OPT_THUMB_HEIGHT);
            shown[2] = Number(s, IDC_OPT_THUMB_BORDER);
        }));
        EXPECT_EQ(c.shownWidth, shown[0]);
        EXPECT_EQ(c.shownHeight, shown[1]);
        EXPECT_EQ(c.shownBorder, shown[2]);
        EXPECT_EQ(c.shownWidth, m_options.ThumbWidth);
        EXPECT_EQ(c.shownHeight, m_options.ThumbHeight);
        EXPECT_EQ(c.shownBorder == 0 ? 5 : c.shownBorder, m_options.ThumbBorder);
        const bool clamped = c.width != c.shownWidth || c.height != c.shownHeight ||
                             c.border != m_options.ThumbBorder;
        EXPECT_EQ(clamped, !m_messages.empty());
    }
}

TEST_F(OptionsSheetTest, ConstrainedWidthMovesTheHeightAndDefaultRestoresTheSize)
{
    int heightAt250 = 0;
    int widthAfterDefault = 0;
    int heightAfterDefault = 0;
    ASSERT_TRUE(Run([&](CPropertySheet& s) {
        Slide(s, IDC_OPT_THUMB_WIDTH_SLIDER, 250);
        heightAt250 = Number(s, IDC_OPT_THUMB_HEIGHT);
        Click(s, kThumbnail, IDC_OPT_THUMB_DEFAULT);
        widthAfterDefault = Number(s, IDC_OPT_THUMB_WIDTH);
        heightAfterDefault = Number(s, IDC_OPT_THUMB_HEIGHT);
        // A small height held to the ratio would give a width below the range.
        Slide(s, IDC_OPT_THUMB_HEIGHT_SLIDER, 80);
    }));
    EXPECT_EQ(191, heightAt250);
    EXPECT_EQ(170, widthAfterDefault);
    EXPECT_EQ(130, heightAfterDefault);
    EXPECT_EQ(104, m_options.ThumbWidth);
    EXPECT_EQ(80, m_options.ThumbHeight);
    EXPECT_EQ(COptionThumbnail::kMaxSize, COptionThumbnail::HeightForWidth(250, 0.5));
    EXPECT_EQ(COptionThumbnail::kMinSize, COptionThumbnail::WidthForHeight(80, 0.2));
}

TEST_F(OptionsSheetTest, SystemColorKeepsTheStoredColours)
{
    m_options.SystemColor = true;
    m_options.ThumbnailColor = RGB(1, 2, 3);
    ASSERT_TRUE(Run([](CPropertySheet& s) {
        // Clicking a swatch does nothing while the system colours are used.
        Notify(PageWindow(s, kThumbnail), IDC_OPT_THUMB_COLOR, STN_CLICKED);
    }));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(RGB(1, 2, 3), m_options.ThumbnailColor);
}

TEST_F(OptionsSheetTest, ChosenOwnColoursAreStoredAndDerived)
{
    m_options.SystemColor = false;
    m_options.ThumbnailColor = RGB(0x40, 0x40, 0x40);
    int colourDialogs = 0;
    CModalHandlerScope scope([&](const ModalRequest& request) -> INT_PTR {
        if (request.kind == ModalKind::CommonDialog) {
            ++colourDialogs;
            static_cast<CColorDialog*>(request.pCommonDialog)->SetCurrentColor(RGB(0xF0, 0x20, 0x10));
            return IDOK;
        }
        CPropertySheet& sheet = *static_cast<CPropertySheet*>(request.pWnd);
        Notify(PageWindow(sheet, kThumbnail), IDC_OPT_THUMB_COLOR, STN_CLICKED);
        return IDOK;
    });
    ASSERT_TRUE(COption().DoOptions(m_options, m_receiver.Get()));
    EXPECT_EQ(1, colourDialogs);
    EXPECT_EQ(RGB(0xF0, 0x20, 0x10), m_options.ThumbnailColor);
    EXPECT_EQ(RGB(0xFF, 0x66, 0x56), m_options.ThumbLightColor);
    EXPECT_EQ(RGB(0xAA, 0x00, 0x00), m_options.ThumbDarkColor);
}

TEST(OptionsSampleTest, SampleDrawsTheCellCentredInEitherStyle)
{
    const COLORREF background = RGB(0x80, 0x80, 0x80);
    const COLORREF thumbnail = RGB(0xC0, 0x80, 0x40);
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 250, 250);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    COptionThumbnail::DrawSample(dc, 170, 130, 5, background, thumbnail);
    EXPECT_EQ(background, ::GetPixel(dc, 2, 2));
    EXPECT_EQ(thumbnail, ::GetPixel(dc, 125, 125));
    EXPECT_EQ(background, ::GetPixel(dc, 125, 58)) << "the cell starts at (250-130)/2 = 60";
    COptionThumbnail::DrawSample(dc, 170, 130, 10, background, thumbnail);
    EXPECT_EQ(::GetSysColor(COLOR_BTNSHADOW), ::GetPixel(dc, 125, 125));
    EXPECT_EQ(thumbnail, ::GetPixel(dc, 125, 60 + 5)) << "inside the border";
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

TEST_F(OptionsSheetTest, BrowserDefaultLeavesDrawingsOnlyAndTurnsDrawingPreviewsOff)
{
    m_options.ShowToolBar = false;
    m_options.ReadBitmapFromDwg = true;
    m_options.OnlyShowDrawing = true;
    m_options.SortType = 2;
    ASSERT_TRUE(Run([](CPropertySheet& s) { Click(s, kBrowse, IDC_OPT_BROWSE_DEFAULT); }));
    EXPECT_TRUE(m_options.ShowToolBar);
    EXPECT_FALSE(m_options.ReadBitmapFromDwg);
    EXPECT_TRUE(m_options.OnlyShowDrawing);
    EXPECT_EQ(0, m_options.SortType);
    EXPECT_EQ((std::vector<Message>{{WM_OPTIONS_BROWSER_CHANGED, 0}}), m_messages);
}

TEST_F(OptionsSheetTest, DisabledCacheDisablesReadFirstWhateverRadio)
{
    bool readFirstEnabled = true;
    bool folderEnabled = true;
    ASSERT_TRUE(Run([&](CPropertySheet& s) {
        Click(s, kCache, IDC_OPT_CACHE_DEFAULT);
        Check(s, kCache, IDC_OPT_CACHE_SAVE_BROWSED, false);
        Check(s, kCache, IDC_OPT_CACHE_SAVE_SPECIFIED, true);
        Check(s, kCache, IDC_OPT_CACHE_ENABLED, false);
        Click(s, kCache, IDC_OPT_CACHE_ENABLED);
        HWND page = PageWindow(s, kCache);
        readFirstEnabled = ::IsWindowEnabled(::GetDlgItem(page, IDC_OPT_CACHE_READ_FIRST)) != FALSE;
        folderEnabled = ::IsWindowEnabled(::GetDlgItem(page, IDC_OPT_CACHE_FOLDER)) != FALSE;
    }));
    EXPECT_FALSE(readFirstEnabled);
    EXPECT_FALSE(folderEnabled);
    EXPECT_FALSE(IsImageCacheEnabled());
}

TEST_F(OptionsSheetTest, MissingCacheFolderThatCannotBeMadeDoesNotTrapTheUser)
{
    // A folder below a file cannot be made: the user is told, stays on the page, and can still
    // cancel the sheet.
    const std::string file = m_cacheFolder / "plain.txt";
    ASSERT_TRUE(orvo::test::WriteFileBytes(file, "x", 1));
    std::vector<std::string> prompts;
    CPromptHandlerScope answers([&](const PromptRequest& request) {
        prompts.push_back(static_cast<LPCSTR>(request.strText));
        return IDOK;
    });
    int activeAfter = -1;
    CModalHandlerScope scope([&](const ModalRequest& request) -> INT_PTR {
        CPropertySheet& sheet = *static_cast<CPropertySheet*>(request.pWnd);
        HWND page = PageWindow(sheet, kCache);
        ::SetDlgItemTextA(page, IDC_OPT_CACHE_FOLDER, (file + "\\cache").c_str());
        sheet.SetActivePage(kBrowse);
        activeAfter = sheet.GetActiveIndex();
        return IDCANCEL;
    });
    EXPECT_FALSE(COption().DoOptions(m_options, m_receiver.Get()));
    EXPECT_EQ(kCache, activeAfter);
    ASSERT_EQ(2u, prompts.size());
    EXPECT_NE(std::string::npos, prompts[0].find("The directory doesn't exist.Create it?"));
    EXPECT_EQ("Cann't create the directory!", prompts[1]);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(OptionsSheetTest, DisablingTheCacheLetsTheUserLeaveABadFolder)
{
    int prompts = 0;
    CPromptHandlerScope answers([&](const PromptRequest&) { return ++prompts, IDCANCEL; });
    int activeAfter = -1;
    CModalHandlerScope scope([&](const ModalRequest& request) -> INT_PTR {
        CPropertySheet& sheet = *static_cast<CPropertySheet*>(request.pWnd);
        HWND page = PageWindow(sheet, kCache);
        ::SetDlgItemTextA(page, IDC_OPT_CACHE_FOLDER, "Q:\\no such drive\\cache");
        ::CheckDlgButton(page, IDC_OPT_CACHE_ENABLED, BST_UNCHECKED);
        sheet.SetActivePage(kBrowse);
        activeAfter = sheet.GetActiveIndex();
        return IDOK;
    });
    EXPECT_TRUE(COption().DoOptions(m_options, m_receiver.Get()));
    EXPECT_EQ(kBrowse, activeAfter);
    EXPECT_EQ(0, prompts);
    EXPECT_FALSE(IsImageCacheEnabled());
    EXPECT_EQ((std::vector<Message>{{WM_OPTIONS_CACHE_CHANGED, 0}}), m_messages);
}

TEST_F(OptionsSheetTest, CacheCleanUpRemovesGoneFoldersLibrariesOnlyInsideTheCacheFolder)
{
    TempDir outside;
    TempDir browsed;
    const std::string outsideLib = outside / "OrvoKestalLib000009.opslib";
    ASSERT_TRUE(orvo::test::WriteFileBytes(outsideLib, "keep", 4));
    const std::string kept = m_cacheFolder / "OrvoKestalLib000000.opslib";
    const std::string gone = m_cacheFolder / "OrvoKestalLib000001.opslib";
    const std::string damaged = m_cacheFolder / "OrvoKestalLib000002.opslib";
    const std::string keptBytes = LibHeader(browsed.Path() + "\\", 11, 96, 72);
    const std::string goneBytes = LibHeader(outside / "gone\\", 11, 96, 72);
    ASSERT_TRUE(orvo::test::WriteFileBytes(kept, keptBytes.data(), keptBytes.size()));
    ASSERT_TRUE(orvo::test::WriteFileBytes(gone, goneBytes.data(), goneBytes.size()));
    ASSERT_TRUE(orvo::test::WriteFileBytes(damaged, "damaged", 7));
    TLibIndexTree* index = GetLibIndexTree();
    ASSERT_NE(nullptr, index);
    // A damaged index entry naming a file elsewhere.
    index->AddFolder((outside / "also gone").c_str(), outsideLib.c_str());

    std::vector<std::string> prompts;
    CPromptHandlerScope answers([&](const PromptRequest& request) {
        prompts.push_back(static_cast<LPCSTR>(request.strText));
        return IDOK;
    });
    CModalHandlerScope scope([](const ModalRequest& request) -> INT_PTR {
        Click(*static_cast<CPropertySheet*>(request.pWnd), kCache, IDC_OPT_CACHE_DELETE_INVALID);
        return IDCANCEL;
    });
    EXPECT_FALSE(COption().DoOptions(m_options, m_receiver.Get()));
    EXPECT_TRUE(PathFileExistsA(outsideLib.c_str())) << "a file outside the cache folder survives";
    EXPECT_TRUE(PathFileExistsA(kept.c_str())) << "its folder still exists";
    EXPECT_FALSE(PathFileExistsA(gone.c_str()));
    EXPECT_FALSE(PathFileExistsA(damaged.c_str()));
    CString size;
    FormatFileSize(static_cast<LONGLONG>(goneBytes.size()), size);
    ASSERT_EQ(1u, prompts.size());
    const std::string tail = std::string("Delete invalid cache data : ") + static_cast<LPCSTR>(size);
    EXPECT_EQ(tail, prompts[0].substr(prompts[0].size() - std::min(prompts[0].size(), tail.size())));
    EXPECT_EQ(0u, COptionCache::DeleteInvalidCacheData()) << "nothing left to remove";
}

// The record's values appear on the pages as they are stored.
TEST_F(OptionsSheetTest, PagesShowTheRecord)
{
    struct Box
    {
        int page;
        int id;
        bool CAppOptions::*field;
        bool inverted;
    };
    const Box boxes[] = {
        {kBrowse, IDC_OPT_SHOW_PATHBOX, &CAppOptions::ShowPathBox, false},
        {kBrowse, IDC_OPT_SHOW_TOOLBAR, &CAppOptions::ShowToolBar, false},
        {kBrowse, IDC_OPT_SHOW_STATUS, &CAppOptions::ShowStatus, false},
        {kBrowse, IDC_OPT_SHOW_FULLPATH, &CAppOptions::ShowFullPath, false},
        {kBrowse, IDC_OPT_SHOW_NONE_DRAWING, &CAppOptions::ShowNoneDrawingFile, false},
        {kBrowse, IDC_OPT_READ_DWG_PREVIEW, &CAppOptions::ReadBitmapFromDwg, false},
        {kBrowse, IDC_OPT_READ_JPEG_PREVIEW, &CAppOptions::ReadBitmapFromRaster, false},
        {kBrowse, IDC_OPT_START_PREVIOUS, &CAppOptions::StartPreviousFolder, false},
        {kBrowse, IDC_OPT_DBLCLICK_OPEN, &CAppOptions::DBClickOpenByOrvoKestal, false},
        {kBrowse, IDC_OPT_ONLY_DRAWINGS, &CAppOptions::OnlyShowDrawing, false},
        {kBrowse, IDC_OPT_SORT_FORWARD, &CAppOptions::SortDir, false},
        {kBrowse, IDC_OPT_SORT_REVERSE, &CAppOptions::SortDir, true},
        {kDrawing, IDC_OPT_DRAW_ZOOM_THUMB, &CAppOptions::ZoomExtend, false},
        {kDrawing, IDC_OPT_DRAW_ZOOM_OPEN, &CAppOptions::PreviewZoomExtend, false},
        {kThumbnail, IDC_OPT_THUMB_CONSTRAIN, &CAppOptions::ConstrainProportion, false},
        {kThumbnail, IDC_OPT_THUMB_SYSCOLOR, &CAppOptions::SystemColor, false},
    };
    for (const bool value : {false, true}) {
        SCOPED_TRACE(value);
        m_options = CAppOptions();
        for (const Box& box : boxes)
            m_options.*box.field = value;
        m_options.FillOn = value ? 0 : 1;
        m_options.SortType = value ? 1 : 2;
        std::vector<bool> shown;
        bool noFill = false;
        bool sortRadio = false;
        ASSERT_TRUE(Run([&](CPropertySheet& s) {
            for (const Box& box : boxes)
                shown.push_back(::IsDlgButtonChecked(PageWindow(s, box.page), box.id) == BST_CHECKED);
            noFill = ::IsDlgButtonChecked(PageWindow(s, kDrawing), IDC_OPT_DRAW_NOFILL) == BST_CHECKED;
            sortRadio = ::IsDlgButtonChecked(PageWindow(s, kBrowse), value ? IDC_OPT_SORT_SIZE : IDC_OPT_SORT_TYPE) ==
                        BST_CHECKED;
        }));
        for (size_t i = 0; i < shown.size(); ++i)
            EXPECT_EQ(value != boxes[i].inverted, shown[i]) << boxes[i].id;
        EXPECT_EQ(value, noFill);
        EXPECT_TRUE(sortRadio);
        EXPECT_TRUE(m_messages.empty()) << "read back unchanged";
    }
}

TEST_F(OptionsSheetTest, DrawingBackgroundColourChosenThroughTheEnginesDialog)
{
    SetColorPickerForTests([](COLORREF) -> COLORREF { return RGB(255, 0, 0); });
    std::string name;
    ASSERT_TRUE(Run([&](CPropertySheet& s) {
        Click(s, kDrawing, IDC_OPT_DRAW_BACKCOLOR);
        char text[64] = {};
        ::GetDlgItemTextA(PageWindow(s, kDrawing), IDC_OPT_DRAW_COLOR_NAME, text, sizeof(text));
        name = text;
    }));
    SetColorPickerForTests(nullptr);
    EXPECT_EQ("red", name);
    EXPECT_EQ(1, m_options.BackGroundColor & 0xFFFF);
    EXPECT_TRUE(m_messages.empty()) << "stored, but the views were not asked to update";
}

// The drawing thread copies the colours for its own fills: after OK it has the new ones, not the
// ones of the program's start.
TEST_F(OptionsSheetTest, DrawingThreadTakesTheNewColoursAfterOk)
{
    g_appState.drawThread = std::make_unique<TDwgDrawThread>();
    m_options.SystemColor = false;
    m_options.ListCtrlColor = RGB(0x80, 0x80, 0x80);
    SetColorPickerForTests([](COLORREF) -> COLORREF { return RGB(255, 0, 0); });
    CModalHandlerScope scope([&](const ModalRequest& request) -> INT_PTR {
        if (request.kind == ModalKind::CommonDialog) {
            static_cast<CColorDialog*>(request.pCommonDialog)->SetCurrentColor(RGB(0x10, 0x60, 0x20));
            return IDOK;
        }
        CPropertySheet& sheet = *static_cast<CPropertySheet*>(request.pWnd);
        Notify(PageWindow(sheet, kThumbnail), IDC_OPT_THUMB_BACKCOLOR, STN_CLICKED);
        Click(sheet, kDrawing, IDC_OPT_DRAW_BACKCOLOR);
        return IDOK;
    });
    const bool done = COption().DoOptions(m_options, m_receiver.Get());
    SetColorPickerForTests(nullptr);
    const TDwgDrawThread::DisplaySettings settings = g_appState.drawThread->GetDisplaySettings();
    g_appState.drawThread.reset();
    ASSERT_TRUE(done);
    EXPECT_EQ(settings.listColor, RGB(0x10, 0x60, 0x20));
    EXPECT_EQ(settings.backgroundColorIndex, 1);
}

// The elevated association tool built beside the test, run to its end (bounded).
bool RunTool(const char* file, const char* parameters)
{
    std::string command = "\"" + std::string(file) + "\" " + parameters;
    STARTUPINFOA startup = {sizeof(startup)};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(process.hProcess, 99);
    DWORD exitCode = 99;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return ended && exitCode == 0;
}

// The association page on private extensions, applied through the real elevated tool as on
// current Windows (started directly instead of through the elevation prompt).
class AssociatePageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RemoveKeys();
        AssociationEnvironment environment;
        environment.windowsMajorVersion = [] { return DWORD(10); };
        environment.requestFolder = (m_requests / "requests").c_str();
        environment.launchElevated = [this](const char* file, const char* parameters) {
            ++m_launches;
            return RunTool(file, parameters);
        };
        SetAssociationEnvironment(environment);
    }
    void TearDown() override
    {
        RemoveKeys();
        SetAssociationEnvironment({});
    }
    void RemoveKeys() const
    {
        for (const std::string& key : {dwg, dxf, std::string("OrvoKestal.DWG"), std::string("OrvoKestal.DXF"), other})
            SHDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
    }
    // Runs a sheet with only the page; script changes it, the answer is OK. Returns the boxes
    // as the page opened.
    std::pair<bool, bool> Run(const std::function<void(HWND)>& script)
    {
        COptionAssociate page(dwg.c_str(), dxf.c_str());
        CPropertySheet sheet("Options");
        sheet.AddPage(&page);
        std::pair<bool, bool> opened;
        CModalHandlerScope scope([&](const ModalRequest&) -> INT_PTR {
            opened = {::IsDlgButtonChecked(page.m_hWnd, IDC_OPT_ASSOC_DWG) == BST_CHECKED,
                      ::IsDlgButtonChecked(page.m_hWnd, IDC_OPT_ASSOC_DXF) == BST_CHECKED};
            script(page.m_hWnd);
            return IDOK;
        });
        EXPECT_EQ(IDOK, sheet.DoModal());
        return opened;
    }
    static void Press(HWND page, int id) { Notify(page, id, BN_CLICKED); }
    static std::string Default(const std::string& key)
    {
        char buffer[1024] = {};
        DWORD size = sizeof(buffer) - 1;
        if (SHGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, nullptr, buffer, &size) != ERROR_SUCCESS)
            return "<none>";
        return buffer;
    }

    TempDir m_requests;
    int m_launches = 0;
    const std::string dwg = ".orvoopt" + std::to_string(GetCurrentProcessId()) + "a";
    const std::string dxf = ".orvoopt" + std::to_string(GetCurrentProcessId()) + "b";
    const std::string other = "OrvoOptOther" + std::to_string(GetCurrentProcessId());
};

TEST_F(AssociatePageTest, SetThenRemoveThroughThePage)
{
    EXPECT_EQ(std::make_pair(false, false), Run([](HWND page) { Press(page, IDC_OPT_ASSOC_SELECT_ALL); }));
    EXPECT_EQ("OrvoKestal.DWG", Default(dwg));
    EXPECT_EQ("OrvoKestal.DXF", Default(dxf));
    CString command = Default("OrvoKestal.DWG\\shell\\open\\command").c_str();
    command.MakeLower();
    EXPECT_GE(command.Find(COptionAssociate::ProgramPathLower()), 0) << "the command names this program";

    EXPECT_EQ(std::make_pair(true, true), Run([](HWND page) { Press(page, IDC_OPT_ASSOC_INVERT); }));
    EXPECT_EQ("<none>", Default(dwg));
    EXPECT_EQ("<none>", Default(dxf));
    EXPECT_EQ(2, m_launches);
}

TEST_F(AssociatePageTest, AnotherProgramsAssociationIsLeftAlone)
{
    SHSetValueA(HKEY_CLASSES_ROOT, dwg.c_str(), nullptr, REG_SZ, other.c_str(), static_cast<DWORD>(other.size() + 1));
    const std::string command = "\"C:\\Other\\other.exe\" \"%1\"";
    SHSetValueA(HKEY_CLASSES_ROOT, (other + "\\shell\\open\\command").c_str(), nullptr, REG_SZ, command.c_str(),
                static_cast<DWORD>(command.size() + 1));
    // Checking .dxf and unchecking .dwg (already unchecked: another program's) touches only .dxf.
    EXPECT_EQ(std::make_pair(false, false), Run([](HWND page) {
                  ::CheckDlgButton(page, IDC_OPT_ASSOC_DXF, BST_CHECKED);
              }));
    EXPECT_EQ(other, Default(dwg));
    EXPECT_EQ("OrvoKestal.DXF", Default(dxf));
}

TEST_F(AssociatePageTest, OkWithoutChangeRequestsNothing)
{
    Run([](HWND page) {
        Press(page, IDC_OPT_ASSOC_INVERT);
        Press(page, IDC_OPT_ASSOC_INVERT);
    });
    EXPECT_EQ(0, m_launches);
    EXPECT_EQ("<none>", Default(dwg));
    EXPECT_EQ("<none>", Default(dxf));
}

TEST_F(OptionsSheetTest, OptionsCommandHoldsTheModalFlagWhileTheSheetIsUp)
{
    g_appState.mode.store(CAppState::kModeView);
    bool flagWhileUp = false;
    {
        CModalHandlerScope scope([&](const ModalRequest&) -> INT_PTR {
            flagWhileUp = g_appState.modalDialogOpen;
            return IDCANCEL;
        });
        RunOptionsCommand();
    }
    g_appState.mode.store(CAppState::kModeNone);
    EXPECT_TRUE(flagWhileUp);
    EXPECT_FALSE(g_appState.modalDialogOpen);
}

TEST_F(OptionsSheetTest, ThumbnailThreadGetsTheChangedSettings)
{
    g_appState.taskThread = std::make_unique<TTaskManageThread>();
    COption option;
    {
        CModalHandlerScope scope([](const ModalRequest& request) -> INT_PTR {
            CPropertySheet& sheet = *static_cast<CPropertySheet*>(request.pWnd);
            Check(sheet, kBrowse, IDC_OPT_READ_DWG_PREVIEW, false);
            Check(sheet, kDrawing, IDC_OPT_DRAW_ZOOM_THUMB, false);
            return IDOK;
        });
        ASSERT_TRUE(option.DoOptions(m_options, m_receiver.Get()));
    }
    const TTaskManageThread::ThumbnailSettings settings = g_appState.taskThread->GetSettings();
    g_appState.taskThread.reset();
    EXPECT_FALSE(settings.readStoredPreview);
    EXPECT_FALSE(settings.zoomExtents);
    EXPECT_TRUE(settings.readExifThumbnail);
}

// Not a check: with ORVO_OPTIONS_SHOTS naming a folder, each page is shown in turn and the test
// waits (bounded) for an outside screenshot tool to answer "page<N>.ready" with "page<N>.done".
TEST_F(OptionsSheetTest, ShowEachPageForScreenshots)
{
    const char* folder = std::getenv("ORVO_OPTIONS_SHOTS");
    if (folder == nullptr || *folder == 0)
        GTEST_SKIP() << "ORVO_OPTIONS_SHOTS is not set";
    const std::string dir = folder;
    m_options.SystemColor = false;
    CModalHandlerScope scope([&](const ModalRequest& request) -> INT_PTR {
        CPropertySheet& sheet = *static_cast<CPropertySheet*>(request.pWnd);
        for (int i = 0; i < sheet.GetPageCount(); ++i) {
            sheet.SetActivePage(i);
            orvo::test::WaitFor([] { return false; }, 300);
            const std::string stem = dir + "\\page" + std::to_string(i);
            orvo::test::WriteFileBytes(stem + ".ready", "1", 1);
            orvo::test::WaitFor([&] { return PathFileExistsA((stem + ".done").c_str()) != FALSE; }, 20000);
        }
        return IDCANCEL;
    });
    EXPECT_FALSE(COption().DoOptions(m_options, m_receiver.Get()));
}

} // namespace
