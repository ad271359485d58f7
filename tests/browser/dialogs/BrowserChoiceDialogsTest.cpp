// The key list, the browser-mode chooser and the bookmark editor, each answered by a script.
#include "browser/dialogs/AcceleratorKeys.h"
#include "browser/dialogs/CAcceleratorDlg.h"
#include "browser/dialogs/CBrowseViewType.h"
#include "browser/dialogs/CEditPathBoxDlg.h"
#include "browser/dialogs/InfoList.h"
#include "res/resource.h"
#include "tests/browser/dialogs/DialogScript.h"
#include "tests/support/HiddenWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <string>
#include <vector>

using orvo::test::ClickButton;
using orvo::test::DialogScript;
using orvo::test::IsControlEnabled;
using orvo::test::TempDir;

namespace {

std::string CellText(HWND list, int row, int column)
{
    char text[256] = {};
    ListView_GetItemText(list, row, column, text, sizeof text);
    return text;
}

} // namespace

TEST(AcceleratorKeys, TheListHoldsTheThreeBlocksInOrder)
{
    const std::vector<AcceleratorRow>& rows = AcceleratorRows();
    ASSERT_EQ(rows.size(), 65u);
    for (int title : {0, 17, 36}) {
        EXPECT_EQ(rows[title].keys, nullptr) << title;
        EXPECT_EQ(rows[title].function, nullptr) << title;
    }
    EXPECT_STREQ(rows[0].window, "Browse window");
    EXPECT_STREQ(rows[17].window, "Preview window");
    EXPECT_STREQ(rows[36].window, "View window");
    for (int i = 1; i < 17; ++i)
        EXPECT_STREQ(rows[i].window, "") << i;
    for (int i : {18, 35, 37, 64})
        EXPECT_STREQ(rows[i].window, " ") << i;
}

TEST(AcceleratorKeys, TheDialogShowsEveryRowAndSizesTheListWithItself)
{
    std::vector<std::string> cells;
    int count = 0;
    RECT listRect = {};
    RECT client = {};
    int widths[3] = {};
    DialogScript script({[&](HWND dialog) {
        HWND list = ::GetDlgItem(dialog, IDC_ACCEL_LIST);
        count = ListView_GetItemCount(list);
        for (int row : {0, 1, 17, 18, 63, 64})
            for (int column = 0; column < 3; ++column)
                cells.push_back(CellText(list, row, column));
        for (int column = 0; column < 3; ++column)
            widths[column] = ListView_GetColumnWidth(list, column);
        ::SetWindowPos(dialog, nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER);
        ::GetClientRect(dialog, &client);
        ::GetWindowRect(list, &listRect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&listRect), 2);
        return static_cast<INT_PTR>(IDOK);
    }});
    EXPECT_EQ(ShowAcceleratorKeys(nullptr), IDOK);
    EXPECT_EQ(count, 65);
    const std::vector<std::string> expected = {
        "Browse window", "", "",
        "", "F8", "Show drawing files using thumbnail icon",
        "Preview window", "", "",
        " ", "Ctrl+1 or 1", "Show actural size of raster image",
        " ", "T", "Pring drawing file",
        " ", "F6", "Get Exif information from JPEG file",
    };
    EXPECT_EQ(cells, expected);
    EXPECT_EQ(widths[0], 115);
    EXPECT_EQ(widths[1], 120);
    EXPECT_EQ(widths[2], 500);
    EXPECT_EQ(listRect.left, 8);
    EXPECT_EQ(listRect.top, 8);
    EXPECT_EQ(listRect.right, client.right - 8);
    EXPECT_EQ(listRect.bottom, client.bottom - 8);
}

namespace {

HWND Swatch(HWND dialog, int mode)
{
    return ::GetDlgItem(dialog, IDC_VIEWTYPE_1 + mode - 1);
}

} // namespace

TEST(BrowserModeDialog, OkWithoutAClickChoosesTheFirstMode)
{
    int pictureWidth = 0;
    DialogScript script({[&](HWND dialog) {
        auto* chooser = static_cast<CBrowseViewType*>(CWnd::FromHandlePermanent(dialog));
        for (int i = 0; i < CBrowseViewType::kModeCount; ++i)
            EXPECT_GT(chooser->m_swatches[i].GetPicture().GetWidth(), 0) << i;
        pictureWidth = chooser->m_swatches[5].GetPicture().GetWidth();
        return static_cast<INT_PTR>(IDOK);
    }});
    EXPECT_EQ(ChooseBrowserMode(nullptr), 1);
    EXPECT_EQ(pictureWidth, 100);
}

TEST(BrowserModeDialog, AClickChoosesAModeAndCancelYieldsNone)
{
    DialogScript chosen({[](HWND dialog) {
        ::SendMessageA(Swatch(dialog, 4), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::SendMessageA(Swatch(dialog, 4), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        return static_cast<INT_PTR>(IDOK);
    }});
    EXPECT_EQ(ChooseBrowserMode(nullptr), 4);

    DialogScript cancelled({[](HWND dialog) {
        ::SendMessageA(Swatch(dialog, 2), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        return static_cast<INT_PTR>(IDCANCEL);
    }});
    EXPECT_EQ(ChooseBrowserMode(nullptr), 0);
}

TEST(BrowserModeDialog, ADoubleClickActsAsOk)
{
    bool closedByTheClick = false;
    DialogScript script({[&](HWND dialog) {
        ::SendMessageA(Swatch(dialog, 6), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::SendMessageA(Swatch(dialog, 6), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
        auto* chooser = static_cast<CBrowseViewType*>(CWnd::FromHandlePermanent(dialog));
        closedByTheClick = chooser->m_nMode == 6;
        return static_cast<INT_PTR>(IDOK);
    }});
    EXPECT_EQ(ChooseBrowserMode(nullptr), 6);
    EXPECT_TRUE(closedByTheClick);
}

namespace {

std::vector<std::string> ListBoxTexts(HWND dialog)
{
    HWND list = ::GetDlgItem(dialog, IDC_PATHBOX_LIST);
    std::vector<std::string> texts;
    const int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[MAX_PATH] = {};
        ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        texts.emplace_back(text);
    }
    return texts;
}

int Selection(HWND dialog)
{
    return static_cast<int>(::SendDlgItemMessageA(dialog, IDC_PATHBOX_LIST, LB_GETCURSEL, 0, 0));
}

// Selects a row as the user's click does: the list box tells its dialog.
void SelectRow(HWND dialog, int row)
{
    HWND list = ::GetDlgItem(dialog, IDC_PATHBOX_LIST);
    ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PATHBOX_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

std::vector<CString> Folders(std::initializer_list<const char*> texts)
{
    std::vector<CString> folders;
    for (const char* text : texts)
        folders.emplace_back(text);
    return folders;
}

std::vector<std::string> Texts(const std::vector<CString>& folders)
{
    std::vector<std::string> texts;
    for (const CString& folder : folders)
        texts.emplace_back(static_cast<const char*>(folder));
    return texts;
}

} // namespace

TEST(BookmarkEditor, OpensWithTheEntriesAndOkDisabled)
{
    DialogScript script({[](HWND dialog) {
        EXPECT_EQ(ListBoxTexts(dialog), (std::vector<std::string>{"C:\\a", "C:\\b"}));
        EXPECT_EQ(Selection(dialog), 0);
        EXPECT_FALSE(IsControlEnabled(dialog, IDOK));
        EXPECT_TRUE(IsControlEnabled(dialog, IDC_PATHBOX_DELETE));
        EXPECT_TRUE(IsControlEnabled(dialog, IDC_PATHBOX_DELETE_ALL));
        EXPECT_TRUE(IsControlEnabled(dialog, IDC_PATHBOX_PURGE));
        return static_cast<INT_PTR>(IDOK); // OK before any change saves nothing
    }});
    std::vector<CString> folders = Folders({"C:\\a", "C:\\b"});
    EXPECT_FALSE(EditBookmarkFolders(nullptr, folders));
    EXPECT_EQ(Texts(folders), (std::vector<std::string>{"C:\\a", "C:\\b"}));
}

// The selected entry is the one removed, from the entries and the list alike.
TEST(BookmarkEditor, DeleteSelectedRemovesTheSelectedEntry)
{
    std::vector<std::string> after;
    int selectionAfter = -1;
    bool okEnabled = false;
    DialogScript script({[&](HWND dialog) {
        SelectRow(dialog, 1);
        ClickButton(dialog, IDC_PATHBOX_DELETE);
        after = ListBoxTexts(dialog);
        selectionAfter = Selection(dialog);
        okEnabled = IsControlEnabled(dialog, IDOK);
        return static_cast<INT_PTR>(IDOK);
    }}, IDYES);
    std::vector<CString> folders = Folders({"C:\\a", "C:\\b", "C:\\c"});
    ASSERT_TRUE(EditBookmarkFolders(nullptr, folders));
    EXPECT_EQ(Texts(folders), (std::vector<std::string>{"C:\\a", "C:\\c"}));
    EXPECT_EQ(after, (std::vector<std::string>{"C:\\a", "C:\\c"}));
    EXPECT_EQ(selectionAfter, 1);
    EXPECT_TRUE(okEnabled);
    EXPECT_EQ(script.Prompts(), (std::vector<std::string>{"Are you delete the item ?"}));
}

TEST(BookmarkEditor, DeletingTheLastEntrySelectsTheFirst)
{
    int selectionAfter = -1;
    DialogScript script({[&](HWND dialog) {
        SelectRow(dialog, 2);
        ClickButton(dialog, IDC_PATHBOX_DELETE);
        selectionAfter = Selection(dialog);
        return static_cast<INT_PTR>(IDOK);
    }}, IDYES);
    std::vector<CString> folders = Folders({"C:\\a", "C:\\b", "C:\\c"});
    ASSERT_TRUE(EditBookmarkFolders(nullptr, folders));
    EXPECT_EQ(Texts(folders), (std::vector<std::string>{"C:\\a", "C:\\b"}));
    EXPECT_EQ(selectionAfter, 0);
}

TEST(BookmarkEditor, AnsweringNoOrCancellingChangesNothing)
{
    DialogScript script({[](HWND dialog) {
        ClickButton(dialog, IDC_PATHBOX_DELETE);
        ClickButton(dialog, IDC_PATHBOX_DELETE_ALL);
        EXPECT_EQ(ListBoxTexts(dialog).size(), 2u);
        EXPECT_FALSE(IsControlEnabled(dialog, IDOK));
        return static_cast<INT_PTR>(IDCANCEL);
    }}, IDNO);
    std::vector<CString> folders = Folders({"C:\\a", "C:\\b"});
    EXPECT_FALSE(EditBookmarkFolders(nullptr, folders));
    EXPECT_EQ(script.Prompts().size(), 2u);

    DialogScript cancelled({[](HWND dialog) {
        ClickButton(dialog, IDC_PATHBOX_DELETE_ALL);
        return static_cast<INT_PTR>(IDCANCEL);
    }}, IDYES);
    EXPECT_FALSE(EditBookmarkFolders(nullptr, folders));
    EXPECT_EQ(Texts(folders), (std::vector<std::string>{"C:\\a", "C:\\b"}));
}

TEST(BookmarkEditor, DeleteAllEmptiesTheListAndDisablesTheDeleteButtons)
{
    DialogScript script({[](HWND dialog) {
        ClickButton(dialog, IDC_PATHBOX_DELETE_ALL);
        EXPECT_TRUE(ListBoxTexts(dialog).empty());
        EXPECT_FALSE(IsControlEnabled(dialog, IDC_PATHBOX_DELETE));
        EXPECT_FALSE(IsControlEnabled(dialog, IDC_PATHBOX_DELETE_ALL));
        EXPECT_FALSE(IsControlEnabled(dialog, IDC_PATHBOX_PURGE));
        EXPECT_TRUE(IsControlEnabled(dialog, IDOK));
        return static_cast<INT_PTR>(IDOK);
    }}, IDYES);
    std::vector<CString> folders = Folders({"C:\\a", "C:\\b"});
    ASSERT_TRUE(EditBookmarkFolders(nullptr, folders));
    EXPECT_TRUE(folders.empty());
    EXPECT_EQ(script.Prompts(), (std::vector<std::string>{"Are you delete all item ?"}));
}

TEST(BookmarkEditor, PurgeRemovesTheFoldersThatAreGone)
{
    TempDir dir;
    const std::string kept = dir.Path();
    const std::string gone = dir / "gone";
    DialogScript script({[](HWND dialog) {
        ClickButton(dialog, IDC_PATHBOX_PURGE);
        EXPECT_TRUE(IsControlEnabled(dialog, IDOK));
        return static_cast<INT_PTR>(IDOK);
    }});
    std::vector<CString> folders = Folders({gone.c_str(), kept.c_str(), (gone + "2").c_str()});
    ASSERT_TRUE(EditBookmarkFolders(nullptr, folders));
    EXPECT_EQ(Texts(folders), (std::vector<std::string>{kept}));
    EXPECT_EQ(script.Prompts(), (std::vector<std::string>{"Auto check path finished !"}));
}

TEST(BookmarkEditor, PurgeWithNothingGoneStillReportsAndLeavesOkDisabled)
{
    TempDir dir;
    DialogScript script({[](HWND dialog) {
        ClickButton(dialog, IDC_PATHBOX_PURGE);
        EXPECT_FALSE(IsControlEnabled(dialog, IDOK));
        return static_cast<INT_PTR>(IDCANCEL);
    }});
    std::vector<CString> folders = Folders({dir.Path().c_str()});
    EXPECT_FALSE(EditBookmarkFolders(nullptr, folders));
    EXPECT_EQ(script.Prompts(), (std::vector<std::string>{"Auto check path finished !"}));
}

TEST(BookmarkEditor, OkTellsTheOwnersFrameToReloadThePathBox)
{
    int reloads = 0;
    orvo::test::HiddenWindow frame([&reloads](UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_PATHBOX_RELOAD && wParam == 0 && lParam == 0)
            ++reloads;
    });
    CWnd owner;
    owner.Attach(frame.Get());
    DialogScript script({[](HWND dialog) {
        ClickButton(dialog, IDC_PATHBOX_DELETE_ALL);
        return static_cast<INT_PTR>(IDOK);
    }}, IDYES);
    std::vector<CString> folders = Folders({"C:\\a"});
    ASSERT_TRUE(EditBookmarkFolders(&owner, folders));
    owner.Detach();
    EXPECT_TRUE(orvo::test::WaitFor([&reloads] { return reloads == 1; }, 2000));
}
