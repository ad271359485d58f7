// The cache library file and the holder over it, on real files: the byte layout of a written
// library, the match rules of a lookup, what every reader refuses, records of the older layout,
// corrupt records, the writer's order and its care for files it cannot read or replace.
#include "core/FileUtils.h"
#include "render/cache/CacheFile.h"
#include "render/cache/LibFileHeader.h"
#include "render/cache/TDwgCache.h"
#include "render/cache/TImageLib.h"
#include "render/cache/TLibIndexTree.h"

#include "tests/render/CacheTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

using namespace cachetest;
using orvo::test::ReadFileBytes;
using orvo::test::TempDir;
using orvo::test::WriteFileBytes;

namespace {

// A bottom-up 24-bit BMP file image of width x height in one colour.
std::string BmpBytes(int width, int height, BYTE blue)
{
    const int stride = (width * 3 + 3) & ~3;
    const uint32_t bitsSize = static_cast<uint32_t>(stride * height);
    std::string out = "BM";
    PutU32(out, 14 + 40 + bitsSize);
    PutU32(out, 0);
    PutU32(out, 14 + 40);
    PutU32(out, 40);
    PutU32(out, static_cast<uint32_t>(width));
    PutU32(out, static_cast<uint32_t>(height));
    out += '\x01';
    out += '\0';
    out += '\x18';
    out += '\0';
    PutU32(out, 0);
    PutU32(out, bitsSize);
    PutU32(out, 2835);
    PutU32(out, 2835);
    PutU32(out, 0);
    PutU32(out, 0);
    std::string bits(bitsSize, '\0');
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bits[static_cast<size_t>(y * stride + x * 3)] = static_cast<char>(blue);
    return out + bits;
}

void MakePicture(KBMP& picture, int width, int height, BYTE blue, int nominalW, int nominalH)
{
    const std::string bytes = BmpBytes(width, height, blue);
    void* block = std::malloc(bytes.size());
    std::memcpy(block, bytes.data(), bytes.size());
    ASSERT_TRUE(picture.Attach(block, false));
    picture.SetSize(nominalW, nominalH);
}

std::string PictureBytes(const KBMP& picture)
{
    return std::string(reinterpret_cast<const char*>(picture.GetImage()), picture.GetImageSize());
}

void SetWriteTime(const std::string& path, ULONGLONG ticks)
{
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

const ULONGLONG kTime = 132500000000000000ull;

// Holds a file open without sharing, as another program that is busy with it would.
class BusyFile
{
public:
    explicit BusyFile(const std::string& path)
        : m_handle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~BusyFile() { Release(); }
    BusyFile(const BusyFile&) = delete;
    BusyFile& operator=(const BusyFile&) = delete;
    bool IsHeld() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Release()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle;
};

// The check a writer keeps in a record's reserved field: FNV-1a of the BMP image with the two
// fields a reader fills in (the pixel size at 34 and the colours used at 46) taken as zeros, in
// the low 24 bits, under the mark 0x4B.
uint32_t PictureCheck(const std::string& image)
{
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < image.size(); ++i) {
        const bool filledIn = (i >= 34 && i < 38) || (i >= 46 && i < 50);
        hash = (hash ^ (filledIn ? 0u : static_cast<BYTE>(image[i]))) * 16777619u;
    }
    return 0x4B000000u | (hash & 0xFFFFFFu);
}

struct LibFixture : ::testing::Test
{
    TempDir cache;
    TempDir browsed;

    void SetUp() override
    {
        CacheFile::SetRetryPolicy({3, 1});
        CreateLibIndexTree(cache.Path().c_str(), false, true);
    }
    void TearDown() override
    {
        DeleteLibIndexTree();
        CacheFile::SetRetryPolicy({100, 100});
    }

    std::string Folder() const { return browsed.Path() + "\\"; }
    std::string Drawing(const std::string& name, const std::string& content = "0\nEOF\n")
    {
        const std::string path = browsed / name;
        EXPECT_TRUE(WriteFileBytes(path, content.data(), content.size()));
        SetWriteTime(path, kTime);
        return path;
    }
    std::string LibPath() const { return cache / "OrvoKestalLib000000.opslib"; }
    // The holder loads the folder, takes a picture of path and hands it to its writer.
    void StoreAndFlush(TDwgCache& holder, const std::string& path) const
    {
        holder.SetFolder(Folder().c_str());
        holder.PrepareLoad();
        holder.LoadPending();
        KBMP picture;
        MakePicture(picture, 3, 3, 5, 96, 72);
        holder.Store(path.c_str(), &picture, 96, 72);
        holder.Flush(false, 96, 72);
    }

    // Loads, stores each path with a picture, flushes and waits for the writer.
    void Write(TImageLib& lib, const std::vector<std::string>& paths, int w = 96, int h = 72)
    {
        lib.Load(Folder().c_str());
        BYTE blue = 10;
        for (const std::string& path : paths) {
            KBMP picture;
            MakePicture(picture, 4, 3, blue++, w, h);
            lib.Store(path.c_str(), &picture, w, h);
        }
        lib.Flush(Folder().c_str(), false, w, h);
        ASSERT_TRUE(lib.WaitForWriter(10000));
    }
};

TEST_F(LibFixture, OneRecordLibraryIsWrittenByteForByte)
{
    const std::string path = Drawing("Plan.dxf", "0\nSECTION\n");
    TImageLib lib;
    Write(lib, {path});

    WIN32_FIND_DATAA data;
    FindClose(FindFirstFileA(path.c_str(), &data));
    FILETIME local;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    std::string expected = LibHeader(Folder(), 11, 96, 72);
    const std::string picture = BmpBytes(4, 3, 10);
    const uint64_t start = expected.size();
    const uint64_t pictureOffset = start + 16 + 9 + 8 + 4 * 4;
    PutU64(expected, pictureOffset);
    PutU64(expected, pictureOffset + 4 + picture.size());
    PutText(expected, "Plan.dxf");
    PutU32(expected, local.dwLowDateTime);
    PutU32(expected, local.dwHighDateTime);
    PutU32(expected, 10);
    PutU32(expected, PictureCheck(picture));
    PutU32(expected, 96);
    PutU32(expected, 72);
    PutU32(expected, 1);
    expected += picture;
    EXPECT_EQ(ReadFileBytes(LibPath()), expected);

    TImageLib again;
    again.Load(Folder().c_str());
    ASSERT_EQ(again.GetCount(), 1);
    KBMP out;
    ASSERT_TRUE(again.Lookup(path.c_str(), 96, 72, &out));
    EXPECT_EQ(PictureBytes(out), picture);
    EXPECT_EQ(out.GetWidth(), 96);
    EXPECT_EQ(again.GetHits(), 1);
    int w = 0;
    int h = 0;
    ASSERT_TRUE(again.GetThumbSize(Folder().c_str(), &w, &h));
    EXPECT_EQ(w, 96);
    EXPECT_EQ(h, 72);
}

TEST_F(LibFixture, LookupsFollowTheMatchRules)
{
    struct Case
    {
        const char* what;
        std::function<std::string(const std::string&)> change; // gives the path to look up
        int width;
        bool hit;
    } cases[] = {
        {"same file", [](const std::string& p) { return p; }, 96, true},
        {"name in other case",
         [](const std::string& p) { return p.substr(0, p.rfind('\\') + 1) + "PART.DXF"; }, 96,
         true},
        {"touched",
         [](const std::string& p) {
             SetWriteTime(p, kTime + 10000000);
             return p;
         },
         96, false},
        {"resized",
         [](const std::string& p) {
             WriteFileBytes(p, "0\nEOF\n\n", 7);
             SetWriteTime(p, kTime);
             return p;
         },
         96, false},
        {"other thumbnail size", [](const std::string& p) { return p; }, 128, false},
        {"deleted",
         [](const std::string& p) {
             DeleteFileA(p.c_str());
             return p;
         },
         96, false},
    };
    for (const Case& c : cases) {
        const std::string path = Drawing("part.dxf");
        {
            TImageLib lib;
            Write(lib, {path});
        }
        TImageLib lib;
        lib.Load(Folder().c_str());
        ASSERT_EQ(lib.GetCount(), 1) << c.what;
        KBMP out;
        EXPECT_EQ(lib.Lookup(c.change(path).c_str(), c.width, 72, &out), c.hit) << c.what;
        EXPECT_EQ(out.IsEmpty(), !c.hit) << c.what;
        DeleteFileA(LibPath().c_str());
    }
}

TEST_F(LibFixture, RecordsAreFoundByNameAndStoreReplacesInPlace)
{
    std::vector<std::string> paths;
    for (char c = 'a'; c <= 'e'; ++c)
        paths.push_back(Drawing(std::string(1, c) + ".dxf"));
    TImageLib lib;
    Write(lib, paths);
    lib.Load(Folder().c_str());
    ASSERT_EQ(lib.GetCount(), 5);
    for (int round = 0; round < 2; ++round)
        for (const std::string& path : paths)
            EXPECT_NE(lib.Find(path.c_str(), 96, 72), nullptr) << path;
    KBMP picture;
    MakePicture(picture, 2, 2, 99, 96, 72);
    lib.Store((browsed / "C.DXF").c_str(), &picture, 96, 72);
    EXPECT_EQ(lib.GetCount(), 5);
    const TSingleImage* replaced = lib.Find(paths[2].c_str(), 96, 72);
    ASSERT_NE(replaced, nullptr);
    EXPECT_EQ(PictureBytes(*replaced->m_picture), PictureBytes(picture)) << "the name in either case is one record";
}

// Stored out of order, as workers side by side finish them, the records are still found in the
// order the files are asked for, each of them.
TEST_F(LibFixture, RecordsStoredOutOfOrderAreEachFound)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 40; ++i)
        paths.push_back(Drawing("f" + std::to_string(i) + ".dxf"));
    std::vector<std::string> stored = paths;
    for (size_t i = 0; i + 2 < stored.size(); i += 3)
        std::swap(stored[i], stored[i + 2]);
    std::swap(stored.front(), stored.back());
    TImageLib lib;
    Write(lib, stored);
    lib.Load(Folder().c_str());
    ASSERT_EQ(lib.GetCount(), 40);
    for (int round = 0; round < 2; ++round)
        for (const std::string& path : paths)
            EXPECT_NE(lib.Find(path.c_str(), 96, 72), nullptr) << path;
    EXPECT_EQ(lib.Find(Drawing("absent.dxf").c_str(), 96, 72), nullptr);
}

TEST_F(LibFixture, VersionTenIsRefusedByEveryReader)
{
    const std::string path = Drawing("a.dxf");
    TImageLib lib;
    Write(lib, {path});
    std::string bytes = ReadFileBytes(LibPath());
    CString folder;
    ASSERT_TRUE(ReadLibFolder(LibPath().c_str(), folder));
    bytes[23] = 10;
    ASSERT_TRUE(WriteFileBytes(LibPath(), bytes.data(), bytes.size()));

    TImageLib reader;
    reader.Load(Folder().c_str());
    EXPECT_EQ(reader.GetCount(), 0);
    int w = 0;
    int h = 0;
    EXPECT_FALSE(reader.GetThumbSize(Folder().c_str(), &w, &h));
    EXPECT_FALSE(ReadLibFolder(LibPath().c_str(), folder));
}

// A library file of the older record layout: the picture block right after the reserved field.
std::string LegacyLibrary(const std::string& folder, const std::string& name, FILETIME time,
                          uint32_t size, const std::string& picture)
{
    std::string out = LibHeader(folder, 11, 0, 0);
    const uint64_t pictureOffset = out.size() + 16 + name.size() + 1 + 16;
    PutU64(out, pictureOffset);
    PutU64(out, pictureOffset + 4 + picture.size());
    PutText(out, name);
    PutU32(out, time.dwLowDateTime);
    PutU32(out, time.dwHighDateTime);
    PutU32(out, size);
    PutU32(out, 0);
    PutU32(out, 1);
    return out + picture;
}

TEST_F(LibFixture, OlderRecordsTakeTheirSizeFromThePicture)
{
    const std::string path = Drawing("old.dxf");
    FILETIME local;
    uint32_t size = 0;
    ASSERT_TRUE(CacheFile::FindFileInfo(path.c_str(), &local, &size));
    const std::string bytes = LegacyLibrary(Folder(), "old.dxf", local, size, BmpBytes(5, 7, 1));
    ASSERT_TRUE(WriteFileBytes(LibPath(), bytes.data(), bytes.size()));
    ASSERT_TRUE(GetLibIndexTree()->AddFolder(Folder().c_str(), LibPath().c_str()));
    TImageLib lib;
    lib.Load(Folder().c_str());
    ASSERT_EQ(lib.GetCount(), 1);
    EXPECT_NE(lib.Find(path.c_str(), 5, 7), nullptr);
    EXPECT_EQ(lib.Find(path.c_str(), 96, 72), nullptr);
}

TEST_F(LibFixture, CorruptRecordsEndTheLoadAndKeepTheRecordsBefore)
{
    const std::string a = Drawing("a.dxf");
    const std::string b = Drawing("b.dxf");
    TImageLib writer;
    Write(writer, {a, b});
    const std::string good = ReadFileBytes(LibPath());
    const size_t first = LibHeader(Folder(), 11, 96, 72).size();
    uint64_t second = 0;
    std::memcpy(&second, good.data() + first + 8, 8);
    struct Case
    {
        const char* what;
        size_t at;     // where the u64 is patched
        uint64_t value;
        size_t keep;   // bytes of the file kept (0: all)
        int records;
    } cases[] = {
        {"next offset back to its own record", static_cast<size_t>(second) + 8, second, 0, 1},
        {"next offset back to the first record", static_cast<size_t>(second) + 8, first, 0, 1},
        {"next offset beyond the end", static_cast<size_t>(second) + 8, good.size() + 1, 0, 1},
        {"next offset inside the picture", static_cast<size_t>(second) + 8, second + 40, 0, 1},
        {"picture offset beyond the end", static_cast<size_t>(second), 0xFFFFFFFFull, 0, 1},
        {"picture offset before the name", static_cast<size_t>(second), second + 4, 0, 1},
        {"first record corrupt", first + 8, 0, 0, 0},
        {"cut inside the second name", 0, 0, static_cast<size_t>(second) + 18, 1},
        {"cut inside the second picture", 0, 0, good.size() - 10, 1},
    };
    for (const Case& c : cases) {
        std::string bytes = c.keep ? good.substr(0, c.keep) : good;
        if (c.at)
            std::memcpy(&bytes[c.at], &c.value, 8);
        ASSERT_TRUE(WriteFileBytes(LibPath(), bytes.data(), bytes.size()));
        TImageLib lib;
        lib.Load(Folder().c_str());
        EXPECT_EQ(lib.GetCount(), c.records) << c.what;
    }
}

// Damage that leaves a record readable (its offsets and the BMP's own sizes agree) must not
// show a garbled or blank thumbnail for good: each field is checked against what the record's
// bitmap can be, a record that fails loses its picture, and the thumbnail made again replaces it.
TEST_F(LibFixture, ConsistentButDamagedRecordsAreMadeAgain)
{
    const std::string path = Drawing("part.dxf");
    TImageLib writer;
    Write(writer, {path});
    const std::string good = ReadFileBytes(LibPath());
    const size_t pictureOffset = LibHeader(Folder(), 11, 96, 72).size() + 16 + 9 + 8 + 16;
    const size_t image = pictureOffset + 4;
    const size_t reserved = pictureOffset - 12;
    struct Case
    {
        const char* what;
        std::function<void(std::string&)> damage;
        bool kept;
        int width = 96, height = 72;      // the thumbnail size looked up
    } cases[] = {
        {"undamaged", [](std::string&) {}, true},
        {"a pixel byte flipped", [&](std::string& b) { b[image + 54 + 5] ^= 0x40; }, false},
        {"the check changed", [&](std::string& b) { b[reserved] ^= 1; }, false},
        {"an older writer's record (no check) keeps its pixels as they are",
         [&](std::string& b) {
             std::memset(&b[reserved], 0, 4);
             b[image + 54 + 5] ^= 0x40;
         },
         true},
        {"bitmap height one row less", [&](std::string& b) { b[image + 22] = 2; }, false},
        {"bitmap wider than the thumbnail",
         [&](std::string& b) {
             // A record of a 96 x 72 thumbnail claiming 3 x 2: the picture of 4 x 3 is larger.
             b[reserved + 4] = 3;
             b[reserved + 8] = 2;
         },
         false, 3, 2},
        {"compression 7", [&](std::string& b) { b[image + 30] = 7; }, false},
        {"run lengths for 24 bits", [&](std::string& b) { b[image + 30] = BI_RLE8; }, false},
        {"colour masks for 24 bits", [&](std::string& b) { b[image + 30] = BI_BITFIELDS; }, false},
        {"two planes", [&](std::string& b) { b[image + 26] = 2; }, false},
        {"pixel size far from the rows", [&](std::string& b) { b[image + 34] = 100; }, false},
        {"bit count 8 with no colour table", [&](std::string& b) { b[image + 28] = 8; }, false},
    };
    for (const Case& c : cases) {
        std::string bytes = good;
        c.damage(bytes);
        ASSERT_TRUE(WriteFileBytes(LibPath(), bytes.data(), bytes.size()));
        TImageLib lib;
        lib.Load(Folder().c_str());
        ASSERT_EQ(lib.GetCount(), 1) << c.what;
        KBMP out;
        EXPECT_EQ(lib.Lookup(path.c_str(), c.width, c.height, &out), c.kept) << c.what;
        if (c.kept)
            continue;
        // The holder makes the thumbnail again: the record is replaced and the next visit hits.
        KBMP picture;
        MakePicture(picture, 4, 3, 50, 96, 72);
        lib.Store(path.c_str(), &picture, 96, 72);
        lib.Flush(Folder().c_str(), false, 96, 72);
        ASSERT_TRUE(lib.WaitForWriter(10000));
        TImageLib again;
        again.Load(Folder().c_str());
        EXPECT_EQ(again.GetCount(), 1) << c.what;
        KBMP back;
        ASSERT_TRUE(again.Lookup(path.c_str(), 96, 72, &back)) << c.what;
        EXPECT_EQ(PictureBytes(back), BmpBytes(4, 3, 50)) << c.what;
    }
}

TEST_F(LibFixture, TwoFlushesAreWrittenInOrder)
{
    TempDir other;
    const std::string a = Drawing("a.dxf");
    const std::string b = other / "b.dxf";
    ASSERT_TRUE(WriteFileBytes(b, "x", 1));
    TImageLib lib;
    KBMP picture;
    MakePicture(picture, 2, 2, 1, 96, 72);
    lib.Load(Folder().c_str());
    lib.Store(a.c_str(), &picture, 96, 72);
    lib.Flush(Folder().c_str(), false, 96, 72);
    lib.Load((other.Path() + "\\").c_str());
    lib.Store(b.c_str(), &picture, 96, 72);
    lib.Flush((other.Path() + "\\").c_str(), false, 96, 72);
    ASSERT_TRUE(lib.WaitForWriter(10000));
    EXPECT_EQ(g_bSavingLib.load(), 0);
    CString found;
    ASSERT_TRUE(GetLibIndexTree()->FindLib(Folder().c_str(), found));
    EXPECT_STREQ(found, LibPath().c_str());
    ASSERT_TRUE(GetLibIndexTree()->FindLib(other.Path().c_str(), found));
    EXPECT_STREQ(found, (cache / "OrvoKestalLib000001.opslib").c_str());
    EXPECT_TRUE(IsExistingFile(found));
}

TEST_F(LibFixture, LibraryWithNothingWorthKeepingIsDeletedWithItsIndexEntry)
{
    const std::string a = Drawing("a.dxf");
    TImageLib lib;
    Write(lib, {a});
    ASSERT_TRUE(IsExistingFile(LibPath().c_str()));
    DeleteFileA(a.c_str());
    lib.Load(Folder().c_str());
    ASSERT_EQ(lib.GetCount(), 1);
    lib.Flush(Folder().c_str(), false, 96, 72);
    ASSERT_TRUE(lib.WaitForWriter(10000));
    EXPECT_FALSE(IsExistingFile(LibPath().c_str()));
    EXPECT_TRUE(GetLibIndexTree()->GetEntries().empty());
}

TEST_F(LibFixture, BrowserFolderPlacementDropsTheCacheFolderLibrary)
{
    const std::string a = Drawing("a.dxf");
    TImageLib lib;
    Write(lib, {a});
    GetLibIndexTree()->SetSaveInBrowserFolderFirst(true);
    Write(lib, {a});
    EXPECT_TRUE(IsExistingFile((browsed / "OrvoKestalImageCache.opslib").c_str()));
    EXPECT_FALSE(IsExistingFile(LibPath().c_str()));
    EXPECT_TRUE(GetLibIndexTree()->GetEntries().empty());
}

// "Save in the browser folder first" in a folder that takes no library keeps the thumbnails in
// the cache folder, as without the option, instead of nowhere: the library there is read-only,
// or a write there fails (held by another program through the write). The next visit finds
// them.
TEST_F(LibFixture, BrowsedFolderThatTakesNoLibraryLeavesItToTheCacheFolder)
{
    const std::string browserLib = browsed / "OrvoKestalImageCache.opslib";
    for (const bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly ? "read-only library" : "library held through the write");
        const std::string a = Drawing("a.dxf");
        ASSERT_TRUE(WriteFileBytes(browserLib, "old", 3));
        SetWriteTime(browserLib, kTime);
        if (readOnly) {
            ASSERT_TRUE(SetFileAttributesA(browserLib.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        GetLibIndexTree()->SetSaveInBrowserFolderFirst(true);
        {
            TImageLib lib;
            lib.Load(Folder().c_str());
            KBMP picture;
            MakePicture(picture, 4, 3, 9, 96, 72);
            lib.Store(a.c_str(), &picture, 96, 72);
            BusyFile busy(readOnly ? std::string() : browserLib);
            lib.Flush(Folder().c_str(), false, 96, 72);
            ASSERT_TRUE(lib.WaitForWriter(10000));
        }
        EXPECT_EQ(ReadFileBytes(browserLib), "old");
        CString found;
        ASSERT_TRUE(GetLibIndexTree()->FindLib(Folder().c_str(), found));
        EXPECT_TRUE(IsExistingFile(found));
        TImageLib again;
        again.Load(Folder().c_str());
        EXPECT_EQ(again.GetCount(), 1);
        EXPECT_NE(again.Find(a.c_str(), 96, 72), nullptr);
        SetFileAttributesA(browserLib.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(browserLib.c_str());
        GetLibIndexTree()->RemoveFolder(Folder().c_str());
    }
}

TEST_F(LibFixture, BusyLibraryIsRetriedUntilItIsFree)
{
    const std::string a = Drawing("a.dxf");
    {
        TImageLib lib;
        Write(lib, {a});
    }
    CacheFile::SetRetryPolicy({400, 5});
    BusyFile busy(LibPath());
    ASSERT_TRUE(busy.IsHeld());
    std::thread release([&] {
        Sleep(100);
        busy.Release();
    });
    TImageLib lib;
    lib.Load(Folder().c_str());
    release.join();
    EXPECT_EQ(lib.GetCount(), 1);
}

TEST_F(LibFixture, UnreadableOrUnreplaceableLibraryIsLeftAlone)
{
    const std::string a = Drawing("a.dxf");
    const std::string b = Drawing("b.dxf");
    TImageLib lib;
    Write(lib, {a, b});
    const std::string before = ReadFileBytes(LibPath());
    {
        // Busy through the load: the flush must neither rewrite nor delete what it could not read.
        BusyFile busy(LibPath());
        lib.Load(Folder().c_str());
        EXPECT_FALSE(lib.IsLoaded());
        KBMP picture;
        MakePicture(picture, 2, 2, 7, 96, 72);
        lib.Store(a.c_str(), &picture, 96, 72);
        lib.Flush(Folder().c_str(), true, 96, 72);
        ASSERT_TRUE(lib.WaitForWriter(10000));
    }
    EXPECT_EQ(ReadFileBytes(LibPath()), before);
    {
        // Busy through the write: the old file and the index stay, and no temporary file is left.
        lib.Load(Folder().c_str());
        KBMP picture;
        MakePicture(picture, 2, 2, 8, 96, 72);
        lib.Store(a.c_str(), &picture, 96, 72);
        BusyFile busy(LibPath());
        lib.Flush(Folder().c_str(), true, 96, 72);
        ASSERT_TRUE(lib.WaitForWriter(10000));
    }
    EXPECT_EQ(ReadFileBytes(LibPath()), before);
    EXPECT_EQ(GetLibIndexTree()->GetEntries().size(), 1u);
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA((cache / "*.tmp").c_str(), &data);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
}

TEST_F(LibFixture, HolderNormalisesFoldersAndSkipsFlushesBeforeTheLoad)
{
    const std::string a = Drawing("a.dxf");
    TDwgCache holder(true);
    holder.SetFolder(browsed.Path().c_str());
    EXPECT_STREQ(holder.GetFolder(), Folder().c_str());
    std::string upper = Folder();
    for (char& c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    holder.SetFolder(upper.c_str());
    EXPECT_STREQ(holder.GetFolder(), Folder().c_str());

    StoreAndFlush(holder, a);
    EXPECT_TRUE(holder.GetFolder().IsEmpty());
    ASSERT_TRUE(holder.WaitForWriter(10000));
    const std::string written = ReadFileBytes(LibPath());
    ASSERT_FALSE(written.empty());

    // Reset for the folder but not loaded yet: the flush must not delete the library.
    holder.SetFolder(Folder().c_str());
    holder.PrepareLoad();
    holder.Flush(false, 96, 72);
    ASSERT_TRUE(holder.WaitForWriter(10000));
    EXPECT_EQ(ReadFileBytes(LibPath()), written);

    holder.SetFolder(Folder().c_str());
    holder.PrepareLoad();
    holder.LoadPending();
    KBMP out;
    out.SetSize(96, 72);
    EXPECT_TRUE(holder.Lookup(a.c_str(), &out));
    int w = 0;
    int h = 0;
    EXPECT_TRUE(holder.GetLibThumbSize(Folder().c_str(), &w, &h));
}

// The library loads on a thread of its own; a lookup or a store meanwhile waits for it, or
// loads it when the load has not begun: a store is never lost to the load's emptying.
TEST_F(LibFixture, ALoadBegunAnswersLookupsAndKeepsStoresMadeMeanwhile)
{
    const std::string a = Drawing("a.dxf");
    const std::string b = Drawing("b.dxf", "0\nEOF\n\n");
    TDwgCache holder(true);
    EXPECT_FALSE(holder.IsLoading());
    holder.BeginLoad(); // nothing pending: nothing begins
    EXPECT_FALSE(holder.IsLoading());
    StoreAndFlush(holder, a);
    ASSERT_TRUE(holder.WaitForWriter(10000));

    for (const bool waitFirst : {true, false}) {
        SCOPED_TRACE(waitFirst);
        holder.SetFolder(Folder().c_str());
        holder.PrepareLoad();
        holder.BeginLoad();
        if (waitFirst) {
            holder.WaitForLoad(10000);
            EXPECT_FALSE(holder.IsLoading());
        }
        KBMP second;
        MakePicture(second, 4, 4, 9, 96, 72);
        holder.Store(b.c_str(), &second, 96, 72);
        KBMP out;
        out.SetSize(96, 72);
        EXPECT_TRUE(holder.Lookup(a.c_str(), &out));
        out.SetSize(96, 72);
        EXPECT_TRUE(holder.Lookup(b.c_str(), &out));
        holder.WaitForLoad(10000);
        EXPECT_FALSE(holder.IsLoading());
        holder.Flush(false, 96, 72);
        ASSERT_TRUE(holder.WaitForWriter(10000));
    }
    TImageLib lib;
    lib.Load(Folder().c_str());
    EXPECT_EQ(2, lib.GetCount());
}

TEST_F(LibFixture, DisabledHolderNeverHitsAndStoresNothing)
{
    const std::string a = Drawing("a.dxf");
    TDwgCache holder(false);
    EXPECT_FALSE(holder.IsLibEnabled());
    StoreAndFlush(holder, a);
    KBMP out;
    out.SetSize(96, 72);
    EXPECT_FALSE(holder.Lookup(a.c_str(), &out));
    EXPECT_FALSE(IsExistingFile(LibPath().c_str()));
    holder.EnableLib(true);
    EXPECT_TRUE(holder.IsLibEnabled());
    holder.EnableLib(false);
    EXPECT_FALSE(holder.IsLibEnabled());
}

} // namespace
