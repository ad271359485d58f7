// The shell item utilities: item-id list bytes as a table of lists, names of real files in a
// temporary folder, and the path joins of the file name splitter.
#include "browser/shell/CFileName.h"
#include "browser/shell/CPIDL.h"
#include "browser/shell/CShellPidl.h"
#include "browser/shell/PidlBytes.h"
#include "browser/shell/ShellIconWarmup.h"
#include "browser/shell/ShellStrRet.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

namespace {

// An item-id list built from item payloads (each item gets its 2-byte count), with a terminator;
// `tail` bytes are added after the terminator to catch copies that read past it.
std::vector<BYTE> MakeList(const std::vector<std::vector<BYTE>>& items, std::vector<BYTE> tail = {})
{
    std::vector<BYTE> out;
    for (const auto& payload : items) {
        const USHORT cb = static_cast<USHORT>(payload.size() + 2);
        out.push_back(static_cast<BYTE>(cb & 0xFF));
        out.push_back(static_cast<BYTE>(cb >> 8));
        out.insert(out.end(), payload.begin(), payload.end());
    }
    out.push_back(0);
    out.push_back(0);
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

LPCITEMIDLIST AsPidl(const std::vector<BYTE>& bytes)
{
    return reinterpret_cast<LPCITEMIDLIST>(bytes.data());
}

struct Owned
{
    explicit Owned(LPITEMIDLIST p) : pidl(p) {}
    ~Owned() { PidlBytes::Free(pidl); }
    LPITEMIDLIST pidl;
};

struct ListCase
{
    const char* name;
    std::vector<std::vector<BYTE>> items;
    UINT count;
    UINT size;
};

class PidlListTable : public ::testing::TestWithParam<ListCase> {};

TEST_P(PidlListTable, CountsSizesAndCopies)
{
    const ListCase& c = GetParam();
    // Bytes behind the terminator that look like another item: no copy may carry them.
    const std::vector<BYTE> bytes = MakeList(c.items, {5, 0, 'X', 'Y', 'Z'});
    LPCITEMIDLIST pidl = AsPidl(bytes);
    EXPECT_EQ(PidlBytes::ItemCount(pidl), c.count);
    EXPECT_EQ(PidlBytes::ListSize(pidl), c.size);

    Owned whole(PidlBytes::CopyList(pidl));
    ASSERT_NE(whole.pidl, nullptr);
    EXPECT_EQ(PidlBytes::ListSize(whole.pidl), c.size);
    EXPECT_EQ(std::memcmp(whole.pidl, bytes.data(), c.size), 0);

    CShellPidl utility;
    for (UINT i = 0; i < c.count; ++i) {
        // n-th (1-based) item alone with a zero count behind it.
        Owned one(utility.CopyItemAt(pidl, static_cast<int>(i + 1)));
        ASSERT_NE(one.pidl, nullptr);
        EXPECT_EQ(PidlBytes::ItemCount(one.pidl), 1u);
        EXPECT_EQ(PidlBytes::ListSize(one.pidl), c.items[i].size() + 4);
        EXPECT_EQ(std::memcmp(one.pidl->mkid.abID, c.items[i].data(), c.items[i].size()), 0);
    }
    if (c.count > 0) {
        // The first item copied alone ends with a terminator, not the next item's count.
        Owned first(utility.CopyItemID(pidl));
        ASSERT_NE(first.pidl, nullptr);
        EXPECT_EQ(PidlBytes::ItemCount(first.pidl), 1u);
        // Beyond the end: the last item.
        Owned last(utility.CopyItemAt(pidl, static_cast<int>(c.count + 5)));
        ASSERT_NE(last.pidl, nullptr);
        EXPECT_EQ(PidlBytes::ItemSize(last.pidl), c.items.back().size() + 2);
    } else {
        EXPECT_EQ(utility.CopyItemID(pidl), nullptr);
        EXPECT_EQ(utility.CopyItemAt(pidl, 1), nullptr);
    }
    EXPECT_EQ(utility.CopyItemAt(pidl, -1), nullptr);

    // Joined with itself: twice the items, one terminator.
    Owned joined(CShellPidl::ConcatPidls(pidl, pidl));
    ASSERT_NE(joined.pidl, nullptr);
    EXPECT_EQ(PidlBytes::ItemCount(joined.pidl), 2 * c.count);
    EXPECT_EQ(PidlBytes::ListSize(joined.pidl), 2 * (c.size - 2) + 2);

    // Split: parent holds all but the last, child the last.
    Owned copy(PidlBytes::CopyList(pidl));
    CPIDL full;
    full.Attach(copy.pidl);
    copy.pidl = nullptr;
    CPIDL parent, child;
    full.Split(parent, child);
    EXPECT_EQ(PidlBytes::ItemCount(child.Get()), c.count ? 1u : 0u);
    EXPECT_EQ(PidlBytes::ItemCount(parent.Get()), c.count > 1 ? c.count - 1 : 0u);
    EXPECT_EQ(parent.Get() == nullptr, c.count <= 1);
}

INSTANTIATE_TEST_SUITE_P(Lists, PidlListTable, ::testing::Values(
    ListCase{"Empty", {}, 0, 2},
    ListCase{"OneItem", {{1, 2, 3}}, 1, 7},
    ListCase{"TwoItems", {{1, 2, 3}, {9}}, 2, 10},
    ListCase{"ThreeItems", {{7}, {8, 8}, {9, 9, 9, 9}}, 3, 15},
    ListCase{"EmptyPayload", {{}, {4}}, 2, 7}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PidlBytesTest, NullListsGiveNullNotAnEmptyBlock)
{
    CShellPidl utility;
    EXPECT_EQ(utility.CopyPidl(nullptr), nullptr);
    EXPECT_EQ(PidlBytes::ListSize(nullptr), 0u);
    EXPECT_EQ(utility.GetItemCount(nullptr), 0u);
    EXPECT_EQ(utility.CopyItemAt(nullptr, 0), nullptr);
    Owned both(CShellPidl::ConcatPidls(nullptr, nullptr));
    ASSERT_NE(both.pidl, nullptr);
    EXPECT_EQ(PidlBytes::ListSize(both.pidl), 2u);
}

TEST(PidlBytesTest, BrokenCountEndsTheWalk)
{
    // A count of 1 cannot hold itself: the list ends there.
    const std::vector<BYTE> bytes = {4, 0, 'a', 'b', 1, 0, 'c', 'd', 0, 0};
    EXPECT_EQ(PidlBytes::ItemCount(AsPidl(bytes)), 1u);
    EXPECT_EQ(PidlBytes::ListSize(AsPidl(bytes)), 6u);
}

struct StrRetCase
{
    const char* name;
    UINT type;
    UINT offset;
    const char* expected;
    bool ok;
};

class StrRetTable : public ::testing::TestWithParam<StrRetCase> {};

TEST_P(StrRetTable, OffsetIsReadFromItsOwnItem)
{
    const StrRetCase& c = GetParam();
    // An item holding "name.dxf" at byte 4; the list around it would give other text.
    const std::vector<BYTE> item = MakeList({{0xAA, 0xBB, 'n', 'a', 'm', 'e', '.', 'd', 'x', 'f', 0}});
    STRRET s = {};
    s.uType = c.type;
    if (c.type == STRRET_OFFSET)
        s.uOffset = c.offset;
    else if (c.type == STRRET_CSTR)
        std::strcpy(s.cStr, "plain");
    else if (c.type == STRRET_WSTR) {
        s.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(16));
        std::memcpy(s.pOleStr, L"wide", 10);
    }
    char buffer[6] = {};
    const bool ok = ShellStrRet::ToBuffer(&s, AsPidl(item), buffer, sizeof(buffer));
    EXPECT_EQ(ok, c.ok);
    EXPECT_STREQ(buffer, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Kinds, StrRetTable, ::testing::Values(
    StrRetCase{"OffsetInside", STRRET_OFFSET, 4, "name.", true},   // cut to the 6-byte buffer
    StrRetCase{"OffsetAtTerminator", STRRET_OFFSET, 12, "", true},
    StrRetCase{"OffsetPastItem", STRRET_OFFSET, 13, "", false},
    StrRetCase{"OffsetOutside", STRRET_OFFSET, 400, "", false},
    StrRetCase{"Buffer", STRRET_CSTR, 0, "plain", true},
    StrRetCase{"Wide", STRRET_WSTR, 0, "wide", true},
    StrRetCase{"UnknownType", 7, 0, "", false}),
    [](const auto& info) { return std::string(info.param.name); });

struct JoinCase
{
    const char* name;
    const char* path;
    const char* ext;
    const char* folder;
    const char* withExt;
    const char* inFolder;
};

class FileNameTable : public ::testing::TestWithParam<JoinCase> {};

TEST_P(FileNameTable, JoinsWithOneBackslash)
{
    const JoinCase& c = GetParam();
    CFileName name(c.path);
    EXPECT_STREQ(name.ChangeExtension(c.ext), c.withExt);
    EXPECT_STREQ(name.ChangeFolder(c.folder), c.inFolder);
}

INSTANTIATE_TEST_SUITE_P(Paths, FileNameTable, ::testing::Values(
    JoinCase{"Nested", "C:\\a\\x.dwg", ".jpg", "D:\\out", "C:\\a\\x.jpg", "D:\\out\\x.dwg"},
    JoinCase{"Root", "C:\\x.dwg", ".bmp", "D:\\", "C:\\x.bmp", "D:\\x.dwg"},
    JoinCase{"NoDrive", "a\\b\\x.dxf", nullptr, "e\\f\\", "a\\b\\x", "e\\f\\x.dxf"},
    JoinCase{"NameOnly", "x.dwg", "png", "G:\\p", "x.png", "G:\\p\\x.dwg"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileNameTest, NameWithExtension)
{
    EXPECT_STREQ(CFileName("C:\\a\\b\\plan.dwg").GetFileNameExt(), "plan.dwg");
}

class ShellNamesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        std::ofstream(dir / "plan.dxf") << "0\nEOF\n";
    }
    void TearDown() override { CoUninitialize(); }
    orvo::test::TempDir dir;
};

TEST_F(ShellNamesTest, PathRoundTripsThroughTheShell)
{
    const std::string path = dir / "plan.dxf";
    CPIDL pidl(path.c_str(), nullptr);
    ASSERT_NE(pidl.Get(), nullptr);
    char back[MAX_PATH] = {};
    ASSERT_TRUE(SHGetPathFromIDListA(pidl.Get(), back));
    EXPECT_EQ(CString(back).CompareNoCase(path.c_str()), 0);

    // Split and ask the parent folder for the child's parsing name.
    CPIDL parent, child;
    pidl.Split(parent, child);
    ASSERT_NE(child.Get(), nullptr);
    CShellPidl utility;
    IShellFolder* folder = nullptr;
    ASSERT_HRESULT_SUCCEEDED(utility.GetDesktop()->BindToObject(parent.Get(), nullptr, IID_IShellFolder,
                                                                reinterpret_cast<void**>(&folder)));
    char name[MAX_PATH] = {};
    EXPECT_EQ(CShellPidl::GetName(folder, child.Get(), SHGDN_INFOLDER | SHGDN_FORPARSING, name), 1);
    EXPECT_STREQ(name, "plan.dxf");
    CPIDL again;
    EXPECT_HRESULT_SUCCEEDED(again.SetFromFolderItem(folder, child.Get()));
    EXPECT_TRUE(utility.ComparePidls(nullptr, again.Get(), pidl.Get()));
    IContextMenu* menu = nullptr;
    EXPECT_HRESULT_SUCCEEDED(pidl.GetUIObjectOf(IID_IContextMenu, reinterpret_cast<void**>(&menu), nullptr));
    if (menu)
        menu->Release();
    folder->Release();
}

TEST_F(ShellNamesTest, OverlongPathIsRefused)
{
    const std::string longPath = dir.Path() + "\\" + std::string(300, 'a') + ".dwg";
    CPIDL pidl;
    EXPECT_TRUE(FAILED(pidl.SetFromPath(longPath.c_str(), nullptr)));
    EXPECT_EQ(pidl.Get(), nullptr);
    LPITEMIDLIST out = nullptr;
    CShellPidl utility;
    EXPECT_TRUE(FAILED(utility.PathToPidl(longPath.c_str(), &out, nullptr)));
    EXPECT_EQ(out, nullptr);
}

} // namespace

namespace {

// The icon warm-up the program runs while its frames are made: it ends for every kind of start
// (a folder several levels down, one that is gone, none, a start in the view), and one told to
// stop early still ends within a bounded wait.
TEST(ShellIconWarmupTest, EndsForEveryKindOfStart)
{
    OleInitialize(nullptr);
    orvo::test::TempDir dir;
    ASSERT_TRUE(CreateDirectoryA((dir / "a").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((dir / "a\\b").c_str(), nullptr));
    struct Case
    {
        std::string folder;
        bool treeLevels;
    };
    const Case cases[] = {{dir / "a\\b", true}, {dir / "gone", true}, {"", true}, {dir.Path(), false}};
    for (const Case& c : cases) {
        ShellIconWarmup warmup;
        ASSERT_TRUE(warmup.Start(c.folder, c.treeLevels)) << c.folder;
        EXPECT_FALSE(warmup.Start(c.folder, c.treeLevels)) << "one thread at a time";
        EXPECT_TRUE(warmup.Finish(30000)) << c.folder;
        EXPECT_TRUE(warmup.Finish(0)) << "ended already";
    }
    ShellIconWarmup stopped;
    ASSERT_TRUE(stopped.Start(dir / "a\\b", true));
    if (!stopped.Finish(0)) {
        EXPECT_TRUE(stopped.Finish(30000)) << "a warm-up told to stop ends";
    }
    // The shell's answers after it are the ones the tree and the list use.
    SHFILEINFOA info = {};
    EXPECT_NE(0u, SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    OleUninitialize();
}

} // namespace
