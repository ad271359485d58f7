// Placeholders until the dialogs join the browser: each answers as a dialog the user cancelled.
#include "browser/dialogs/BrowserDialogCalls.h"

bool RunNewFolderDialog(CWnd*, const CString&, const CString&)
{
    return false;
}

ExifDialogResult RunExifDialog(CWnd*, const CString&)
{
    return ExifDialogResult::kUnavailable;
}

bool RunSaveThumbnailDialog(CWnd*, const CString&, SaveThumbnailChoice&)
{
    return false;
}

void RunBookmarkEditor(CWnd*)
{
}
