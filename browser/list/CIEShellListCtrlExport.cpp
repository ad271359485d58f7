// Saving the shown thumbnails as image files.
#include "browser/list/CIEShellListCtrl.h"

#include "browser/list/BrowserMessages.h"
#include "browser/shell/ShellFileOps.h"
#include "browser/list/ThumbnailExport.h"
#include "framework/Prompt.h"
#include "res/resource.h"

BOOL CIEShellListCtrl::SaveThumbnailImages()
{
    if (m_viewType != kThumbnails || m_drawingFiles == 0 || IsThreadWorking())
        return FALSE;
    SaveThumbnailChoice choice;
    if (!RunSaveThumbnailDialog(this, m_folderPath, choice))
        return FALSE;
    return ExportThumbnails(choice);
}

bool CIEShellListCtrl::PrepareExportFolder(const CString& folder) const
{
    if (ShellFileOps::IsExistingFolder(folder))
        return true;
    if (AfxMessageBox(IDS_OPT_FOLDER_MISSING, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return false;
    if (SHCreateDirectoryExA(nullptr, folder, nullptr) == ERROR_SUCCESS && ShellFileOps::IsExistingFolder(folder))
        return true;
    AfxMessageBox(IDS_OPT_FOLDER_NOT_MADE, MB_OK | MB_ICONWARNING);
    return false;
}

bool CIEShellListCtrl::ExportRow(int row, const SaveThumbnailChoice& choice)
{
    const CShellListItem* item = GetItemRecord(row);
    if (item == nullptr || item->IsFolder() || !item->thumbnail)
        return true;
    CString target = ThumbnailExport::TargetPath(choice.targetFolder, GetRowPath(row), choice.format);
    if (ShellFileOps::PathExists(target)) {
        if (choice.overwrite == SaveThumbnailChoice::kNewName) {
            target = ThumbnailExport::FreeName(target);
        } else if (choice.overwrite == SaveThumbnailChoice::kAsk) {
            CString question;
            question.LoadString(IDS_OVERWRITE_EXISTING_FILE);
            if (AfxMessageBox(question + "\n" + target, MB_YESNO | MB_ICONQUESTION) != IDYES)
                return true;
        }
    }
    CString reason = "no free file name is left";
    if (!target.IsEmpty() && ThumbnailExport::Write(*item->thumbnail, target, choice.format, &reason))
        return true;
    // One failure says why and ends the export: the next files would fail the same way.
    CString text;
    text.Format("The thumbnail of %s could not be saved as %s:\n%s", GetRowPath(row).GetString(),
                target.IsEmpty() ? "a new file" : target.GetString(), reason.GetString());
    AfxMessageBox(text, MB_OK | MB_ICONWARNING);
    return false;
}

void CIEShellListCtrl::ReportExportProgress(int row, int count) const
{
    if (CWnd* report = ReportWindow())
        report->SendMessage(WM_BROWSER_STATUS_REFRESH, static_cast<WPARAM>(row), count);
}

BOOL CIEShellListCtrl::ExportThumbnails(const SaveThumbnailChoice& choice)
{
    if (!PrepareExportFolder(choice.targetFolder))
        return FALSE;
    const int count = GetItemCount();
    bool written = true;
    for (int row = 0; row < count && written; ++row) {
        ReportExportProgress(row, count);
        if (choice.allRows || GetItemState(row, LVIS_SELECTED) != 0)
            written = ExportRow(row, choice);
    }
    ReportExportProgress(kExportProgressReset, kExportProgressReset);
    return written ? TRUE : FALSE;
}
