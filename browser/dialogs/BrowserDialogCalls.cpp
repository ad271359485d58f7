// The browser's dialogs as the file commands open them. The application's modal flag is set
// while each is up, so that the preview and the thumbnails wait for it.
#include "browser/dialogs/BrowserDialogCalls.h"

#include "app/CAppState.h"
#include "browser/dialogs/CEditPathBoxDlg.h"
#include "browser/dialogs/CExifDlg.h"
#include "browser/dialogs/CNewFolderDlg.h"
#include "browser/dialogs/CSaveThumbnailDlg.h"

bool RunNewFolderDialog(CWnd* owner, const CString& folder, const CString& defaultName)
{
    CAppState::ModalScope modal(g_appState);
    CNewFolderDlg dialog(folder, defaultName, owner);
    return dialog.DoModal() == IDOK;
}

ExifDialogResult RunExifDialog(CWnd* owner, const CString& path)
{
    CAppState::ModalScope modal(g_appState);
    CExifDlg dialog(owner);
    dialog.m_strPath = path;
    if (!dialog.ReadExif())
        return ExifDialogResult::kNoExif;
    return dialog.DoModal() == -1 ? ExifDialogResult::kUnavailable : ExifDialogResult::kShown;
}

bool RunSaveThumbnailDialog(CWnd* owner, const CString& folder, SaveThumbnailChoice& choice)
{
    CAppState::ModalScope modal(g_appState);
    CSaveThumbnailDlg dialog(folder, owner);
    if (dialog.DoModal() != IDOK)
        return false;
    const SaveThumbnailOptions& options = dialog.m_options;
    choice.targetFolder = options.folder;
    choice.format = options.fileType;
    choice.allRows = options.range == 1;
    // The dialog numbers its choices from 1 in the order replace, new name, ask.
    choice.overwrite = options.duplicates - SaveThumbnailOptions::Overwrite;
    return true;
}

bool RunBookmarkEditor(CWnd* owner, std::vector<CString>& folders)
{
    CAppState::ModalScope modal(g_appState);
    return EditBookmarkFolders(owner, folders);
}
