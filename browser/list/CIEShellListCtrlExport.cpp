// Saving the shown thumbnails as image files.
#include "browser/list/CIEShellListCtrl.h"

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

void CIEShellListCtrl::ExportRow(int row, const SaveThumbnailChoice& choice)
{
    const CShellListItem* item = GetItemRecord(row);
    if (item == nullptr || item->IsFolder() || !item->thumbnail)
        return;
    CString target = ThumbnailExport::TargetPath(choice.targetFolder, GetRowPath(row), choice.format);
    if (ShellFileOps::PathExists(target)) {
        if (choice.overwrite == SaveThumbnailChoice::kNewName) {
            target = ThumbnailExport::FreeName(target);
        } else if (choice.overwrite == SaveThumbnailChoice::kAsk) {
            CString question;
            question.LoadString(IDS_OVERWRITE_EXISTING_FILE);
            if (AfxMessageBox(question + "\n" + target, MB_YESNO | MB_ICONQUESTION) != IDYES)
                return;
        }
    }
    if (!target.IsEmpty())
        ThumbnailExport::Write(*item->thumbnail, target, choice.format);
}

BOOL CIEShellListCtrl::ExportThumbnails(const SaveThumbnailChoice& choice)
{
    if (!PrepareExportFolder(choice.targetFolder))
        return FALSE;
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        if (choice.allRows || GetItemState(row, LVIS_SELECTED) != 0)
            ExportRow(row, choice);
    }
    return TRUE;
}
