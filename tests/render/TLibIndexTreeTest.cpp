// The cache index: where a folder's library is read from and written to, the flat index file,
// numbered names, the take-over of the older per-drive index files and the clean-up.
#include "core/FileUtils.h"
#include "render/cache/CacheFile.h"
#include "render/cache/TLibIndexTree.h"

#include "tests/render/CacheTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace cachetest;
using orvo::test::TempDir;
using orvo::test::WriteFileBytes;

namespace {

bool Exists(const std::string& path)
{
    return IsExistingFile(path.c_str());
}

void Touch(const std::string& path, const std::string& content = "x")
{
    ASSERT_TRUE(WriteFileBytes(path, content.data(), content.size()));
}

void SetWriteTime(const std::string& path, ULONGLONG ticks)
{
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

struct IndexFixture : ::testing::Test
{
    TempDir cache;
    TempDir browsed;
    std::unique_ptr<TLibIndexTree> index =
        std::make_unique<TLibIndexTree>(CString(cache.Path().c_str()), false, true);
    CString Folder() const { return CString(browsed.Path().c_str()); }
    std::string BrowserLib() const { return browsed / "OrvoKestalImageCache.opslib"; }
};

TEST_F(IndexFixture, ReadPlacementFollowsTimesAndOptions)
{
    const std::string cacheLib = cache / "OrvoKestalLib000000.opslib";
    Touch(cacheLib);
    Touch(BrowserLib());
    ASSERT_TRUE(index->AddFolder(Folder(), cacheLib.c_str()));
    const ULONGLONG base = 132000000000000000ull;
    struct Case
    {
        ULONGLONG browserTime, cacheTime;
        bool readFirst;
        int expected;
    } cases[] = {
        {base + 10000000, base, true, TLibIndexTree::kReadBrowserFolder},
        {base, base, true, TLibIndexTree::kReadCacheFolder},
        {base, base + 10000000, true, TLibIndexTree::kReadCacheFolder},
        {base + 10000000, base, false, TLibIndexTree::kReadCacheFolder},
    };
    for (const Case& c : cases) {
        SetWriteTime(BrowserLib(), c.browserTime);
        SetWriteTime(cacheLib, c.cacheTime);
        index->SetReadFromBrowserFolderFirst(c.readFirst);
        CString path;
        EXPECT_EQ(index->LocateForRead(Folder(), path), c.expected);
        EXPECT_STREQ(path, c.expected == TLibIndexTree::kReadBrowserFolder ? BrowserLib().c_str()
                                                                           : cacheLib.c_str());
    }
    DeleteFileA(cacheLib.c_str());
    index->SetReadFromBrowserFolderFirst(true);
    CString path;
    EXPECT_EQ(index->LocateForRead(Folder(), path), TLibIndexTree::kReadBrowserFolder);
    DeleteFileA(BrowserLib().c_str());
    EXPECT_EQ(index->LocateForRead(Folder(), path), TLibIndexTree::kReadNone);
}

TEST_F(IndexFixture, LibraryNamedInAnOldCacheFolderIsFoundInTheCurrentOne)
{
    TempDir old;
    const std::string oldLib = old / "OrvoKestalLib000007.opslib";
    ASSERT_TRUE(index->AddFolder(Folder(), oldLib.c_str()));
    Touch(cache / "OrvoKestalLib000007.opslib");
    CString path;
    EXPECT_EQ(index->LocateForRead(Folder(), path), TLibIndexTree::kReadCacheFolder);
    EXPECT_STREQ(path, (cache / "OrvoKestalLib000007.opslib").c_str());
    EXPECT_EQ(index->LocateForWrite(Folder(), path), TLibIndexTree::kWriteCacheFolder);
    EXPECT_STREQ(path, (cache / "OrvoKestalLib000007.opslib").c_str());
}

TEST_F(IndexFixture, NumberedNamesAreReusedAndNotSharedBetweenFolders)
{
    CString paths[3];
    for (int i = 0; i < 3; ++i) {
        const CString folder = Folder() + "\\sub" + CString(static_cast<char>('a' + i));
        ASSERT_EQ(index->LocateForWrite(folder, paths[i]), TLibIndexTree::kWriteCacheFolder);
        EXPECT_STREQ(paths[i], (cache / std::string(TLibIndexTree::NumberedLibName(i))).c_str());
        ASSERT_TRUE(index->AddFolder(folder, paths[i]));
        if (i != 2)
            Touch(paths[i].GetString());
    }
    // Number 2 is indexed but its file is not written yet: still not free.
    CString next;
    ASSERT_EQ(index->LocateForWrite(Folder() + "\\subd", next), TLibIndexTree::kWriteCacheFolder);
    EXPECT_STREQ(next, (cache / "OrvoKestalLib000003.opslib").c_str());
    index->RemoveFolder(Folder() + "\\subb\\");
    EXPECT_FALSE(Exists(paths[1].GetString()));
    ASSERT_EQ(index->LocateForWrite(Folder() + "\\subd", next), TLibIndexTree::kWriteCacheFolder);
    EXPECT_STREQ(next, paths[1]);
}

TEST_F(IndexFixture, SlotsIgnoreTrailingBackslashAndCaseAndANewPathDeletesTheOld)
{
    const std::string first = cache / "OrvoKestalLib000000.opslib";
    const std::string second = cache / "OrvoKestalLib000001.opslib";
    Touch(first);
    Touch(second);
    ASSERT_TRUE(index->AddFolder(Folder() + "\\Sub\\", first.c_str()));
    CString found;
    ASSERT_TRUE(index->FindLib(Folder() + "\\SUB", found));
    EXPECT_STREQ(found, first.c_str());
    ASSERT_TRUE(index->AddFolder(Folder() + "\\sub", second.c_str()));
    EXPECT_FALSE(Exists(first));
    EXPECT_TRUE(Exists(second));
    EXPECT_EQ(index->GetEntries().size(), 1u);
    ASSERT_TRUE(index->FindLib(Folder() + "\\sub\\", found));
    EXPECT_STREQ(found, second.c_str());
}

TEST_F(IndexFixture, OverLongPathsAreSkippedNotTruncated)
{
    const CString longFolder = Folder() + "\\" + CString('a', 600);
    CString path;
    EXPECT_FALSE(index->AddFolder(longFolder, (cache / "OrvoKestalLib000000.opslib").c_str()));
    EXPECT_EQ(index->LocateForWrite(longFolder, path), TLibIndexTree::kWriteNowhere);
    EXPECT_FALSE(index->AddFolder(Folder(), CString('b', 600)));
    EXPECT_TRUE(index->GetEntries().empty());
}

TEST_F(IndexFixture, SaveInBrowserFolderFirstAlwaysWritesThere)
{
    ASSERT_TRUE(index->AddFolder(Folder(), (cache / "OrvoKestalLib000000.opslib").c_str()));
    index->SetSaveInBrowserFolderFirst(true);
    CString path;
    EXPECT_EQ(index->LocateForWrite(Folder(), path), TLibIndexTree::kWriteBrowserFolder);
    EXPECT_STREQ(path, BrowserLib().c_str());
}

TEST_F(IndexFixture, FlatIndexFileRoundTripsAndRejectsNewerVersions)
{
    const std::string lib = cache / "OrvoKestalLib000004.opslib";
    ASSERT_TRUE(index->AddFolder(Folder(), lib.c_str()));
    ASSERT_TRUE(index->AddFolder("C:\\another", (cache / "OrvoKestalLib000005.opslib").c_str()));
    index.reset();
    index = std::make_unique<TLibIndexTree>(CString(cache.Path().c_str()), false, true);
    CString found;
    ASSERT_TRUE(index->FindLib(Folder(), found));
    EXPECT_STREQ(found, lib.c_str());
    EXPECT_EQ(index->GetEntries().size(), 2u);
    index.reset();

    std::string file(orvo::test::ReadFileBytes(cache / "OrvoKestalLibIndex.opsidx"));
    ASSERT_GT(file.size(), 40u);
    file[36] = 2;
    Touch(cache / "OrvoKestalLibIndex.opsidx", file);
    TLibIndexTree newer(CString(cache.Path().c_str()), false, true);
    EXPECT_TRUE(newer.GetEntries().empty());
}

// A per-drive index file for the browsed folder's drive: root without library, the browsed
// folder's components as nested nodes, a library at the deepest and one at a sibling.
std::string DriveIndexFor(const std::string& folder, const std::string& lib,
                          const std::string& siblingLib)
{
    uint32_t type = 0;
    uint32_t serial = 0;
    EXPECT_TRUE(DriveIdentity(folder, type, serial));
    std::string out = DriveIndexHeader(type, serial, "");
    std::vector<std::string> parts;
    size_t start = folder.find('\\') + 1;
    while (start < folder.size()) {
        size_t end = folder.find('\\', start);
        if (end == std::string::npos)
            end = folder.size();
        parts.push_back(folder.substr(start, end - start));
        start = end + 1;
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        PutU32(out, last ? 2 : 1);
        PutText(out, parts[i]);
        out += static_cast<char>(last ? 1 : 0);
        if (last)
            PutText(out, lib);
        if (last) {
            PutU32(out, 0);
            PutText(out, "Sibling");
            out += static_cast<char>(1);
            PutText(out, siblingLib);
            PutU32(out, 0);
        }
    }
    return out;
}

TEST_F(IndexFixture, PerDriveIndexIsTakenOverAndDeleted)
{
    const std::string lib = cache / "OrvoKestalLib000010.opslib";
    const std::string gone = cache / "OrvoKestalLib000011.opslib";
    Touch(lib);
    const std::string driveFile = cache / "OrvoKestalLibIndex_C.opsidx";
    Touch(driveFile, DriveIndexFor(browsed.Path(), lib, gone));
    CString found;
    const UINT before = SetErrorMode(0);
    ASSERT_TRUE(index->FindLib(Folder(), found)) << browsed.Path();
    // The drive query switches critical-error boxes off only for itself.
    EXPECT_EQ(SetErrorMode(before), 0u);
    EXPECT_STREQ(found, lib.c_str());
    EXPECT_FALSE(Exists(driveFile));
    // The sibling's library no longer exists: not taken.
    EXPECT_EQ(index->GetEntries().size(), 1u);
}

TEST_F(IndexFixture, DamagedPerDriveIndexGivesNothingAndStays)
{
    uint32_t type = 0;
    uint32_t serial = 0;
    ASSERT_TRUE(DriveIdentity(browsed.Path(), type, serial));
    std::string huge = DriveIndexHeader(type, serial, "");
    PutU32(huge, 0x7FFFFFFF);
    std::string deep = DriveIndexHeader(type, serial, "");
    for (int i = 0; i < 200; ++i) {
        PutU32(deep, 1);
        PutText(deep, "d");
        deep += '\0';
    }
    PutU32(deep, 0);
    const std::string cases[] = {huge, deep, DriveIndexFor(browsed.Path(), "x", "y").substr(0, 70)};
    for (const std::string& content : cases) {
        const std::string driveFile = cache / "OrvoKestalLibIndexBad.opsidx";
        Touch(driveFile, content);
        CString found;
        EXPECT_FALSE(index->FindLib(Folder(), found));
        EXPECT_TRUE(Exists(driveFile));
        DeleteFileA(driveFile.c_str());
    }
}

TEST_F(IndexFixture, RemovingFromPerDriveIndexKeepsTheOtherEntries)
{
    const std::string lib = cache / "OrvoKestalLib000010.opslib";
    const std::string sibling = cache / "OrvoKestalLib000011.opslib";
    Touch(lib);
    Touch(sibling);
    const std::string driveFile = cache / "OrvoKestalLibIndex_C.opsidx";
    Touch(driveFile, DriveIndexFor(browsed.Path(), lib, sibling));
    const std::string parent = browsed.Path().substr(0, browsed.Path().rfind('\\'));
    index->RemoveFolder(Folder());
    EXPECT_FALSE(Exists(lib));
    ASSERT_TRUE(Exists(driveFile));
    CString found;
    ASSERT_TRUE(index->FindLib((parent + "\\Sibling").c_str(), found));
    EXPECT_STREQ(found, sibling.c_str());
    EXPECT_FALSE(index->FindLib(Folder(), found));
}

TEST_F(IndexFixture, CleanUpIndexesValidLibrariesAndDeletesTheRest)
{
    Touch(cache / "OrvoKestalLib000000.opslib", LibHeader(browsed.Path() + "\\", 11, 96, 72));
    Touch(cache / "OrvoKestalLib000001.opslib", LibHeader(browsed.Path() + "\\", 10, 96, 72));
    Touch(cache / "OrvoKestalLib000002.opslib", "garbage");
    Touch(cache / "OrvoKestalLib000003.opslib", LibHeader("", 11, 96, 72));
    Touch(cache / "unrelated.opslib", "kept");
    index->DeleteAllLibs((cache.Path() + "\\").c_str());
    EXPECT_TRUE(Exists(cache / "OrvoKestalLib000000.opslib"));
    for (const char* name : {"OrvoKestalLib000001.opslib", "OrvoKestalLib000002.opslib",
                             "OrvoKestalLib000003.opslib"})
        EXPECT_FALSE(Exists(cache / name)) << name;
    EXPECT_TRUE(Exists(cache / "unrelated.opslib"));
    const auto entries = index->GetEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_STREQ(entries[0].folder, browsed.Path().c_str());
}

} // namespace
