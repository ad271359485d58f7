// The shell's folder dialog, asked through the modal seam like every other modal: a test answers
// it with a folder (ModalStep(ModalKind::FolderPicker, ...).Choosing(path)), the program shows
// SHBrowseForFolderA.
#pragma once

#include <windows.h>
#include <shlobj.h>

// SHBrowseForFolderA's contract: the chosen folder's item-id list (the caller frees it with the
// shell's allocator) with its name in info.pszDisplayName, or null when cancelled.
LPITEMIDLIST AfxBrowseForFolder(BROWSEINFOA& info);
