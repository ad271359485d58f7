// Save As from the view: each of the eight drawing kinds and seven raster kinds written and read
// back by the project's readers, the remembered kinds, the save dialog answered through the modal
// seam, a target that cannot be written (told, nothing remembered), a kind the writer refuses,
// and saving over the shown file (asked first).
#include "engine/rkio/rkio.h"
#include "engine/rkui/RkUI.h"
#include "frames/save/CDrawingSaveAs.h"
#include "frames/save/CImageSaveAs.h"
#include "frames/save/SaveFormats.h"
#include "framework/CommonDialogs.h"
#include "framework/ModalSeam.h"
#include "framework/Prompt.h"
#include "imaging/CDib.h"
#include "imaging/KImage.h"
#include "tests/core/RegistryRootScope.h"
#include "tests/engine/portable/DxfBuilder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using orvo::test::TempDir;

struct DrawingDeleter
{
    void operator()(CDrawing* d) const { CDrawing::DeleteDrawing(d); }
};
using DrawingPtr = std::unique_ptr<CDrawing, DrawingDeleter>;

std::string TwoLines()
{
    orvo::portable::DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    b.S(0, "LINE").S(8, "walls").P(10, 0, 0).P(11, 100, 50);
    b.S(0, "CIRCLE").S(8, "0").P(10, 20, 20).S(40, "5");
    b.EndSection().Eof();
    return b.Ascii();
}

DrawingPtr OpenDrawing(const std::string& path)
{
    DrawingPtr drawing(CDrawing::CreateDrawing(0));
    const short opened = drawing->Open(path.c_str(), "");
    return opened == 0 ? std::move(drawing) : nullptr;
}

int CountFiles(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    int n = 0;
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        n += (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return n;
}

class SaveAs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InitDLL();
        initRkUI((m_registry.Key() + "\\").c_str(), "Orvo Kestal", 1, 0);
        m_source = m_dir / "plan.v2.dxf";
        const std::string dxf = TwoLines();
        ASSERT_TRUE(orvo::test::WriteFileBytes(m_source, dxf.data(), dxf.size()));
        m_drawing = OpenDrawing(m_source);
        ASSERT_TRUE(m_drawing);
    }
    void TearDown() override { releaseRkUI(); }

    DWORD Remembered(const char* name) const
    {
        DWORD value = 0, size = sizeof value;
        return SHGetValueA(HKEY_CURRENT_USER, m_registry.Path("ViewWindow").c_str(), name, nullptr, &value, &size) ==
                       ERROR_SUCCESS
                   ? value
                   : 0;
    }

    // A 40 x 30 picture, left half blue, right half yellow.
    std::string MakePicture()
    {
        CDib dib;
        EXPECT_TRUE(dib.Create(40, 30, 24));
        dib.Fill(RGB(0, 0, 255));
        const HDC dc = dib.BeginMemDC();
        RECT right = {20, 0, 40, 30};
        const HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
        FillRect(dc, &right, yellow);
        DeleteObject(yellow);
        dib.EndMemDC();
        const std::string path = m_dir / "photo.bmp";
        EXPECT_TRUE(dib.SaveFile(path.c_str()));
        return path;
    }

    RegistryRootScope m_registry;
    TempDir m_dir;
    std::string m_source;
    DrawingPtr m_drawing;
    std::vector<std::string> m_prompts;
    int m_promptAnswer = IDYES;
    CPromptHandlerScope m_promptScope{[this](const PromptRequest& r) {
        m_prompts.push_back(static_cast<LPCSTR>(r.strText));
        return m_promptAnswer;
    }};
};

// Every drawing kind: the DXF kinds are written and read back; a DWG kind is either written and
// read back, or refused with a message, leaving no file and remembering nothing.
TEST_F(SaveAs, EachDrawingKindWritesAFileTheReadersOpenOrIsRefusedCleanly)
{
    for (int index = 1; index <= kDrawingFormats; ++index) {
        SCOPED_TRACE(index);
        m_prompts.clear();
        RememberFormat(kVectorFormatValue, 3);
        const std::string target = m_dir / ("out" + std::to_string(index) + ".any");
        const std::string written = (m_dir / ("out" + std::to_string(index))) + DrawingFormat(index).extension;
        CDrawingSaveAs save(*m_drawing, nullptr);
        const SaveAsResult result = save.SaveTo(target.c_str(), index);
        if (DrawingFormat(index).kind == 2) {
            ASSERT_EQ(result, SaveAsResult::Saved);
        }
        if (result == SaveAsResult::Saved) {
            EXPECT_TRUE(m_prompts.empty());
            DrawingPtr back = OpenDrawing(written);
            ASSERT_TRUE(back) << written;
            EXPECT_EQ(back->GetLayers().size(), m_drawing->GetLayers().size());
            EXPECT_EQ(Remembered(kVectorFormatValue), static_cast<DWORD>(index));
        } else {
            EXPECT_EQ(result, SaveAsResult::Failed);
            ASSERT_EQ(m_prompts.size(), 1u);
            EXPECT_NE(m_prompts[0].find("not written"), std::string::npos) << m_prompts[0];
            EXPECT_EQ(GetFileAttributesA(written.c_str()), INVALID_FILE_ATTRIBUTES);
            EXPECT_EQ(Remembered(kVectorFormatValue), 3u);
        }
        EXPECT_EQ(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

// What a version cannot hold is left out of the file, and the user is told what: R12 has no rays
// and construction lines; R14 holds them and says nothing.
TEST_F(SaveAs, WhatAVersionCannotHoldIsToldAfterTheSave)
{
    orvo::portable::DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    b.S(0, "LINE").S(8, "0").P(10, 0, 0).P(11, 100, 50);
    b.S(0, "RAY").S(8, "0").S(100, "AcDbRay").P(10, 0, 0).P(11, 1, 0);
    b.S(0, "RAY").S(8, "0").S(100, "AcDbRay").P(10, 5, 0).P(11, 0, 1);
    b.S(0, "XLINE").S(8, "0").S(100, "AcDbXline").P(10, 0, 0).P(11, 1, 1);
    b.EndSection().Eof();
    const std::string source = m_dir / "rays.dxf";
    const std::string dxf = b.Ascii();
    ASSERT_TRUE(orvo::test::WriteFileBytes(source, dxf.data(), dxf.size()));
    DrawingPtr drawing = OpenDrawing(source);
    ASSERT_TRUE(drawing);
    CDrawingSaveAs save(*drawing, nullptr);
    const int r12 = 8, r14 = 7;
    EXPECT_EQ(save.SaveTo((m_dir / "rays12.dxf").c_str(), r12), SaveAsResult::Saved);
    ASSERT_EQ(m_prompts.size(), 1u);
    EXPECT_NE(m_prompts[0].find("Left out: 2 RAY, 1 XLINE."), std::string::npos) << m_prompts[0];
    EXPECT_NE(m_prompts[0].find(DrawingFormat(r12).label), std::string::npos) << m_prompts[0];
    EXPECT_NE(GetFileAttributesA((m_dir / "rays12.dxf").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Remembered(kVectorFormatValue), static_cast<DWORD>(r12));
    m_prompts.clear();
    EXPECT_EQ(save.SaveTo((m_dir / "rays14.dxf").c_str(), r14), SaveAsResult::Saved);
    EXPECT_TRUE(m_prompts.empty());
}

TEST_F(SaveAs, AnUnwritableTargetIsToldAndNothingIsRemembered)
{
    RememberFormat(kVectorFormatValue, 2);
    RememberFormat(kRasterFormatValue, 2);
    const std::string missing = m_dir / "no such folder\\plan.dxf";
    CDrawingSaveAs save(*m_drawing, nullptr);
    EXPECT_EQ(save.SaveTo(missing.c_str(), 6), SaveAsResult::Failed);
    ASSERT_EQ(m_prompts.size(), 1u);
    EXPECT_NE(m_prompts[0].find("could not be written"), std::string::npos);
    EXPECT_EQ(Remembered(kVectorFormatValue), 2u);

    KImage image;
    ASSERT_TRUE(image.Load(MakePicture().c_str(), 0.0f, 0.0f));
    CImageSaveAs imageSave(image, (m_dir / "photo.bmp").c_str(), nullptr);
    EXPECT_EQ(imageSave.SaveTo((m_dir / "no such folder\\photo.png").c_str(), 6), SaveAsResult::Failed);
    EXPECT_EQ(m_prompts.size(), 2u);
    EXPECT_EQ(Remembered(kRasterFormatValue), 2u);
}

// A read-only file is left as it is by both kinds of Save As (a rename over it would replace it).
TEST_F(SaveAs, AReadOnlyTargetIsNeverReplaced)
{
    const std::string locked = m_dir / "locked.png";
    ASSERT_TRUE(orvo::test::WriteFileBytes(locked, "kept", 4));
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    KImage image;
    ASSERT_TRUE(image.Load(MakePicture().c_str(), 0.0f, 0.0f));
    CImageSaveAs imageSave(image, (m_dir / "photo.bmp").c_str(), nullptr);
    EXPECT_EQ(imageSave.SaveTo(locked.c_str(), 6), SaveAsResult::Failed);
    CDrawingSaveAs drawingSave(*m_drawing, nullptr);
    EXPECT_EQ(drawingSave.SaveTo((m_dir / "locked.dxf").c_str(), 6), SaveAsResult::Saved) << "another file";
    const std::string lockedDrawing = m_dir / "locked.dxf";
    ASSERT_TRUE(SetFileAttributesA(lockedDrawing.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string before = orvo::test::ReadFileBytes(lockedDrawing);
    EXPECT_EQ(drawingSave.SaveTo(lockedDrawing.c_str(), 8), SaveAsResult::Failed);
    EXPECT_EQ(orvo::test::ReadFileBytes(locked), "kept");
    EXPECT_EQ(orvo::test::ReadFileBytes(lockedDrawing), before);
    ASSERT_EQ(m_prompts.size(), 2u);
    EXPECT_NE(m_prompts[0].find("read-only"), std::string::npos) << m_prompts[0];
    EXPECT_EQ(Remembered(kRasterFormatValue), 0u);
    EXPECT_EQ(Remembered(kVectorFormatValue), 6u) << "only the save that was made";
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(lockedDrawing.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The initial name is the shown file: one click would replace the source with a converted copy.
TEST_F(SaveAs, SavingOverTheShownDrawingAsksFirst)
{
    const std::string before = orvo::test::ReadFileBytes(m_source);
    const int files = CountFiles(m_dir.Path());
    CDrawingSaveAs save(*m_drawing, nullptr);
    m_promptAnswer = IDNO;
    EXPECT_EQ(save.SaveTo(m_source.c_str(), 8), SaveAsResult::Cancelled);
    ASSERT_EQ(m_prompts.size(), 1u);
    EXPECT_EQ(orvo::test::ReadFileBytes(m_source), before);
    EXPECT_EQ(Remembered(kVectorFormatValue), 0u);

    m_promptAnswer = IDYES;
    EXPECT_EQ(save.SaveTo(m_source.c_str(), 8), SaveAsResult::Saved);
    EXPECT_EQ(m_prompts.size(), 2u);
    EXPECT_NE(orvo::test::ReadFileBytes(m_source), before);
    EXPECT_TRUE(OpenDrawing(m_source));
    EXPECT_EQ(CountFiles(m_dir.Path()), files);     // no temporary file left beside it
    // Another name is not asked about.
    EXPECT_EQ(save.SaveTo((m_dir / "copy.dxf").c_str(), 8), SaveAsResult::Saved);
    EXPECT_EQ(m_prompts.size(), 2u);
}

TEST_F(SaveAs, SaveDialogStartsOnTheRememberedKindAndTheTypedNameGetsItsExtension)
{
    RememberFormat(kVectorFormatValue, 7);
    std::string initialName;
    DWORD initialIndex = 0;
    CString filter;
    const std::string typed = m_dir / "typed.txt";
    CModalHandlerScope dialog([&](const ModalRequest& r) -> INT_PTR {
        auto* file = dynamic_cast<CFileDialog*>(r.pCommonDialog);
        if (!file)
            return IDCANCEL;
        initialName = file->m_ofn.lpstrFile;
        initialIndex = file->m_ofn.nFilterIndex;
        file->SetPathName(typed.c_str());
        file->m_ofn.nFilterIndex = 8;
        return IDOK;
    });
    CDrawingSaveAs save(*m_drawing, nullptr);
    EXPECT_EQ(save.Run(), SaveAsResult::Saved);
    EXPECT_EQ(initialIndex, 7u);    // R14 DXF is remembered as chosen, not turned into 2000
    EXPECT_EQ(initialName, m_dir / "plan.v2.dxf");
    EXPECT_TRUE(OpenDrawing(m_dir / "typed.dxf"));
    EXPECT_EQ(Remembered(kVectorFormatValue), 8u);
    EXPECT_EQ(ReadRememberedFormat(kVectorFormatValue, kDrawingFormats), 8);
}

TEST_F(SaveAs, CancelledDialogSavesNothing)
{
    CModalHandlerScope dialog([](const ModalRequest&) -> INT_PTR { return IDCANCEL; });
    const int files = CountFiles(m_dir.Path());
    CDrawingSaveAs save(*m_drawing, nullptr);
    EXPECT_EQ(save.Run(), SaveAsResult::Cancelled);
    EXPECT_EQ(CountFiles(m_dir.Path()), files);
    EXPECT_EQ(Remembered(kVectorFormatValue), 0u);
}

TEST_F(SaveAs, RememberedKindsAreKeptInRange)
{
    struct Case
    {
        DWORD stored;
        bool present;
        int drawing;
        int raster;
    };
    const Case cases[] = {{0, false, 1, 1}, {0, true, 1, 1}, {5, true, 5, 5}, {7, true, 7, 7},
                          {8, true, 8, 7},  {99, true, 8, 7}, {0xFFFFFFFF, true, 8, 7}};
    for (const Case& c : cases) {
        SHDeleteKeyA(HKEY_CURRENT_USER, m_registry.Path("ViewWindow").c_str());
        if (c.present) {
            m_registry.SetDword("ViewWindow", kVectorFormatValue, c.stored);
            m_registry.SetDword("ViewWindow", kRasterFormatValue, c.stored);
        }
        EXPECT_EQ(ReadRememberedFormat(kVectorFormatValue, kDrawingFormats), c.drawing) << c.stored;
        EXPECT_EQ(ReadRememberedFormat(kRasterFormatValue, kRasterFormats), c.raster) << c.stored;
    }
}

TEST_F(SaveAs, EachRasterKindWritesAFileTheReadersOpen)
{
    const std::string picture = MakePicture();
    KImage image;
    ASSERT_TRUE(image.Load(picture.c_str(), 0.0f, 0.0f));
    const DWORD formats[kRasterFormats] = {RASTER_FORMAT_BMP, RASTER_FORMAT_JPG, RASTER_FORMAT_GIF, RASTER_FORMAT_PCX,
                                           RASTER_FORMAT_TIF, RASTER_FORMAT_PNG, RASTER_FORMAT_TGA};
    for (int index = 1; index <= kRasterFormats; ++index) {
        SCOPED_TRACE(index);
        CImageSaveAs save(image, picture.c_str(), nullptr);
        const CString target = save.InitialName(index);
        EXPECT_EQ(target.Right(4), CString(RasterFormat(index).extension));
        if (index == 1)
            continue;   // the shown file itself: asked about in its own test
        ASSERT_EQ(save.SaveTo(target, index), SaveAsResult::Saved);
        KImage back;
        ASSERT_TRUE(back.Load(target, 0.0f, 0.0f));
        EXPECT_EQ(back.GetFormat(), formats[index - 1]);
        ASSERT_NE(back.GetImage(), nullptr);
        EXPECT_EQ(back.GetImage()->GetWidth(), 40u);
        EXPECT_EQ(back.GetImage()->GetHeight(), 30u);
        const RGBQUAD left = back.GetImage()->GetPixelColor(5, 15, false);
        const RGBQUAD right = back.GetImage()->GetPixelColor(35, 15, false);
        EXPECT_GT(left.rgbBlue, 200);
        EXPECT_LT(left.rgbRed, 60);
        EXPECT_GT(right.rgbRed, 200);
        EXPECT_LT(right.rgbBlue, 60);
        EXPECT_EQ(Remembered(kRasterFormatValue), static_cast<DWORD>(index));
    }
    EXPECT_TRUE(m_prompts.empty());
}

// A name typed with another extension is saved under exactly that name, in that name's format.
TEST_F(SaveAs, ImageDialogKeepsTheTypedNameAndAsksBeforeReplacingTheShownImage)
{
    const std::string picture = MakePicture();
    KImage image;
    ASSERT_TRUE(image.Load(picture.c_str(), 0.0f, 0.0f));
    RememberFormat(kRasterFormatValue, 6);
    std::string initialName;
    const std::string typed = m_dir / "typed.tga";
    CModalHandlerScope dialog([&](const ModalRequest& r) -> INT_PTR {
        auto* file = dynamic_cast<CFileDialog*>(r.pCommonDialog);
        initialName = file->m_ofn.lpstrFile;
        EXPECT_EQ(file->m_ofn.nFilterIndex, 6u);
        file->SetPathName(typed.c_str());
        file->m_ofn.nFilterIndex = 3;
        return IDOK;
    });
    CImageSaveAs save(image, picture.c_str(), nullptr);
    EXPECT_EQ(save.Run(), SaveAsResult::Saved);
    EXPECT_EQ(initialName, m_dir / "photo.png");
    KImage back;
    ASSERT_TRUE(back.Load(typed.c_str(), 0.0f, 0.0f));
    EXPECT_EQ(back.GetFormat(), static_cast<DWORD>(RASTER_FORMAT_TGA));
    EXPECT_EQ(Remembered(kRasterFormatValue), 3u);

    const std::string before = orvo::test::ReadFileBytes(picture);
    m_promptAnswer = IDNO;
    EXPECT_EQ(save.SaveTo(picture.c_str(), 1), SaveAsResult::Cancelled);
    EXPECT_EQ(m_prompts.size(), 1u);
    EXPECT_EQ(orvo::test::ReadFileBytes(picture), before);
}

TEST(SaveFormats, KindChangesGiveTheKindsExtension)
{
    struct Case
    {
        int index;
        const char* name;
        const char* drawing;
        const char* image;
    };
    const Case cases[] = {
        {1, "C:\\d\\plan.dxf", "C:\\d\\plan.dwg", "C:\\d\\plan.bmp"},
        {4, "plan", "plan.dwg", "plan.pcx"},
        {5, "C:\\d.x\\plan", "C:\\d.x\\plan.dxf", "C:\\d.x\\plan.tif"},
        {7, "plan.v2.dwg", "plan.v2.dxf", "plan.v2.tga"},
        {8, "a.png", "a.dxf", "a.png"},
        {0, "a.png", "a.dwg", "a.png"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(OnSaveTypeChangedDrawing(c.index, c.name), c.drawing) << c.index;
        EXPECT_STREQ(OnSaveTypeChangedImage(c.index, c.name), c.image) << c.index;
    }
}

TEST(SaveFormats, FiltersListEveryKindInOrder)
{
    const std::string drawing = static_cast<LPCSTR>(DrawingSaveFilter());
    EXPECT_EQ(drawing.rfind("AutoCAD 2004 drawing(*.dwg)|*.dwg|AutoCAD 2000 drawing(*.dwg)|*.dwg|", 0), 0u);
    EXPECT_NE(drawing.find("AutoCAD R12 dxf(*.dxf)|*.dxf||"), std::string::npos);
    const std::string raster = static_cast<LPCSTR>(RasterSaveFilter());
    EXPECT_NE(raster.find("pcx file(*.pcx)|*.PCX|"), std::string::npos);
    EXPECT_EQ(raster.rfind("Windows Bitmap file(*.bmp)|*.BMP|", 0), 0u);
    EXPECT_EQ(raster.substr(raster.size() - 8), "|*.TGA||");
    EXPECT_EQ(DrawingFormat(4).kind, 1);
    EXPECT_EQ(DrawingFormat(4).version, 5);
    EXPECT_EQ(DrawingFormat(1).version, 9);
}

} // namespace
