// Path splitting as the program relies on it: folders keep their backslash, the extension starts at
// the file name's last dot, and nothing limits the length.
#include "core/PathUtils.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PathCase
{
    const char* path;
    const char* folder;
    const char* fileName;
    const char* extension;
    const char* replaced; // with ".png"
};

const PathCase kPathCases[] = {
    {"C:\\a\\b.dwg", "C:\\a\\", "b.dwg", ".dwg", "C:\\a\\b.png"},
    {"C:\\a.b\\plan", "C:\\a.b\\", "plan", "", "C:\\a.b\\plan.png"},
    {"C:\\x\\a.dwg.bak", "C:\\x\\", "a.dwg.bak", ".bak", "C:\\x\\a.dwg.png"},
    {"plan.DXF", "", "plan.DXF", ".DXF", "plan.png"},
    {"C:plan.dxf", "C:", "plan.dxf", ".dxf", "C:plan.png"},
    {"C:\\", "C:\\", "", "", "C:\\.png"},
    {"\\\\server\\share\\f.tif", "\\\\server\\share\\", "f.tif", ".tif", "\\\\server\\share\\f.png"},
    {"d:/mixed/slash.jpg", "d:/mixed/", "slash.jpg", ".jpg", "d:/mixed/slash.png"},
    {"C:\\a\\.hidden", "C:\\a\\", ".hidden", ".hidden", "C:\\a\\.png"},
    {"", "", "", "", ".png"},
};

TEST(PathUtils, SplitsLikeTheCLibrary)
{
    for (const PathCase& c : kPathCases) {
        SCOPED_TRACE(c.path);
        EXPECT_STREQ(GetPathFolder(c.path), c.folder);
        EXPECT_STREQ(GetPathFileName(c.path), c.fileName);
        EXPECT_STREQ(GetPathExtension(c.path), c.extension);
        EXPECT_STREQ(ReplacePathExtension(c.path, ".png"), c.replaced);
    }
}

TEST(PathUtils, NullExtensionDropsTheOldOne)
{
    EXPECT_STREQ(ReplacePathExtension("C:\\a\\b.dwg", nullptr), "C:\\a\\b");
    EXPECT_STREQ(GetPathExtension(nullptr), "");
}

TEST(PathUtils, PathsLongerThanTheCLibraryBuffersSplitWhole)
{
    const std::string folder = "C:\\" + std::string(400, 'f') + "\\";
    const std::string name = std::string(300, 'n') + "." + std::string(300, 'e');
    const std::string path = folder + name;
    EXPECT_EQ(std::string(GetPathFolder(path.c_str())), folder);
    EXPECT_EQ(std::string(GetPathFileName(path.c_str())), name);
    EXPECT_EQ(std::string(GetPathExtension(path.c_str())), "." + std::string(300, 'e'));
}

TEST(PathUtils, ProgramFolderHoldsTheRunningProgram)
{
    const CString folder = GetProgramFolder();
    ASSERT_FALSE(folder.IsEmpty());
    EXPECT_EQ(folder[folder.GetLength() - 1], '\\');
    EXPECT_STREQ(GetPathFolder(GetProgramPath()), folder);
    EXPECT_EQ(GetPathFileName(GetProgramPath()).CompareNoCase("PathUtilsTest.exe"), 0);
}

} // namespace
