// The view frame's file commands end to end, with the real drawing thread: Save As of a shown
// drawing and of a shown image (the save dialog answered by script) writes files the project's
// readers open, a target that cannot be written is told and remembers nothing, a drawing prints
// to the test printer through the print manager, and Insert into AutoCAD without AutoCAD says so.
#include "app/CAppState.h"
#include "engine/rkio/CDrawing.h"
#include "engine/rkio/rkio.h"
#include "engine/rkui/PrintManagerDialog.h"
#include "engine/rkui/RkUI.h"
#include "frames/save/SaveFormats.h"
#include "framework/CommonDialogs.h"
#include "framework/ModalSeam.h"
#include "imaging/KImage.h"
#include "render/workers/TDwgDrawThread.h"
#include "res/resource.h"
#include "tests/frames/print/TestPrinter.h"
#include "tests/frames/view/ViewFrameFixture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using orvo::test::TempDir;

struct DrawingDeleter
{
    void operator()(CDrawing* d) const { CDrawing::DeleteDrawing(d); }
};
using DrawingPtr = std::unique_ptr<CDrawing, DrawingDeleter>;

DrawingPtr OpenDrawing(const std::string& path)
{
    DrawingPtr drawing(CDrawing::CreateDrawing(0));
    return drawing->Open(path.c_str(), "") == 0 ? std::move(drawing) : nullptr;
}

// The save dialog answered with a path and a kind (1-based index of its filter).
ModalStep SaveDialogChoosing(const std::string& path, int kind)
{
    return ModalStep(ModalKind::CommonDialog, "", IDOK, [kind](const ModalRequest& r) {
               if (auto* file = dynamic_cast<CFileDialog*>(r.pCommonDialog))
                   file->m_ofn.nFilterIndex = static_cast<DWORD>(kind);
           })
        .Choosing(path.c_str());
}

int CountOf(const std::string& text, const std::string& word)
{
    int n = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + word.size()))
        ++n;
    return n;
}

class ViewFrameFile : public orvo::test::ViewFrameFixture
{
protected:
    void SetUp() override
    {
        InitDLL();
        initRkUI((m_registry.Key() + "\\").c_str(), "Orvo Kestal", 1, 0);
    }
    void TearDown() override { releaseRkUI(); }

    DWORD Remembered(const char* name) const
    {
        DWORD value = 0, size = sizeof value;
        const std::string key = m_registry.Path("ViewWindow");
        return SHGetValueA(HKEY_CURRENT_USER, key.c_str(), name, nullptr, &value, &size) == ERROR_SUCCESS ? value : 0;
    }

    void Command(UINT id) { m_frame->SendMessage(WM_COMMAND, id); }

    TempDir m_dir;
};

} // namespace

TEST_F(ViewFrameFile, SaveAsWritesTheShownDrawingAsDxf2000)
{
    ORVO_REQUIRE_SAMPLES(samples);
    const std::string source = samples + "\\dwg\\example_2018.dwg";
    ASSERT_TRUE(OpenAndWait(source));
    const std::string target = m_dir / "copy.dxf";
    {
        // The 2018 drawing's three solids (their ACIS data in its data storage) are not carried
        // into a 2000 DXF: the user is told they were left out.
        CModalScript script({SaveDialogChoosing(m_dir / "copy.any", 6),
                             ModalStep(ModalKind::MessageBox, "Left out: 3 3DSOLID.", IDOK)});
        Command(ID_VIEW_SAVE_AS);
        EXPECT_EQ(script.Remaining(), 0u);
    }
    DrawingPtr back = OpenDrawing(target);
    ASSERT_TRUE(back) << target;
    DrawingPtr original = OpenDrawing(source);
    ASSERT_TRUE(original);
    EXPECT_EQ(back->GetLayers().size(), original->GetLayers().size());
    EXPECT_NE(orvo::test::ReadFileBytes(target).find("AC1015"), std::string::npos) << "a 2000 DXF";
    EXPECT_EQ(Remembered(kVectorFormatValue), 6u);
    EXPECT_TRUE(Thread().IsDrawingValid()) << "the shown drawing stays";
}

TEST_F(ViewFrameFile, SaveAsWritesTheShownImageAsBmp)
{
    const std::string picture = m_dir / "photo.bmp";
    ASSERT_TRUE(WritePicture(picture));
    ASSERT_TRUE(OpenImageAndWait(picture));
    const std::string target = m_dir / "copy.bmp";
    {
        CModalScript script({SaveDialogChoosing(target, 1)});
        Command(ID_VIEW_SAVE_AS);
        EXPECT_EQ(script.Remaining(), 0u);
    }
    KImage back;
    ASSERT_TRUE(back.Load(target.c_str(), 0.0f, 0.0f));
    EXPECT_EQ(back.GetFormat(), static_cast<DWORD>(RASTER_FORMAT_BMP));
    ASSERT_NE(back.GetImage(), nullptr);
    EXPECT_EQ(back.GetImage()->GetWidth(), 40u);
    EXPECT_EQ(back.GetImage()->GetHeight(), 30u);
    EXPECT_GT(back.GetImage()->GetPixelColor(35, 15, false).rgbRed, 200);
    EXPECT_EQ(Remembered(kRasterFormatValue), 1u);
}

// A read-only file as the target: the user is told, the file is untouched and the kind is not
// remembered; saving over the shown file is asked about first.
TEST_F(ViewFrameFile, AReadOnlyTargetIsToldAndTheShownFileIsAskedAbout)
{
    ORVO_REQUIRE_SAMPLES(samples);
    const std::string source = m_dir / "plan.dwg";
    ASSERT_TRUE(CopyFileA((samples + "\\dwg\\example_2000.dwg").c_str(), source.c_str(), FALSE));
    ASSERT_TRUE(OpenAndWait(source));
    const std::string locked = m_dir / "locked.dxf";
    ASSERT_TRUE(orvo::test::WriteFileBytes(locked, "kept", 4));
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    RememberFormat(kVectorFormatValue, 2);
    {
        CModalScript script({SaveDialogChoosing(locked, 6), ModalStep(ModalKind::MessageBox, "locked.dxf", IDOK)});
        Command(ID_VIEW_SAVE_AS);
        EXPECT_EQ(script.Remaining(), 0u);
    }
    EXPECT_EQ(orvo::test::ReadFileBytes(locked), "kept");
    EXPECT_EQ(Remembered(kVectorFormatValue), 2u);
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);

    const std::string before = orvo::test::ReadFileBytes(source);
    {
        CModalScript script({SaveDialogChoosing(source, 2), ModalStep(ModalKind::MessageBox, "", IDNO)});
        Command(ID_VIEW_SAVE_AS);
        EXPECT_EQ(script.Remaining(), 0u);
    }
    EXPECT_EQ(orvo::test::ReadFileBytes(source), before);
    EXPECT_EQ(Remembered(kVectorFormatValue), 2u);
}

TEST_F(ViewFrameFile, PrintSendsTheShownDrawingToTheTestPrinter)
{
    ORVO_REQUIRE_SAMPLES(samples);
    std::string why;
    ASSERT_TRUE(orvo::test::EnsureTestPrinter(why)) << why;
    ASSERT_TRUE(OpenAndWait(samples + "\\dwg\\example_2000.dwg"));
    const std::string job = m_dir / "view.ps";
    m_frame->SetPrintJobOutput(job.c_str());
    const auto choosePrinter = [](const ModalRequest& r) {
        ::SendDlgItemMessageA(r.pWnd->m_hWnd, RkUI::PrintManagerDialog::kPrinter, CB_SELECTSTRING,
                              static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(orvo::test::kTestPrinterName));
    };
    {
        CModalScript script({ModalStep(ModalKind::Dialog, "", IDOK, choosePrinter)});
        Command(ID_VIEW_PRINT);
        EXPECT_EQ(script.Remaining(), 0u);
    }
    EXPECT_EQ(m_frame->GetPrintCommand().LastResult(), CDrawingPrinter::Result::Printed);
    EXPECT_TRUE(m_frame->GetPrintCommand().Record().wholeView);
    const std::string text = orvo::test::ReadFileBytes(job);
    EXPECT_NE(text.find("%!PS"), std::string::npos);
    EXPECT_GE(CountOf(text, "lineto") + CountOf(text, " L\n"), 6) << "the drawing's line work";
    EXPECT_FALSE(m_frame->GetView().m_bPickWindow);
    EXPECT_TRUE(Settled());
}

// Picking a print window and ending it with Esc or Enter opens the print manager again; closing
// it prints nothing.
TEST_F(ViewFrameFile, EscOrEnterWhilePickingAPrintWindowReopensThePrintManager)
{
    ORVO_REQUIRE_SAMPLES(samples);
    ASSERT_TRUE(OpenAndWait(samples + "\\dwg\\example_2000.dwg"));
    for (const WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        SCOPED_TRACE(key);
        {
            CModalScript script({ModalStep(ModalKind::Dialog, "", RkUI::PrintManagerDialog::kPickWindow)});
            Command(ID_VIEW_PRINT);
            EXPECT_EQ(script.Remaining(), 0u);
        }
        EXPECT_TRUE(m_frame->GetView().m_bPickWindow);
        EXPECT_FALSE(IsEnabled(ID_VIEW_PRINT)) << "while a window is picked";
        CModalScript again({ModalStep(ModalKind::Dialog, "", IDCANCEL)});
        MSG press = {m_frame->GetView().GetSafeHwnd(), WM_KEYDOWN, key, 0, 0, {0, 0}};
        EXPECT_TRUE(m_frame->PreTranslateMessage(&press));
        EXPECT_FALSE(m_frame->GetView().m_bPickWindow);
        EXPECT_TRUE(orvo::test::WaitFor([&again] { return again.Remaining() == 0; }, orvo::test::kViewWaitMs));
        EXPECT_TRUE(IsEnabled(ID_VIEW_PRINT));
    }
    EXPECT_TRUE(m_frame->IsWindowVisible()) << "Esc while picking does not leave the frame";
}

TEST_F(ViewFrameFile, InsertIntoAutoCADWithoutAutoCADSaysSo)
{
    ORVO_REQUIRE_SAMPLES(samples);
    ASSERT_TRUE(OpenAndWait(samples + "\\dwg\\example_2000.dwg"));
    ASSERT_TRUE(IsEnabled(ID_VIEW_INSERT_AUTOCAD));
    CModalScript script({ModalStep(ModalKind::MessageBox, "install AutoCAD", IDOK)});
    Command(ID_VIEW_INSERT_AUTOCAD);
    EXPECT_EQ(script.Remaining(), 0u);
}
