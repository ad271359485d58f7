// The watch's merge of the files it named against a merge that reads the whole folder: a list that
// learns of changes from its watch ends exactly as a list refreshed from the folder (rows, cells,
// order, selection, focus, cut marks, scroll place, column width), and keeps the records of the
// rows nothing touched. The change log and the change reader as tables and on a real folder.
#include "browser/list/CIEShellListCtrl.h"
#include "browser/shell/DirectoryChangeReader.h"
#include "browser/shell/FolderChangeLog.h"
#include "tests/core/RegistryRootScope.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ListTestWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace {

void WriteFile(const std::string& path, size_t bytes)
{
    std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
}

// Sets a file's write time to a day of 2020 (the day given), so that time and size both change.
void SetWriteDay(const std::string& path, WORD day)
{
    const HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SYSTEMTIME when = {2020, 3, 0, day, 10, 0, 0, 0};
    FILETIME written = {};
    SystemTimeToFileTime(&when, &written);
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
}

// Everything a user sees of a list, row by row in its order.
struct Snapshot
{
    std::vector<std::string> rows;
    int top = -1;
    int nameWidth = 0;
    int drawings = 0;
    int folders = 0;

    static Snapshot Of(const CIEShellListCtrl& list)
    {
        Snapshot shot;
        for (int row = 0; row < list.GetItemCount(); ++row) {
            std::string line;
            for (int column = 0; column < 4; ++column)
                line += std::string(list.GetCellText(row, column)) + "|";
            LVITEMA item = {};
            item.mask = LVIF_IMAGE | LVIF_STATE;
            item.iItem = row;
            item.stateMask = static_cast<UINT>(-1);
            ::SendMessageA(list.GetSafeHwnd(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            POINT place = {};
            ::SendMessageA(list.GetSafeHwnd(), LVM_GETITEMPOSITION, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&place));
            line += std::to_string(item.state) + "|" + std::to_string(item.iImage) + "|" + std::to_string(place.x) + "," +
                    std::to_string(place.y);
            shot.rows.push_back(line);
        }
        shot.top = list.GetTopIndex();
        shot.nameWidth = list.GetColumnWidth(CIEShellListCtrl::kNameColumn);
        shot.drawings = list.GetDrawingFileCount();
        shot.folders = list.GetFolderCount();
        return shot;
    }
};

void ExpectSame(const Snapshot& watched, const Snapshot& read)
{
    EXPECT_EQ(watched.rows, read.rows);
    EXPECT_EQ(watched.top, read.top);
    EXPECT_EQ(watched.nameWidth, read.nameWidth);
    EXPECT_EQ(watched.drawings, read.drawings);
    EXPECT_EQ(watched.folders, read.folders);
}

struct ChangeCase
{
    const char* name;
    int sortColumn;
    BOOL ascending;
    std::function<void(const orvo::test::TempDir&)> change;
    // Whether the watch's refreshes look at the named files only.
    bool named;
    // Files whose rows must keep their records.
    std::vector<std::string> untouched;
    int viewType = CIEShellListCtrl::kDetails;
    // A long list puts a few rows in their places one by one instead of sorting every row.
    int files = 60;
};

void PrintTo(const ChangeCase& c, std::ostream* os)
{
    *os << c.name;
}

class ShellListMergeTable : public ::testing::TestWithParam<ChangeCase>
{
protected:
    void SetUp() override
    {
        OleInitialize(nullptr);
        for (int i = 0; i < GetParam().files; ++i) {
            const std::string name = (i % 3 == 0 ? "plan" : i % 3 == 1 ? "photo" : "note") + std::to_string(i) +
                                     (i % 3 == 0 ? ".dxf" : i % 3 == 1 ? ".jpg" : ".txt");
            WriteFile(m_dir / name, static_cast<size_t>(100 + 997 * i));
        }
        CreateDirectoryA((m_dir / "sub").c_str(), nullptr);
        ASSERT_TRUE(m_owner.CreateOwner(900, 420));
        m_owner.ShowWindow(SW_SHOW);
        ASSERT_TRUE(Make(m_watched, 0));
        ASSERT_TRUE(Make(m_read, 440));
        // This list learns of changes only by being refreshed from the whole folder.
        m_read.StopWatchThread();
    }
    void TearDown() override
    {
        m_watched.DestroyWindow();
        m_read.DestroyWindow();
        m_owner.DestroyWindow();
        OleUninitialize();
    }

    bool Make(CIEShellListCtrl& list, int left)
    {
        list.SetViewType(GetParam().viewType);
        list.SetShellSwitches(false, false);
        list.SetShowOtherFiles(true);
        if (!list.CreateList(&m_owner, CRect(left, 0, left + 430, 380), 112) || !list.SetFolderPath(m_dir.Path().c_str()))
            return false;
        const ChangeCase& c = GetParam();
        list.SetSort(c.sortColumn, c.ascending);
        list.Sort();
        // The same state on both: a selection, the focus, a cut mark and a scroll place.
        for (const int row : {3, 20, 41}) {
            list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
            if (CShellListItem* item = list.GetItemRecord(row))
                item->cut = row == 20;
        }
        list.SetItemState(20, LVIS_CUT | LVIS_FOCUSED, LVIS_CUT | LVIS_FOCUSED);
        list.EnsureVisible(list.GetItemCount() - 1, FALSE);
        list.EnsureVisible(25, FALSE);
        return true;
    }

    // The watched list refreshed at least once more, and its watch is quiet again (changes
    // reported late give one more refresh).
    bool WatchedRefreshedAfter(int refreshes)
    {
        if (!orvo::test::WaitFor([&] { return m_watched.GetRefreshCount() > refreshes && !m_watched.IsRefreshPending(); },
                                 10000))
            return false;
        orvo::test::WaitFor([&] { return m_watched.IsRefreshPending(); }, 400);
        return orvo::test::WaitFor([&] { return !m_watched.IsRefreshPending(); }, 10000);
    }

    std::map<std::string, const CShellListItem*> Records(const CIEShellListCtrl& list) const
    {
        std::map<std::string, const CShellListItem*> records;
        for (int row = 0; row < list.GetItemCount(); ++row) {
            const CString path = list.GetRowPath(row);
            records[std::string(path.Mid(path.ReverseFind('\\') + 1))] = list.GetItemRecord(row);
        }
        return records;
    }

    RegistryRootScope m_registry;
    orvo::test::TempDir m_dir;
    CListTestOwner m_owner;
    CIEShellListCtrl m_watched;
    CIEShellListCtrl m_read;
};

TEST_P(ShellListMergeTable, WatchedListEndsAsOneReadFromTheFolder)
{
    const ChangeCase& c = GetParam();
    const auto before = Records(m_watched);
    ExpectSame(Snapshot::Of(m_watched), Snapshot::Of(m_read));
    // Let the watch arm on the folder first.
    orvo::test::WaitFor([] { return false; }, 300);
    const int refreshes = m_watched.GetRefreshCount();
    const int named = m_watched.GetNamedRefreshCount();
    c.change(m_dir);
    ASSERT_TRUE(WatchedRefreshedAfter(refreshes));
    m_read.Refresh(FALSE, FALSE);

    ExpectSame(Snapshot::Of(m_watched), Snapshot::Of(m_read));
    // Every refresh looked at the named files only, or (where they cannot stand in for the folder)
    // at least one read the whole folder.
    const int namedRefreshes = m_watched.GetNamedRefreshCount() - named;
    if (c.named)
        EXPECT_EQ(namedRefreshes, m_watched.GetRefreshCount() - refreshes);
    else
        EXPECT_LT(namedRefreshes, m_watched.GetRefreshCount() - refreshes);
    const auto after = Records(m_watched);
    for (const std::string& name : c.untouched) {
        ASSERT_EQ(before.count(name), 1u) << name;
        EXPECT_EQ(after.count(name) ? after.at(name) : nullptr, before.at(name)) << name;
    }
    // A merge reading the whole folder now changes nothing more.
    const Snapshot watched = Snapshot::Of(m_watched);
    m_watched.Refresh(FALSE, FALSE);
    ExpectSame(Snapshot::Of(m_watched), watched);
    // The rows are in the order a fill of the folder sorts them in (rows of equal keys aside).
    const auto sortedColumn = [&](const CIEShellListCtrl& list) {
        std::vector<std::string> texts;
        for (int row = 0; row < list.GetItemCount(); ++row)
            texts.emplace_back(list.GetCellText(row, c.sortColumn));
        return texts;
    };
    const auto merged = sortedColumn(m_watched);
    const CString sizeText = m_watched.GetFolderSizeText();
    m_read.Refresh(TRUE, TRUE);
    EXPECT_STREQ(m_read.GetFolderSizeText(), sizeText);
    EXPECT_EQ(sortedColumn(m_read), merged);
    // The counts, the folder's size and the name column the merges kept up are those of the rows
    // counted and measured again.
    EXPECT_EQ(m_read.GetDrawingFileCount(), watched.drawings);
    EXPECT_EQ(m_read.GetFolderCount(), watched.folders);
    EXPECT_EQ(m_read.GetColumnWidth(CIEShellListCtrl::kNameColumn), watched.nameWidth);
}

const std::vector<std::string> kUntouched = {"plan0.dxf", "photo1.jpg", "note29.txt", "sub"};

INSTANTIATE_TEST_SUITE_P(Changes, ShellListMergeTable, ::testing::Values(
    ChangeCase{"OneAdded", 0, TRUE, [](const auto& dir) { WriteFile(dir / "plan100.dxf", 5000); }, true, kUntouched},
    // In the thumbnail view only drawings, pictures and folders are shown, laid out in a grid.
    ChangeCase{"ThumbnailsAddedAndRenamed", 0, TRUE, [](const auto& dir) {
        WriteFile(dir / "plan100.dxf", 5000);
        WriteFile(dir / "notes.txt", 5);
        MoveFileA((dir / "photo10.jpg").c_str(), (dir / "a photo.jpg").c_str()); }, true, {"plan0.dxf", "photo1.jpg", "sub"},
        CIEShellListCtrl::kThumbnails},
    ChangeCase{"SmallIconsRemoved", 0, FALSE, [](const auto& dir) { DeleteFileA((dir / "plan9.dxf").c_str()); }, true,
               kUntouched, CIEShellListCtrl::kSmallIcons},
    ChangeCase{"OneAddedBySize", 1, FALSE, [](const auto& dir) { WriteFile(dir / "big.dxf", 45000); }, true, kUntouched},
    ChangeCase{"OneRemoved", 0, TRUE, [](const auto& dir) { DeleteFileA((dir / "note5.txt").c_str()); }, true, kUntouched},
    ChangeCase{"FocusedRemoved", 3, TRUE, [](const auto& dir) { DeleteFileA((dir / "plan24.dxf").c_str()); }, true,
               kUntouched},
    ChangeCase{"OneRenamed", 0, FALSE, [](const auto& dir) {
        MoveFileA((dir / "photo10.jpg").c_str(), (dir / "a photo.jpg").c_str()); }, true, kUntouched},
    ChangeCase{"SizeAndTimeBySize", 1, TRUE, [](const auto& dir) {
        WriteFile(dir / "note8.txt", 70000);
        SetWriteDay(dir / "note8.txt", 9); }, true, kUntouched},
    ChangeCase{"SizeAndTimeByTime", 3, FALSE, [](const auto& dir) {
        WriteFile(dir / "plan12.dxf", 3);
        SetWriteDay(dir / "plan12.dxf", 2); }, true, kUntouched},
    ChangeCase{"ManyAtOnce", 1, TRUE, [](const auto& dir) {
        for (int i = 0; i < 5; ++i)
            WriteFile(dir / ("new" + std::to_string(i) + ".jpg"), static_cast<size_t>(20000 * i + 7));
        DeleteFileA((dir / "note2.txt").c_str());
        DeleteFileA((dir / "plan3.dxf").c_str());
        MoveFileA((dir / "photo4.jpg").c_str(), (dir / "photo4 moved.jpg").c_str());
        MoveFileA((dir / "note11.txt").c_str(), (dir / "NOTE11.TXT").c_str());
        WriteFile(dir / "plan6.dxf", 1);
        CreateDirectoryA((dir / "new folder").c_str(), nullptr); }, true, kUntouched},
    ChangeCase{"LongListAdded", 0, TRUE, [](const auto& dir) { WriteFile(dir / "plan1000.dxf", 5000); }, true, kUntouched,
               CIEShellListCtrl::kDetails, 400},
    // The name column grows to a new widest name.
    ChangeCase{"LongListLongerName", 0, TRUE, [](const auto& dir) {
        WriteFile(dir / "a drawing with a name much longer than every other name.dxf", 5); }, true, kUntouched,
        CIEShellListCtrl::kDetails, 400},
    ChangeCase{"LongListRenamedBySize", 1, FALSE, [](const auto& dir) {
        MoveFileA((dir / "photo10.jpg").c_str(), (dir / "a photo.jpg").c_str()); }, true, kUntouched,
        CIEShellListCtrl::kDetails, 400},
    ChangeCase{"LongListGrownByTime", 3, TRUE, [](const auto& dir) {
        WriteFile(dir / "note8.txt", 70000);
        SetWriteDay(dir / "note8.txt", 9); }, true, kUntouched, CIEShellListCtrl::kDetails, 400},
    ChangeCase{"LongListInListView", 0, TRUE, [](const auto& dir) {
        WriteFile(dir / "plan1000.dxf", 5000);
        DeleteFileA((dir / "note5.txt").c_str()); }, true, kUntouched, CIEShellListCtrl::kList, 400},
    ChangeCase{"LongListThumbnailsAdded", 0, FALSE, [](const auto& dir) {
        WriteFile(dir / "plan1000.dxf", 5000);
        MoveFileA((dir / "photo10.jpg").c_str(), (dir / "a photo.jpg").c_str()); }, true, {"plan0.dxf", "photo1.jpg", "sub"},
        CIEShellListCtrl::kThumbnails, 400},
    ChangeCase{"LongListRemoved", 0, FALSE, [](const auto& dir) { DeleteFileA((dir / "plan9.dxf").c_str()); }, true,
               kUntouched, CIEShellListCtrl::kDetails, 400},
    ChangeCase{"LongListAddedAndRemoved", 2, TRUE, [](const auto& dir) {
        WriteFile(dir / "zz.dxf", 1);
        WriteFile(dir / "aa.jpg", 1);
        DeleteFileA((dir / "note5.txt").c_str()); }, true, kUntouched, CIEShellListCtrl::kDetails, 400},
    // Beyond what the log keeps by name the whole folder is read.
    ChangeCase{"TooManyToName", 0, TRUE, [](const auto& dir) {
        for (size_t i = 0; i < FolderChangeLog::kMaxNames + 20; ++i)
            WriteFile(dir / ("flood" + std::to_string(i) + ".txt"), i);
        DeleteFileA((dir / "note14.txt").c_str()); }, false, kUntouched},
    // The shell's own rules decide on hidden files: the whole folder is read.
    ChangeCase{"HiddenFileAdded", 0, TRUE, [](const auto& dir) {
        WriteFile(dir / "secret.dxf", 10);
        SetFileAttributesA((dir / "secret.dxf").c_str(), FILE_ATTRIBUTE_HIDDEN);
        WriteFile(dir / "open.dxf", 10); }, false, kUntouched}),
    [](const auto& info) { return std::string(info.param.name); });

// What the folder tree asks (its changes are in no log) makes the list read the whole folder.
TEST_P(ShellListMergeTable, TreesRequestReadsTheWholeFolder)
{
    orvo::test::WaitFor([] { return false; }, 300);
    const int named = m_watched.GetNamedRefreshCount();
    const int refreshes = m_watched.GetRefreshCount();
    GetParam().change(m_dir);
    m_watched.PostMessage(WM_SHELLLIST_CHANGED, 0, 1);
    ASSERT_TRUE(WatchedRefreshedAfter(refreshes));
    m_read.Refresh(FALSE, FALSE);
    ExpectSame(Snapshot::Of(m_watched), Snapshot::Of(m_read));
    // The first refresh read the whole folder; a later one (changes reported late) may not.
    EXPECT_LT(m_watched.GetNamedRefreshCount() - named, m_watched.GetRefreshCount() - refreshes);
}

// Change records as ReadDirectoryChangesW writes them.
std::vector<BYTE> Records(const std::vector<std::wstring>& names, const std::vector<DWORD>& actions)
{
    std::vector<BYTE> bytes;
    for (size_t i = 0; i < names.size(); ++i) {
        const size_t start = bytes.size();
        const DWORD nameBytes = static_cast<DWORD>(names[i].size() * sizeof(WCHAR));
        const size_t size = (offsetof(FILE_NOTIFY_INFORMATION, FileName) + nameBytes + 3) & ~size_t{3};
        bytes.resize(start + size);
        FILE_NOTIFY_INFORMATION head = {};
        head.NextEntryOffset = i + 1 < names.size() ? static_cast<DWORD>(size) : 0;
        head.Action = i < actions.size() ? actions[i] : FILE_ACTION_ADDED;
        head.FileNameLength = nameBytes;
        memcpy(&bytes[start], &head, offsetof(FILE_NOTIFY_INFORMATION, FileName));
        memcpy(&bytes[start + offsetof(FILE_NOTIFY_INFORMATION, FileName)], names[i].data(), nameBytes);
    }
    return bytes;
}

struct LogCase
{
    const char* name;
    std::vector<std::wstring> records;
    // Bytes cut off the end of the records (a record that does not fit).
    size_t cut;
    bool known;
    std::vector<std::string> names;
    std::vector<DWORD> actions = {};
    // Whether each name's last record said its item left the folder.
    std::vector<char> gone = {};
};

void PrintTo(const LogCase& c, std::ostream* os)
{
    *os << c.name;
}

class FolderChangeLogTable : public ::testing::TestWithParam<LogCase> {};

TEST_P(FolderChangeLogTable, TellsTheNamesOrThatTheyAreUnknown)
{
    const LogCase& c = GetParam();
    std::vector<BYTE> bytes = Records(c.records, c.actions);
    bytes.resize(bytes.size() - c.cut);
    FolderChangeLog log;
    log.AddRecords(bytes.data(), static_cast<DWORD>(bytes.size()));
    FolderChangeLog copy;
    copy.Absorb(log);
    std::vector<std::string> names;
    std::vector<char> gone;
    EXPECT_EQ(log.Take(names, gone), c.known);
    EXPECT_EQ(names, c.names);
    const std::vector<char> expectedGone = c.gone.empty() ? std::vector<char>(c.names.size(), 0) : c.gone;
    EXPECT_EQ(gone, expectedGone);
    EXPECT_EQ(copy.Take(names, gone), c.known);
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(gone, expectedGone) << "a log absorbed keeps what the records said";
    // Taking empties the log: nothing named is nothing known.
    EXPECT_FALSE(log.Take(names));
    EXPECT_TRUE(names.empty());
}

INSTANTIATE_TEST_SUITE_P(Records, FolderChangeLogTable, ::testing::Values(
    LogCase{"One", {L"plan.dxf"}, 0, true, {"plan.dxf"}},
    LogCase{"RenameGivesBoth", {L"old.dxf", L"new.dxf"}, 0, true, {"old.dxf", "new.dxf"}},
    LogCase{"SameNameOnce", {L"plan.dxf", L"PLAN.DXF", L"plan.dxf"}, 0, true, {"plan.dxf"}},
    LogCase{"OfficeOwnerFileIsAName", {L"~$plan.docx"}, 0, true, {"~$plan.docx"}},
    LogCase{"NoRecordsIsOverflow", {}, 0, false, {}},
    LogCase{"CutRecord", {L"plan.dxf", L"other.dxf"}, 6, false, {}},
    LogCase{"PathInTheFolder", {L"sub\\plan.dxf"}, 0, false, {}},
    LogCase{"MaybeShortName", {L"PLANNI~1.DXF"}, 0, false, {}},
    LogCase{"NotInTheCodePage", {L"plan\x4E2D.dxf"}, 0, false, {}},
    LogCase{"UnknownStaysUnknown", {L"a.dxf", L"sub\\b.dxf", L"c.dxf"}, 0, false, {}},
    LogCase{"RemovedHasLeft", {L"plan.dxf"}, 0, true, {"plan.dxf"}, {FILE_ACTION_REMOVED}, {1}},
    LogCase{"RenamedAwayHasLeft", {L"old.dxf", L"new.dxf"}, 0, true, {"old.dxf", "new.dxf"},
            {FILE_ACTION_RENAMED_OLD_NAME, FILE_ACTION_RENAMED_NEW_NAME}, {1, 0}},
    LogCase{"RemovedAndMadeAgainIsThere", {L"plan.dxf", L"PLAN.dxf"}, 0, true, {"plan.dxf"},
            {FILE_ACTION_REMOVED, FILE_ACTION_ADDED}, {0}},
    LogCase{"ChangedAndRemovedHasLeft", {L"plan.dxf", L"plan.dxf"}, 0, true, {"plan.dxf"},
            {FILE_ACTION_MODIFIED, FILE_ACTION_REMOVED}, {1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FolderChangeLogTest, TooManyNamesAreUnknown)
{
    FolderChangeLog log;
    for (size_t i = 0; i < FolderChangeLog::kMaxNames; ++i)
        log.AddName("file" + std::to_string(i));
    FolderChangeLog copy;
    copy.Absorb(log);
    std::vector<std::string> names;
    EXPECT_TRUE(copy.Take(names));
    EXPECT_EQ(names.size(), FolderChangeLog::kMaxNames);
    log.AddName("one more");
    EXPECT_TRUE(log.IsUnknown());
    copy.Absorb(log);
    EXPECT_FALSE(copy.Take(names));
}

// On a real folder: the records name what was made, renamed and deleted.
TEST(DirectoryChangeReaderTest, NamesWhatChangedInTheFolder)
{
    orvo::test::TempDir dir;
    WriteFile(dir / "old.dxf", 10);
    DirectoryChangeReader reader;
    ASSERT_TRUE(reader.Open(dir.Path().c_str(), FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE));
    ASSERT_TRUE(reader.NamesChanges());
    WriteFile(dir / "made.dxf", 10);
    ASSERT_TRUE(MoveFileA((dir / "old.dxf").c_str(), (dir / "renamed.dxf").c_str()));
    FolderChangeLog log;
    const auto seen = [&](const std::string& name) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 5000;) {
            if (WaitForSingleObject(reader.WaitHandle(), 100) == WAIT_OBJECT_0 && !reader.Collect(log))
                return false;
            FolderChangeLog copy;
            copy.Absorb(log);
            std::vector<std::string> names;
            copy.Take(names);
            if (std::find(names.begin(), names.end(), name) != names.end())
                return true;
        }
        return false;
    };
    EXPECT_TRUE(seen("made.dxf"));
    EXPECT_TRUE(seen("old.dxf"));
    EXPECT_TRUE(seen("renamed.dxf"));
    EXPECT_FALSE(log.IsUnknown());
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_FALSE(reader.Open((dir / "missing").c_str(), FILE_NOTIFY_CHANGE_FILE_NAME));
}

} // namespace
