// Printing from the view: a drawing printed through the printer export device to a real
// PostScript printer of the test prefix (its job written to a file), the print command with the
// print manager answered through the modal seam (print, pick a window, close), print to file in
// each picture format, a printer that refuses a step, and a raster image through the print
// dialog.
#include "engine/rkio/EngineState.h"
#include "engine/rkio/rkio.h"
#include "engine/rkui/PrintManagerDialog.h"
#include "engine/rkui/RkUI.h"
#include "frames/print/CDrawingPrintCommand.h"
#include "frames/print/CDrawingPrinter.h"
#include "frames/print/CImagePrinter.h"
#include "frames/print/PrintFileName.h"
#include "framework/CommonDialogs.h"
#include "framework/ModalSeam.h"
#include "framework/Prompt.h"
#include "imaging/KImage.h"
#include "kit/KViewPort.h"
#include "kit/OViewHistory.h"
#include "render/scene/JGraphics.h"
#include "tests/core/RegistryRootScope.h"
#include "tests/engine/portable/DxfBuilder.h"
#include "tests/frames/print/TestPrinter.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using orvo::test::TempDir;

struct DrawingDeleter
{
    void operator()(CDrawing* d) const { CDrawing::DeleteDrawing(d); }
};
using DrawingPtr = std::unique_ptr<CDrawing, DrawingDeleter>;

constexpr int kViewWidth = 400, kViewHeight = 300;

// A frame of 200 x 100 with both diagonals, in red: line work a print must show.
std::string FrameDrawing()
{
    orvo::portable::DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    const double corners[5][2] = {{0, 0}, {200, 0}, {200, 100}, {0, 100}, {0, 0}};
    for (int i = 0; i < 4; ++i)
        b.S(0, "LINE").S(8, "0").S(62, "1").P(10, corners[i][0], corners[i][1]).P(11, corners[i + 1][0], corners[i + 1][1]);
    b.S(0, "LINE").S(8, "0").P(10, 0, 0).P(11, 200, 100);
    b.S(0, "LINE").S(8, "0").P(10, 0, 100).P(11, 200, 0);
    b.EndSection().Eof();
    return b.Ascii();
}

// The view frame's part, played by the test: a drawing view of 400 x 300.
class FakePrintView : public CDrawingPrintView
{
public:
    explicit FakePrintView(CDrawing* drawing) : m_drawing(drawing) {}
    CDrawing* GetDrawing() override { return m_drawing; }
    HWND GetOwner() override { return nullptr; }
    RECT GetViewClientRect() override { return RECT{0, 0, kViewWidth, kViewHeight}; }
    RECT GetPickedRect() override { return picked; }
    void SetPickedRect(const RECT& rect) override { picked = rect; }
    bool IsWindowPicked() override { return windowPicked; }
    void SetWindowPicked(bool on) override { windowPicked = on; }
    void SetPickWindowMode(bool on) override { pickMode = on; }
    void Repaint() override { ++repaints; }
    COLORREF GetBackground() override { return RGB(0, 0, 0); }

    RECT picked = {0, 0, 0, 0};
    bool windowPicked = false;
    bool pickMode = false;
    int repaints = 0;

private:
    CDrawing* m_drawing;
};

class Printing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InitDLL();
        initRkUI((m_registry.Key() + "\\").c_str(), "Orvo Kestal", 1, 0);
        DWG_SetBackgroundColor(RGB(0, 0, 0));
        m_drawing = Open(FrameDrawing());
    }
    void TearDown() override
    {
        releaseRkUI();
    }

    DrawingPtr Open(const std::string& dxf)
    {
        const std::string path = m_dir / "frame.dxf";
        EXPECT_TRUE(orvo::test::WriteFileBytes(path, dxf.data(), dxf.size()));
        DrawingPtr drawing(CDrawing::CreateDrawing(0));
        EXPECT_EQ(drawing->Open(path.c_str(), ""), 0);
        drawing->SetOutputSize(kViewWidth, kViewHeight);
        drawing->ZoomExtents(0, 0, 1.05);
        return drawing;
    }

    // The whole view as the print command would hand it.
    PrintWindowRecord WholeView() const
    {
        PrintWindowRecord w;
        m_drawing->PixelToWorld(0, kViewHeight, w.corner1);
        m_drawing->PixelToWorld(kViewWidth, 0, w.corner2);
        m_drawing->GetViewWorldSize(&w.width, &w.height);
        return w;
    }

    void RequirePrinter()
    {
        std::string why;
        ASSERT_TRUE(orvo::test::EnsureTestPrinter(why)) << why;
    }

    static std::string ReadText(const std::string& path) { return orvo::test::ReadFileBytes(path); }

    RegistryRootScope m_registry;
    TempDir m_dir;
    DrawingPtr m_drawing;
    std::vector<std::string> m_prompts;
    CPromptHandlerScope m_promptScope{[this](const PromptRequest& r) {
        m_prompts.push_back(static_cast<LPCSTR>(r.strText));
        return IDOK;
    }};
};

// Line work in the PostScript job: the driver strokes paths built of lineto operators.
int CountOf(const std::string& text, const std::string& word)
{
    int n = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + word.size()))
        ++n;
    return n;
}

TEST_F(Printing, DrawingPrintsToThePostScriptPrinter)
{
    RequirePrinter();
    const std::string job = m_dir / "job.ps";
    CDrawingPrinter printer(*m_drawing, nullptr, RGB(0, 0, 0));
    printer.SetPrinterDcFactory(&orvo::test::CreateTestPrinterDC);
    printer.SetJobOutput(job.c_str());
    m_drawing->SetColorMode(1);
    const PrintWindowRecord window = WholeView();
    EXPECT_EQ(printer.PrintDrawing(window, 4.0, 0, 50, -50, 0, 0, 0), CDrawingPrinter::Result::Printed);
    const std::string ps = ReadText(job);
    ASSERT_GT(ps.size(), 200u);
    EXPECT_EQ(ps.compare(0, 4, "%!PS"), 0);
    EXPECT_NE(ps.find("Orvo Kestal - frame.dxf"), std::string::npos);
    EXPECT_GE(CountOf(ps, "lineto") + CountOf(ps, " L\n") + CountOf(ps, " l\n"), 6) << ps.substr(0, 4000);
    EXPECT_TRUE(m_prompts.empty());
    // The drawing looks as before: colour mode and view.
    EXPECT_EQ(m_drawing->GetColorMode(), 1);
    EXPECT_EQ(m_drawing->OutputWidth(), kViewWidth);
}

// The points of the job's paths ("x y moveto" / "x y lineto", device pixels of the page).
std::vector<POINT> PathPoints(const std::string& ps)
{
    std::vector<POINT> points;
    std::istringstream in(ps);
    for (std::string line; std::getline(in, line);) {
        long x = 0, y = 0;
        char op[16] = {};
        if (std::sscanf(line.c_str(), "%ld %ld %15s", &x, &y, op) == 3 &&
            (std::strcmp(op, "moveto") == 0 || std::strcmp(op, "lineto") == 0))
            points.push_back(POINT{x, y});
    }
    return points;
}

// A DWG sample fitted on the page upright and turned a quarter: its line work lies on the page
// and fills it across one side; the drawing's view is as before.
TEST_F(Printing, DwgSampleIsFittedOnThePageInBothOrientations)
{
    ORVO_REQUIRE_SAMPLES(samples);
    RequirePrinter();
    DrawingPtr sample(CDrawing::CreateDrawing(0));
    ASSERT_EQ(sample->Open((samples + "\\dwg\\sample_2000.dwg").c_str(), ""), 0);
    sample->SetOutputSize(kViewWidth, kViewHeight);
    sample->ZoomExtents(0, 0, 1.05);
    double before[3] = {};
    sample->PixelToWorld(10, 10, before);
    PrintWindowRecord window;
    sample->PixelToWorld(0, kViewHeight, window.corner1);
    sample->PixelToWorld(kViewWidth, 0, window.corner2);
    sample->GetViewWorldSize(&window.width, &window.height);
    RkUI::PrintManagerDialog::Page page;
    ASSERT_TRUE(RkUI::PrintManagerDialog::PageOf(orvo::test::kTestPrinterName, page));
    for (short orientation : {0, 1}) {
        SCOPED_TRACE(orientation);
        PrintRecord record;
        record.orientation = orientation;
        RkUI::PrintManagerDialog::FitToPage(window, page, record);
        const std::string job = m_dir / ("sample" + std::to_string(orientation) + ".ps");
        CDrawingPrinter printer(*sample, nullptr, RGB(0, 0, 0));
        printer.SetPrinterDcFactory(&orvo::test::CreateTestPrinterDC);
        printer.SetJobOutput(job.c_str());
        EXPECT_EQ(printer.PrintDrawing(window, record.scale, 0, record.placement1, record.placement2, orientation, 0, 0),
                  CDrawingPrinter::Result::Printed);
        const std::string ps = ReadText(job);
        EXPECT_NE(ps.find("Orvo Kestal - sample_2000.dwg"), std::string::npos);
        const std::vector<POINT> points = PathPoints(ps);
        ASSERT_GT(points.size(), 200u);
        RECT box = {points[0].x, points[0].y, points[0].x, points[0].y};
        for (const POINT& p : points) {
            box.left = std::min(box.left, p.x);
            box.top = std::min(box.top, p.y);
            box.right = std::max(box.right, p.x);
            box.bottom = std::max(box.bottom, p.y);
        }
        EXPECT_GE(box.left, -1);
        EXPECT_GE(box.top, -1);
        EXPECT_LE(box.right, page.width + 1);
        EXPECT_LE(box.bottom, page.height + 1);
        // Fitted and centred: the view's drawing sits in the middle of the page, large.
        EXPECT_LT(std::abs(box.left - (page.width - box.right)), page.width / 20);
        EXPECT_LT(std::abs(box.top - (page.height - box.bottom)), page.height / 20);
        EXPECT_GT(std::max(box.right - box.left, box.bottom - box.top), page.width / 2);
        double after[3] = {};
        sample->PixelToWorld(10, 10, after);
        EXPECT_DOUBLE_EQ(after[0], before[0]);
        EXPECT_DOUBLE_EQ(after[1], before[1]);
    }
    EXPECT_TRUE(m_prompts.empty());
}

TEST_F(Printing, PageOriginFollowsTheOrientation)
{
    struct Case
    {
        short orientation;
        int expected;
    };
    for (const Case c : {Case{0, 300}, Case{1, 500}, Case{2, 300}, Case{3, 500}})
        EXPECT_EQ(CDrawingPrinter::PageOriginY(c.orientation, 500.7, 300.2), c.expected) << c.orientation;
}

TEST_F(Printing, PrintToFileWritesEachPictureFormat)
{
    struct Case
    {
        const char* name;
        DWORD format;
    };
    const Case cases[] = {{"out.jpg", RASTER_FORMAT_JPG}, {"out.jpeg", RASTER_FORMAT_JPG}, {"out.bmp", RASTER_FORMAT_BMP},
                          {"out.gif", RASTER_FORMAT_GIF}, {"out.tif", RASTER_FORMAT_TIF}, {"out.TIFF", RASTER_FORMAT_TIF}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDrawingPrinter printer(*m_drawing, nullptr, RGB(0, 0, 0));
        printer.SetPrinterDcFactory([] { return static_cast<HDC>(nullptr); });
        const std::string path = m_dir / c.name;
        ASSERT_EQ(printer.PrintDrawingToFile(WholeView(), 1.0, 0, 0, 0, 0, 320, 240, path.c_str()),
                  CDrawingPrinter::Result::Printed);
        KImage image;
        ASSERT_TRUE(image.Load(path.c_str(), 0.0f, 0.0f));
        EXPECT_EQ(image.GetFormat(), c.format);
        const CRasterImage* raster = image.GetImage();
        ASSERT_NE(raster, nullptr);
        EXPECT_EQ(raster->GetWidth(), 320u);
        EXPECT_EQ(raster->GetHeight(), 240u);
        int dark = 0, white = 0;
        for (long y = 0; y < 240; y += 2)
            for (long x = 0; x < 320; x += 2) {
                const RGBQUAD p = raster->GetPixelColor(x, y, false);
                const int sum = p.rgbRed + p.rgbGreen + p.rgbBlue;
                dark += sum < 600;
                white += sum >= 700;
            }
        EXPECT_GT(dark, 50);     // the frame and its diagonals
        EXPECT_GT(white, 5000);  // on white paper
    }
    EXPECT_TRUE(m_prompts.empty());
    // The view's background is given back to the engine, the view to the drawing.
    EXPECT_EQ(RkIo::EngineState::Instance().Background(), RGB(0, 0, 0));
    EXPECT_EQ(m_drawing->OutputWidth(), kViewWidth);
}

// The red frame printed to a BMP picture as the plot style and the pen set ask: pen 1 (red)
// printing blue and 1 mm wide replaces the frame's thin red lines with thick blue ones; a plot
// style without pen sets prints the drawing's own colours again.
TEST_F(Printing, PenSetGivesThePrintedWidthsAndColours)
{
    struct Counts
    {
        int red = 0, blue = 0;
    };
    const auto print = [&](bool usePenSets) {
        PlotStyleRecord plot;
        plot.usePenSets = usePenSets ? 1 : 0;
        plot.penSetsByResolution = 1;
        EXPECT_TRUE(savePlotStyleDialogToRegistry(RkUI::PrintManagerDialog::kPlotKey, plot));
        CDrawingPrinter printer(*m_drawing, nullptr, RGB(0, 0, 0));
        printer.SetPrinterDcFactory([] { return static_cast<HDC>(nullptr); });
        const std::string path = m_dir / "pens.bmp";
        EXPECT_EQ(printer.PrintDrawingToFile(WholeView(), 1.0, 0, 0, 0, 0, 320, 240, path.c_str()),
                  CDrawingPrinter::Result::Printed);
        KImage image;
        EXPECT_TRUE(image.Load(path.c_str(), 0.0f, 0.0f));
        Counts counts;
        const CRasterImage* raster = image.GetImage();
        if (!raster)
            return counts;
        for (long y = 0; y < 240; ++y)
            for (long x = 0; x < 320; ++x) {
                const RGBQUAD p = raster->GetPixelColor(x, y, false);
                counts.red += p.rgbRed > 200 && p.rgbGreen < 80 && p.rgbBlue < 80;
                counts.blue += p.rgbBlue > 200 && p.rgbRed < 80 && p.rgbGreen < 80;
            }
        return counts;
    };
    const Counts plain = print(true);
    ASSERT_GT(plain.red, 300);
    EXPECT_EQ(plain.blue, 0);

    ASSERT_TRUE(g_printPenSet.SetPen(1, 100, 5));
    g_printPenSet.setUsePenWidth(true);
    const Counts pens = print(true);
    EXPECT_EQ(pens.red, 0);
    EXPECT_GT(pens.blue, plain.red * 2);     // 1 mm at 96 dpi: about four pixels across

    const Counts off = print(false);
    EXPECT_EQ(off.red, plain.red);
    EXPECT_EQ(off.blue, 0);
    EXPECT_TRUE(g_printPenSet.getUsePenWidth());    // the pen set's own switch is left as it was
    EXPECT_TRUE(m_prompts.empty());
}

TEST_F(Printing, PrintToFileNeedsNoPrinterAndAnUnwritableTargetIsTold)
{
    CDrawingPrinter printer(*m_drawing, nullptr, RGB(0, 0, 0));
    printer.SetPrinterDcFactory([] { return static_cast<HDC>(nullptr); });
    const std::string missing = m_dir / "no such folder\\out.bmp";
    EXPECT_EQ(printer.PrintDrawingToFile(WholeView(), 1.0, 0, 0, 0, 0, 64, 48, missing.c_str()),
              CDrawingPrinter::Result::FileFailed);
    ASSERT_EQ(m_prompts.size(), 1u);
    EXPECT_NE(m_prompts[0].find("could not be written"), std::string::npos);
    EXPECT_EQ(GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Printing, NoPrinterIsToldAndNothingPrinted)
{
    CDrawingPrinter printer(*m_drawing, nullptr, RGB(0, 0, 0));
    printer.SetPrinterDcFactory([] { return static_cast<HDC>(nullptr); });
    EXPECT_EQ(printer.PrintDrawing(WholeView(), 1.0, 0, 0, 0, 0, 0, 0), CDrawingPrinter::Result::NoPrinter);
    EXPECT_EQ(m_prompts.size(), 1u);
    EXPECT_EQ(m_drawing->OutputWidth(), kViewWidth);
}

// A printer that refuses one step: the job is aborted (never left half open), the user is told
// once, and the drawing gets its view back.
TEST_F(Printing, ARefusedStepAbortsTheJobAndTellsTheUser)
{
    enum Step { kStartDoc, kStartPage, kEndPage, kEndDoc };
    struct Case
    {
        Step failing;
        int aborts;
    };
    for (const Case c : {Case{kStartDoc, 0}, Case{kStartPage, 1}, Case{kEndPage, 1}, Case{kEndDoc, 0}}) {
        SCOPED_TRACE(c.failing);
        m_prompts.clear();
        int aborts = 0, endDocs = 0;
        PrintJobSteps steps;
        steps.startDoc = [&](HDC, const DOCINFOA*) { return c.failing == kStartDoc ? 0 : 1; };
        steps.startPage = [&](HDC) { return c.failing == kStartPage ? -1 : 1; };
        steps.endPage = [&](HDC) { return c.failing == kEndPage ? 0 : 1; };
        steps.endDoc = [&](HDC) {
            ++endDocs;
            return c.failing == kEndDoc ? 0 : 1;
        };
        steps.abortDoc = [&](HDC) {
            ++aborts;
            return 1;
        };
        CDrawingPrinter printer(*m_drawing, nullptr, RGB(0, 0, 0));
        printer.SetPrinterDcFactory([] { return CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr); });
        printer.SetJobSteps(steps);
        EXPECT_EQ(printer.PrintDrawing(WholeView(), 1.0, 0, 0, 0, 0, 0, 0), CDrawingPrinter::Result::JobFailed);
        EXPECT_EQ(aborts, c.aborts);
        EXPECT_EQ(endDocs, c.failing == kEndDoc ? 1 : 0);
        EXPECT_EQ(m_prompts.size(), 1u);
        EXPECT_EQ(m_drawing->OutputWidth(), kViewWidth);
    }
}

// The print manager answered through the modal seam: the test printer chosen and the dialog
// confirmed with the controls as the script leaves them.
class PrintManagerScript
{
public:
    using Script = std::function<INT_PTR(HWND dialog)>;
    explicit PrintManagerScript(std::vector<Script> answers)
        : m_answers(std::move(answers)),
          m_scope([this](const ModalRequest& r) -> INT_PTR {
              if (r.kind != ModalKind::Dialog || m_next >= m_answers.size())
                  return IDCANCEL;
              const HWND dialog = r.pWnd->m_hWnd;
              ::SendDlgItemMessageA(dialog, RkUI::PrintManagerDialog::kPrinter, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(orvo::test::kTestPrinterName));
              return m_answers[m_next++](dialog);
          })
    {
    }
    std::size_t Shown() const { return m_next; }

private:
    std::vector<Script> m_answers;
    std::size_t m_next = 0;
    CModalHandlerScope m_scope;
};

INT_PTR Confirm(HWND)
{
    return IDOK;
}

INT_PTR PickWindow(HWND)
{
    return RkUI::PrintManagerDialog::kPickWindow;
}

TEST_F(Printing, PrintCommandPrintsTheViewThroughThePrintManager)
{
    RequirePrinter();
    const std::string job = m_dir / "command.ps";
    FakePrintView view(m_drawing.get());
    CDrawingPrintCommand command;
    command.SetPrinterSetup([&](CDrawingPrinter& p) { p.SetJobOutput(job.c_str()); });
    PrintManagerScript script({&Confirm});
    command.OnFilePrint(view);
    EXPECT_EQ(script.Shown(), 1u);
    EXPECT_EQ(command.LastResult(), CDrawingPrinter::Result::Printed);
    EXPECT_TRUE(command.Record().wholeView);
    EXPECT_EQ(command.Record().chosenWindow, &command.Record().viewWindow);
    EXPECT_GT(command.Record().scale, 0.0);
    EXPECT_FALSE(view.pickMode);
    EXPECT_GE(CountOf(ReadText(job), "lineto") + CountOf(ReadText(job), " L\n"), 6);
    EXPECT_TRUE(m_prompts.empty()) << (m_prompts.empty() ? "" : m_prompts[0]);
}

TEST_F(Printing, PickedWindowIsPrinted)
{
    RequirePrinter();
    const std::string job = m_dir / "picked.ps";
    FakePrintView view(m_drawing.get());
    CDrawingPrintCommand command;
    command.SetPrinterSetup([&](CDrawingPrinter& p) { p.SetJobOutput(job.c_str()); });
    PrintManagerScript script({&PickWindow, [](HWND dialog) {
                                   ::CheckRadioButton(dialog, RkUI::PrintManagerDialog::kWholeView,
                                                      RkUI::PrintManagerDialog::kPaper,
                                                      RkUI::PrintManagerDialog::kPickedWindow);
                                   return static_cast<INT_PTR>(IDOK);
                               }});
    command.OnFilePrint(view);
    EXPECT_TRUE(view.pickMode);
    // The user drags a window over the left half of the view; the view reports it.
    view.picked = RECT{0, 0, kViewWidth / 2, kViewHeight};
    view.windowPicked = true;
    command.OnPrintWindowPicked(view, true);
    EXPECT_EQ(script.Shown(), 2u);
    EXPECT_FALSE(view.pickMode);
    const PrintRecord& r = command.Record();
    EXPECT_FALSE(r.wholeView);
    EXPECT_EQ(r.chosenWindow, &r.printWindow);
    EXPECT_NEAR(r.printWindow.width, r.viewWindow.width / 2, r.viewWindow.width * 1e-6);
    EXPECT_NEAR(r.printWindow.height, r.viewWindow.height, r.viewWindow.height * 1e-6);
    EXPECT_EQ(command.SavedPickedRect().right, kViewWidth / 2);
    EXPECT_EQ(command.LastResult(), CDrawingPrinter::Result::Printed);
    EXPECT_GT(ReadText(job).size(), 200u);
}

TEST_F(Printing, EmptyPickedWindowIsDroppedAndASavedOneIsClamped)
{
    FakePrintView view(m_drawing.get());
    CDrawingPrintCommand command;
    PrintManagerScript script({&PickWindow, &PickWindow});
    command.OnFilePrint(view);
    view.picked = RECT{10, 20, 10, 80};     // no width
    view.windowPicked = true;
    command.OnPrintWindowPicked(view, true);
    EXPECT_FALSE(view.windowPicked);
    EXPECT_TRUE(view.pickMode);

    FakePrintView other(m_drawing.get());
    CDrawingPrintCommand second;
    PrintManagerScript again({&PickWindow, &PickWindow});
    second.OnFilePrint(other);
    other.picked = RECT{-50, 100, 900, 200};    // dragged past the view's edges
    other.windowPicked = true;
    second.OnPrintWindowPicked(other, true);
    EXPECT_EQ(other.picked.left, 0);
    EXPECT_EQ(other.picked.right, kViewWidth);
    EXPECT_TRUE(other.windowPicked);
}

TEST_F(Printing, PrintToFileFromThePrintManager)
{
    const std::string path = m_dir / "frame";
    FakePrintView view(m_drawing.get());
    CDrawingPrintCommand command;
    command.SetFileNameAsker([&](HWND, const CString& title) {
        EXPECT_STREQ(title, "frame");
        return CompletePrintFileName(path.c_str(), 3);
    });
    PrintManagerScript script({[](HWND dialog) {
        ::CheckDlgButton(dialog, RkUI::PrintManagerDialog::kPrintToFile, BST_CHECKED);
        ::SetDlgItemInt(dialog, RkUI::PrintManagerDialog::kBitmapWidth, 200, FALSE);
        ::SetDlgItemInt(dialog, RkUI::PrintManagerDialog::kBitmapHeight, 100, FALSE);
        return static_cast<INT_PTR>(IDOK);
    }});
    command.OnFilePrint(view);
    EXPECT_EQ(command.LastResult(), CDrawingPrinter::Result::Printed);
    KImage image;
    ASSERT_TRUE(image.Load((path + ".gif").c_str(), 0.0f, 0.0f));
    EXPECT_EQ(image.GetImage()->GetWidth(), 200u);
}

TEST_F(Printing, PrintManagerRefusesPaperWithoutAPrinterAndBadSizes)
{
    FakePrintView view(m_drawing.get());
    CDrawingPrintCommand command;
    PrintManagerScript script({[](HWND dialog) {
                                   ::SendDlgItemMessageA(dialog, RkUI::PrintManagerDialog::kPrinter, CB_SETCURSEL,
                                                         static_cast<WPARAM>(-1), 0);
                                   return static_cast<INT_PTR>(IDOK);
                               }});
    command.OnFilePrint(view);
    ASSERT_GE(m_prompts.size(), 1u);
    EXPECT_NE(m_prompts[0].find("No printer"), std::string::npos);
    m_prompts.clear();
    PrintManagerScript sizes({[](HWND dialog) {
        ::CheckDlgButton(dialog, RkUI::PrintManagerDialog::kPrintToFile, BST_CHECKED);
        ::SetDlgItemInt(dialog, RkUI::PrintManagerDialog::kBitmapWidth, 0, FALSE);
        return static_cast<INT_PTR>(IDOK);
    }});
    command.OnFilePrint(view);
    ASSERT_GE(m_prompts.size(), 1u);
    EXPECT_NE(m_prompts[0].find("picture size"), std::string::npos);
}

TEST(PrintFileName, AskedInASaveDialogStartingOnTheDrawingsName)
{
    CModalHandlerScope dialog([](const ModalRequest& r) -> INT_PTR {
        auto* file = dynamic_cast<CFileDialog*>(r.pCommonDialog);
        if (!file)
            return IDCANCEL;
        EXPECT_STREQ(file->m_ofn.lpstrFile, "plan.v2");
        EXPECT_TRUE(file->m_ofn.Flags & OFN_OVERWRITEPROMPT);
        file->SetPathName("C:\\out\\plan");
        file->m_ofn.nFilterIndex = 3;
        return IDOK;
    });
    EXPECT_STREQ(AskPrintFileName(nullptr, "plan.v2"), "C:\\out\\plan.gif");
    CModalHandlerScope cancel([](const ModalRequest&) -> INT_PTR { return IDCANCEL; });
    EXPECT_TRUE(AskPrintFileName(nullptr, "plan").IsEmpty());
}

TEST(PrintFileName, FilterOffersGifAndNamesGetTheChosenExtension)
{
    EXPECT_NE(std::string(kPrintFileFilter).find("|*.gif|"), std::string::npos);
    struct Case
    {
        const char* typed;
        int index;
        const char* expected;
    };
    const Case cases[] = {{"C:\\a\\plan", 1, "C:\\a\\plan.jpg"}, {"C:\\a\\plan", 2, "C:\\a\\plan.bmp"},
                          {"C:\\a\\plan", 3, "C:\\a\\plan.gif"}, {"C:\\a\\plan", 4, "C:\\a\\plan.tif"},
                          {"C:\\a\\plan.png", 1, "C:\\a\\plan.png"}, {"C:\\a.b\\plan", 2, "C:\\a.b\\plan.bmp"},
                          {"C:\\a\\plan", 9, "C:\\a\\plan.jpg"}};
    for (const Case& c : cases)
        EXPECT_STREQ(CompletePrintFileName(c.typed, c.index), c.expected) << c.typed << " " << c.index;
}

TEST_F(Printing, RasterImagePrintsThroughThePrintDialog)
{
    RequirePrinter();
    const std::string picture = m_dir / "photo.bmp";
    {
        CDrawingPrinter printer(*m_drawing, nullptr, RGB(0, 0, 0));
        printer.SetPrinterDcFactory([] { return static_cast<HDC>(nullptr); });
        ASSERT_EQ(printer.PrintDrawingToFile(WholeView(), 1.0, 0, 0, 0, 0, 120, 90, picture.c_str()),
                  CDrawingPrinter::Result::Printed);
    }
    OViewHistory<KViewPort> history;
    JGraphics scene;
    scene.SetHistory(&history);
    ASSERT_TRUE(scene.GetImage().Load(picture.c_str(), 0.0f, 0.0f));
    const std::string job = m_dir / "image.ps";
    CModalHandlerScope dialog([](const ModalRequest& r) -> INT_PTR {
        auto* print = dynamic_cast<CPrintDialog*>(r.pCommonDialog);
        if (!print)
            return IDCANCEL;
        EXPECT_TRUE(print->m_pd.Flags & PD_HIDEPRINTTOFILE);
        print->m_pd.hDC = orvo::test::CreateTestPrinterDC();
        return IDOK;
    });
    CImagePrinter printer(scene, picture.c_str(), nullptr);
    printer.SetJobOutput(job.c_str());
    EXPECT_EQ(printer.JobTitle(), CString("OrvoKestal - photo.bmp"));
    EXPECT_TRUE(printer.PrintImage());
    const std::string ps = ReadText(job);
    EXPECT_GT(ps.size(), 1000u);
    EXPECT_NE(ps.find("OrvoKestal - photo.bmp"), std::string::npos);
    EXPECT_TRUE(m_prompts.empty());
}

TEST_F(Printing, RasterImagePrintCancelledPrintsNothing)
{
    OViewHistory<KViewPort> history;
    JGraphics scene;
    scene.SetHistory(&history);
    CModalHandlerScope dialog([](const ModalRequest&) -> INT_PTR { return IDCANCEL; });
    CImagePrinter printer(scene, "C:\\x.bmp", nullptr);
    EXPECT_FALSE(printer.PrintImage());
    EXPECT_TRUE(m_prompts.empty());
}

} // namespace
