#include "frames/print/PrintFileName.h"

#include "framework/CommonDialogs.h"

const char kPrintFileFilter[] = "JPEG type(*.jpg)|*.jpg|Bitmap type(*.bmp)|*.bmp|GIF type(*.gif)|*.gif|"
                                "TIFF Format(*.tif)|*.tif||";

CString CompletePrintFileName(const CString& path, int filterIndex)
{
    static const char* const extensions[] = {".jpg", ".bmp", ".gif", ".tif"};
    const int slash = path.ReverseFind('\\');
    const int dot = path.ReverseFind('.');
    if (path.IsEmpty() || dot > slash + 1)
        return path;
    const int index = filterIndex >= 1 && filterIndex <= 4 ? filterIndex - 1 : 0;
    return path + extensions[index];
}

CString AskPrintFileName(HWND owner, const CString& drawingTitle)
{
    CFileDialog dialog(FALSE, nullptr, drawingTitle,
                       OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOREADONLYRETURN, kPrintFileFilter,
                       owner ? CWnd::FromHandle(owner) : nullptr);
    if (dialog.DoModal() != IDOK)
        return CString();
    return CompletePrintFileName(dialog.GetPathName(), static_cast<int>(dialog.m_ofn.nFilterIndex));
}
