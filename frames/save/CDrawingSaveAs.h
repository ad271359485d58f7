// CDrawingSaveAs: the view frame's Save As for a drawing: one of the eight DWG and DXF kinds
// chosen in the library's save dialog (starting on the last kind saved), written by the engine
// through a temporary file. A kind the writer refuses, or a target it cannot write, is reported
// and not remembered.
#pragma once

#include "frames/save/SaveFormats.h"

class CDrawing;
class CWnd;

class CDrawingSaveAs
{
public:
    CDrawingSaveAs(CDrawing& drawing, CWnd* owner);

    // Shows the dialog and saves.
    SaveAsResult Run();
    // Saves to path in kind index (1..8) as after the dialog: the extension follows the kind.
    SaveAsResult SaveTo(const CString& path, int index);
    // The dialog's first name: the drawing's file name with the kind's extension.
    CString InitialName(int index) const;

private:
    CString OpenPath() const;
    void ReportFailure(int code, const CString& path, int index) const;
    void ReportLosses(int index) const;

    CDrawing& m_drawing;
    CWnd* m_owner;
};
