// The file commands of the shell file list on a real temporary folder: renaming through the
// label editor, deleting (asked first; nothing deleted when a file is in use), moving and copying
// the list's own rows by a drop, opening and selecting; and the checks behind them as tables.
#include "core/CAppOptions.h"
#include "browser/list/CIEShellListCtrl.h"
#include "browser/shell/CSplitPath.h"
#include "browser/shell/ShellFileOps.h"
#include "browser/shell/ShellItemLaunch.h"
#include "browser/dialogs/NewFolderName.h"
#include "framework/ModalSeam.h"
#include "imaging/CDib.h"
#include "imaging/CRasterImage.h"
#include "render/cache/KBMP.h"
#include "framework/Prompt.h"
#include "tests/core/RegistryRootScope.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ListTestWindow.h"
#include "ui/CInPlaceEdit.h"
#include "ui/FileClipboard.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <memory>
#include <string>
#include <vector>

namespace {

using orvo::test::TempDir;

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The name as the folder holds it, letter case included; empty when there is none.
std::string NameOnDisk(const std::string& path)
{
    WIN32_FIND_DATAA found = {};
    const HANDLE find = FindFirstFileA(path.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return {};
    FindClose(find);
    return found.cFileName;
}

// Case names from the typed text: letters and digits kept, the rest spelled out.
std::string CaseName(const char* text)
{
    std::string name;
    for (const char* p = text; *p != '\0'; ++p) {
        if (isalnum(static_cast<unsigned char>(*p)))
            name += *p;
        else
            name += *p == '.' ? "_dot_" : (*p == '\\' ? "_bs_" : (*p == '/' ? "_sl_" : "_"));
    }
    return name.empty() ? "empty" : name;
}

// ---- The checks as tables ----

struct NameCase
{
    const char* name;
    bool valid;
};

class NewNameTable : public ::testing::TestWithParam<NameCase> {};

TEST_P(NewNameTable, OnlyNamesThatStayInTheirFolderAreTaken)
{
    EXPECT_EQ(ShellFileOps::IsValidNewName(GetParam().name), GetParam().valid) << "'" << GetParam().name << "'";
}

// A new folder's typed name goes by the same rule (after its blanks are trimmed), so the two
// never disagree on a name: "a..b" is taken by both.
TEST_P(NewNameTable, TheNewFolderDialogTakesTheSameNames)
{
    const CString name = GetParam().name;
    CString trimmed = name;
    trimmed.Trim();
    if (trimmed.IsEmpty() || trimmed != name)
        GTEST_SKIP() << "the dialog trims blanks first";
    const TempDir dir;
    const NewFolderNameCheck expected = GetParam().valid ? NewFolderNameCheck::Valid : NewFolderNameCheck::Invalid;
    EXPECT_EQ(CheckNewFolderName((dir.Path() + "\\").c_str(), name), expected) << "'" << GetParam().name << "'";
}

INSTANTIATE_TEST_SUITE_P(Names, NewNameTable,
                         ::testing::Values(NameCase{"site.dwg", true}, NameCase{"plan v2", true},
                                           NameCase{"a..b", true}, NameCase{".hidden", true},
                                           NameCase{"", false}, NameCase{".", false}, NameCase{"..", false},
                                           NameCase{"..\\x", false}, NameCase{"a\\b", false},
                                           NameCase{"a/b", false}, NameCase{"C:x", false},
                                           NameCase{"a*b", false}, NameCase{"a?b", false},
                                           NameCase{"a\"b", false}, NameCase{"a<b>", false},
                                           NameCase{"a|b", false}, NameCase{"tab\there", false},
                                           NameCase{"name.", false}, NameCase{"name ", false},
                                           NameCase{"con", false}, NameCase{"NUL.txt", false},
                                           NameCase{"com1", false}, NameCase{"lpt9.dwg", false},
                                           NameCase{"com10", true}, NameCase{"console", true}),
                         [](const ::testing::TestParamInfo<NameCase>& info) {
                             return std::to_string(info.index) + "_" + CaseName(info.param.name);
                         });

TEST(ShellFileOpsTest, TheShellsListEndsWithTwoNulsAndSkipsEmptyPaths)
{
    CStringList paths;
    paths.AddTail("C:\\a.dwg");
    paths.AddTail("");
    paths.AddTail("C:\\b.dwg");
    const std::string list = ShellFileOps::MakeNulList(paths);
    EXPECT_EQ(list, std::string("C:\\a.dwg\0C:\\b.dwg\0\0", 19));
    EXPECT_EQ(list.c_str()[list.size()], '\0');
    EXPECT_EQ(ShellFileOps::MakeNulList(CStringList()), std::string(1, '\0'));
}

struct SplitCase
{
    std::string path;
    std::string drive, directory, name, extension;
};

class SplitPathTable : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitPathTable, PartsOfAnyLength)
{
    const SplitCase& c = GetParam();
    const CSplitPath split(c.path.c_str());
    EXPECT_EQ(std::string(split.GetDrive()), c.drive);
    EXPECT_EQ(std::string(split.GetDirectory()), c.directory);
    EXPECT_EQ(std::string(split.GetName()), c.name);
    EXPECT_EQ(std::string(split.GetExtension()), c.extension);
    EXPECT_EQ(std::string(CSplitPath::Make(split.GetDrive(), split.GetDirectory(), split.GetName(), split.GetExtension())),
              c.path);
}

const std::string kLongFolder = "\\" + std::string(280, 'f') + "\\";
const std::string kLongName(300, 'n');

INSTANTIATE_TEST_SUITE_P(Paths, SplitPathTable,
                         ::testing::Values(SplitCase{"C:\\plans\\site.dwg", "C:", "\\plans\\", "site", ".dwg"},
                                           SplitCase{"C:\\plans\\site", "C:", "\\plans\\", "site", ""},
                                           SplitCase{"C:\\a.b\\site.tar.gz", "C:", "\\a.b\\", "site.tar", ".gz"},
                                           SplitCase{"\\\\server\\share\\x\\y.dxf", "\\\\server\\share", "\\x\\", "y", ".dxf"},
                                           SplitCase{"C:" + kLongFolder + kLongName + ".dwg", "C:", kLongFolder,
                                                     kLongName, ".dwg"}));

// ---- The list on a temporary folder ----

// Runs the drag loop as the mouse would: over the given row (or below the rows), then drops, all
// through the list's own OLE drop target.
class DragList : public CIEShellListCtrl
{
public:
    int dropRow = -1;
    DROPEFFECT lastEffect = DROPEFFECT_NONE;

protected:
    DROPEFFECT RunDragLoop(COleDataSource& source, DWORD allowed) override
    {
        POINT point = {5, 5};
        if (dropRow >= 0) {
            CRect rect;
            GetItemRect(dropRow, &rect, LVIR_LABEL);
            point = {rect.left + 4, rect.top + rect.Height() / 2};
        } else {
            CRect client;
            GetClientRect(&client);
            point = {client.right - 5, client.bottom - 5};
        }
        ClientToScreen(&point);
        IDropTarget* target = GetDropTarget().GetInterface();
        DWORD effect = allowed;
        target->DragEnter(source.GetDataObject(), MK_LBUTTON, {point.x, point.y}, &effect);
        effect = allowed;
        target->DragOver(MK_LBUTTON, {point.x, point.y}, &effect);
        if (effect == DROPEFFECT_NONE) {
            target->DragLeave();
            return lastEffect = DROPEFFECT_NONE;
        }
        effect = allowed;
        target->Drop(source.GetDataObject(), MK_LBUTTON, {point.x, point.y}, &effect);
        return lastEffect = effect;
    }
};

class FileCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OleInitialize(nullptr);
        m_savedOptions = g_options;
        Write("plan.dwg", "dwg");
        Write("photo.jpg", "jpeg");
        Write("notes.txt", "notes");
        CreateDirectoryA((m_dir / "sub").c_str(), nullptr);
        CreateDirectoryA((m_dir / "target").c_str(), nullptr);
        ASSERT_TRUE(m_owner.CreateOwner(640, 480));
        m_owner.ShowWindow(SW_SHOW);
        m_list.SetShellSwitches(false, false);
        m_list.SetShellShowsExtensions(true);
        m_list.SetShowOtherFiles(true);
        ASSERT_TRUE(m_list.CreateList(&m_owner, CRect(0, 0, 620, 440), 112));
        m_list.SetViewType(CIEShellListCtrl::kDetails);
        ASSERT_TRUE(m_list.SetFolderPath(m_dir.Path().c_str()));
    }
    void TearDown() override
    {
        m_list.DestroyWindow();
        m_owner.DestroyWindow();
        g_options = m_savedOptions;
        OleUninitialize();
    }

    void Write(const std::string& name, const std::string& text)
    {
        orvo::test::WriteFileBytes(m_dir / name, text.data(), text.size());
    }
    int Row(const std::string& name) const { return m_list.FindRowByName(name.c_str()); }
    void Select(std::initializer_list<const char*> names)
    {
        m_list.UnselectAll();
        for (const char* name : names)
            m_list.SetItemState(Row(name), LVIS_SELECTED, LVIS_SELECTED);
        m_list.SetItemState(Row(*names.begin()), LVIS_FOCUSED, LVIS_FOCUSED);
    }
    // Messages the user would have seen, answered with the given button.
    CPromptHandlerScope Answer(int button)
    {
        return CPromptHandlerScope([this, button](const PromptRequest& request) {
            m_prompts.emplace_back(request.strText.GetString());
            return button;
        });
    }

    RegistryRootScope m_registry;
    CAppOptions m_savedOptions;
    TempDir m_dir;
    CListTestOwner m_owner;
    DragList m_list;
    std::vector<std::string> m_prompts;
};

// Renaming through the label editor: type, press Enter, and see what is on the disk.
struct RenameCase
{
    const char* typed;
    bool showExtensions;
    const char* expectedFile; // null: refused, plan.dwg stays
    // The row's label when the edit starts; null: the label the shell gave. A shell that hides
    // extensions labels plan.dwg "plan".
    const char* label = nullptr;
};

class RenameTable : public FileCommandsTest, public ::testing::WithParamInterface<RenameCase> {};


TEST_P(RenameTable, TheEditorRenamesOnlyWithinTheFolder)
{
    const RenameCase& c = GetParam();
    m_list.SetShellShowsExtensions(c.showExtensions);
    auto scope = Answer(IDOK);
    if (c.label != nullptr)
        m_list.SetCellText(Row("plan.dwg"), CIEShellListCtrl::kNameColumn, c.label);
    Select({"plan.dwg"});
    ASSERT_TRUE(m_list.RenameCurrentItem());
    const HWND edit = reinterpret_cast<HWND>(m_list.SendMessage(LVM_GETEDITCONTROL));
    ASSERT_NE(edit, nullptr);
    ::SetWindowTextA(edit, c.typed);
    ::SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    if (c.expectedFile == nullptr) {
        EXPECT_TRUE(Exists(m_dir / "plan.dwg"));
        EXPECT_EQ(m_prompts.size(), 1u) << "the user is told why";
        return;
    }
    EXPECT_EQ(NameOnDisk(m_dir / c.expectedFile), c.expectedFile);
    EXPECT_EQ(orvo::test::ReadFileBytes(m_dir / c.expectedFile), "dwg");
    EXPECT_TRUE(m_prompts.empty());
    if (_stricmp(c.expectedFile, "plan.dwg") != 0) {
        EXPECT_FALSE(Exists(m_dir / "plan.dwg"));
    }
    // The list catches up with the new name once the edit has ended.
    EXPECT_TRUE(orvo::test::WaitFor([&] { return Row(c.expectedFile) >= 0; }, 3000));
    EXPECT_STREQ(m_list.GetCurrentItemPath(), (m_dir / c.expectedFile).c_str());
}

INSTANTIATE_TEST_SUITE_P(Names, RenameTable,
                         ::testing::Values(RenameCase{"site", false, "site.dwg", "plan"},
                                           // The label showed the extension: what was typed is the
                                           // name, whatever the shell's switch says.
                                           RenameCase{"new.dwg", false, "new.dwg", "plan.dwg"},
                                           RenameCase{"new.dxf", false, "new.dxf", "plan.dwg"},
                                           RenameCase{"site", true, "site", "plan.dwg"},
                                           RenameCase{"site.dxf", true, "site.dxf"},
                                           RenameCase{"Plan.dwg", true, "Plan.dwg"},
                                           RenameCase{"..", true, nullptr}, RenameCase{"..\\x", true, nullptr},
                                           RenameCase{"a\\b", true, nullptr}, RenameCase{"sub/plan.dwg", true, nullptr},
                                           RenameCase{"..\\plan.dwg", false, nullptr},
                                           RenameCase{"a:b", true, nullptr}, RenameCase{"con", false, nullptr},
                                           RenameCase{"photo.jpg", true, nullptr},
                                           RenameCase{"sub", true, nullptr}),
                         [](const ::testing::TestParamInfo<RenameCase>& info) {
                             return CaseName(info.param.typed) + (info.param.showExtensions ? "_ext" : "_noext") +
                                    (info.param.label ? "_" + CaseName(info.param.label) : std::string());
                         });

// Types the text into the cell editor over a row's name and ends the edit with the key.
bool TypeInCellEditor(CIEShellListCtrl& list, int row, const char* text, WPARAM key)
{
    CInPlaceEdit* edit = list.EditCell(row, CIEShellListCtrl::kNameColumn);
    if (edit == nullptr)
        return false;
    edit->SetWindowText(text);
    edit->SendMessage(WM_CHAR, key, 0);
    return true;
}

TEST_F(FileCommandsTest, TheCellEditorRenamesAsTheLabelEditorDoes)
{
    auto scope = Answer(IDOK);
    ASSERT_TRUE(TypeInCellEditor(m_list, Row("plan.dwg"), "cell.dwg", VK_RETURN));
    EXPECT_EQ(orvo::test::ReadFileBytes(m_dir / "cell.dwg"), "dwg");
    EXPECT_FALSE(Exists(m_dir / "plan.dwg"));
    EXPECT_TRUE(m_prompts.empty());
}

TEST_F(FileCommandsTest, EscapeInTheCellEditorRenamesNothing)
{
    auto scope = Answer(IDOK);
    ASSERT_TRUE(TypeInCellEditor(m_list, Row("plan.dwg"), "other.dwg", VK_ESCAPE));
    EXPECT_TRUE(Exists(m_dir / "plan.dwg"));
    EXPECT_FALSE(Exists(m_dir / "other.dwg"));
}

TEST_F(FileCommandsTest, RenamingToTheSameNameDoesNothing)
{
    auto scope = Answer(IDOK);
    EXPECT_FALSE(m_list.RenameRow(Row("plan.dwg"), "plan.dwg"));
    EXPECT_TRUE(Exists(m_dir / "plan.dwg"));
    EXPECT_TRUE(m_prompts.empty());
}

TEST_F(FileCommandsTest, ACollisionNamesTheFileThatExists)
{
    auto scope = Answer(IDOK);
    EXPECT_FALSE(m_list.RenameRow(Row("plan.dwg"), "photo.jpg"));
    ASSERT_EQ(m_prompts.size(), 1u);
    EXPECT_NE(m_prompts[0].find("photo.jpg"), std::string::npos);
    EXPECT_EQ(orvo::test::ReadFileBytes(m_dir / "photo.jpg"), "jpeg");
    EXPECT_EQ(orvo::test::ReadFileBytes(m_dir / "plan.dwg"), "dwg");
}

TEST_F(FileCommandsTest, AFolderKeepsItsWholeTypedName)
{
    m_list.SetShellShowsExtensions(false);
    auto scope = Answer(IDOK);
    EXPECT_TRUE(m_list.RenameRow(Row("sub"), "sub.old"));
    EXPECT_TRUE(Exists(m_dir / "sub.old"));
}

// Deleting.

TEST_F(FileCommandsTest, DeletingAsksFirstAndNoKeepsTheFiles)
{
    auto scope = Answer(IDNO);
    Select({"plan.dwg", "notes.txt"});
    EXPECT_FALSE(m_list.DeleteSelectedItems(true));
    ASSERT_EQ(m_prompts.size(), 1u);
    EXPECT_NE(m_prompts[0].find("these 2 items"), std::string::npos);
    EXPECT_TRUE(Exists(m_dir / "plan.dwg"));
    EXPECT_TRUE(Exists(m_dir / "notes.txt"));
}

TEST_F(FileCommandsTest, DeletingForGoodRemovesEverySelectedFileAndNoOther)
{
    auto scope = Answer(IDYES);
    Select({"plan.dwg", "notes.txt", "sub"});
    EXPECT_TRUE(m_list.DeleteSelectedItems(true));
    EXPECT_FALSE(Exists(m_dir / "plan.dwg"));
    EXPECT_FALSE(Exists(m_dir / "notes.txt"));
    EXPECT_FALSE(Exists(m_dir / "sub"));
    EXPECT_TRUE(Exists(m_dir / "photo.jpg"));
    EXPECT_TRUE(Exists(m_dir / "target"));
    EXPECT_EQ(m_prompts.size(), 1u);
}

// Wine's shell puts a file deleted with undo into the user's desktop trash (the XDG trash of the
// Linux home); the test finds it there, so undo is possible, and removes it again.
std::string TrashFolder()
{
    // Wine names the Linux home as \??\Z:\root.
    char home[MAX_PATH] = {};
    if (GetEnvironmentVariableA("WINEHOMEDIR", home, sizeof(home)) == 0)
        return {};
    std::string path = home;
    if (path.rfind("\\??\\", 0) == 0)
        path = path.substr(4);
    return path + "\\.local\\share\\Trash";
}

TEST_F(FileCommandsTest, DeletingWithUndoTakesTheFileFromTheFolder)
{
    const std::string name = "undo-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + ".txt";
    Write(name, "undo me");
    m_list.Refresh(TRUE, FALSE);
    auto scope = Answer(IDYES);
    Select({name.c_str()});
    EXPECT_TRUE(m_list.DeleteSelectedItems(false));
    ASSERT_FALSE(m_prompts.empty());
    EXPECT_NE(m_prompts[0].find("Recycle Bin"), std::string::npos);
    EXPECT_NE(m_prompts[0].find("'" + name + "'"), std::string::npos);
    EXPECT_FALSE(Exists(m_dir / name));
    EXPECT_TRUE(Exists(m_dir / "plan.dwg"));
    const std::string trash = TrashFolder();
    if (trash.empty() || !Exists(trash + "\\files\\" + name))
        return; // a shell with a recycle bin of its own
    EXPECT_EQ(orvo::test::ReadFileBytes(trash + "\\files\\" + name), "undo me");
    DeleteFileA((trash + "\\files\\" + name).c_str());
    DeleteFileA((trash + "\\info\\" + name + ".trashinfo").c_str());
}

TEST_F(FileCommandsTest, AFileInUseKeepsEveryFileWhereItWasAndIsNamed)
{
    // Another program holds notes.txt without letting anyone delete it.
    const HANDLE held = CreateFileA((m_dir / "notes.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    auto scope = Answer(IDYES);
    Select({"plan.dwg", "notes.txt", "photo.jpg"});
    EXPECT_FALSE(m_list.DeleteSelectedItems(true));
    CloseHandle(held);
    EXPECT_TRUE(Exists(m_dir / "plan.dwg"));
    EXPECT_TRUE(Exists(m_dir / "notes.txt"));
    EXPECT_TRUE(Exists(m_dir / "photo.jpg"));
    ASSERT_EQ(m_prompts.size(), 2u);
    EXPECT_NE(m_prompts[1].find("notes.txt"), std::string::npos);
    EXPECT_EQ(m_prompts[1].find("plan.dwg"), std::string::npos);
}

TEST_F(FileCommandsTest, NothingSelectedAsksNothing)
{
    auto scope = Answer(IDYES);
    m_list.UnselectAll();
    EXPECT_FALSE(m_list.DeleteSelectedItems(true));
    EXPECT_TRUE(m_prompts.empty());
}

// Moving and copying the list's own rows by a drop.

TEST_F(FileCommandsTest, ALeftDropMovesEveryDraggedRowOnce)
{
    int menus = 0;
    CModalHandlerScope modal([&](const ModalRequest&) -> INT_PTR {
        ++menus;
        return CIEShellListCtrl::kDropMenuCopy;
    });
    Select({"plan.dwg", "photo.jpg", "notes.txt"});
    m_list.dropRow = Row("target");
    m_list.BeginDrag(Row("plan.dwg"));
    for (const char* name : {"plan.dwg", "photo.jpg", "notes.txt"}) {
        EXPECT_TRUE(Exists(m_dir / (std::string("target\\") + name))) << name;
        EXPECT_FALSE(Exists(m_dir / name)) << name;
    }
    EXPECT_EQ(menus, 0) << "no menu, and no second operation, after the drag";
    EXPECT_EQ(m_list.GetDropTargetRow(), -1);
}

TEST_F(FileCommandsTest, ARightDropAsksOnceAndCopiesWhenCopyIsChosen)
{
    int menus = 0;
    CModalHandlerScope modal([&](const ModalRequest& request) -> INT_PTR {
        ++menus;
        EXPECT_EQ(request.kind, ModalKind::PopupMenu);
        return CIEShellListCtrl::kDropMenuCopy;
    });
    Select({"plan.dwg", "notes.txt"});
    m_list.dropRow = Row("target");
    m_list.BeginRightDrag(Row("plan.dwg"));
    EXPECT_EQ(menus, 1);
    for (const char* name : {"plan.dwg", "notes.txt"}) {
        EXPECT_TRUE(Exists(m_dir / (std::string("target\\") + name))) << name;
        EXPECT_TRUE(Exists(m_dir / name)) << name << " stays on a copy";
    }
    EXPECT_FALSE(Exists(m_dir / "target\\Copy of plan.dwg")) << "copied once";
}

TEST_F(FileCommandsTest, ARightDropThatIsCancelledLeavesTheFiles)
{
    CModalHandlerScope modal([](const ModalRequest&) -> INT_PTR { return 0; });
    Select({"plan.dwg"});
    m_list.dropRow = Row("target");
    m_list.BeginRightDrag(Row("plan.dwg"));
    EXPECT_TRUE(Exists(m_dir / "plan.dwg"));
    EXPECT_FALSE(Exists(m_dir / "target\\plan.dwg"));
}

TEST_F(FileCommandsTest, AFileRowTakesNoDrop)
{
    Select({"notes.txt"});
    m_list.dropRow = Row("plan.dwg");
    m_list.BeginDrag(Row("notes.txt"));
    EXPECT_EQ(m_list.lastEffect, static_cast<DROPEFFECT>(DROPEFFECT_NONE));
    EXPECT_TRUE(Exists(m_dir / "notes.txt"));
}

TEST_F(FileCommandsTest, AFolderIsNeverMovedIntoItself)
{
    Select({"target", "notes.txt"});
    m_list.dropRow = Row("target");
    m_list.BeginDrag(Row("notes.txt"));
    EXPECT_TRUE(Exists(m_dir / "target"));
    EXPECT_TRUE(Exists(m_dir / "target\\notes.txt"));
    EXPECT_FALSE(Exists(m_dir / "target\\target"));
}

// Cut, Copy and Paste of the list's files through the clipboard, between two folders.

struct ClipboardCase
{
    const char* name;
    bool cut;
};

class ClipboardTable : public FileCommandsTest, public ::testing::WithParamInterface<ClipboardCase> {};

TEST_P(ClipboardTable, PasteMovesWhatWasCutAndCopiesWhatWasCopied)
{
    const bool cut = GetParam().cut;
    Select({"plan.dwg", "photo.jpg"});
    ASSERT_TRUE(m_list.CanCopyToClipboard());
    ASSERT_TRUE(cut ? m_list.CutToClipboard() : m_list.CopyToClipboard());
    EXPECT_TRUE(Exists(m_dir / "plan.dwg")) << "nothing moves before the paste";

    ASSERT_TRUE(m_list.SetFolderPath((m_dir / "target").c_str()));
    ASSERT_TRUE(m_list.CanPaste());
    ASSERT_TRUE(m_list.PasteFromClipboard());
    for (const char* name : {"plan.dwg", "photo.jpg"}) {
        EXPECT_TRUE(Exists(m_dir / (std::string("target\\") + name))) << name;
        EXPECT_EQ(Exists(m_dir / name), !cut) << name;
    }
    EXPECT_TRUE(Exists(m_dir / "notes.txt")) << "an unselected file stays out of it";
    EXPECT_FALSE(Exists(m_dir / "target\\notes.txt"));

    // Moved files are gone from where the clipboard names them: nothing is left to paste. Copied
    // ones paste again elsewhere.
    ASSERT_TRUE(m_list.SetFolderPath((m_dir / "sub").c_str()));
    EXPECT_EQ(m_list.CanPaste(), !cut);
    EXPECT_EQ(m_list.PasteFromClipboard(), !cut);
    EXPECT_EQ(Exists(m_dir / "sub\\plan.dwg"), !cut);
}

INSTANTIATE_TEST_SUITE_P(Marks, ClipboardTable,
                         ::testing::Values(ClipboardCase{"Cut", true}, ClipboardCase{"Copy", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The list writes what the shell and the folder tree read: CF_HDROP and "Preferred DropEffect".
TEST_F(FileCommandsTest, TheClipboardCarriesTheFilesAndTheShellsCutMarker)
{
    Select({"notes.txt", "sub"});
    ASSERT_TRUE(m_list.CutToClipboard());
    FileClipboard::Content content;
    ASSERT_TRUE(FileClipboard::Read(m_owner.m_hWnd, content));
    EXPECT_TRUE(content.cut);
    ASSERT_EQ(content.files.GetCount(), 2);
    ASSERT_TRUE(OpenClipboard(m_owner.m_hWnd));
    EXPECT_EQ(FileClipboard::ReadPreferredDropEffect(), static_cast<DWORD>(DROPEFFECT_MOVE));
    CloseClipboard();

    ASSERT_TRUE(m_list.CopyToClipboard());
    ASSERT_TRUE(FileClipboard::Read(m_owner.m_hWnd, content));
    EXPECT_FALSE(content.cut);
    ASSERT_TRUE(OpenClipboard(m_owner.m_hWnd));
    EXPECT_EQ(FileClipboard::ReadPreferredDropEffect() & DROPEFFECT_MOVE, 0u);
    CloseClipboard();
}

// A paste of cut files empties the clipboard only while it still holds what was pasted.
TEST_F(FileCommandsTest, ANewerClipboardIsKeptAfterAMove)
{
    Select({"notes.txt"});
    ASSERT_TRUE(m_list.CutToClipboard());
    FileClipboard::Content content;
    ASSERT_TRUE(FileClipboard::Read(m_owner.m_hWnd, content));
    Select({"plan.dwg"});
    ASSERT_TRUE(m_list.CopyToClipboard());
    FileClipboard::ForgetMovedFiles(m_owner.m_hWnd, content);
    EXPECT_TRUE(FileClipboard::HasFiles(m_owner.m_hWnd));
    ASSERT_TRUE(m_list.CutToClipboard());
    ASSERT_TRUE(FileClipboard::Read(m_owner.m_hWnd, content));
    FileClipboard::ForgetMovedFiles(m_owner.m_hWnd, content);
    EXPECT_FALSE(FileClipboard::HasFiles(m_owner.m_hWnd));
}

TEST_F(FileCommandsTest, NothingToCutOrPasteDoesNothing)
{
    m_list.UnselectAll();
    EXPECT_FALSE(m_list.CanCopyToClipboard());
    EXPECT_FALSE(m_list.CutToClipboard());
    ASSERT_TRUE(OpenClipboard(m_owner.m_hWnd));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_FALSE(m_list.CanPaste());
    EXPECT_FALSE(m_list.PasteFromClipboard());
    // Files cut and pasted into the folder they are in stay where they are.
    Select({"notes.txt"});
    ASSERT_TRUE(m_list.CutToClipboard());
    EXPECT_FALSE(m_list.PasteFromClipboard());
    EXPECT_TRUE(Exists(m_dir / "notes.txt"));
    EXPECT_TRUE(FileClipboard::HasFiles(m_owner.m_hWnd)) << "nothing moved: the cut is still there";
}

// Opening and selecting.

TEST_F(FileCommandsTest, OpeningAFolderRowShowsThatFolder)
{
    m_list.OpenItem(Row("sub"));
    EXPECT_STREQ(m_list.GetFolderPath(), (m_dir / "sub").c_str());
}

TEST_F(FileCommandsTest, OpeningADrawingViewsItOrHandsItToTheShell)
{
    std::vector<std::string> viewed;
    std::vector<std::string> launched;
    m_list.SetOpenForViewing([&](const CString& path) {
        viewed.emplace_back(path.GetString());
        return true;
    });
    const ShellItemLaunchHandler previous =
        SetShellItemLaunchHandler([&](HWND, LPCITEMIDLIST item, const char* path, const char* verb) {
            EXPECT_NE(item, nullptr);
            launched.push_back(std::string(path) + "|" + (verb != nullptr ? verb : "(default)"));
            return true;
        });
    g_options.DBClickOpenByOrvoKestal = true;
    Select({"plan.dwg"});
    m_list.OpenItem(Row("plan.dwg"));
    g_options.DBClickOpenByOrvoKestal = false;
    m_list.OpenItem(Row("plan.dwg"));
    m_list.OpenItem(Row("notes.txt"));
    Select({"notes.txt"});
    EXPECT_TRUE(m_list.ShowShellProperties());
    SetShellItemLaunchHandler(previous);
    EXPECT_EQ(viewed, std::vector<std::string>({m_dir / "plan.dwg"}));
    EXPECT_EQ(launched, std::vector<std::string>({m_dir / "plan.dwg" + "|(default)", m_dir / "notes.txt" + "|(default)",
                                                  m_dir / "notes.txt" + "|properties"}));
}

TEST_F(FileCommandsTest, SelectionCommands)
{
    const int rows = m_list.GetItemCount();
    ASSERT_EQ(rows, 5);
    m_list.SelectAll();
    EXPECT_EQ(static_cast<int>(m_list.GetSelectedCount()), rows);
    m_list.UnselectAll();
    EXPECT_EQ(m_list.GetSelectedCount(), 0u);
    Select({"plan.dwg"});
    m_list.InvertSelection();
    EXPECT_EQ(static_cast<int>(m_list.GetSelectedCount()), rows - 1);
    EXPECT_EQ(m_list.GetItemState(Row("plan.dwg"), LVIS_SELECTED), 0u);
    EXPECT_TRUE(m_list.SelectAllDrawingFiles());
    CStringList paths;
    ASSERT_TRUE(m_list.GetSelectedPaths(paths));
    EXPECT_EQ(paths.GetCount(), 2);
    CString size;
    EXPECT_TRUE(m_list.GetSelectedFilesSizeText(size));
    EXPECT_STREQ(size, "1 KB");
    EXPECT_TRUE(m_list.SelectItemByPath(CString((m_dir / "NOTES.TXT").c_str())));
    EXPECT_EQ(m_list.GetSelectedCount(), 1u);
    EXPECT_FALSE(m_list.SelectItemByPath("C:\\nowhere\\x.dwg"));
    // The folder in other letters; a name the folder does not hold; a name beyond ASCII.
    CString upper((m_dir / "plan.dwg").c_str());
    upper.MakeUpper();
    EXPECT_TRUE(m_list.SelectItemByPath(upper));
    EXPECT_EQ(m_list.GetNextItem(-1, LVNI_SELECTED), Row("plan.dwg"));
    EXPECT_FALSE(m_list.SelectItemByPath(CString((m_dir / "gone.dwg").c_str())));
    EXPECT_EQ(m_list.GetNextItem(-1, LVNI_SELECTED), Row("plan.dwg")) << "the selection stays";
    Write("caf\xe9.dxf", "x");
    m_list.Refresh(FALSE, FALSE);
    EXPECT_TRUE(m_list.SelectItemByPath(CString((m_dir / "caf\xe9.dxf").c_str())));
    EXPECT_EQ(m_list.GetNextItem(-1, LVNI_SELECTED), Row("caf\xe9.dxf"));
}

TEST_F(FileCommandsTest, AFolderWithoutDrawingsSaysSo)
{
    auto scope = Answer(IDOK);
    ASSERT_TRUE(m_list.SetFolderPath((m_dir / "sub").c_str()));
    Write("sub\\readme.txt", "r");
    m_list.Refresh(TRUE, TRUE);
    EXPECT_FALSE(m_list.SelectAllDrawingFiles());
    ASSERT_EQ(m_prompts.size(), 1u);
    EXPECT_EQ(m_prompts[0], "Not found any drawing file !");
}

TEST_F(FileCommandsTest, SteppingGoesFromDrawingToDrawingOverOtherFiles)
{
    // Sorted by name: notes.txt, photo.jpg, plan.dwg, sub, target (folders order by the list).
    m_list.UnselectAll();
    m_list.SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
    std::vector<int> visited;
    while (CShellListItem* item = m_list.SelectNextFile())
        visited.push_back(item->fileType);
    EXPECT_EQ(visited.size(), 2u);
    EXPECT_EQ(m_list.GetSelectedCount(), 1u);
    EXPECT_NE(m_list.SelectPreviousFile(), nullptr);
}

TEST_F(FileCommandsTest, OtherFilesComeAndGoWithTheBrowseOptions)
{
    ASSERT_GE(Row("notes.txt"), 0);
    g_options.ShowNoneDrawingFile = false;
    m_list.OnBrowseOptionsChanged(TRUE, FALSE);
    EXPECT_EQ(Row("notes.txt"), -1);
    EXPECT_GE(Row("plan.dwg"), 0);
    g_options.ShowNoneDrawingFile = true;
    m_list.OnBrowseOptionsChanged(TRUE, FALSE);
    EXPECT_GE(Row("notes.txt"), 0);
}

TEST_F(FileCommandsTest, NewThumbnailOptionsMakeEveryRowAgain)
{
    m_list.SetViewType(CIEShellListCtrl::kThumbnails);
    // A mark on the old record: a row made again comes with a fresh one.
    m_list.GetItemRecord(Row("plan.dwg"))->thumbState = 7;
    const int rows = m_list.GetItemCount();
    m_list.OnThumbnailOptionsChanged();
    ASSERT_GE(Row("plan.dwg"), 0);
    EXPECT_EQ(m_list.GetItemRecord(Row("plan.dwg"))->thumbState, 0u);
    EXPECT_EQ(m_list.GetItemCount(), rows);
}

// Saving thumbnails as image files.

// A thumbnail of one colour, held as the cache holds it: a whole BMP file image.
std::unique_ptr<KBMP> MakeThumbnail(const std::string& scratch, int width, int height, COLORREF color)
{
    CDib dib;
    if (!dib.Create(width, height, 24))
        return nullptr;
    const HDC dc = dib.BeginMemDC();
    const RECT all = {0, 0, width, height};
    SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    dib.EndMemDC();
    if (!dib.SaveFile(scratch.c_str()))
        return nullptr;
    const std::string bytes = orvo::test::ReadFileBytes(scratch);
    DeleteFileA(scratch.c_str());
    void* image = malloc(bytes.size());
    memcpy(image, bytes.data(), bytes.size());
    auto picture = std::make_unique<KBMP>();
    if (!picture->Attach(image, false))
        return nullptr;
    return picture;
}

class ThumbnailExportTest : public FileCommandsTest
{
protected:
    void SetUp() override
    {
        FileCommandsTest::SetUp();
        m_list.GetItemRecord(Row("plan.dwg"))->thumbnail = MakeThumbnail(m_dir / "t1.bmp", 40, 30, RGB(200, 20, 20));
        m_list.GetItemRecord(Row("photo.jpg"))->thumbnail = MakeThumbnail(m_dir / "t2.bmp", 48, 36, RGB(20, 20, 200));
    }
    SaveThumbnailChoice Choice(int format, int overwrite = SaveThumbnailChoice::kAsk)
    {
        SaveThumbnailChoice choice;
        choice.targetFolder = (m_dir / "out\\deep").c_str();
        choice.format = format;
        choice.overwrite = overwrite;
        return choice;
    }
    // The file decoded by the imaging library as the format it claims; 0 x 0 when it does not decode.
    static SIZE Decoded(const std::string& path, DWORD type)
    {
        const std::string bytes = orvo::test::ReadFileBytes(path);
        CRasterImage image(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), type);
        if (bytes.empty() || !image.IsValid())
            return {0, 0};
        return {static_cast<LONG>(image.GetWidth()), static_cast<LONG>(image.GetHeight())};
    }
};

struct ExportCase
{
    int format;
    const char* extension;
    DWORD rasterType;
};

class ExportTable : public ThumbnailExportTest, public ::testing::WithParamInterface<ExportCase> {};

TEST_P(ExportTable, EveryThumbnailBecomesAFileThatDecodes)
{
    const ExportCase& c = GetParam();
    auto scope = Answer(IDOK);
    ASSERT_TRUE(m_list.ExportThumbnails(Choice(c.format)));
    ASSERT_EQ(m_prompts.size(), 1u) << "asked once to make the missing folder";
    EXPECT_EQ(m_prompts[0], "The directory doesn't exist.Create it?");
    const SIZE plan = Decoded(m_dir / (std::string("out\\deep\\plan") + c.extension), c.rasterType);
    const SIZE photo = Decoded(m_dir / (std::string("out\\deep\\photo") + c.extension), c.rasterType);
    EXPECT_EQ(plan.cx, 40);
    EXPECT_EQ(plan.cy, 30);
    EXPECT_EQ(photo.cx, 48);
    EXPECT_EQ(photo.cy, 36);
    EXPECT_FALSE(Exists(m_dir / (std::string("out\\deep\\notes") + c.extension))) << "no picture, no file";
    EXPECT_FALSE(Exists(m_dir / (std::string("out\\deep\\sub") + c.extension))) << "folders are skipped";
}

INSTANTIATE_TEST_SUITE_P(Formats, ExportTable,
                         ::testing::Values(ExportCase{SaveThumbnailChoice::kBmp, ".bmp", 1},
                                           ExportCase{SaveThumbnailChoice::kJpeg, ".jpg", 3},
                                           ExportCase{SaveThumbnailChoice::kGif, ".gif", 2}),
                         [](const ::testing::TestParamInfo<ExportCase>& info) { return std::string(info.param.extension + 1); });

// A file that cannot be written is named with the writer's own reason and ends the export; what
// was there stays as it was. (A folder holds the file's name: no writer can open it.)
struct ExportFailureCase
{
    int format;
    const char* extension;
    const char* reason;
};

class ExportFailureTable : public ThumbnailExportTest, public ::testing::WithParamInterface<ExportFailureCase> {};

TEST_P(ExportFailureTable, AFileThatCannotBeWrittenIsNamedAndStopsTheExport)
{
    const ExportFailureCase& c = GetParam();
    CreateDirectoryA((m_dir / "out").c_str(), nullptr);
    CreateDirectoryA((m_dir / "out\\deep").c_str(), nullptr);
    const std::string blocked = m_dir / (std::string("out\\deep\\photo") + c.extension);
    ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
    auto scope = Answer(IDOK);
    EXPECT_FALSE(m_list.ExportThumbnails(Choice(c.format, SaveThumbnailChoice::kReplace)));
    ASSERT_EQ(m_prompts.size(), 1u) << "one failure, one message";
    EXPECT_NE(m_prompts[0].find("could not be saved as " + blocked), std::string::npos) << m_prompts[0];
    std::string lower = m_prompts[0];
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char ch) { return static_cast<char>(tolower(ch)); });
    EXPECT_NE(lower.find(c.reason), std::string::npos) << m_prompts[0];
    EXPECT_NE(GetFileAttributesA(blocked.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_FALSE(Exists(m_dir / (std::string("out\\deep\\plan") + c.extension))) << "the export stopped at the failure";
}

INSTANTIATE_TEST_SUITE_P(Formats, ExportFailureTable,
                         ::testing::Values(ExportFailureCase{SaveThumbnailChoice::kBmp, ".bmp", "could not be written"},
                                           // The writers' texts: their open or their write fails.
                                           ExportFailureCase{SaveThumbnailChoice::kJpeg, ".jpg", "jpeg"},
                                           ExportFailureCase{SaveThumbnailChoice::kGif, ".gif", "gif"}),
                         [](const ::testing::TestParamInfo<ExportFailureCase>& info) {
                             return std::string(info.param.extension + 1);
                         });

TEST_F(ThumbnailExportTest, NotMakingTheFolderWritesNothing)
{
    auto scope = Answer(IDCANCEL);
    EXPECT_FALSE(m_list.ExportThumbnails(Choice(SaveThumbnailChoice::kBmp)));
    EXPECT_FALSE(Exists(m_dir / "out"));
}

TEST_F(ThumbnailExportTest, OnlySelectedRowsWhenAsked)
{
    CreateDirectoryA((m_dir / "out").c_str(), nullptr);
    CreateDirectoryA((m_dir / "out\\deep").c_str(), nullptr);
    auto scope = Answer(IDOK);
    Select({"photo.jpg"});
    SaveThumbnailChoice choice = Choice(SaveThumbnailChoice::kBmp);
    choice.allRows = false;
    ASSERT_TRUE(m_list.ExportThumbnails(choice));
    EXPECT_TRUE(m_prompts.empty());
    EXPECT_TRUE(Exists(m_dir / "out\\deep\\photo.bmp"));
    EXPECT_FALSE(Exists(m_dir / "out\\deep\\plan.bmp"));
}

TEST_F(ThumbnailExportTest, AnExistingFileIsKeptNamedAgainOrReplacedAsChosen)
{
    CreateDirectoryA((m_dir / "out").c_str(), nullptr);
    CreateDirectoryA((m_dir / "out\\deep").c_str(), nullptr);
    Write("out\\deep\\plan.bmp", "mine");
    {
        auto scope = Answer(IDNO);
        ASSERT_TRUE(m_list.ExportThumbnails(Choice(SaveThumbnailChoice::kBmp, SaveThumbnailChoice::kAsk)));
        ASSERT_EQ(m_prompts.size(), 1u);
        EXPECT_NE(m_prompts[0].find("Overwrite the exists file :"), std::string::npos);
        EXPECT_NE(m_prompts[0].find("plan.bmp"), std::string::npos);
        EXPECT_EQ(orvo::test::ReadFileBytes(m_dir / "out\\deep\\plan.bmp"), "mine");
    }
    ASSERT_TRUE(m_list.ExportThumbnails(Choice(SaveThumbnailChoice::kBmp, SaveThumbnailChoice::kNewName)));
    EXPECT_EQ(orvo::test::ReadFileBytes(m_dir / "out\\deep\\plan.bmp"), "mine");
    EXPECT_EQ(Decoded(m_dir / "out\\deep\\plan (2).bmp", 1).cx, 40);
    ASSERT_TRUE(m_list.ExportThumbnails(Choice(SaveThumbnailChoice::kBmp, SaveThumbnailChoice::kReplace)));
    EXPECT_EQ(Decoded(m_dir / "out\\deep\\plan.bmp", 1).cx, 40);
}

} // namespace
