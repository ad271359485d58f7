// The folder picker: the shell's folder dialog, started at the current folder, with the chosen
// folder shown as its status text.
#pragma once

#include "framework/Afx.h"

#include <shlobj.h>

#include <functional>

// Shows the dialog; true with path set to the chosen folder. A path that is not an existing folder
// is emptied first, and keeps that value when the user cancels.
bool BrowseForFolder(HWND owner, const char* title, CString& path);

// The dialog's callback: selects the start folder (the parameter, a path text) when the dialog
// opens and shows the selected folder as the status text. Always 0.
int CALLBACK BrowseFolderCallback(HWND hWnd, UINT message, LPARAM lParam, LPARAM data);

// The dialog goes through the modal seam (a FolderPicker request, AfxBrowseForFolder): tests
// script it there. This older hook, kept for the tests written against it, replaces it while set.
// Installs a function and returns the one it replaces; an empty one removes it.
using BrowseFolderDialog = std::function<LPITEMIDLIST(BROWSEINFOA&)>;
BrowseFolderDialog SetBrowseFolderDialog(BrowseFolderDialog dialog);
