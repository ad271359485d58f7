// For a look at the browser dialogs as a user sees them: each dialog stays up for
// ORVO_SHOW_SECONDS (new folder, save thumbnails, Exif, key list, browser mode, bookmarks, then
// the four property pages of a sample drawing) while screenshots are taken from outside.
#include "browser/dialogs/CAcceleratorDlg.h"
#include "browser/dialogs/CBrowseViewType.h"
#include "browser/dialogs/CEditPathBoxDlg.h"
#include "browser/dialogs/CExifDlg.h"
#include "browser/dialogs/CNewFolderDlg.h"
#include "browser/dialogs/CSaveThumbnailDlg.h"
#include "browser/properties/FileProperties.h"
#include "framework/CPropertySheet.h"
#include "framework/ModalSeam.h"
#include "render/workers/DRAWINGINFO.h"
#include "tests/imaging/ExifTestData.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(BrowserDialogsShow, EachDialogInTurn)
{
    const char* seconds = getenv("ORVO_SHOW_SECONDS");
    const std::string samples = orvo::test::SamplesDir();
    if (!seconds || samples.empty())
        GTEST_SKIP() << "set ORVO_SHOW_SECONDS (and have the shared samples) to look at the dialogs";
    const DWORD shown = static_cast<DWORD>(atoi(seconds)) * 1000;
    CModalHandlerScope scope([shown](const ModalRequest& request) -> INT_PTR {
        if (request.kind == ModalKind::PropertySheet) {
            auto* sheet = static_cast<CPropertySheet*>(request.pWnd);
            for (int page = 0; page < sheet->GetPageCount(); ++page) {
                sheet->SetActivePage(page);
                orvo::test::WaitFor([] { return false; }, shown);
            }
            return IDCANCEL;
        }
        // The dialog manager shows a modal dialog only once its own loop goes idle.
        ::ShowWindow(request.pWnd->GetSafeHwnd(), SW_SHOW);
        orvo::test::WaitFor([] { return false; }, shown);
        return IDCANCEL;
    });
    orvo::test::TempDir dir;
    CNewFolderDlg(dir.Path().c_str(), "New folder").DoModal();
    CSaveThumbnailDlg(dir.Path().c_str()).DoModal();

    using orvo::test::ExifBuilder;
    ExifBuilder exif(false);
    exif.Ascii(ExifBuilder::Ifd0, 0x010F, "Halvorn").Ascii(ExifBuilder::Ifd0, 0x0110, "K-1")
        .Ascii(ExifBuilder::ExifIfd, 0x9003, "2024:01:02 03:04:05").Rational(ExifBuilder::ExifIfd, 0x829A, 1, 250)
        .Rational(ExifBuilder::ExifIfd, 0x829D, 28, 10).Short(ExifBuilder::ExifIfd, 0x8827, 200);
    const orvo::test::Bytes jpeg = orvo::test::InsertApp1(orvo::test::EncodeTestJpeg(64, 48, 3), exif.Build());
    ASSERT_TRUE(orvo::test::WriteFileBytes(dir / "photo.jpg", jpeg.data(), jpeg.size()));
    CExifDlg exifDialog;
    exifDialog.m_strPath = (dir / "photo.jpg").c_str();
    ASSERT_TRUE(exifDialog.ReadExif());
    exifDialog.DoModal();

    ShowAcceleratorKeys(nullptr);
    ChooseBrowserMode(nullptr);
    std::vector<CString> folders = {CString(dir.Path().c_str()), CString("C:\\windows"), CString("D:\\gone\\plans")};
    EditBookmarkFolders(nullptr, folders);

    const std::string drawing = samples + "\\dwg\\example_2018.dwg";
    DRAWINGINFO info;
    ASSERT_TRUE(ReadDrawingInfo(drawing.c_str(), &info));
    RunFilePropertiesSheet(drawing.c_str(), &info, nullptr);
}
