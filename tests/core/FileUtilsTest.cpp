// File and folder tests on real files in a private folder: wildcards never pass for names, drive
// roots are judged by their drive type, folder chains are created in turn, sizes pass 4 GiB.
#include "core/FileUtils.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using orvo::test::TempDir;

void CreateFileWith(const std::string& path, const std::string& bytes)
{
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, bytes.data(), bytes.size())) << path;
}

TEST(FileUtils, ExistingFileAndFolderTable)
{
    TempDir dir;
    CreateFileWith(dir / "plan.dwg", "x");
    ASSERT_TRUE(CreateDirectoryA((dir / "sub").c_str(), nullptr));
    struct Case
    {
        std::string path;
        bool file;
        bool folder;
    };
    const Case cases[] = {
        {dir / "plan.dwg", true, false},
        {dir / "PLAN.DWG", true, false},
        {dir / "sub", false, true},
        {dir / "sub\\", false, true},
        {dir.Path() + "\\", false, true},
        {dir / "missing.dwg", false, false},
        {dir / "*.dwg", false, false},
        {dir / "pla?.dwg", false, false},
        {dir / "s*", false, false},
        {dir / "plan.dwg\\", false, false},
        {"", false, false},
        {"C:\\", false, true},
        {"C:", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(IsExistingFile(c.path.c_str()), c.file);
        EXPECT_EQ(IsExistingFolder(c.path.c_str()), c.folder);
    }
    EXPECT_FALSE(IsExistingFile(nullptr));
    EXPECT_FALSE(IsExistingFolder(nullptr));
}

TEST(FileUtils, DriveRootCountsOnlyOnFixedOrNetworkDrives)
{
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string root = std::string(1, letter) + ":\\";
        const UINT type = GetDriveTypeA(root.c_str());
        SCOPED_TRACE(root + " type " + std::to_string(type));
        const bool expected = type == DRIVE_FIXED || type == DRIVE_REMOTE;
        EXPECT_EQ(IsExistingFolder(root.c_str()), expected);
        if (!(drives & (1u << (letter - 'A')))) {
            EXPECT_FALSE(IsExistingFolder(root.c_str()));
        }
    }
}

TEST(FileUtils, CreateFolderPathMakesEachFolderInTurn)
{
    TempDir dir;
    const std::string deep = dir / "a\\b\\c";
    EXPECT_TRUE(CreateFolderPath(deep.c_str()));
    EXPECT_TRUE(IsExistingFolder((dir / "a").c_str()));
    EXPECT_TRUE(IsExistingFolder(deep.c_str()));
    EXPECT_TRUE(CreateFolderPath(deep.c_str())) << "an existing path is fine";

    EXPECT_TRUE(CreateFolderPath((dir / "x\\y\\").c_str()));
    EXPECT_TRUE(IsExistingFolder((dir / "x\\y").c_str()));
    EXPECT_TRUE(CreateFolderPath(""));

    const std::string longForm = "\\\\?\\" + dir / "long\\form";
    EXPECT_TRUE(CreateFolderPath(longForm.c_str())) << "the root of a \\\\?\\ path is not made";
    EXPECT_TRUE(IsExistingFolder((dir / "long\\form").c_str()));
    EXPECT_TRUE(IsExistingFolder(longForm.c_str()));
    EXPECT_TRUE(CreateFolderPath(longForm.c_str())) << "and again when it exists";

    CreateFileWith(dir / "file", "x");
    EXPECT_FALSE(CreateFolderPath((dir / "file\\sub").c_str())) << "a file is in the way";
    EXPECT_FALSE(CreateFolderPath((dir / "file").c_str()));
}

TEST(FileUtils, SizeOfAFileBeyondFourGigabytes)
{
    TempDir dir;
    const std::string path = dir / "big.bin";
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER size;
        size.QuadPart = 5368709120LL;
        const bool grown = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
        CloseHandle(file);
        if (!grown)
            GTEST_SKIP() << "the file system cannot hold a 5 GB file here";
    }
    EXPECT_EQ(GetFileSizeByName(path.c_str()), 5368709120ULL);
    EXPECT_EQ(GetFileSizeByName((dir / "missing").c_str()), 0ULL);
    EXPECT_EQ(GetFileSizeByName((dir / "*.bin").c_str()), 0ULL);
}

TEST(FileUtils, LocalWriteTimeOrZero)
{
    TempDir dir;
    const std::string path = dir / "t.dxf";
    CreateFileWith(path, "0");
    SYSTEMTIME when = {2014, 3, 0, 15, 10, 20, 30, 0};
    FILETIME utc;
    ASSERT_TRUE(SystemTimeToFileTime(&when, &utc));
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &utc));
    CloseHandle(file);

    FILETIME expected;
    FileTimeToLocalFileTime(&utc, &expected);
    FILETIME local = {1, 1};
    ASSERT_TRUE(GetFileLocalWriteTime(path.c_str(), &local));
    EXPECT_EQ(CompareFileTime(&local, &expected), 0);

    FILETIME missing = {1, 1};
    EXPECT_FALSE(GetFileLocalWriteTime((dir / "none").c_str(), &missing));
    EXPECT_EQ(missing.dwLowDateTime, 0u);
    EXPECT_EQ(missing.dwHighDateTime, 0u);
}

TEST(FileUtils, ReadStringZStopsAtZeroEndOfFileOrLimit)
{
    TempDir dir;
    const std::string path = dir / "strings.bin";
    CreateFileWith(path, std::string("abc\0\0de", 7));
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::typeBinary));
    EXPECT_STREQ(ReadStringZ(file), "abc");
    EXPECT_STREQ(ReadStringZ(file), "");
    EXPECT_STREQ(ReadStringZ(file), "de");
    EXPECT_STREQ(ReadStringZ(file), "") << "at the end of the file";
    file.Close();

    CreateFileWith(path, std::string(100, 'z'));
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::typeBinary));
    EXPECT_EQ(ReadStringZ(file, 10).GetLength(), 10);
}

} // namespace
