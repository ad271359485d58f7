// RkUI: the colour index, the cursor table, the number format, the pen set, the
// application-data folder, the search-folder list and its dialog, the plot style record.
#include "engine/rkio/EngineState.h"
#include "engine/rkui/RegistryText.h"
#include "engine/rkui/RkUI.h"
#include "engine/rkui/SearchFolderList.h"
#include "engine/rkui/SearchManagerDialog.h"
#include "framework/AfxWin.h"
#include "framework/ModalSeam.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

std::string TestRoot()
{
    return "Software\\OrvoTest\\RkUI-" + std::to_string(GetCurrentProcessId()) + "\\";
}

class RkUITest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(initRkUI(TestRoot().c_str(), "Orvo DWG Viewer", 1, 7)); }
    void TearDown() override
    {
        releaseRkUI();
        RegDeleteTreeA(HKEY_CURRENT_USER, TestRoot().c_str());
    }
};

TEST_F(RkUITest, ColourIndexAndNames)
{
    const struct { short index; COLORREF rgb; const char* name; } cases[] = {
        {1, RGB(255, 0, 0), "red"}, {2, RGB(255, 255, 0), "yellow"}, {3, RGB(0, 255, 0), "green"},
        {4, RGB(0, 255, 255), "cyan"}, {5, RGB(0, 0, 255), "blue"}, {6, RGB(255, 0, 255), "magenta"},
        {7, RGB(255, 255, 255), "white"}, {8, RGB(128, 128, 128), "8"}, {0, RGB(0, 0, 0), "ByBlock"},
        {256, RGB(255, 255, 255), "ByLayer"}, {-5, RGB(255, 255, 255), "white"},
        {200, RGB(191, 0, 255), "200"},
    };
    for (const auto& c : cases) {
        char name[32] = {};
        EXPECT_EQ(GetColorIndex(c.index, name), c.rgb) << c.index;
        EXPECT_STREQ(name, c.name) << c.index;
        EXPECT_EQ(GetColorIndex(c.index, nullptr), c.rgb);
    }
}

COLORREF PickNearlyBlue(COLORREF) { return RGB(3, 2, 250); }
COLORREF Cancel(COLORREF) { return static_cast<COLORREF>(-1); }

TEST_F(RkUITest, SelectColorGivesTheNearestIndex)
{
    SetColorPickerForTests(PickNearlyBlue);
    EXPECT_EQ(SelectColor(1), 5);
    SetColorPickerForTests(Cancel);
    EXPECT_EQ(SelectColor(42), 42);
    SetColorPickerForTests(nullptr);
}

TEST_F(RkUITest, SelectColorAsksTheModalSeam)
{
    CModalScript script({ModalStep(ModalKind::CommonDialog, "CColorDialog", IDOK).ChoosingColor(RGB(3, 2, 250)),
                         ModalStep(ModalKind::CommonDialog, "CColorDialog", IDCANCEL)});
    EXPECT_EQ(SelectColor(1), 5);
    EXPECT_EQ(SelectColor(42), 42);
}

TEST_F(RkUITest, CursorTableHasEveryIndex)
{
    for (int i = 0; i < RkUI::Cursor::kCount; ++i)
        EXPECT_NE(g_cursor[i], nullptr) << i;
    EXPECT_EQ(g_cursor[RkUI::Cursor::kLink], LoadCursorA(nullptr, IDC_HAND));
    EXPECT_EQ(g_cursor[14], LoadCursorA(nullptr, IDC_SIZENS));
    // The program's own cursors come from its resources, not from the system.
    EXPECT_NE(g_cursor[4], LoadCursorA(nullptr, IDC_CROSS));
    EXPECT_NE(g_cursor[10], LoadCursorA(nullptr, IDC_SIZEALL));
    EXPECT_EQ(g_cursor[-1], LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(g_cursor[20], LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(RkUITest, SystemInformation)
{
    char sep[8] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, sizeof sep);
    EXPECT_EQ(g_systemInfo.getDecimalSep(), sep[0] ? sep[0] : '.');
    const std::string appData = getAppDataPath();
    ASSERT_FALSE(appData.empty());
    EXPECT_NE(appData.back(), '\\');
    EXPECT_EQ(languageText("key", "Default"), std::string("Default"));
    EXPECT_EQ(languageText("key", nullptr), nullptr);
}

TEST_F(RkUITest, PenTableLayoutAndHandOver)
{
    tagPENWIDTHS* pens = g_printPenSet.getPenWidths();
    const auto* bytes = reinterpret_cast<const unsigned char*>(&pens[3]);
    EXPECT_EQ(*reinterpret_cast<const std::int32_t*>(bytes + 8), 25);
    EXPECT_EQ(*reinterpret_cast<const std::int16_t*>(bytes + 12), 3);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(&pens[4]) - bytes, 16);
    pens[3].width = 70;
    g_printPenSet.UpdatePenSetsToRkIO();
    const auto engine = RkIo::EngineState::Instance().Pens();
    ASSERT_EQ(engine.size(), 256u);
    EXPECT_EQ(engine[3].width, 70);
    g_printPenSet.SetMinWidth(-2.0);
    EXPECT_DOUBLE_EQ(g_printPenSet.GetMinWidth(), 1.0);
}

TEST(SearchFolderList, EditsKeepOrderWithoutDuplicates)
{
    auto list = RkUI::SearchFolderList::FromText("C:\\Fonts;;  D:\\Xrefs\\ ;c:\\fonts;E:");
    ASSERT_EQ(list.Folders().size(), 3u);
    EXPECT_EQ(list.Folders()[1], "D:\\Xrefs");
    EXPECT_EQ(list.Folders()[2], "E:\\");
    EXPECT_FALSE(list.Add("C:\\FONTS\\"));
    EXPECT_FALSE(list.Add("   "));
    EXPECT_FALSE(list.Add("a;b"));
    EXPECT_EQ(list.MoveUp(2), 1);
    EXPECT_EQ(list.MoveUp(0), 0);
    EXPECT_EQ(list.MoveDown(2), 2);
    list.Remove(0);
    list.Remove(9);
    EXPECT_EQ(list.ToText(), "E:\\;D:\\Xrefs");
}

TEST_F(RkUITest, SearchManagerDialogAddsAFolder)
{
    // The folder is a real one: the shell's picker only hands back folders that exist.
    orvo::test::TempDir dir;
    const std::string fonts = dir / "Fonts";
    ASSERT_TRUE(CreateDirectoryA(fonts.c_str(), nullptr));
    CModalScript script({
        ModalStep(ModalKind::Dialog, RkUI::SearchManagerDialog::Title(), IDOK,
                  [](const ModalRequest& r) { r.pWnd->SendMessage(WM_COMMAND, RkUI::SearchManagerDialog::kAdd); }),
        ModalStep(ModalKind::FolderPicker, "Choose a folder to search", IDOK).Choosing(fonts.c_str()),
    });
    const int result = showSearchManager(nullptr);
    EXPECT_EQ(result, IDOK);
    EXPECT_STRCASEEQ(getSearchFolders(), fonts.c_str());
    const auto engine = RkIo::EngineState::Instance().SearchDirectories();
    ASSERT_EQ(engine.size(), 1u);
    EXPECT_STRCASEEQ(engine[0].c_str(), fonts.c_str());
    // Kept under the RkUI key, and read back by the next start.
    releaseRkUI();
    ASSERT_TRUE(initRkUI(TestRoot().c_str(), "Orvo DWG Viewer", 1, 7));
    EXPECT_STRCASEEQ(getSearchFolders(), fonts.c_str());
}

} // namespace

namespace {

void ExpectDefaults(const PlotStyleRecord& record)
{
    EXPECT_EQ(record.usePenSets, 1);
    EXPECT_EQ(record.penSetsByResolution, 0);
    EXPECT_EQ(record.plainLineWeightOnPaper, 1);
    EXPECT_EQ(record.fourthFlag, 0);
    EXPECT_EQ(record.lineWeightScale, 1.0);
    EXPECT_EQ(record.colorMode, 0);
}

TEST_F(RkUITest, PlotStyleRecordRoundTripsThroughTheRegistry)
{
    PlotStyleRecord record;
    record.usePenSets = 0;
    loadPlotStyleDialogFromRegistry("PrintCfg\\plot", &record);     // nothing stored: defaults
    ExpectDefaults(record);

    PlotStyleRecord saved;
    saved.usePenSets = 0;
    saved.penSetsByResolution = 1;
    saved.plainLineWeightOnPaper = 0;
    saved.fourthFlag = 1;
    saved.lineWeightScale = 0.35;
    saved.colorMode = 2;
    ASSERT_TRUE(savePlotStyleDialogToRegistry("PrintCfg\\plot", saved));
    PlotStyleRecord read;
    loadPlotStyleDialogFromRegistry("PrintCfg\\plot", &read);
    EXPECT_EQ(read.usePenSets, 0);
    EXPECT_EQ(read.penSetsByResolution, 1);
    EXPECT_EQ(read.plainLineWeightOnPaper, 0);
    EXPECT_EQ(read.fourthFlag, 1);
    EXPECT_EQ(read.lineWeightScale, 0.35);
    EXPECT_EQ(read.colorMode, 2);
    loadPlotStyleDialogFromRegistry("PrintCfg\\plot", nullptr);     // no record: nothing happens
}

TEST_F(RkUITest, PlotStyleValuesOutOfRangeReadAsDefaults)
{
    const std::string key = TestRoot() + "PrintCfg\\plot";
    const struct { const char* value; const char* text; } bad[] = {
        {"UsePenSets", "2"}, {"PenSetsByResolution", "yes"}, {"PlainLineWeight", ""}, {"Flag4", "-1"},
        {"LineWeightScale", "1e999"}, {"ColorMode", "7"}};
    for (const auto& b : bad)
        ASSERT_TRUE(RkUI::RegistryText::Write(key, b.value, b.text));
    PlotStyleRecord read;
    read.colorMode = 1;
    loadPlotStyleDialogFromRegistry("PrintCfg\\plot", &read);
    ExpectDefaults(read);
    for (const char* scale : {"0", "-2", "abc", "150"}) {
        ASSERT_TRUE(RkUI::RegistryText::Write(key, "LineWeightScale", scale));
        loadPlotStyleDialogFromRegistry("PrintCfg\\plot", &read);
        EXPECT_EQ(read.lineWeightScale, 1.0) << scale;
    }
}

} // namespace
