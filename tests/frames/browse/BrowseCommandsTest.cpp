// The browse frame's commands as a user gives them: keys through the frame's own message walk and
// accelerators, menu commands as WM_COMMAND, the dialogs they open answered at the modal seam,
// and what each leaves on the disk, in the list, the preview, the status bar and the settings.
#include "tests/frames/browse/BrowseFrameFixture.h"

#include "browser/dialogs/CEditPathBoxDlg.h"
#include "browser/list/CFileListView.h"
#include "browser/pathbox/CPathListBox.h"
#include "framework/Prompt.h"
#include "imaging/ExifOrientation.h"
#include "tests/imaging/ExifTestData.h"
#include "ui/FileClipboard.h"

#include "browser/preview/CPreView.h"
#include "browser/shell/ShellItemLaunch.h"
#include "framework/CMenu.h"
#include "imaging/CGDIDevice.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace orvo::test::browse;
using orvo::test::TempDir;
using orvo::test::WaitFor;

namespace {

// A JPEG of 64 x 48 pixels, red in its top left quarter (every turn moves it), with an Exif block holding its orientation when one is given.
std::string Jpeg(int orientation)
{
    const orvo::test::Bytes plain = orvo::test::EncodeJpegSamples(
        64, 48, 3, 2 /* JCS_RGB */, [](int x, int y, int k) { return static_cast<unsigned char>(x < 32 && y < 24 && k == 0 ? 255 : 40); },
        90);
    if (orientation == 0)
        return std::string(plain.begin(), plain.end());
    const orvo::test::Bytes exif = orvo::test::InsertApp1(
        plain, orvo::test::ExifBuilder(false)
                   .Short(orvo::test::ExifBuilder::Ifd0, 0x0112, static_cast<uint16_t>(orientation))
                   .Ascii(orvo::test::ExifBuilder::Ifd0, 0x010F, "Test camera")
                   .Build());
    return std::string(exif.begin(), exif.end());
}

class BrowseCommandsTest : public BrowseFrameTest
{
protected:
    void SetUp() override
    {
        BrowseFrameTest::SetUp();
        const std::string photo = Jpeg(1);
        const std::string plain = Jpeg(0);
        ASSERT_TRUE(orvo::test::WriteFileBytes(m_folder / "photo.jpg", photo.data(), photo.size()));
        ASSERT_TRUE(orvo::test::WriteFileBytes(m_folder / "plain.jpg", plain.data(), plain.size()));
    }

    void TearDown() override
    {
        SetModifiers(false, false);
        BrowseFrameTest::TearDown();
    }

    static constexpr int kRows = 6;

    // The frame on the test folder with every row listed and the list focused.
    void OpenFolder()
    {
        Open(m_folder.Path());
        ASSERT_TRUE(WaitFor([&] { return List().GetItemCount() == kRows; }, 10000));
        // The path box's history is the test's own.
        m_frame->GetView().GetPathBox().GetHistory().SetParentKey(
            ("Software\\OrvoKestalTests\\pathbox-" + std::to_string(GetCurrentProcessId())).c_str());
        List().SetFocus();
    }

    bool Exists(const char* name) const { return GetFileAttributesA((m_folder / name).c_str()) != INVALID_FILE_ATTRIBUTES; }
};

// ---- Data at risk ----

// Shift+Delete is Cut: the files go on the clipboard for a move, nothing is asked or deleted.
// Delete alone still asks before the files go to the recycle bin.
TEST_F(BrowseCommandsTest, ShiftDeleteCutsTheSelectionAndNeverDeletes)
{
    OpenFolder();
    std::vector<std::string> asked;
    CPromptHandlerScope prompts([&](const PromptRequest& request) {
        asked.emplace_back(request.strText.GetString());
        return IDNO;
    });
    SelectOnly("a.dxf");
    PressKey(List().GetSafeHwnd(), VK_DELETE, true);
    EXPECT_TRUE(asked.empty()) << asked.front();
    EXPECT_TRUE(Exists("a.dxf"));
    FileClipboard::Content content;
    ASSERT_TRUE(FileClipboard::Read(m_frameWnd, content));
    EXPECT_TRUE(content.cut);
    ASSERT_EQ(content.files.GetCount(), 1);
    EXPECT_STREQ(content.files.GetHead(), (m_folder / "a.dxf").c_str());

    PressKey(List().GetSafeHwnd(), VK_DELETE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find("Recycle Bin"), std::string::npos) << asked[0];
    EXPECT_TRUE(Exists("a.dxf")) << "answered No";
    ASSERT_TRUE(OpenClipboard(m_frameWnd));
    EmptyClipboard();
    CloseClipboard();
}

// F2 starts the edit on the label the shell gave; what the user types is the new name.
TEST_F(BrowseCommandsTest, F2RenameKeepsExactlyWhatWasTyped)
{
    OpenFolder();
    SelectOnly("a.dxf");
    const int row = List().FindRowByName("a.dxf");
    const CString label = List().GetCellText(row, CIEShellListCtrl::kNameColumn);
    PressKey(List().GetSafeHwnd(), VK_F2);
    const HWND edit = reinterpret_cast<HWND>(List().SendMessage(LVM_GETEDITCONTROL));
    ASSERT_NE(edit, nullptr) << "F2 opened the editor";
    char shown[MAX_PATH] = {};
    ::GetWindowTextA(edit, shown, sizeof shown);
    EXPECT_STREQ(shown, label);
    // The user replaces the label as shown: with its extension when it showed one.
    const bool withExtension = label.Right(4).CompareNoCase(".dxf") == 0;
    ::SetWindowTextA(edit, withExtension ? "new.dxf" : "new");
    ::SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    EXPECT_TRUE(Exists("new.dxf"));
    EXPECT_FALSE(Exists("new.dxf.dxf"));
    EXPECT_FALSE(Exists("a.dxf"));
}

// The deleted drawing leaves the preview and the status bar at once; the next file's name is not
// shown beside the deleted file's information.
TEST_F(BrowseCommandsTest, DeleteEmptiesThePreviewAndTheStatusBar)
{
    ASSERT_TRUE(g_appState.StartPreviewThread());
    OpenFolder();
    SelectOnly("b.dxf");
    ASSERT_TRUE(WaitFor([&] { return m_frame->GetPreview().GetShownPath() == (m_folder / "b.dxf").c_str(); }, 10000));
    m_frame->SendMessage(CBrowseFrame::kMsgStatusRefresh, 0, 0);
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneName), "b.dxf");
    StartThumbnailThread(true);
    CPromptHandlerScope yes([](const PromptRequest&) { return IDYES; });
    Command(ID_EDIT_DELETE_ITEMS);
    EXPECT_FALSE(Exists("b.dxf"));
    EXPECT_EQ(List().FindRowByName("b.dxf"), -1) << "the row goes with the file";
    EXPECT_TRUE(m_frame->GetPreview().GetShownPath().IsEmpty());
    m_frame->SendMessage(CBrowseFrame::kMsgStatusRefresh, 0, 0);
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneName), "<none>");
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneSelection), "<none>");
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneSummary).Find("5 objects"), 0) << PaneText(CBrowseFrame::kPaneSummary);
    g_appState.StopPreviewThread();
}

// Alt+R turns the photo in the preview and writes the turn into its Exif orientation; the
// selected row's thumbnail is made again. A read-only photo is left as it was, and the user is
// told why.
TEST_F(BrowseCommandsTest, TurningAPhotoInThePreviewStoresTheOrientationAndRebuildsItsThumbnail)
{
    ASSERT_TRUE(g_appState.StartPreviewThread());
    OpenFolder();
    const std::string photo = m_folder / "photo.jpg";
    auto showPhoto = [&] {
        SelectOnly("photo.jpg");
        return WaitFor(
            [&] {
                return m_frame->GetPreview().GetShownPath() == photo.c_str() && !g_appState.drawThread->IsBusy() &&
                       g_appState.drawThread->IsRasterHeld();
            },
            10000);
    };
    ASSERT_TRUE(showPhoto());
    StartThumbnailThread(true);
    ASSERT_EQ(g_appState.taskThread->GetTaskCount(), 0);
    SetModifiers(false, false);
    MSG alt = {m_frame->GetPreview().GetSafeHwnd(), WM_SYSKEYDOWN, 'R', 1 << 29, 0, {0, 0}};
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_MENU] = 0x80;
    SetKeyboardState(keys);
    const BOOL taken = CWnd::WalkPreTranslateTree(m_frameWnd, &alt);
    keys[VK_MENU] = 0;
    SetKeyboardState(keys);
    Pump();
    EXPECT_TRUE(taken) << "Alt+R is the frame's accelerator";
    EXPECT_EQ(ReadExifOrientation(photo.c_str()), 6) << "turned a quarter clockwise";
    EXPECT_EQ(g_appState.taskThread->GetTaskCount(), 1) << "the selected photo's thumbnail is made again";

    g_appState.taskThread->ClearTasks();
    const std::string before = orvo::test::ReadFileBytes(photo);
    ASSERT_TRUE(SetFileAttributesA(photo.c_str(), FILE_ATTRIBUTE_READONLY));
    {
        CModalScript script({ModalStep(ModalKind::MessageBox, "the file is read-only", IDOK)});
        Command(ID_PREVIEW_ROTATE_LEFT);
        EXPECT_EQ(script.Remaining(), 0u);
    }
    SetFileAttributesA(photo.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(orvo::test::ReadFileBytes(photo), before);
    EXPECT_EQ(g_appState.taskThread->GetTaskCount(), 0);
    g_appState.StopPreviewThread();
}

// ---- The dialogs of the file commands ----

TEST_F(BrowseCommandsTest, CreateNewFolderMakesTheFolderNamedInTheDialog)
{
    OpenFolder();
    CModalScript script({ModalStep(ModalKind::Dialog, IDD_NEW_FOLDER, IDOK, [](const ModalRequest& request) {
        ::SetDlgItemTextA(request.pWnd->GetSafeHwnd(), IDC_NEWFOLDER_NAME, "Drawings 2");
    })});
    Command(ID_FILE_NEW_FOLDER);
    EXPECT_EQ(script.Remaining(), 0u);
    const DWORD attributes = GetFileAttributesA((m_folder / "Drawings 2").c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

// F6 on a photo with Exif data shows its rows; on one without, the message says so.
TEST_F(BrowseCommandsTest, F6ShowsTheExifDialogOrSaysThereIsNone)
{
    OpenFolder();
    int rows = 0;
    SelectOnly("photo.jpg");
    {
        CModalScript script({ModalStep(ModalKind::Dialog, IDD_EXIF_INFO, IDOK, [&](const ModalRequest& request) {
            rows = static_cast<int>(::SendDlgItemMessageA(request.pWnd->GetSafeHwnd(), IDC_EXIF_LIST, LVM_GETITEMCOUNT, 0, 0));
        })});
        PressKey(List().GetSafeHwnd(), VK_F6);
        EXPECT_EQ(script.Remaining(), 0u);
    }
    EXPECT_GT(rows, 0);
    SelectOnly("plain.jpg");
    CModalScript none({ModalStep(ModalKind::MessageBox, "not found exif information !", IDOK)});
    Command(ID_FILE_EXIF_INFO);
    EXPECT_EQ(none.Remaining(), 0u);
}

// The thumbnails go where the dialog says; the missing folder is made after asking, and the
// status bar's progress moves once per row and ends.
TEST_F(BrowseCommandsTest, SaveThumbnailsAsksWhereAndMovesTheProgress)
{
    OpenFolder();
    StartThumbnailThread(true);
    const std::string target = m_folder / "out";
    CModalScript script({ModalStep(ModalKind::Dialog, IDD_SAVE_THUMBNAIL, IDOK,
                                   [&](const ModalRequest& request) {
                                       ::SetDlgItemTextA(request.pWnd->GetSafeHwnd(), IDC_SAVETHUMB_FOLDER, target.c_str());
                                   }),
                         ModalStep(ModalKind::MessageBox, "The directory doesn't exist.Create it?", IDOK)});
    const int before = m_frame->CountStatusRefreshes();
    Command(ID_FILE_SAVE_THUMBNAILS);
    EXPECT_EQ(script.Remaining(), 0u);
    EXPECT_NE(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_GE(m_frame->CountStatusRefreshes() - before, kRows + 1) << "one report per row and the end";
    EXPECT_EQ(m_frame->GetProgressControl(), nullptr) << "the progress ended";
}

// The bookmark editor edits the path box's folders; after OK the box holds what is left.
TEST_F(BrowseCommandsTest, EditBookmarksRemovesTheFoldersDeletedInTheDialog)
{
    OpenFolder();
    CPathListBox& box = m_frame->GetView().GetPathBox();
    box.GetHistory().RemoveAll();
    box.GetHistory().AddPath(m_folder.Path().c_str());
    box.GetHistory().AddPath("C:\\no such folder here");
    ASSERT_TRUE(box.GetHistory().Save());
    box.ReloadList();
    CModalScript script({ModalStep(ModalKind::Dialog, IDD_EDIT_PATHBOX, IDOK, [](const ModalRequest& request) {
        const HWND dialog = request.pWnd->GetSafeHwnd();
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PATHBOX_PURGE, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDC_PATHBOX_PURGE)));
    }),
                         ModalStep(ModalKind::MessageBox, "Auto check path finished !", IDOK)});
    const HWND button = ::GetDlgItem(m_frame->GetView().GetSafeHwnd(), CFileListView::kEditBookmarksId);
    ASSERT_NE(button, nullptr);
    m_frame->GetView().SendMessage(WM_COMMAND, MAKEWPARAM(CFileListView::kEditBookmarksId, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(button));
    Pump();
    EXPECT_EQ(script.Remaining(), 0u);
    ASSERT_TRUE(box.GetHistory().Load());
    ASSERT_EQ(box.GetHistory().GetCount(), 1);
    EXPECT_STREQ(box.GetHistory().GetAt(0)->GetPath(), m_folder.Path().c_str());
    EXPECT_EQ(box.GetCount(), 1) << "the box shows the edited list";
    SHDeleteKeyA(HKEY_CURRENT_USER, box.GetHistory().GetParentKey());
}

// ---- State that sticks ----

// A header click sorts and is the settings' sort from then on: Options OK and the exit save keep it.
TEST_F(BrowseCommandsTest, HeaderClickSortIsTheSettingsSort)
{
    OpenFolder();
    StartThumbnailThread(true);
    Command(ID_VIEW_DETAILS_ITEMS);
    ASSERT_EQ(List().GetViewType(), CIEShellListCtrl::kDetails);
    const HWND header = reinterpret_cast<HWND>(List().SendMessage(LVM_GETHEADER));
    ASSERT_NE(header, nullptr);
    RECT size = {};
    ASSERT_TRUE(::SendMessageA(header, HDM_GETITEMRECT, CIEShellListCtrl::kSizeColumn, reinterpret_cast<LPARAM>(&size)));
    const LPARAM at = MAKELPARAM((size.left + size.right) / 2, (size.top + size.bottom) / 2);
    ::SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(header, WM_LBUTTONUP, 0, at);
    Pump();
    EXPECT_EQ(List().GetSortColumn(), CIEShellListCtrl::kSizeColumn);
    EXPECT_EQ(g_options.SortType, CIEShellListCtrl::kSizeColumn);
    EXPECT_TRUE(g_options.SortDir);
    ::SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(header, WM_LBUTTONUP, 0, at);
    Pump();
    EXPECT_FALSE(List().GetSortAscending());
    EXPECT_FALSE(g_options.SortDir);
    // The browse options applied again (Options OK) keep the sort.
    m_frame->SendMessage(0x80B5, 0, 0);
    EXPECT_EQ(List().GetSortColumn(), CIEShellListCtrl::kSizeColumn);
    EXPECT_FALSE(List().GetSortAscending());
}

// The place and size the user gave the frame come back at the next start, also after a first
// start that showed it maximized.
TEST_F(BrowseCommandsTest, PlaceAndSizeAfterAResizeComeBackAtTheNextStart)
{
    OpenFolder();
    m_frame->ShowWindow(SW_RESTORE);
    m_frame->SetWindowPos(nullptr, 120, 90, 700, 500, SWP_NOZORDER);
    Pump();
    ASSERT_EQ(ScreenRect(m_frame), CRect(120, 90, 820, 590));
    m_frame->SendMessage(WM_CLOSE);
    m_frame = nullptr;
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    g_appState.closing.store(false);
    Open(m_folder.Path());
    EXPECT_FALSE(m_frame->IsZoomed());
    EXPECT_EQ(ScreenRect(m_frame), CRect(120, 90, 820, 590));
}

// After a switch from the thumbnail view, what lies below the rows is the new view's background,
// not the cells of the thumbnail view left on the screen.
TEST_F(BrowseCommandsTest, AViewSwitchLeavesNoCellsOfTheThumbnailView)
{
    g_options.ListCtrlColor = RGB(0x20, 0x90, 0x30);
    OpenFolder();
    StartThumbnailThread(true);
    Command(ID_VIEW_THUMBNAILS);
    ASSERT_EQ(List().GetViewType(), CIEShellListCtrl::kThumbnails);
    List().UpdateWindow();
    CRect client;
    List().GetClientRect(&client);
    const POINT low = {client.right - 20, client.bottom - 20};
    const auto onScreen = [&] {
        const HDC dc = ::GetDC(List().GetSafeHwnd());
        const COLORREF color = ::GetPixel(dc, low.x, low.y);
        ::ReleaseDC(List().GetSafeHwnd(), dc);
        return color;
    };
    ASSERT_EQ(onScreen(), RGB(0x20, 0x90, 0x30)) << "the thumbnail view's own colour";
    for (const UINT id : {ID_VIEW_LARGE_ICONS, ID_VIEW_SMALL_ICONS, ID_VIEW_LIST_ITEMS, ID_VIEW_DETAILS_ITEMS}) {
        Command(ID_VIEW_THUMBNAILS);
        List().UpdateWindow();
        Command(id);
        List().UpdateWindow();
        COLORREF background = List().GetBkColor();
        if (background == CLR_NONE)
            background = ::GetSysColor(COLOR_WINDOW);
        EXPECT_EQ(onScreen(), background) << id;
    }
}

// Keys typed in the path box edit the box: Ctrl+A selects its text, not the list's rows.
TEST_F(BrowseCommandsTest, KeysTypedInThePathBoxStayThere)
{
    OpenFolder();
    CPathListBox& box = m_frame->GetView().GetPathBox();
    const HWND edit = ::GetWindow(box.GetSafeHwnd(), GW_CHILD);
    ASSERT_NE(edit, nullptr);
    ::SetFocus(edit);
    List().UnselectAll();
    PressKey(edit, 'A', false, true);
    EXPECT_EQ(List().GetSelectedCount(), 0u) << "Ctrl+A did not reach the list";
    EXPECT_EQ(::GetFocus(), edit);
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(static_cast<int>(end), ::GetWindowTextLengthA(edit)) << "the box's text is selected";
    // Delete edits the text; it neither asks to delete a file nor cuts one.
    CPromptHandlerScope none([](const PromptRequest& request) -> int {
        ADD_FAILURE() << request.strText.GetString();
        return IDNO;
    });
    PressKey(edit, VK_DELETE);
    PressKey(edit, VK_DELETE, true);
    EXPECT_EQ(::GetFocus(), edit);
}

// A typed folder that does not exist is named in a message; the box goes back to the folder shown.
TEST_F(BrowseCommandsTest, ATypedFolderThatDoesNotExistIsNamed)
{
    OpenFolder();
    CPathListBox& box = m_frame->GetView().GetPathBox();
    const std::string missing = m_folder / "gone";
    box.SetText(missing.c_str());
    CModalScript script({ModalStep(ModalKind::MessageBox, "The directory doesn't exist:", IDOK)});
    PressKey(::GetWindow(box.GetSafeHwnd(), GW_CHILD), VK_RETURN);
    EXPECT_EQ(script.Remaining(), 0u);
    EXPECT_STREQ(box.GetText(), m_folder.Path().c_str());
}

} // namespace

// ---- Every command of the menus and keys ----

namespace {

// Where a command comes from: an item of the frame's menu (116) or of the list's context menu
// (181), or a key of the frame's accelerator table (116).
struct CommandSource
{
    UINT id = 0;
    std::string from;
    bool key = false;
    ACCEL accel = {};
};

void CollectMenu(HMENU menu, const char* from, std::vector<CommandSource>& out)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            CollectMenu(sub, from, out);
            continue;
        }
        const UINT id = GetMenuItemID(menu, i);
        if (id != 0 && id != static_cast<UINT>(-1))
            out.push_back({id, from, false, {}});
    }
}

std::vector<CommandSource> AllCommandSources()
{
    std::vector<CommandSource> out;
    const HINSTANCE module = GetModuleHandleA(nullptr);
    for (const auto& [menuId, from] : {std::pair<UINT, const char*>{IDR_BROWSEFRAME, "Menu116"},
                                       std::pair<UINT, const char*>{IDR_LISTMENU, "Menu181"}}) {
        if (HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(menuId))) {
            CollectMenu(menu, from, out);
            DestroyMenu(menu);
        }
    }
    if (HACCEL table = LoadAcceleratorsA(module, MAKEINTRESOURCEA(IDR_BROWSEFRAME))) {
        std::vector<ACCEL> keys(static_cast<size_t>(CopyAcceleratorTableA(table, nullptr, 0)));
        CopyAcceleratorTableA(table, keys.data(), static_cast<int>(keys.size()));
        for (const ACCEL& accel : keys)
            out.push_back({accel.cmd, "Keys116", true, accel});
    }
    return out;
}

std::string SourceName(const ::testing::TestParamInfo<CommandSource>& info)
{
    std::string name = info.param.from + "_" + std::to_string(info.param.id);
    if (info.param.key) {
        const ACCEL& a = info.param.accel;
        name += std::string(a.fVirt & FCONTROL ? "_Ctrl" : "") + (a.fVirt & FSHIFT ? "_Shift" : "") +
                (a.fVirt & FALT ? "_Alt" : "") + "_" + std::to_string(a.key);
    }
    return name;
}

// What the frame shows before the command: the files alone, a drawing in the preview (one with
// depth, so that the 3D views apply), or a photo.
enum class Scene { kFiles, kDrawing, kImage };

// A modal the command must bring to the seam, answered with its cancel.
struct ExpectedModal
{
    ModalKind kind;
    UINT templateId = 0;    // a dialog's template, 0 for any
    const char* text = "";  // what the modal's text holds
    INT_PTR answer = IDCANCEL;
};

struct CommandEffect;

class CommandTableTest : public BrowseCommandsTest, public ::testing::WithParamInterface<CommandSource>
{
public:
    // Every command's effect, by id.
    static const std::vector<CommandEffect>& Effects();

protected:
    // The fixture's files, deep.dxf and the folder sub; all but the folder of a known type.
    static constexpr int kTableRows = 8;
    static constexpr int kTableKnown = 7;
    static constexpr char kDeepDxf[] = "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n62\n1\n10\n0.0\n20\n0.0\n30\n0.0\n11\n"
                                       "100.0\n21\n50.0\n31\n80.0\n0\nLINE\n8\n0\n62\n3\n10\n0.0\n20\n50.0\n30\n0.0\n11\n"
                                       "100.0\n21\n0.0\n31\n0.0\n0\nENDSEC\n0\nEOF\n";

    void SetUp() override
    {
        BrowseCommandsTest::SetUp();
        ASSERT_TRUE(orvo::test::WriteFileBytes(m_folder / "deep.dxf", kDeepDxf, sizeof(kDeepDxf) - 1));
        CreateDirectoryA((m_folder / "sub").c_str(), nullptr);
        m_launches.clear();
        m_previousLaunch = SetShellItemLaunchHandler([this](HWND, LPCITEMIDLIST, const char* path, const char* verb) {
            m_launches.push_back(std::string(verb ? verb : "") + ":" + (path ? path : ""));
            return true;
        });
        theTestApp.commandsReached.clear();
        m_savedSort = {g_options.SortType, g_options.SortDir};
    }

    void TearDown() override
    {
        SetShellItemLaunchHandler(m_previousLaunch);
        if (g_appState.drawThread)
            g_appState.StopPreviewThread();
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        BrowseCommandsTest::TearDown();
    }

    // The frame on the folder, the thumbnail thread waiting, a.dxf selected in the focused list;
    // with a scene of the preview, its file shown and the drawing thread idle.
    void Prepare(Scene scene)
    {
        if (scene != Scene::kFiles) {
            ASSERT_TRUE(g_appState.StartPreviewThread());
        }
        Open(m_folder.Path());
        ASSERT_TRUE(WaitFor([&] { return List().GetItemCount() == kTableRows; }, 10000)) << List().GetItemCount();
        StartThumbnailThread(true);
        if (!g_appState.drawThread)
            g_appState.drawThread = std::make_unique<TDwgDrawThread>(); // not started: never busy
        List().SetFocus();
        const char* shown = scene == Scene::kDrawing ? "deep.dxf" : scene == Scene::kImage ? "photo.jpg" : "a.dxf";
        SelectOnly(shown);
        if (scene != Scene::kFiles) {
            ASSERT_TRUE(Settled(shown));
        }
    }

    // The preview shows the file and the drawing thread has finished with it.
    bool Settled(const char* name)
    {
        const CString path = (m_folder / name).c_str();
        const bool shown = WaitFor(
            [&] {
                const TDwgDrawThread& thread = *g_appState.drawThread;
                return m_frame->GetPreview().GetShownPath() == path && !thread.IsBusy() && !thread.IsOpening();
            },
            10000);
        WaitFor([] { return false; }, 150); // the thread's reports are handled meanwhile
        return shown;
    }

    bool Idle()
    {
        const bool idle = WaitFor([] { return !g_appState.drawThread->IsBusy(); }, 10000);
        WaitFor([] { return false; }, 150);
        return idle;
    }

    std::vector<COLORREF> PreviewPixels()
    {
        int width = 0;
        int height = 0;
        return orvo::test::PrintClientPixels(m_frame->GetPreview().GetSafeHwnd(), 2, &width, &height);
    }

    void RunPreview(UINT id)
    {
        m_frame->GetPreview().RunCommand(id);
        Idle();
    }

    // Sends the command the way its source does.
    void Give(const CommandSource& source)
    {
        if (!source.key) {
            m_frame->SendMessage(WM_COMMAND, source.id);
            Pump();
            return;
        }
        const ACCEL& a = source.accel;
        PressKey(::GetFocus() ? ::GetFocus() : List().GetSafeHwnd(), a.key, (a.fVirt & FSHIFT) != 0,
                 (a.fVirt & FCONTROL) != 0, (a.fVirt & FALT) != 0);
    }

    bool Reached(UINT id) const
    {
        const std::vector<UINT>& reached = theTestApp.commandsReached;
        return std::find(reached.begin(), reached.end(), id) != reached.end();
    }

    bool ClipboardHolds(const char* name, bool cut)
    {
        FileClipboard::Content content;
        return FileClipboard::Read(m_frameWnd, content) && content.cut == cut && content.files.GetCount() == 1 &&
               content.files.GetHead() == (m_folder / name).c_str();
    }

    std::vector<std::string> m_launches;
    ShellItemLaunchHandler m_previousLaunch;
    std::pair<int, bool> m_savedSort;
    // What the step before the command recorded, for its check.
    std::vector<COLORREF> m_pictureBefore;
    bool m_flagBefore = false;
    TempDir m_elsewhere;
};

// What one command does: the scene it needs, a step before it, and either the modal it brings up
// or the change it makes.
struct CommandEffect
{
    UINT id;
    Scene scene;
    std::function<void(CommandTableTest&)> before;
    std::function<bool(CommandTableTest&)> changed;
    std::optional<ExpectedModal> modal;
};

} // namespace


namespace {

using Check = std::function<bool(CommandTableTest&)>;
using Step = std::function<void(CommandTableTest&)>;

} // namespace

const std::vector<CommandEffect>& CommandTableTest::Effects()
{
    // The view commands: from another view type to theirs.
    const auto viewType = [](UINT id, int type, int other) {
        return CommandEffect{id, Scene::kFiles, [other](CommandTableTest& t) { t.List().SetViewType(other); },
                             [type](CommandTableTest& t) { return t.List().GetViewType() == type; }, std::nullopt};
    };
    const auto sortColumn = [](UINT id, int column) {
        return CommandEffect{id, Scene::kFiles, [column](CommandTableTest& t) { t.List().SetSortColumn(column == 0 ? 1 : 0); },
                             [column](CommandTableTest& t) {
                                 return t.List().GetSortColumn() == column && g_options.SortType == column;
                             },
                             std::nullopt};
    };
    const auto sortDirection = [](UINT id, bool ascending) {
        return CommandEffect{id, Scene::kFiles, [ascending](CommandTableTest& t) { t.List().SetSortAscending(!ascending); },
                             [ascending](CommandTableTest& t) {
                                 return (t.List().GetSortAscending() != FALSE) == ascending && g_options.SortDir == ascending;
                             },
                             std::nullopt};
    };
    const auto bar = [](UINT id, std::function<CWnd*(CommandTableTest&)> which) {
        return CommandEffect{id, Scene::kFiles,
                             [which](CommandTableTest& t) { t.m_flagBefore = which(t)->IsWindowVisible() != FALSE; },
                             [which](CommandTableTest& t) { return (which(t)->IsWindowVisible() != FALSE) != t.m_flagBefore; },
                             std::nullopt};
    };
    const auto dialog = [](UINT id, Scene scene, UINT templateId, Step before = {}) {
        return CommandEffect{id, scene, std::move(before), {}, ExpectedModal{ModalKind::Dialog, templateId}};
    };
    const auto application = [](UINT id) {
        return CommandEffect{id, Scene::kFiles, {}, [id](CommandTableTest& t) { return t.Reached(id); }, std::nullopt};
    };
    // A preview command changes the picture from what the step before left.
    const auto picture = [](UINT id, Scene scene, Step before = {}) {
        return CommandEffect{id, scene,
                             [before](CommandTableTest& t) {
                                 if (before)
                                     before(t);
                                 t.m_pictureBefore = t.PreviewPixels();
                             },
                             [](CommandTableTest& t) { return t.Idle() && t.PreviewPixels() != t.m_pictureBefore; },
                             std::nullopt};
    };
    const auto mouseMode = [](UINT id, int mode) {
        return CommandEffect{id, Scene::kDrawing, {}, [mode](CommandTableTest& t) { return t.m_frame->GetPreview().GetMouseMode() == mode; },
                             std::nullopt};
    };
    const auto standardView = [&picture](UINT id) {
        const UINT other = id == ID_PREVIEW_VIEW_SW ? ID_PREVIEW_VIEW_TOP : ID_PREVIEW_VIEW_SW;
        return picture(id, Scene::kDrawing, [other](CommandTableTest& t) { t.RunPreview(other); });
    };
    const auto turn = [&picture](UINT id) {
        CommandEffect effect = picture(id, Scene::kImage);
        effect.changed = [](CommandTableTest& t) {
            return t.Idle() && t.PreviewPixels() != t.m_pictureBefore &&
                   ReadExifOrientation((t.m_folder / "photo.jpg").c_str()) != 1;
        };
        return effect;
    };

    static const std::vector<CommandEffect> effects = {
        // File
        {ID_FILE_OPEN_ITEM, Scene::kFiles, [](CommandTableTest& t) { t.SelectOnly("sub"); },
         [](CommandTableTest& t) {
             return WaitFor(
                 [&] {
                     t.Pump();
                     return t.m_frame->GetShownFolder().CompareNoCase((t.m_folder / "sub").c_str()) == 0;
                 },
                 10000);
         },
         std::nullopt},
        {ID_FILE_VIEW_ITEM, Scene::kFiles, {},
         [](CommandTableTest& t) { return g_appState.viewPath == (t.m_folder / "a.dxf").c_str(); }, std::nullopt},
        {ID_FILE_EDIT_ITEM, Scene::kFiles, {},
         [](CommandTableTest& t) {
             return t.m_launches == std::vector<std::string>{"edit:" + std::string(t.m_folder / "a.dxf")};
         },
         std::nullopt},
        dialog(ID_FILE_SAVE_THUMBNAILS, Scene::kFiles, IDD_SAVE_THUMBNAIL,
               [](CommandTableTest& t) { t.List().SetViewType(CIEShellListCtrl::kThumbnails); }),
        // No AutoCAD runs here: the user is told so.
        {ID_FILE_INSERT_ACAD, Scene::kFiles, {}, {}, ExpectedModal{ModalKind::MessageBox, 0, "AutoCAD", IDOK}},
        {ID_FILE_DRAWING_PROPERTIES, Scene::kDrawing, {}, {}, ExpectedModal{ModalKind::PropertySheet}},
        dialog(ID_FILE_EXIF_INFO, Scene::kFiles, IDD_EXIF_INFO, [](CommandTableTest& t) { t.SelectOnly("photo.jpg"); }),
        dialog(ID_FILE_NEW_FOLDER, Scene::kFiles, IDD_NEW_FOLDER),
        application(ID_APP_EXIT),
        // Edit
        {ID_EDIT_CUT_ITEMS, Scene::kFiles, {}, [](CommandTableTest& t) { return t.ClipboardHolds("a.dxf", true); }, std::nullopt},
        {ID_EDIT_COPY_ITEMS, Scene::kFiles, {}, [](CommandTableTest& t) { return t.ClipboardHolds("a.dxf", false); }, std::nullopt},
        {ID_EDIT_PASTE_ITEMS, Scene::kFiles,
         [](CommandTableTest& t) {
             const std::string from = t.m_elsewhere / "pasted.dxf";
             orvo::test::WriteFileBytes(from, kSmallDxf, sizeof(kSmallDxf) - 1);
             CStringList files;
             files.AddTail(from.c_str());
             FileClipboard::Put(t.m_frameWnd, files, FileClipboard::Marker::Copy);
         },
         [](CommandTableTest& t) { return t.Exists("pasted.dxf"); }, std::nullopt},
        {ID_EDIT_DELETE_ITEMS, Scene::kFiles, {}, {}, ExpectedModal{ModalKind::MessageBox, 0, "Recycle Bin", IDNO}},
        {ID_EDIT_SELECT_ALL_ITEMS, Scene::kFiles, {},
         [](CommandTableTest& t) { return t.List().GetSelectedCount() == static_cast<UINT>(kTableRows); }, std::nullopt},
        {ID_EDIT_SELECT_DRAWINGS, Scene::kFiles, {},
         [](CommandTableTest& t) { return t.List().GetSelectedCount() == static_cast<UINT>(kTableKnown); }, std::nullopt},
        {ID_EDIT_UNSELECT_ALL, Scene::kFiles, {}, [](CommandTableTest& t) { return t.List().GetSelectedCount() == 0; },
         std::nullopt},
        {ID_EDIT_INVERT_SELECTION, Scene::kFiles, {},
         [](CommandTableTest& t) { return t.List().GetSelectedCount() == static_cast<UINT>(kTableRows - 1); }, std::nullopt},
        {ID_EDIT_RENAME_ITEM, Scene::kFiles, {},
         [](CommandTableTest& t) {
             const HWND edit = reinterpret_cast<HWND>(t.List().SendMessage(LVM_GETEDITCONTROL));
             if (edit != nullptr)
                 ::SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
             return edit != nullptr;
         },
         std::nullopt},
        // View
        bar(ID_VIEW_TOOLBAR, [](CommandTableTest& t) -> CWnd* { return &t.m_frame->GetToolBar(); }),
        bar(ID_VIEW_STATUS_BAR, [](CommandTableTest& t) -> CWnd* { return &t.m_frame->GetStatusBar(); }),
        bar(ID_VIEW_FOLDER_AREA, [](CommandTableTest& t) -> CWnd* { return t.m_frame->GetTreeBar(); }),
        bar(ID_VIEW_PREVIEW_AREA, [](CommandTableTest& t) -> CWnd* { return &t.m_frame->GetPreviewBar(); }),
        dialog(ID_BROWSE_SELECT_MODE, Scene::kFiles, IDD_BROWSE_VIEW_TYPE),
        viewType(ID_VIEW_THUMBNAILS, CIEShellListCtrl::kThumbnails, CIEShellListCtrl::kDetails),
        viewType(ID_VIEW_LARGE_ICONS, CIEShellListCtrl::kLargeIcons, CIEShellListCtrl::kThumbnails),
        viewType(ID_VIEW_SMALL_ICONS, CIEShellListCtrl::kSmallIcons, CIEShellListCtrl::kThumbnails),
        viewType(ID_VIEW_LIST_ITEMS, CIEShellListCtrl::kList, CIEShellListCtrl::kThumbnails),
        viewType(ID_VIEW_DETAILS_ITEMS, CIEShellListCtrl::kDetails, CIEShellListCtrl::kThumbnails),
        {ID_VIEW_UP_LEVEL, Scene::kFiles, {},
         [](CommandTableTest& t) {
             CString parent = t.m_folder.Path().c_str();
             parent = parent.Left(parent.ReverseFind('\\'));
             return WaitFor(
                 [&] {
                     t.Pump();
                     return t.m_frame->GetShownFolder().CompareNoCase(parent) == 0;
                 },
                 10000);
         },
         std::nullopt},
        // A file that came after the last fill is listed at once, before the folder watch acts.
        {ID_VIEW_REFRESH, Scene::kFiles,
         [](CommandTableTest& t) { orvo::test::WriteFileBytes(t.m_folder / "late.dxf", kSmallDxf, sizeof(kSmallDxf) - 1); },
         [](CommandTableTest& t) { return t.List().FindRowByName("late.dxf") != -1; }, std::nullopt},
        {ID_VIEW_SHOW_CURRENT, Scene::kFiles,
         [](CommandTableTest& t) {
             t.List().UnselectAll();
             t.List().SetItemState(t.List().FindRowByName("c.dxf"), LVIS_FOCUSED, LVIS_FOCUSED);
         },
         [](CommandTableTest& t) {
             return t.List().GetSelectedCount() == 1 &&
                    t.List().GetItemState(t.List().FindRowByName("c.dxf"), LVIS_SELECTED) != 0;
         },
         std::nullopt},
        {ID_THUMB_REBUILD_ALL, Scene::kFiles, [](CommandTableTest& t) { t.List().SetViewType(CIEShellListCtrl::kThumbnails); },
         [](CommandTableTest&) { return g_appState.taskThread->GetTaskCount() == kTableKnown; }, std::nullopt},
        {ID_THUMB_REBUILD_SELECTED, Scene::kFiles,
         [](CommandTableTest& t) { t.List().SetViewType(CIEShellListCtrl::kThumbnails); },
         [](CommandTableTest&) { return g_appState.taskThread->GetTaskCount() == 1; }, std::nullopt},
        {ID_THUMB_REBUILD_NEXT, Scene::kFiles,
         [](CommandTableTest& t) {
             g_appState.StopTaskManagerThread();
             t.StartThumbnailThread(false);
             t.List().SetViewType(CIEShellListCtrl::kThumbnails);
         },
         [](CommandTableTest&) { return g_appState.taskThread->GetSkipFlag(); }, std::nullopt},
        // Arrange icons
        sortColumn(ID_SORT_BY_NAME, 0),
        sortColumn(ID_SORT_BY_SIZE, 1),
        sortColumn(ID_SORT_BY_TYPE, 2),
        sortColumn(ID_SORT_BY_DATE, 3),
        sortDirection(ID_SORT_FORWARD, true),
        sortDirection(ID_SORT_REVERSE, false),
        // Preview
        {ID_PREVIEW_QUICK_MODE, Scene::kDrawing,
         [](CommandTableTest& t) { t.m_flagBefore = g_appState.drawThread->QueryViewState(); },
         [](CommandTableTest& t) { return t.Idle() && g_appState.drawThread->QueryViewState() != t.m_flagBefore; },
         std::nullopt},
        picture(ID_PREVIEW_ZOOM_OUT, Scene::kDrawing),
        picture(ID_PREVIEW_ZOOM_IN, Scene::kDrawing),
        mouseMode(ID_PREVIEW_ZOOM_WINDOW, CPreView::kModeZoomWindow),
        mouseMode(ID_PREVIEW_PAN, CPreView::kModePan),
        // Redraw paints the drawing again over whatever the pane's picture held.
        picture(ID_PREVIEW_REDRAW, Scene::kDrawing,
                [](CommandTableTest& t) {
                    CGDIDevice& device = t.m_frame->GetPreview().GetDevice();
                    device.BlendRect(0, 0, device.GetWidth() - 1, device.GetHeight() - 1, RGB(255, 0, 255), 100, false, 0);
                    t.m_frame->GetPreview().Invalidate();
                    t.Pump();
                }),
        // The image scene keeps its views: previous steps back from 1:1 to the fit.
        picture(ID_PREVIEW_ZOOM_PREVIOUS, Scene::kImage, [](CommandTableTest& t) { t.RunPreview(ID_PREVIEW_ACTUAL_SIZE); }),
        picture(ID_PREVIEW_ZOOM_EXTENTS, Scene::kDrawing, [](CommandTableTest& t) { t.RunPreview(ID_PREVIEW_ZOOM_IN); }),
        dialog(ID_PREVIEW_VIEW_POINT, Scene::kDrawing, 0),
        standardView(ID_PREVIEW_VIEW_TOP),
        standardView(ID_PREVIEW_VIEW_BOTTOM),
        standardView(ID_PREVIEW_VIEW_LEFT),
        standardView(ID_PREVIEW_VIEW_RIGHT),
        standardView(ID_PREVIEW_VIEW_FRONT),
        standardView(ID_PREVIEW_VIEW_BACK),
        standardView(ID_PREVIEW_VIEW_SW),
        standardView(ID_PREVIEW_VIEW_SE),
        standardView(ID_PREVIEW_VIEW_NE),
        standardView(ID_PREVIEW_VIEW_NW),
        dialog(ID_PREVIEW_LAYERS, Scene::kDrawing, 0),
        // The Layouts item holds the shown drawing's layouts once the menu is opened.
        {ID_PREVIEW_LAYOUTS, Scene::kDrawing, {},
         [](CommandTableTest& t) {
             const HMENU bar = ::GetMenu(t.m_frameWnd);
             CMenu* preview = bar ? CPreView::FindPreviewPopup(*CMenu::FromHandle(bar)) : nullptr;
             if (preview == nullptr)
                 return false;
             for (int i = 0; i < preview->GetMenuItemCount(); ++i) {
                 if (CMenu* layouts = preview->GetSubMenu(i); layouts && layouts->GetMenuItemID(0) == CPreView::kCmdLayoutFirst)
                     return true;
             }
             return false;
         },
         std::nullopt},
        picture(ID_PREVIEW_ACTUAL_SIZE, Scene::kImage),
        picture(ID_PREVIEW_AUTO_FIT, Scene::kImage, [](CommandTableTest& t) { t.RunPreview(ID_PREVIEW_ACTUAL_SIZE); }),
        turn(ID_PREVIEW_ROTATE_LEFT),
        turn(ID_PREVIEW_ROTATE_RIGHT),
        turn(ID_PREVIEW_MIRROR),
        turn(ID_PREVIEW_FLIP),
        {ID_PREVIEW_SMOOTH, Scene::kImage, [](CommandTableTest& t) { t.m_flagBefore = g_options.PreviewHalfTone; },
         [](CommandTableTest& t) {
             return g_options.PreviewHalfTone != t.m_flagBefore &&
                    g_appState.drawThread->GetDisplaySettings().previewHalfTone == g_options.PreviewHalfTone;
         },
         std::nullopt},
        // Tools and Help: the options sheet is the frame's; the rest are the application's.
        {ID_TOOLS_OPTIONS, Scene::kFiles, {}, {}, ExpectedModal{ModalKind::PropertySheet}},
        application(ID_TOOLS_SEARCH_DIRECTORIES),
        application(ID_HELP_CONTENTS_F1),
        application(ID_HELP_ACCELERATOR_KEYS),
        application(ID_HELP_HOME_PAGE),
        application(ID_HELP_OTHER_PRODUCTS),
        application(ID_APP_ABOUT),
    };
    return effects;
}

// Each command of the menus and each key of the accelerator table, sent to the running frame,
// does what it is there for. A command the table does not know fails: no command does nothing.
TEST_P(CommandTableTest, CommandHasItsEffect)
{
    const CommandSource& source = GetParam();
    // The accelerator table binds Alt+Backspace and Ctrl+Z to Undo, which nothing in the program
    // undoes; they are known to do nothing, and checked to change nothing.
    if (source.id == ID_EDIT_UNDO_ITEMS) {
        Prepare(Scene::kFiles);
        const UINT selected = List().GetSelectedCount();
        Give(source);
        EXPECT_TRUE(Exists("a.dxf"));
        EXPECT_EQ(List().GetSelectedCount(), selected);
        EXPECT_EQ(List().GetItemCount(), kTableRows);
        return;
    }
    const auto& effects = Effects();
    const auto effect = std::find_if(effects.begin(), effects.end(), [&](const CommandEffect& e) { return e.id == source.id; });
    ASSERT_NE(effect, effects.end()) << "command " << source.id << " of " << source.from << " has no effect the test knows";
    Prepare(effect->scene);
    if (effect->before)
        effect->before(*this);
    if (effect->modal) {
        const ExpectedModal& m = *effect->modal;
        CModalScript script({m.templateId != 0 ? ModalStep(m.kind, m.templateId, m.answer) : ModalStep(m.kind, m.text, m.answer)});
        Give(source);
        EXPECT_EQ(script.Remaining(), 0u) << "the command's modal reached the seam";
        return;
    }
    Give(source);
    EXPECT_TRUE(effect->changed(*this)) << "command " << source.id << " of " << source.from << " changed nothing";
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandTableTest, ::testing::ValuesIn(AllCommandSources()), SourceName);

// A shortcut a menu item shows ("\tCtrl + D") is a key that sends the item's command. Auto Fit is
// the one item whose text keeps another key than its own (Ctrl+A selects all files; Alt+A fits).
TEST(BrowseMenuKeys, EveryShownCtrlShortcutIsInTheAcceleratorTable)
{
    const HINSTANCE module = GetModuleHandleA(nullptr);
    HACCEL table = LoadAcceleratorsA(module, MAKEINTRESOURCEA(IDR_BROWSEFRAME));
    ASSERT_NE(table, nullptr);
    std::vector<ACCEL> keys(static_cast<size_t>(CopyAcceleratorTableA(table, nullptr, 0)));
    CopyAcceleratorTableA(table, keys.data(), static_cast<int>(keys.size()));
    HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(IDR_BROWSEFRAME));
    ASSERT_NE(menu, nullptr);
    std::vector<CommandSource> items;
    CollectMenu(menu, "Menu116", items);
    int checked = 0;
    for (const CommandSource& item : items) {
        char text[256] = {};
        GetMenuStringA(menu, item.id, text, sizeof text, MF_BYCOMMAND);
        const std::string label = text;
        const std::size_t tab = label.find("\tCtrl + ");
        if (tab == std::string::npos || label.size() != tab + 9 || item.id == ID_PREVIEW_AUTO_FIT)
            continue;
        const char key = label.back();
        const bool bound = std::any_of(keys.begin(), keys.end(), [&](const ACCEL& a) {
            return a.cmd == item.id && a.key == static_cast<WORD>(key) && (a.fVirt & FCONTROL) &&
                   !(a.fVirt & (FALT | FSHIFT));
        });
        EXPECT_TRUE(bound) << label;
        ++checked;
    }
    DestroyMenu(menu);
    EXPECT_GE(checked, 12) << "the menu's Ctrl shortcuts were found";
}
