// The shell file list on a real temporary folder: what each view type and setting shows, the
// merge refresh after files come and go, the sort and view settings in the registry, and the
// rules and formats as tables.
#include "browser/list/CIEShellListCtrl.h"
#include "browser/shell/ShellItemFilter.h"
#include "ui/CLocaleInfo.h"
#include "tests/core/RegistryRootScope.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ListTestWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>

namespace {

using Names = std::set<std::string>;

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

class ShellListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OleInitialize(nullptr);
        WriteFile(m_dir / "plan.dxf", "0\nSECTION\n0\nENDSEC\n0\nEOF\n");
        WriteFile(m_dir / "photo.jpg", std::string(3000, 'j'));
        WriteFile(m_dir / "scan.bmp", std::string(10, 'b'));
        WriteFile(m_dir / "notes.txt", "");
        WriteFile(m_dir / "secret.dxf", "0\nEOF\n");
        SetFileAttributesA((m_dir / "secret.dxf").c_str(), FILE_ATTRIBUTE_HIDDEN);
        CreateDirectoryA((m_dir / "sub").c_str(), nullptr);
        ASSERT_TRUE(m_owner.CreateOwner(640, 480));
        m_owner.ShowWindow(SW_SHOW);
        m_list.SetShellSwitches(false, false);
        m_list.SetShowOtherFiles(true);
        ASSERT_TRUE(m_list.CreateList(&m_owner, CRect(0, 0, 620, 440), 112));
    }
    void TearDown() override
    {
        m_list.DestroyWindow();
        m_owner.DestroyWindow();
        OleUninitialize();
    }

    Names Shown() const
    {
        Names names;
        for (int row = 0; row < m_list.GetItemCount(); ++row) {
            const CString path = m_list.GetRowPath(row);
            const int slash = path.ReverseFind('\\');
            names.insert(std::string(path.Mid(slash + 1)));
        }
        return names;
    }

    RegistryRootScope m_registry; // the list saves its settings when it ends
    orvo::test::TempDir m_dir;
    CListTestOwner m_owner;
    CIEShellListCtrl m_list;
};

struct FillCase
{
    const char* name;
    int viewType;
    bool showOther;
    bool showAll;
    bool showSystem;
    Names expected;
};

class ShellListFillTable : public ShellListTest, public ::testing::WithParamInterface<FillCase> {};

TEST_P(ShellListFillTable, ShowsWhatTheSettingsAsk)
{
    const FillCase& c = GetParam();
    m_list.SetViewType(c.viewType);
    m_list.SetShowOtherFiles(c.showOther);
    m_list.SetShellSwitches(c.showAll, c.showSystem);
    ASSERT_TRUE(m_list.SetFolderPath(m_dir.Path().c_str()));
    EXPECT_EQ(Shown(), c.expected);
    EXPECT_EQ(m_list.GetViewType(), c.viewType);
    const DWORD type = m_list.GetStyle() & LVS_TYPEMASK;
    EXPECT_EQ(type, static_cast<DWORD>(c.viewType == 1 ? LVS_REPORT : c.viewType == 2 ? LVS_SMALLICON
                                       : c.viewType == 3 ? LVS_LIST : LVS_ICON));
}

const Names kDrawingsAndFolder = {"plan.dxf", "photo.jpg", "scan.bmp", "sub"};
const Names kWithOther = {"plan.dxf", "photo.jpg", "scan.bmp", "sub", "notes.txt"};
const Names kWithHidden = {"plan.dxf", "photo.jpg", "scan.bmp", "sub", "notes.txt", "secret.dxf"};
const Names kThumbsHidden = {"plan.dxf", "photo.jpg", "scan.bmp", "sub", "secret.dxf"};

INSTANTIATE_TEST_SUITE_P(Views, ShellListFillTable, ::testing::Values(
    FillCase{"Thumbnails", 4, true, false, false, kDrawingsAndFolder},
    FillCase{"ThumbnailsShowAll", 4, true, true, false, kThumbsHidden},
    FillCase{"Details", 1, true, false, false, kWithOther},
    FillCase{"DetailsNoOther", 1, false, false, false, kDrawingsAndFolder},
    FillCase{"LargeIcons", 0, true, false, false, kWithOther},
    FillCase{"SmallIconsNoOther", 2, false, false, false, kDrawingsAndFolder},
    FillCase{"ListShowAll", 3, true, true, false, kWithHidden},
    // Showing system files too must not hide the hidden ones.
    FillCase{"ListShowAllAndSystem", 3, true, true, true, kWithHidden}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShellListTest, MergeKeepsUntouchedRowsAndTakesChanges)
{
    m_list.SetViewType(CIEShellListCtrl::kDetails);
    ASSERT_TRUE(m_list.SetFolderPath(m_dir.Path().c_str()));
    const CShellListItem* plan = m_list.GetItemRecord(m_list.FindRowByName("plan.dxf"));
    const CShellListItem* sub = m_list.GetItemRecord(m_list.FindRowByName("sub"));
    ASSERT_NE(plan, nullptr);
    ASSERT_NE(sub, nullptr);

    WriteFile(m_dir / "added.dwg", "AC1015");
    ASSERT_TRUE(DeleteFileA((m_dir / "photo.jpg").c_str()));
    ASSERT_TRUE(MoveFileA((m_dir / "scan.bmp").c_str(), (m_dir / "renamed.bmp").c_str()));
    m_list.Refresh(TRUE, FALSE);

    EXPECT_EQ(Shown(), (Names{"plan.dxf", "sub", "notes.txt", "added.dwg", "renamed.bmp"}));
    // The rows that nothing touched are the same records (what they carry stays).
    EXPECT_EQ(m_list.GetItemRecord(m_list.FindRowByName("plan.dxf")), plan);
    EXPECT_EQ(m_list.GetItemRecord(m_list.FindRowByName("sub")), sub);
    EXPECT_EQ(m_list.GetFolderCount(), 1);
    EXPECT_EQ(m_list.GetDrawingFileCount(), 3);
}

TEST_F(ShellListTest, WatchSeesChangesAndRefreshesOnceAfterABurst)
{
    m_list.SetViewType(CIEShellListCtrl::kDetails);
    ASSERT_TRUE(m_list.SetFolderPath(m_dir.Path().c_str()));
    const CShellListItem* plan = m_list.GetItemRecord(m_list.FindRowByName("plan.dxf"));
    // Let the watch arm on the folder first.
    orvo::test::WaitFor([] { return false; }, 300);
    for (int i = 0; i < 20; ++i)
        WriteFile(m_dir / ("burst" + std::to_string(i) + ".dwg"), "AC1015");
    ASSERT_TRUE(DeleteFileA((m_dir / "photo.jpg").c_str()));
    ASSERT_TRUE(MoveFileA((m_dir / "scan.bmp").c_str(), (m_dir / "renamed.bmp").c_str()));
    ASSERT_TRUE(orvo::test::WaitFor([&] {
        return m_list.FindRowByName("burst19.dwg") >= 0 && m_list.FindRowByName("renamed.bmp") >= 0 &&
               m_list.FindRowByName("photo.jpg") < 0 && !m_list.IsRefreshPending();
    }, 10000));
    EXPECT_EQ(m_list.GetItemCount(), 4 + 20); // one deleted, one renamed, twenty added
    EXPECT_EQ(m_list.GetItemRecord(m_list.FindRowByName("plan.dxf")), plan);
    // Changes within the quiet time are merged together, not one refresh per file.
    EXPECT_LE(m_list.GetRefreshCount(), 4);
}

TEST_F(ShellListTest, WatchStopsWithTheListAndWatchesNothingWithoutAFolder)
{
    ASSERT_TRUE(m_list.SetFolderPath(m_dir.Path().c_str()));
    CFolderWatchThread watch;
    ASSERT_TRUE(watch.Start(m_owner.GetSafeHwnd()));
    watch.WatchFolder(CString(), false);
    WriteFile(m_dir / "unseen.dxf", "0\nEOF\n");
    orvo::test::WaitFor([] { return false; }, 300);
    EXPECT_EQ(watch.GetReportCount(), 0);
    EXPECT_TRUE(watch.Stop());
    EXPECT_FALSE(watch.IsRunning());
    m_list.DestroyWindow(); // stops the list's own watch within its bounded wait
    EXPECT_FALSE(m_list.GetSafeHwnd());
}

TEST_F(ShellListTest, MergeInThumbnailViewKeepsFileRows)
{
    ASSERT_TRUE(m_list.SetFolderPath(m_dir.Path().c_str()));
    ASSERT_EQ(m_list.GetViewType(), CIEShellListCtrl::kThumbnails);
    const CShellListItem* plan = m_list.GetItemRecord(m_list.FindRowByName("plan.dxf"));
    m_list.Refresh(TRUE, FALSE);
    EXPECT_EQ(m_list.GetItemRecord(m_list.FindRowByName("plan.dxf")), plan);
    EXPECT_EQ(Shown(), kDrawingsAndFolder);
}

TEST_F(ShellListTest, ViewSwitchMergesToTheNewRules)
{
    ASSERT_TRUE(m_list.SetFolderPath(m_dir.Path().c_str()));
    EXPECT_EQ(Shown(), kDrawingsAndFolder);
    const CShellListItem* plan = m_list.GetItemRecord(m_list.FindRowByName("plan.dxf"));
    m_list.SetViewType(CIEShellListCtrl::kDetails);
    EXPECT_EQ(Shown(), kWithOther);
    EXPECT_EQ(m_list.GetItemRecord(m_list.FindRowByName("plan.dxf")), plan);
    m_list.SetViewType(CIEShellListCtrl::kThumbnails);
    EXPECT_EQ(Shown(), kDrawingsAndFolder);
}

TEST_F(ShellListTest, SizeColumnShowsKilobytesRoundedUp)
{
    m_list.SetViewType(CIEShellListCtrl::kDetails);
    ASSERT_TRUE(m_list.SetFolderPath(m_dir.Path().c_str()));
    EXPECT_STREQ(m_list.GetCellText(m_list.FindRowByName("notes.txt"), 1), "1 KB");
    EXPECT_STREQ(m_list.GetCellText(m_list.FindRowByName("scan.bmp"), 1), "1 KB");
    EXPECT_STREQ(m_list.GetCellText(m_list.FindRowByName("photo.jpg"), 1), "3 KB");
    // Sorted by size descending: the photo comes first among the files.
    m_list.SetSort(CIEShellListCtrl::kSizeColumn, FALSE);
    m_list.Sort();
    EXPECT_EQ(m_list.FindRowByName("photo.jpg"), 0);
}

// The fill asks the shell for a display name once per extension and reads sizes and times from
// one listing of the folder: every row must still say what the shell and the file say, whether
// the shell hides extensions or not.
TEST_F(ShellListTest, EveryRowShowsTheShellsNameAndTheFilesSize)
{
    const char* const names[] = {"a.dxf", "b.dxf", "C.DXF", "two.dots.jpg", "noext", ".hidden-start",
                                 "x.txt", "y.TXT", "long name with spaces.bmp"};
    for (size_t i = 0; i < std::size(names); ++i)
        WriteFile(m_dir / names[i], std::string(1024 * i + 1, 'x'));
    const char* const advanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
    for (const DWORD hide : {0u, 1u}) {
        SCOPED_TRACE(hide);
        RegSetKeyValueA(HKEY_CURRENT_USER, advanced, "HideFileExt", REG_DWORD, &hide, sizeof hide);
        m_list.SetViewType(CIEShellListCtrl::kDetails);
        ASSERT_TRUE(m_list.SetFolderPath(m_dir.Path().c_str()));
        for (int row = 0; row < m_list.GetItemCount(); ++row) {
            const CString path = m_list.GetRowPath(row);
            SCOPED_TRACE(static_cast<const char*>(path));
            SHFILEINFOA info = {};
            ASSERT_NE(SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_DISPLAYNAME), 0u);
            EXPECT_STREQ(m_list.GetCellText(row, CIEShellListCtrl::kNameColumn), info.szDisplayName);
            WIN32_FILE_ATTRIBUTE_DATA data = {};
            ASSERT_TRUE(GetFileAttributesExA(path, GetFileExInfoStandard, &data));
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            EXPECT_STREQ(m_list.GetCellText(row, CIEShellListCtrl::kSizeColumn),
                         CIEShellListCtrl::FormatSizeKB(data.nFileSizeLow));
            EXPECT_STRNE(m_list.GetCellText(row, CIEShellListCtrl::kTimeColumn), "");
        }
    }
    RegDeleteKeyValueA(HKEY_CURRENT_USER, advanced, "HideFileExt");
}

// The details view's Size, Time and Type texts are made when the list view first asks for them:
// what it is given, and what a sort by each of those columns orders, must be what the files say.
TEST_F(ShellListTest, FileCellsAskedThroughTheListViewAndSortsSayWhatTheFilesSay)
{
    const char* const names[] = {"old.dxf", "mid.jpg", "new.txt"};
    for (size_t i = 0; i < std::size(names); ++i) {
        const std::string path = m_dir / names[i];
        WriteFile(path, std::string(2048 * (3 - i), 'x'));
        // A day apart, the oldest first.
        SYSTEMTIME st = {2024, 3, 0, static_cast<WORD>(10 + i), 9, 30, 15, 0};
        FILETIME written = {};
        SystemTimeToFileTime(&st, &written);
        const HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        SetFileTime(file, nullptr, nullptr, &written);
        CloseHandle(file);
    }
    m_list.SetViewType(CIEShellListCtrl::kDetails);
    ASSERT_TRUE(m_list.SetFolderPath(m_dir.Path().c_str()));
    const auto shown = [&](int row, int column) {
        char text[MAX_PATH] = {};
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        ::SendMessageA(m_list.GetSafeHwnd(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return std::string(item.pszText ? item.pszText : "");
    };
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        const CString path = m_list.GetRowPath(row);
        SCOPED_TRACE(static_cast<const char*>(path));
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ASSERT_TRUE(GetFileAttributesExA(path, GetFileExInfoStandard, &data));
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            EXPECT_EQ(shown(row, CIEShellListCtrl::kSizeColumn), "");
            continue;
        }
        EXPECT_EQ(shown(row, CIEShellListCtrl::kSizeColumn), std::string(CIEShellListCtrl::FormatSizeKB(data.nFileSizeLow)));
        FILETIME local = {};
        FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
        EXPECT_EQ(shown(row, CIEShellListCtrl::kTimeColumn),
                  std::string(CLocaleInfo::GetLocaleInfoObject().FormatDateTime(COleDateTime(local))));
        SHFILEINFOA info = {};
        SHGetFileInfoA(path, FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME);
        EXPECT_EQ(shown(row, CIEShellListCtrl::kTypeColumn), info.szTypeName);
        EXPECT_EQ(std::string(m_list.GetCellText(row, CIEShellListCtrl::kTypeColumn)), info.szTypeName);
    }
    // A fresh fill, sorted at once by time and then by size: the rows' cells are made for it.
    const auto rank = [&](const char* name) { return m_list.FindRowByName(name); };
    ASSERT_TRUE(m_list.SetFolderPath(m_dir.Path().c_str()));
    m_list.SetSort(CIEShellListCtrl::kTimeColumn, TRUE);
    m_list.Sort();
    EXPECT_LT(rank("old.dxf"), rank("mid.jpg"));
    EXPECT_LT(rank("mid.jpg"), rank("new.txt"));
    ASSERT_TRUE(m_list.SetFolderPath(m_dir.Path().c_str()));
    EXPECT_LT(rank("old.dxf"), rank("mid.jpg")) << "the fill sorts by the time column";
    m_list.SetSort(CIEShellListCtrl::kSizeColumn, TRUE);
    m_list.Sort();
    EXPECT_LT(rank("new.txt"), rank("mid.jpg"));
    EXPECT_LT(rank("mid.jpg"), rank("old.dxf"));
    m_list.SetSort(CIEShellListCtrl::kNameColumn, TRUE);
}

TEST_F(ShellListTest, FolderPathQueryNeverWritesPastTheBuffer)
{
    ASSERT_TRUE(m_list.SetFolderPath(m_dir.Path().c_str()));
    char buffer[12];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    EXPECT_EQ(m_list.SendMessage(WM_SHELLLIST_FOLDERPATH, reinterpret_cast<WPARAM>(buffer), 8), 1);
    EXPECT_EQ(std::string(buffer, 7), m_dir.Path().substr(0, 7));
    EXPECT_EQ(buffer[7], '\0');
    for (int i = 8; i < 12; ++i)
        EXPECT_EQ(buffer[i], '#');
    char whole[MAX_PATH] = {};
    m_list.SendMessage(WM_SHELLLIST_FOLDERPATH, reinterpret_cast<WPARAM>(whole), MAX_PATH);
    EXPECT_EQ(CString(whole).CompareNoCase(m_dir.Path().c_str()), 0);
}

TEST_F(ShellListTest, MissingFolderLeavesTheListAsItWas)
{
    ASSERT_TRUE(m_list.SetFolderPath(m_dir.Path().c_str()));
    const int rows = m_list.GetItemCount();
    EXPECT_FALSE(m_list.SetFolderPath((m_dir / "no such folder").c_str()));
    EXPECT_EQ(m_list.GetItemCount(), rows);
}

constexpr long long kMissing = -1;

struct SettingsCase
{
    const char* name;
    long long storedView; // kMissing: no value
    long long storedSort;
    long long storedDir;
    int view;
    int sort;
    BOOL ascending;
};

class ViewSettingsTable : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(ViewSettingsTable, LoadsClampedAndSavesBack)
{
    const SettingsCase& c = GetParam();
    RegistryRootScope registry;
    if (c.storedView != kMissing)
        registry.SetDword("main", "LastViewType", static_cast<DWORD>(c.storedView));
    if (c.storedSort != kMissing)
        registry.SetDword("Option\\Browser", "SortType", static_cast<DWORD>(c.storedSort));
    if (c.storedDir != kMissing)
        registry.SetDword("Option\\Browser", "SortDir", static_cast<DWORD>(c.storedDir));
    {
        CIEShellListCtrl list;
        EXPECT_EQ(list.GetViewType(), c.view);
        EXPECT_EQ(list.GetSortColumn(), c.sort);
        EXPECT_EQ(list.GetSortAscending(), c.ascending);
    }
    EXPECT_EQ(registry.GetDword("main", "LastViewType"), static_cast<DWORD>(c.view));
    EXPECT_EQ(registry.GetDword("Option\\Browser", "SortType"), static_cast<DWORD>(c.sort));
    EXPECT_EQ(registry.GetDword("Option\\Browser", "SortDir"), c.ascending ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Stored, ViewSettingsTable, ::testing::Values(
    SettingsCase{"Missing", -1, -1, -1, 4, 0, TRUE},
    SettingsCase{"Details", 1, 2, 0, 1, 2, FALSE},
    SettingsCase{"TooLarge", 9, 7, 1, 4, 3, TRUE},
    SettingsCase{"Negative", 0xFFFFFFFDLL, 0xFFFFFFFFLL, 1, 0, 0, TRUE}),
    [](const auto& info) { return std::string(info.param.name); });

struct FilterCase
{
    const char* name;
    ULONG attributes;
    int fileType;
    int view;
    bool showOther;
    bool shown;
};

class FilterTable : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterTable, Decides)
{
    const FilterCase& c = GetParam();
    ShellItemFilter::Rules rules;
    rules.viewType = c.view;
    rules.showOtherFiles = c.showOther;
    EXPECT_EQ(ShellItemFilter::IsShown(c.attributes, c.fileType, rules), c.shown);
    EXPECT_EQ(ShellItemFilter::KeepsRow(c.attributes, c.fileType, rules), c.shown);
}

constexpr ULONG kFile = SFGAO_FILESYSTEM;
constexpr ULONG kFolder = SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_FILESYSANCESTOR;
constexpr ULONG kZipFolder = SFGAO_FILESYSTEM | SFGAO_FOLDER;

INSTANTIATE_TEST_SUITE_P(Items, FilterTable, ::testing::Values(
    FilterCase{"DrawingInThumbnails", kFile, 0, 4, false, true},
    FilterCase{"ImageInThumbnails", kFile, 5, 4, true, true},
    FilterCase{"OtherInThumbnails", kFile, -2, 4, true, false},
    FilterCase{"OtherInDetails", kFile, -2, 1, true, true},
    FilterCase{"OtherInDetailsHidden", kFile, -2, 1, false, false},
    FilterCase{"FolderInThumbnails", kFolder, -1, 4, false, true},
    FilterCase{"FolderLikeFileInThumbnails", kZipFolder, -1, 4, true, false},
    FilterCase{"FolderLikeFileInList", kZipFolder, -1, 3, true, true},
    FilterCase{"VirtualItem", SFGAO_FOLDER, -1, 1, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShellListFormatTest, SizesAsKilobytesIn64Bits)
{
    const struct { unsigned long long bytes; const char* text; } cases[] = {
        {0, "1 KB"}, {1, "1 KB"}, {1024, "1 KB"}, {1025, "2 KB"},
        {4294967296ULL, "4,194,304 KB"}, {4294967297ULL, "4,194,305 KB"},
        {5000000000000ULL, "4,882,812,500 KB"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(CIEShellListCtrl::FormatSizeKB(c.bytes), c.text) << c.bytes;
}

TEST(ShellListFormatTest, HiddenFilesEnumeratedWheneverAllAreShown)
{
    EXPECT_EQ(ShellItemFilter::EnumFlags(false) & SHCONTF_INCLUDEHIDDEN, 0u);
    EXPECT_NE(ShellItemFilter::EnumFlags(true) & SHCONTF_INCLUDEHIDDEN, 0u);
}

} // namespace
