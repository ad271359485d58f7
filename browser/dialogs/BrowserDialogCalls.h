// The browser's dialogs as the file commands and the file list view open them. Each is one call
// that runs its dialog modally and answers what the command needs to know.
#pragma once

#include "framework/CString.h"

#include <vector>

class CWnd;

// What the save-thumbnails dialog asks for.
struct SaveThumbnailChoice
{
    enum Format { kBmp = 0, kJpeg = 1, kGif = 2 };
    enum Overwrite { kReplace = 0, kNewName = 1, kAsk = 2 };
    CString targetFolder;
    int format = kBmp;
    bool allRows = true;
    int overwrite = kAsk;
};

enum class ExifDialogResult
{
    kShown,       // the dialog showed the file's Exif block
    kNoExif,      // the file holds none
    kUnavailable, // no dialog could be shown
};

// The new-folder dialog on a folder with a proposed name; true when a folder was made (IDOK).
bool RunNewFolderDialog(CWnd* owner, const CString& folder, const CString& defaultName);
// The Exif information of a JPEG file.
ExifDialogResult RunExifDialog(CWnd* owner, const CString& path);
// The save-thumbnails dialog on a folder; true with the choice filled in on IDOK.
bool RunSaveThumbnailDialog(CWnd* owner, const CString& folder, SaveThumbnailChoice& choice);
// The bookmark editor on the path box's folders; true after OK with the edited list in folders.
bool RunBookmarkEditor(CWnd* owner, std::vector<CString>& folders);
