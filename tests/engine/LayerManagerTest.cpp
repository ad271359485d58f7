// The engine's dialogs answered through the modal seam: the layer manager (a layer turned off,
// frozen or recoloured is applied to the drawing and the next render shows it; Cancel changes
// nothing), the point style and the view rotation (refused values keep the dialog up).
#include "OffscreenPicture.h"

#include "engine/rkio/rkio.h"
#include "engine/rkui/LayerManagerDialog.h"
#include "engine/rkui/NumberFieldsDialog.h"
#include "engine/rkui/ViewPointDialog.h"
#include "engine/rkui/RkUI.h"
#include "framework/CWnd.h"
#include "framework/ModalSeam.h"
#include "framework/Prompt.h"
#include "tests/engine/portable/DxfBuilder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using orvo::portable::DxfBuilder;
using orvo::test::OffscreenPicture;
using RkUI::LayerManagerDialog;

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlack = 0x000000;

std::string TestRoot()
{
    return "Software\\OrvoTest\\Layers-" + std::to_string(GetCurrentProcessId()) + "\\";
}

struct DrawingDeleter
{
    void operator()(CDrawing* d) const { CDrawing::DeleteDrawing(d); }
};

class LayerManager : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(initRkUI(TestRoot().c_str(), "Orvo DWG Viewer", 1, 7));
        InitDLL();
        DWG_SetBackgroundColor(RGB(255, 255, 255));
        // Layer "Red" holds the left half's lines, layer "0" (black) the right half's.
        DxfBuilder b;
        b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "LAYER");
        b.S(0, "LAYER").S(2, "0").I(70, 0).I(62, 7).S(0, "LAYER").S(2, "Red").I(70, 0).I(62, 1);
        b.S(0, "ENDTAB").EndSection().Section("ENTITIES");
        for (int i = 0; i < 10; ++i) {
            b.S(0, "LINE").S(8, "Red").P(10, 0, i * 10).P(11, 45, i * 10);
            b.S(0, "LINE").S(8, "0").P(10, 55, i * 10).P(11, 100, i * 10);
        }
        b.EndSection().Eof();
        const std::string path = m_dir / "layers.dxf";
        const std::string data = b.Ascii();
        ASSERT_TRUE(orvo::test::WriteFileBytes(path, data.data(), data.size()));
        m_drawing.reset(CDrawing::CreateDrawing(0));
        ASSERT_EQ(m_drawing->Open(path.c_str(), ""), 0);
        m_drawing->SetOutputSize(120, 90);
        m_drawing->ZoomExtents(0, 0, 1.05);
    }
    void TearDown() override
    {
        SetColorPickerForTests(nullptr);
        releaseRkUI();
        RegDeleteTreeA(HKEY_CURRENT_USER, TestRoot().c_str());
    }

    int Count(std::uint32_t rgb) const
    {
        OffscreenPicture picture(120, 90, RGB(255, 255, 255));
        EXPECT_TRUE(m_drawing->Render(picture.Dc(), nullptr));
        return picture.CountColor(rgb);
    }

    // Selects the layer's line in the live dialog and presses the buttons.
    static ModalAction Press(const char* layer, std::vector<int> buttons)
    {
        return [layer, buttons](const ModalRequest& request) {
            HWND dialog = request.pWnd->m_hWnd;
            char title[64] = {};
            GetWindowTextA(dialog, title, sizeof title);
            EXPECT_STREQ(title, LayerManagerDialog::Title());
            HWND list = GetDlgItem(dialog, LayerManagerDialog::kList);
            const std::string prefix = std::string(layer) + "\t";
            const LRESULT index = SendMessageA(list, LB_FINDSTRING, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>(prefix.c_str()));
            EXPECT_GE(index, 0) << layer;
            SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
            for (int button : buttons)
                SendMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);
        };
    }

    // Presses the buttons as above, then answers.
    static ModalHandler Script(const char* layer, std::vector<int> buttons, INT_PTR answer)
    {
        const ModalAction press = Press(layer, std::move(buttons));
        return [press, answer](const ModalRequest& request) -> INT_PTR {
            if (request.kind != ModalKind::Dialog || !request.pWnd)
                return IDCANCEL;
            press(request);
            return answer;
        };
    }

    orvo::test::TempDir m_dir;
    std::unique_ptr<CDrawing, DrawingDeleter> m_drawing;
};

TEST_F(LayerManager, TurningALayerOffRemovesItsPixels)
{
    const int red = Count(kRed), black = Count(kBlack);
    ASSERT_GT(red, 100);
    ASSERT_GT(black, 100);
    CModalHandlerScope scope(Script("Red", {LayerManagerDialog::kOnOff}, IDOK));
    EXPECT_EQ(showLayerManager(m_drawing.get()), 1);
    EXPECT_EQ(Count(kRed), 0);
    EXPECT_EQ(Count(kBlack), black);
    EXPECT_FALSE(m_drawing->GetLayers()[1].on);
}

TEST_F(LayerManager, TheColourDialogIsScriptedWithTheLayerDialog)
{
    // The colour dialog opens while the layer dialog's step runs: it is the script's next step.
    CModalScript script({
        ModalStep(ModalKind::Dialog, LayerManagerDialog::Title(), IDOK, Press("Red", {LayerManagerDialog::kColor})),
        ModalStep(ModalKind::CommonDialog, "CColorDialog", IDOK).ChoosingColor(RGB(0, 255, 0)),
    });
    EXPECT_EQ(showLayerManager(m_drawing.get()), 1);
    EXPECT_EQ(script.Remaining(), 0u);
    EXPECT_EQ(m_drawing->GetLayers()[1].color, 3);
    EXPECT_EQ(Count(kRed), 0);
    EXPECT_GT(Count(kGreen), 100);
}

TEST_F(LayerManager, FreezingAndColourApplyToo)
{
    const int black = Count(kBlack);
    {
        CModalHandlerScope scope(Script("0", {LayerManagerDialog::kFreeze}, IDOK));
        EXPECT_EQ(showLayerManager(m_drawing.get()), 1);
    }
    EXPECT_EQ(Count(kBlack), 0);
    SetColorPickerForTests([](COLORREF) -> COLORREF { return RGB(0, 255, 0); });
    {
        CModalHandlerScope scope(Script("Red", {LayerManagerDialog::kColor}, IDOK));
        EXPECT_EQ(showLayerManager(m_drawing.get()), 1);
    }
    EXPECT_EQ(Count(kRed), 0);
    EXPECT_GT(Count(kGreen), 100);
    EXPECT_EQ(m_drawing->GetLayers()[1].color, 3);
    // Thawed again, layer "0" is back as it was.
    {
        CModalHandlerScope scope(Script("0", {LayerManagerDialog::kFreeze}, IDOK));
        EXPECT_EQ(showLayerManager(m_drawing.get()), 1);
    }
    EXPECT_EQ(Count(kBlack), black);
}

TEST_F(LayerManager, CancelOrNoChangeAppliesNothing)
{
    const int red = Count(kRed);
    {
        CModalHandlerScope scope(Script("Red", {LayerManagerDialog::kOnOff}, IDCANCEL));
        EXPECT_EQ(showLayerManager(m_drawing.get()), 0);
    }
    EXPECT_EQ(Count(kRed), red);
    {
        // OK without a change: nothing to apply.
        CModalHandlerScope scope(Script("Red", {}, IDOK));
        EXPECT_EQ(showLayerManager(m_drawing.get()), 0);
    }
    EXPECT_EQ(Count(kRed), red);
    EXPECT_EQ(showLayerManager(nullptr), 0);
    std::unique_ptr<CDrawing, DrawingDeleter> closed(CDrawing::CreateDrawing(0));
    EXPECT_EQ(showLayerManager(closed.get()), 0);
}

// "Select View Point" sets the chosen view point: the front view shows the drawing's y axis
// edge-on, so every line (all at z 0) lands on one screen row.
TEST_F(LayerManager, ViewPointDialogSetsTheChosenViewPoint)
{
    {
        CModalHandlerScope scope([](const ModalRequest& request) -> INT_PTR {
            HWND list = GetDlgItem(request.pWnd->m_hWnd, RkUI::ViewPointDialog::kList);
            EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), RkUI::ViewPointDialog::kCount);
            EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 4);     // a flat drawing starts at Top
            SendMessageA(list, LB_SETCURSEL, 0, 0);
            return IDOK;
        });
        EXPECT_EQ(showSetViewportDialog(m_drawing.get()), 1);
    }
    const double low[3] = {0, 0, 0}, high[3] = {0, 90, 0};
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    m_drawing->WorldToPixel(low, &x1, &y1);
    m_drawing->WorldToPixel(high, &x2, &y2);
    EXPECT_EQ(y1, y2);
    {
        CModalHandlerScope scope([](const ModalRequest&) -> INT_PTR { return IDCANCEL; });
        EXPECT_EQ(showSetViewportDialog(m_drawing.get()), 0);
    }
    EXPECT_EQ(showSetViewportDialog(nullptr), 0);
    EXPECT_STREQ(RkUI::ViewPointDialog::Name(9), "NW Isometric");
    EXPECT_STREQ(RkUI::ViewPointDialog::Name(10), "");
}

// Layer names in another script, kept in UTF-8 (2007 and later) or in the drawing's code page,
// are listed as they are.
TEST_F(LayerManager, ListsNamesInOtherScripts)
{
    const struct
    {
        const char* release;
        const char* codePage;
        const char* stored;
    } cases[] = {
        {"AC1021", "ANSI_1252", "\xD0\xA1\xD0\xBB\xD0\xBE\xD0\xB9"},
        {"AC1015", "ANSI_1251", "\xD1\xEB\xEE\xE9"},
    };
    for (const auto& c : cases) {
        DxfBuilder b;
        b.Header(c.release, c.codePage).Section("TABLES").S(0, "TABLE").S(2, "LAYER");
        b.S(0, "LAYER").S(2, "0").I(70, 0).I(62, 7).S(0, "LAYER").S(2, c.stored).I(70, 0).I(62, 1);
        b.S(0, "ENDTAB").EndSection().Section("ENTITIES");
        b.S(0, "LINE").S(8, c.stored).P(10, 0, 0).P(11, 45, 0).EndSection().Eof();
        const std::string path = m_dir / (std::string("names-") + c.release + ".dxf");
        const std::string data = b.Ascii();
        ASSERT_TRUE(orvo::test::WriteFileBytes(path, data.data(), data.size()));
        std::unique_ptr<CDrawing, DrawingDeleter> drawing(CDrawing::CreateDrawing(0));
        ASSERT_EQ(drawing->Open(path.c_str(), ""), 0);
        std::wstring listed;
        CModalHandlerScope scope([&listed](const ModalRequest& request) -> INT_PTR {
            if (request.kind != ModalKind::Dialog || !request.pWnd)
                return IDCANCEL;
            HWND list = GetDlgItem(request.pWnd->m_hWnd, LayerManagerDialog::kList);
            wchar_t line[128] = {};
            if (SendMessageW(list, LB_GETTEXTLEN, 1, 0) < 128)
                SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(line));
            listed = line;
            return IDCANCEL;
        });
        showLayerManager(drawing.get());
        EXPECT_EQ(listed.substr(0, 5), std::wstring(L"\x0421\x043B\x043E\x0439\t")) << c.release;
    }
}

TEST(LayerManagerLine, ShowsEveryState)
{
    EXPECT_EQ(LayerManagerDialog::Line({"Walls", true, false, 1}), "Walls\ton\tthawed\t1");
    EXPECT_EQ(LayerManagerDialog::Line({"Doors", false, true, 250}), "Doors\toff\tfrozen\t250");
}

// A drawing's layer list of another length is refused whole.
TEST_F(LayerManager, SetLayersRefusesAListOfAnotherLength)
{
    std::vector<CDrawing::LayerState> layers = m_drawing->GetLayers();
    layers.push_back({"Extra", false, false, 1});
    EXPECT_FALSE(m_drawing->SetLayers(layers));
    EXPECT_TRUE(m_drawing->GetLayers()[1].on);
}

} // namespace

namespace {

// Types the texts into the live dialog's fields and answers; each later answer comes when the
// dialog stays up (a refused value) and is asked again.
ModalHandler Typing(std::vector<std::vector<std::string>> rounds, INT_PTR answer, int* asked)
{
    return [rounds, answer, asked](const ModalRequest& request) -> INT_PTR {
        const std::size_t round = static_cast<std::size_t>((*asked)++);
        if (round >= rounds.size())
            return IDCANCEL;
        for (std::size_t i = 0; i < rounds[round].size(); ++i)
            SetDlgItemTextA(request.pWnd->m_hWnd, RkUI::NumberFieldsDialog::kFirstEdit + static_cast<int>(i),
                            rounds[round][i].c_str());
        return answer;
    };
}

TEST(NumberDialogs, PointStyleTakesValidModesAndRefusesOthers)
{
    int prompts = 0;
    CPromptHandlerScope noBoxes([&prompts](const PromptRequest&) { ++prompts; return IDOK; });
    int asked = 0;
    int mode = 0;
    double size = 0.0;
    {
        // 5 and "x" are refused (a message each, the dialog stays), then 35 and -5 are taken.
        CModalHandlerScope scope(Typing({{"5", "1"}, {"x", "1"}, {"35", "-5"}}, IDOK, &asked));
        EXPECT_EQ(showSetPointDialog(&mode, &size), 1);
    }
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(prompts, 2);
    EXPECT_EQ(mode, 35);
    EXPECT_EQ(size, -5.0);
    asked = 0;
    {
        CModalHandlerScope scope(Typing({{"3", "2"}}, IDCANCEL, &asked));
        EXPECT_EQ(showSetPointDialog(&mode, &size), 0);
    }
    EXPECT_EQ(mode, 35);
    EXPECT_EQ(showSetPointDialog(nullptr, &size), 0);
}

TEST(NumberDialogs, RotateViewTakesDegreesWithinATurn)
{
    CPromptHandlerScope noBoxes([](const PromptRequest&) { return IDOK; });
    int asked = 0;
    double angle = 0.0;
    {
        CModalHandlerScope scope(Typing({{"400"}, {"1e999"}, {" -90 "}}, IDOK, &asked));
        EXPECT_EQ(showSetRotateViewDialog(&angle), 1);
    }
    EXPECT_EQ(angle, -90.0);
    EXPECT_EQ(showSetRotateViewDialog(nullptr), 0);
}

TEST(NumberDialogs, ParseTakesWholeFiniteNumbersOnly)
{
    const struct { const char* text; bool ok; double value; } cases[] = {
        {"12.5", true, 12.5}, {"-3", true, -3}, {"4 ", true, 4}, {"", false, 0}, {"abc", false, 0},
        {"1.5x", false, 0}, {"nan", false, 0}, {"inf", false, 0}, {"1e999", false, 0}};
    for (const auto& c : cases) {
        double v = 0;
        EXPECT_EQ(RkUI::NumberFieldsDialog::Parse(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

} // namespace
