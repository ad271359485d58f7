// The file property pages: their texts, the sheet over a drawing read through the engine (the
// DWG samples against their DXF exports), a file that is gone, and the user-defined entries.
#include "browser/properties/FileInfoText.h"
#include "browser/properties/FileProperties.h"
#include "framework/CPropertySheet.h"
#include "framework/ModalSeam.h"
#include "render/workers/DRAWINGINFO.h"
#include "res/resource.h"
#include "tests/browser/dialogs/DialogScript.h"
#include "tests/engine/portable/DxfSampleDrawing.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using orvo::test::ControlText;
using orvo::test::TempDir;

TEST(FileInfoText, SizesShowTheirBytesInGroupsOfThree)
{
    const std::pair<ULONGLONG, const char*> groups[] = {
        {0, "0"}, {999, "999"}, {1000, "1,000"}, {1310720, "1,310,720"},
        {18446744073709551615ull, "18,446,744,073,709,551,615"},
    };
    for (const auto& g : groups)
        EXPECT_STREQ(GroupThousands(g.first), g.second) << g.second;
    EXPECT_STREQ(FormatSizeWithBytes(1310720), "1.25 MB (1,310,720 Bytes)");
}

TEST(FileInfoText, EditingTimeTakesItsSingularAndPlural)
{
    const struct
    {
        int hours, minutes;
        const char* text;
    } cases[] = {
        {0, 0, "0 minute"},           {1, 1, "1 hour, 1 minute"},  {2, 5, "2 hours, 5 minutes"},
        {-3, 1, "1 minute"},          {0, 59, "59 minutes"},       {32767, 59, "32767 hours, 59 minutes"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(FormatEditingTime(c.hours, c.minutes), c.text) << c.text;
}

TEST(FileInfoText, TheFolderIsTheDriveAndDirectory)
{
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\plans\\a.dwg", "C:\\plans\\"}, {"\\\\server\\share\\b.dxf", "\\\\server\\share\\"},
        {"C:a.dwg", "C:"}, {"a.dwg", ""}, {"", ""}, {"C:/x/y.dwg", "C:/x/"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(FolderOfPath(c.first), c.second) << c.first;
}

// The name keeps its last character; blanks around name and value go.
TEST(FileInfoText, UserEntriesSplitAtTheFirstEquals)
{
    const struct
    {
        const char* entry;
        bool split;
        const char* name;
        const char* value;
    } cases[] = {
        {"Job=42", true, "Job", "42"},
        {"a=1", true, "a", "1"},
        {" Client = Halvorn Ltd ", true, "Client", "Halvorn Ltd"},
        {"Formula=a=b", true, "Formula", "a=b"},
        {"Empty=", true, "Empty", ""},
        {"=value", false, "", ""},
        {" =value", false, "", ""},
        {"no equals", false, "", ""},
        {"", false, "", ""},
    };
    for (const auto& c : cases) {
        CString name, value;
        EXPECT_EQ(SplitUserProperty(c.entry, name, value), c.split) << c.entry;
        EXPECT_STREQ(name, c.name) << c.entry;
        EXPECT_STREQ(value, c.value) << c.entry;
    }
}

namespace {

// The texts of every page's controls, gathered by visiting each page of the running sheet.
using PageTexts = std::map<int, std::string>;

const int kBasicIds[] = {IDC_FILEINFO_NAME, IDC_FILEINFO_TYPE, IDC_FILEINFO_FOLDER, IDC_FILEINFO_SIZE,
                         IDC_FILEINFO_SHORTNAME, IDC_FILEINFO_CREATED, IDC_FILEINFO_MODIFIED,
                         IDC_FILEINFO_ACCESSED};
const int kInfoIds[] = {IDC_FILEINFO_CREATE_DATE, IDC_FILEINFO_UPDATE_DATE, IDC_FILEINFO_EDITOR,
                        IDC_FILEINFO_EDIT_TIME};
const int kSummaryIds[] = {IDC_FILEINFO_TITLE, IDC_FILEINFO_SUBJECT, IDC_FILEINFO_AUTHOR,
                           IDC_FILEINFO_KEYWORDS, IDC_FILEINFO_COMMENT, IDC_FILEINFO_HYPERLINK};
const int kUserIds[] = {IDC_FILEINFO_USER_NAME1, IDC_FILEINFO_USER_VALUE1, IDC_FILEINFO_USER_NAME2,
                        IDC_FILEINFO_USER_VALUE2, IDC_FILEINFO_USER_NAME9, IDC_FILEINFO_USER_VALUE9,
                        IDC_FILEINFO_USER_NAME10, IDC_FILEINFO_USER_VALUE10};

struct SheetRun
{
    PageTexts texts;
    std::map<int, UINT> checks;
    std::string caption;
    bool ok = false;
};

template <size_t N>
void ReadPage(CPropertySheet& sheet, int index, const int (&ids)[N], SheetRun& run)
{
    sheet.SetActivePage(index);
    HWND page = sheet.GetPage(index)->GetSafeHwnd();
    for (int id : ids)
        run.texts[id] = ControlText(page, id);
    if (index == 0) {
        for (int id : {IDC_FILEINFO_READONLY, IDC_FILEINFO_HIDDEN, IDC_FILEINFO_ARCHIVE, IDC_FILEINFO_SYSTEM})
            run.checks[id] = ::IsDlgButtonChecked(page, id);
    }
}

SheetRun RunSheet(const std::string& path, const DRAWINGINFO* info)
{
    SheetRun run;
    CModalHandlerScope scope([&run](const ModalRequest& request) -> INT_PTR {
        EXPECT_EQ(request.kind, ModalKind::PropertySheet);
        auto& sheet = *static_cast<CPropertySheet*>(request.pWnd);
        EXPECT_EQ(sheet.GetPageCount(), 4);
        char caption[MAX_PATH] = {};
        ::GetWindowTextA(sheet.GetSafeHwnd(), caption, MAX_PATH);
        run.caption = caption;
        ReadPage(sheet, 0, kBasicIds, run);
        ReadPage(sheet, 1, kInfoIds, run);
        ReadPage(sheet, 2, kSummaryIds, run);
        ReadPage(sheet, 3, kUserIds, run);
        return IDOK;
    });
    run.ok = RunFilePropertiesSheet(path.c_str(), info, nullptr);
    return run;
}

} // namespace

TEST(FilePropertiesSheet, AFileThatIsGoneShowsOnlyItsNameAndFolder)
{
    TempDir dir;
    const SheetRun run = RunSheet(dir / "gone.dwg", nullptr);
    EXPECT_TRUE(run.ok);
    EXPECT_EQ(run.caption, "gone.dwg Properties");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_NAME), "gone.dwg");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_FOLDER), dir.Path() + "\\");
    for (int id : {IDC_FILEINFO_SIZE, IDC_FILEINFO_SHORTNAME, IDC_FILEINFO_CREATED, IDC_FILEINFO_MODIFIED,
                   IDC_FILEINFO_ACCESSED, IDC_FILEINFO_EDITOR, IDC_FILEINFO_TITLE, IDC_FILEINFO_USER_NAME1})
        EXPECT_EQ(run.texts.at(id), "") << id;
    for (const auto& check : run.checks)
        EXPECT_EQ(check.second, static_cast<UINT>(BST_UNCHECKED)) << check.first;
}

TEST(FilePropertiesSheet, AFileShowsItsSizeAndAttributes)
{
    TempDir dir;
    const std::string path = dir / "plan.txt";
    const std::string bytes(1234, 'x');
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, bytes.data(), bytes.size()));
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    const SheetRun run = RunSheet(path, nullptr);
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_SIZE), "1.21 KB (1,234 Bytes)");
    EXPECT_FALSE(run.texts.at(IDC_FILEINFO_SHORTNAME).empty());
    EXPECT_FALSE(run.texts.at(IDC_FILEINFO_MODIFIED).empty());
    EXPECT_EQ(run.checks.at(IDC_FILEINFO_READONLY), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(run.checks.at(IDC_FILEINFO_ARCHIVE), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(run.checks.at(IDC_FILEINFO_HIDDEN), static_cast<UINT>(BST_UNCHECKED));
}

TEST(FilePropertiesSheet, TheDrawingPagesShowTheInformationRecord)
{
    DRAWINGINFO info;
    info.m_nFilled = 5;
    info.m_strTitle = "Ground floor";
    info.m_strSubject = "Plan";
    info.m_strAuthor = "A. Builder";
    info.m_strText0 = "walls doors";
    info.m_strText5 = "editor";
    info.m_strText6 = "http://plans";
    info.m_pStrings->AddTail(CString("first line\r\n"));
    info.m_pStrings->AddTail(CString("second line"));
    info.m_nEditHours = 1;
    info.m_nEditMinutes = 1;
    const char* entries[] = {"Job=42", "a=1", "Three=3", "Four=4", "Five=5", "Six=6", "Seven=7",
                             "Eight=8", "Nine=9", "Ten=10"};
    for (const char* entry : entries)
        info.m_strCustom[info.m_nCustom++] = entry;
    const SheetRun run = RunSheet("C:\\plans\\ground.dwg", &info);
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_TITLE), "Ground floor");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_SUBJECT), "Plan");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_AUTHOR), "A. Builder");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_KEYWORDS), "walls doors");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_COMMENT), "first line\r\nsecond line");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_HYPERLINK), "http://plans");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_EDITOR), "editor");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_EDIT_TIME), "1 hour, 1 minute");
    EXPECT_FALSE(run.texts.at(IDC_FILEINFO_CREATE_DATE).empty());
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_USER_NAME1), "Job");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_USER_VALUE1), "42");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_USER_NAME2), "a");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_USER_VALUE2), "1");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_USER_NAME10), "Ten");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_USER_VALUE10), "10");
}

TEST(FilePropertiesSheet, AnEntryWithoutANameEndsTheUserPage)
{
    DRAWINGINFO info;
    info.m_nFilled = 3;
    for (const char* entry : {"One=1", "=orphan", "Three=3"})
        info.m_strCustom[info.m_nCustom++] = entry;
    const SheetRun run = RunSheet("C:\\x.dwg", &info);
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_USER_NAME1), "One");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_USER_NAME2), "");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_USER_VALUE2), "");
}

TEST(FilePropertiesSheet, HostileCountsInTheRecordStayInBounds)
{
    DRAWINGINFO info;
    info.m_nFilled = 1;
    info.m_strCustom[0] = "Only=1";
    for (int16_t count : {int16_t(-5), int16_t(11), int16_t(32767)}) {
        info.m_nCustom = count;
        const SheetRun run = RunSheet("C:\\x.dwg", &info);
        EXPECT_TRUE(run.ok) << count;
    }
}

TEST(FilePropertiesSheet, ANonDrawingIsNotReadAsOne)
{
    TempDir dir;
    ASSERT_TRUE(orvo::test::WriteFileBytes(dir / "fake.dwg", "AC1015 but nothing else", 23));
    DRAWINGINFO info;
    info.m_nFilled = 4;
    EXPECT_FALSE(ReadDrawingInfo((dir / "fake.dwg").c_str(), &info));
    EXPECT_EQ(info.m_nFilled, 0);
    EXPECT_FALSE(ReadDrawingInfo((dir / "absent.dxf").c_str(), &info));
    EXPECT_FALSE(ReadDrawingInfo(nullptr, &info));
    EXPECT_FALSE(ReadDrawingInfo("x.dwg", nullptr));
}

// What the pages show of each sample DWG is what its DXF export says: title, author, keywords,
// user properties, the last editor and the total editing time (to the minute or two between the
// two saves).
TEST(FilePropertiesSheet, SampleDrawingsShowWhatTheirDxfExportSays)
{
    const std::string samples = orvo::test::SamplesDir();
    if (samples.empty())
        GTEST_SKIP() << "the shared sample drawings folder is absent";
    // Three releases keep the case short: each drawing is read whole.
    for (const char* version : {"2004", "2010", "2018"}) {
        const std::string base = samples + "\\dwg\\example_" + version;
        DRAWINGINFO dwgInfo, dxfInfo;
        ASSERT_TRUE(ReadDrawingInfo((base + ".dwg").c_str(), &dwgInfo)) << base;
        ASSERT_TRUE(ReadDrawingInfo((base + ".dxf").c_str(), &dxfInfo)) << base;
        const SheetRun dwg = RunSheet(base + ".dwg", &dwgInfo);
        const SheetRun dxf = RunSheet(base + ".dxf", &dxfInfo);
        for (int id : {IDC_FILEINFO_TITLE, IDC_FILEINFO_AUTHOR, IDC_FILEINFO_KEYWORDS, IDC_FILEINFO_SUBJECT,
                       IDC_FILEINFO_EDITOR, IDC_FILEINFO_USER_NAME1, IDC_FILEINFO_USER_VALUE1})
            EXPECT_EQ(dwg.texts.at(id), dxf.texts.at(id)) << base << " control " << id;
        EXPECT_EQ(dwg.texts.at(IDC_FILEINFO_EDITOR), "rurban") << base;
        const int dwgMinutes = dwgInfo.m_nEditHours * 60 + dwgInfo.m_nEditMinutes;
        const int dxfMinutes = dxfInfo.m_nEditHours * 60 + dxfInfo.m_nEditMinutes;
        EXPECT_NEAR(dwgMinutes, dxfMinutes, 5) << base;
        EXPECT_GT(dwgMinutes, 0) << base;
        EXPECT_EQ(dwg.caption, std::string("example_") + version + ".dwg Properties");
        EXPECT_NE(dwg.texts.at(IDC_FILEINFO_EDIT_TIME).find("minute"), std::string::npos) << base;
    }
}

// The comment reaches the Summary page line by line as the drawing stores it.
TEST(FilePropertiesSheet, TheCommentKeepsItsLines)
{
    DRAWINGINFO info;
    DRAWINGINFO::PropertyCallback(4, "first line\r\nsecond line\n", &info);
    EXPECT_EQ(info.m_pStrings->GetCount(), 2);
    EXPECT_STREQ(JoinLines(info.m_pStrings.get()), "first line\r\nsecond line\n");
    info.Reset();
    EXPECT_EQ(info.m_pStrings->GetCount(), 0);
}

// A drawing with every summary field, read from its file through the engine.
TEST(FilePropertiesSheet, ADrawingsSummaryAndUserPropertiesReachThePages)
{
    TempDir dir;
    const std::string path = dir / "summary.dxf";
    const std::string text = orvo::portable::SampleDrawing().Ascii();
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, text.data(), text.size()));
    DRAWINGINFO info;
    ASSERT_TRUE(ReadDrawingInfo(path.c_str(), &info));
    const SheetRun run = RunSheet(path, &info);
    EXPECT_EQ(run.caption, "summary.dxf Properties");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_TITLE), "The title");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_SUBJECT), "Subject");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_AUTHOR), "Author Name");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_KEYWORDS), "key words");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_COMMENT), "Comments");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_HYPERLINK), "http://x");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_EDITOR), "Saver");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_EDIT_TIME), "36 hours, 0 minute");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_USER_NAME1), "Client");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_USER_VALUE1), "Halvorn");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_USER_NAME2), "Job");
    EXPECT_EQ(run.texts.at(IDC_FILEINFO_USER_VALUE2), "42");
    EXPECT_FALSE(run.texts.at(IDC_FILEINFO_SIZE).empty());
}

// Properties in another script (the drawing's text, UTF-8) show as they are, whatever the
// system's code page.
TEST(FilePropertiesSheet, PropertiesInOtherScriptsShowAsTheyAre)
{
    DRAWINGINFO info;
    info.m_nFilled = 5;
    info.m_strTitle = "\xD0\x9F\xD0\xBB\xD0\xB0\xD0\xBD";                        // "План"
    info.m_strCustom[info.m_nCustom++] = "\xE5\x90\x8D=\xE5\x80\xBC";           // CJK name=value
    std::map<int, std::wstring> shown;
    CModalHandlerScope scope([&shown](const ModalRequest& request) -> INT_PTR {
        auto& sheet = *static_cast<CPropertySheet*>(request.pWnd);
        for (const int page : {2, 3}) {
            sheet.SetActivePage(page);
            const HWND hwnd = sheet.GetPage(page)->GetSafeHwnd();
            for (const int id : {IDC_FILEINFO_TITLE, IDC_FILEINFO_USER_NAME1, IDC_FILEINFO_USER_VALUE1}) {
                wchar_t text[64] = {};
                if (const HWND control = ::GetDlgItem(hwnd, id))
                    ::GetWindowTextW(control, text, 64);
                if (text[0])
                    shown[id] = text;
            }
        }
        return IDOK;
    });
    ASSERT_TRUE(RunFilePropertiesSheet("C:\\plans\\plan.dwg", &info, nullptr));
    EXPECT_EQ(shown[IDC_FILEINFO_TITLE], L"\x041F\x043B\x0430\x043D");
    EXPECT_EQ(shown[IDC_FILEINFO_USER_NAME1], L"\x540D");
    EXPECT_EQ(shown[IDC_FILEINFO_USER_VALUE1], L"\x503C");
}
