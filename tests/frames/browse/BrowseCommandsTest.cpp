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

#include <commctrl.h>

#include <string>
#include <vector>

using namespace orvo::test::browse;
using orvo::test::TempDir;
using orvo::test::WaitFor;

namespace {

// A JPEG of 64 x 48 pixels, with an Exif block holding its orientation when one is given.
std::string Jpeg(int orientation)
{
    const orvo::test::Bytes plain = orvo::test::EncodeJpegSamples(
        64, 48, 3, 2 /* JCS_RGB */, [](int x, int, int k) { return static_cast<unsigned char>(x < 32 && k == 0 ? 255 : 40); },
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

    CIEShellListCtrl& List() { return *m_frame->GetList(); }

    void SelectOnly(const char* name)
    {
        ASSERT_TRUE(List().SelectItemByPath((m_folder / name).c_str())) << name;
    }

    static void SetModifiers(bool shift, bool control)
    {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
    }

    // A key pressed in a window of the frame, as the message loop hands it on: the frame's walk
    // of PreTranslateMessage (accelerators included) first, then the window itself. The
    // modifiers stay held until what the key posted has been handled.
    void PressKey(HWND target, UINT key, bool shift = false, bool control = false)
    {
        SetModifiers(shift, control);
        MSG msg = {target, WM_KEYDOWN, key, 0, 0, {0, 0}};
        if (!CWnd::WalkPreTranslateTree(m_frameWnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Pump();
        SetModifiers(false, false);
    }

    void Command(UINT id)
    {
        m_frame->SendMessage(WM_COMMAND, id);
        Pump();
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
