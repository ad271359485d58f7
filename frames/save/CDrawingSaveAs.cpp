#include "frames/save/CDrawingSaveAs.h"

#include "engine/rkio/CDrawing.h"
#include "engine/rkui/RkUI.h"
#include "engine/write/DrawingSaver.h"
#include "framework/CCmdTarget.h"
#include "framework/Prompt.h"

CDrawingSaveAs::CDrawingSaveAs(CDrawing& drawing, CWnd* owner) : m_drawing(drawing), m_owner(owner) {}

CString CDrawingSaveAs::OpenPath() const
{
    char path[MAX_PATH] = {};
    m_drawing.GetFileName(path);
    return path;
}

CString CDrawingSaveAs::InitialName(int index) const
{
    return ReplaceExtension(OpenPath(), DrawingFormat(index).extension);
}

SaveAsResult CDrawingSaveAs::Run()
{
    CString path;
    int chosen = 1;
    if (!AskSaveTarget(kVectorFormatValue, kDrawingFormats, [this](int index) { return InitialName(index); },
                       DrawingSaveFilter(), m_owner, &OnSaveTypeChangedDrawing, path, chosen))
        return SaveAsResult::Cancelled;
    return SaveTo(path, chosen);
}

SaveAsResult CDrawingSaveAs::SaveTo(const CString& path, int index)
{
    const DrawingSaveFormat& format = DrawingFormat(index);
    const CString target = ReplaceExtension(path, format.extension);
    if (!ConfirmReplacingShownFile(target, OpenPath()))
        return SaveAsResult::Cancelled;
    if (RefuseReadOnlyTarget(target))
        return SaveAsResult::Failed;
    int code = 0;
    {
        CWaitCursor wait;
        m_drawing.PrepareSave();
        code = m_drawing.Save(target, format.kind, format.version, 0);
        if (code == 0)
            replaceFont(&m_drawing);
    }
    if (code != 0) {
        ReportFailure(code, target, index);
        return SaveAsResult::Failed;
    }
    RememberFormat(kVectorFormatValue, index);
    ReportLosses(index);
    return SaveAsResult::Saved;
}

void CDrawingSaveAs::ReportLosses(int index) const
{
    // What the chosen version cannot hold is left out of the file: the user is told what.
    const std::string losses = RkWrite::DrawingSaver::Losses(m_drawing.LastSaveReport());
    if (losses.empty())
        return;
    CString text;
    text.Format("The drawing was saved as %s, which cannot hold everything it has.\nLeft out: %s.",
                DrawingFormat(index).label, losses.c_str());
    AfxMessageBox(text, MB_OK | MB_ICONINFORMATION);
}

void CDrawingSaveAs::ReportFailure(int code, const CString& path, int index) const
{
    const char* label = DrawingFormat(index).label;
    CString text;
    switch (code) {
    case 1:
        text.Format("The drawing cannot be saved as %s: that kind is not written.\nChoose another kind.", label);
        break;
    case 3:
        text.Format("The drawing is too large to be saved as %s.", label);
        break;
    case 4:
        text = "The drawing cannot be saved: only its preview picture is loaded.";
        break;
    default:
        text.Format("The drawing could not be written to\n%s", static_cast<LPCSTR>(path));
        break;
    }
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}
