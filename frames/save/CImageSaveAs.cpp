#include "frames/save/CImageSaveAs.h"

#include "engine/rkui/RkUI.h"
#include "framework/CCmdTarget.h"
#include "framework/Prompt.h"
#include "imaging/KImage.h"

namespace {

const BYTE kQuality = 100;

} // namespace

CImageSaveAs::CImageSaveAs(KImage& image, const CString& shownPath, CWnd* owner)
    : m_image(image), m_shownPath(shownPath), m_owner(owner)
{
}

CString CImageSaveAs::InitialName(int index) const
{
    return ReplaceExtension(m_shownPath, RasterFormat(index).extension);
}

SaveAsResult CImageSaveAs::Run()
{
    CString path;
    int chosen = 1;
    if (!AskSaveTarget(kRasterFormatValue, kRasterFormats, [this](int index) { return InitialName(index); },
                       RasterSaveFilter(), m_owner, &OnSaveTypeChangedImage, path, chosen))
        return SaveAsResult::Cancelled;
    return SaveTo(path, chosen);
}

SaveAsResult CImageSaveAs::SaveTo(const CString& path, int index)
{
    if (!ConfirmReplacingShownFile(path, m_shownPath))
        return SaveAsResult::Cancelled;
    if (RefuseReadOnlyTarget(path))
        return SaveAsResult::Failed;
    bool saved = false;
    {
        CWaitCursor wait;
        saved = KImage::SaveFormatOf(path) != 0 && m_image.SaveAs(path, kQuality);
    }
    if (!saved) {
        CString text;
        text.Format("The image could not be saved as\n%s", static_cast<LPCSTR>(path));
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
        return SaveAsResult::Failed;
    }
    RememberFormat(kRasterFormatValue, index);
    return SaveAsResult::Saved;
}
