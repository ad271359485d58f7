// The command line's table: options in either case, files and folders that exist or not, types
// the program does not show, and argument counts from none to four.
#include "app/CAppState.h"
#include "app/StartupCommandLine.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

enum class Arg { None, Drawing, Image, Unsupported, Missing, Folder, MissingFolder };

struct Case {
    const char* name;
    std::vector<const char*> options; // placed before the path argument
    Arg path;
    std::vector<const char*> after;   // placed after it
    int expected;
};

class StartupCommandLineTest : public ::testing::TestWithParam<Case>
{
protected:
    StartupCommandLineTest()
    {
        const char data[] = "x";
        orvo::test::WriteFileBytes(m_dir / "plan.DWG", data, 1);
        orvo::test::WriteFileBytes(m_dir / "photo.jpeg", data, 1);
        orvo::test::WriteFileBytes(m_dir / "notes.txt", data, 1);
    }

    std::string PathOf(Arg arg) const
    {
        switch (arg) {
        case Arg::Drawing: return m_dir / "plan.DWG";
        case Arg::Image: return m_dir / "photo.jpeg";
        case Arg::Unsupported: return m_dir / "notes.txt";
        case Arg::Missing: return m_dir / "gone.dwg";
        case Arg::Folder: return m_dir.Path();
        case Arg::MissingFolder: return m_dir / "gone";
        default: return {};
        }
    }

    orvo::test::TempDir m_dir;
};

TEST_P(StartupCommandLineTest, Table)
{
    const Case& c = GetParam();
    const std::string path = PathOf(c.path);
    std::vector<const char*> argv = {"OrvoKestal.exe"};
    argv.insert(argv.end(), c.options.begin(), c.options.end());
    if (c.path != Arg::None)
        argv.push_back(path.c_str());
    argv.insert(argv.end(), c.after.begin(), c.after.end());

    CString out = "untouched";
    EXPECT_EQ(ParseStartupArguments(static_cast<int>(argv.size()), argv.data(), out), c.expected);
    // The path is filled whenever there are two or more arguments, whatever the answer.
    if (argv.size() >= 3)
        EXPECT_STREQ(out, argv[2]);
    else if (argv.size() == 2)
        EXPECT_STREQ(out, argv[1]);
    else
        EXPECT_STREQ(out, "untouched");
}

const int kBrowser = CAppState::kStartBrowser;
const int kFolder = CAppState::kStartInFolder;
const int kView = CAppState::kStartViewFile;

INSTANTIATE_TEST_SUITE_P(
    Arguments, StartupCommandLineTest,
    ::testing::Values(
        Case{"ViewDrawing", {"/v"}, Arg::Drawing, {}, kView},
        Case{"ViewOptionInCapitals", {"/V"}, Arg::Drawing, {}, kView},
        Case{"ViewImage", {"/v"}, Arg::Image, {}, kView},
        Case{"ViewMissingFile", {"/v"}, Arg::Missing, {}, kBrowser},
        Case{"ViewUnsupportedType", {"/v"}, Arg::Unsupported, {}, kBrowser},
        Case{"ViewFolder", {"/v"}, Arg::Folder, {}, kBrowser},
        Case{"BrowseFolder", {"/b"}, Arg::Folder, {}, kFolder},
        Case{"BrowseFolderInCapitals", {"/B"}, Arg::Folder, {}, kFolder},
        Case{"BrowseFile", {"/b"}, Arg::Drawing, {}, kBrowser},
        Case{"BrowseMissingFolder", {"/b"}, Arg::MissingFolder, {}, kBrowser},
        Case{"UnknownOption", {"/x"}, Arg::Drawing, {}, kBrowser},
        Case{"SingleDrawing", {}, Arg::Drawing, {}, kView},
        Case{"SingleImage", {}, Arg::Image, {}, kView},
        Case{"SingleFolder", {}, Arg::Folder, {}, kFolder},
        Case{"SingleUnsupportedFile", {}, Arg::Unsupported, {}, kBrowser},
        Case{"SingleMissingFile", {}, Arg::Missing, {}, kBrowser},
        Case{"NoArguments", {}, Arg::None, {}, kBrowser},
        Case{"FourArgumentsViewTheFile", {"/v"}, Arg::Drawing, {"extra"}, kView},
        Case{"FourArgumentsBrowseTheFolder", {"/b"}, Arg::Folder, {"extra"}, kFolder}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(StartupCommandLine, NoArgumentVectorAtAllStartsTheBrowser)
{
    CString out = "untouched";
    EXPECT_EQ(ParseStartupArguments(0, nullptr, out), CAppState::kStartBrowser);
    EXPECT_STREQ(out, "untouched");
}

} // namespace
