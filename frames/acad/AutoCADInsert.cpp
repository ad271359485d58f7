#include "frames/acad/AutoCADInsert.h"

#include "core/CDrawingFileType.h"
#include "core/ResourceText.h"
#include "frames/acad/CInsertCADDlg.h"
#include "frames/acad/COleObject.h"
#include "framework/CCmdTarget.h"
#include "framework/Prompt.h"
#include "res/resource.h"

#include <string>
#include <vector>

const char kAutoCADProgId[] = "AutoCAD.Application";

namespace {

void Tell(UINT id, const char* fallback, UINT icon = MB_ICONEXCLAMATION)
{
    AfxMessageBox(LoadResStringOr(id, fallback), MB_OK | icon);
}

void TellNoDrawing()
{
    Tell(IDS_ACAD_NO_DRAWING, "There isn't editing drawing file in AutoCAD!\nOr there is a command running in "
                              "AutoCAD! You should exit it.");
}

void TellInsertError()
{
    Tell(IDS_ACAD_INSERT_ERROR, "Insert error!\nThe AutoCAD version is at least 2000.");
}

// The name of the drawing being edited: its full name, else its name.
bool EditedDrawingName(const COleObject& document, CString& name)
{
    if (!document.GetStringProperty("FullName", name))
        return false;
    if (name.IsEmpty() && !document.GetStringProperty("Name", name))
        return false;
    return !name.IsEmpty();
}

std::vector<std::string> Paths(const CStringList& files)
{
    std::vector<std::string> paths;
    for (POSITION pos = files.GetHeadPosition(); pos != nullptr;)
        paths.push_back(static_cast<LPCSTR>(files.GetNext(pos)));
    return paths;
}

// Only drawings become blocks: AutoCAD would refuse a raster file and take the numbers that
// follow as answers to other prompts.
bool KnownDrawing(const std::string& path)
{
    CDrawingFileInfo row;
    return GetDrawingFileInfo(path.c_str(), &row) && row.IsDrawing();
}

} // namespace

InsertOutcome InsertFilesIntoAutoCAD(const CStringList& files)
{
    COleObject application;
    if (!application.GetActive(kAutoCADProgId)) {
        Tell(IDS_ACAD_NOT_INSTALLED, "Please install AutoCAD first!\nThe AutoCAD version is at least 2000.");
        return InsertOutcome::NoAutoCAD;
    }
    COleObject document;
    CString name;
    if (!application.GetObjectProperty("ActiveDocument", document) || !EditedDrawingName(document, name)) {
        TellNoDrawing();
        return InsertOutcome::NoDrawing;
    }
    CInsertCADDlg dialog(AfxGetMainWnd());
    dialog.m_strDocName = name;
    dialog.m_nFileCount = static_cast<int>(files.GetCount());
    if (dialog.DoModal() != IDOK)
        return InsertOutcome::Cancelled;
    const InsertParameters parameters = dialog.Parameters();
    {
        CWaitCursor wait;
        if (!document.Invoke("SendCommand", "-osnap\noff\n")) {
            TellInsertError();
            return InsertOutcome::CommandFailed;
        }
        for (const std::string& command : BuildInsertCommands(Paths(files), parameters, &KnownDrawing)) {
            if (!document.Invoke("SendCommand", command.c_str())) {
                TellInsertError();
                return InsertOutcome::CommandFailed;
            }
        }
        if (parameters.zoomAll && !document.Invoke("SendCommand", "_zoom\nE\n")) {
            AfxMessageBox("The drawing files were inserted, but AutoCAD did not zoom to their extents.",
                          MB_OK | MB_ICONEXCLAMATION);
            return InsertOutcome::ZoomFailed;
        }
    }
    Tell(IDS_ACAD_INSERTED, "Insert drawing files into AutoCAD successfully!", MB_ICONINFORMATION);
    return InsertOutcome::Inserted;
}
