// The thumbnail-cache options: stored beside the settings record (keys "Option\ImageCache" and
// "Option\LibIndex") but held by the cache holder and the cache index, which these calls reach.
#pragma once

#include "framework/Afx.h"

void SetImageCacheEnabled(bool enabled);
// False without a cache holder.
bool IsImageCacheEnabled();
void SetLibSaveInBrowserFolderFirst(bool on);
// False without a cache index.
bool GetLibSaveInBrowserFolderFirst();
void SetLibReadFromBrowserFolderFirst(bool on);
// True without a cache index.
bool GetLibReadFromBrowserFolderFirst();
void SetLibIndexPath(const CString& folder);
// The cache folder; empty without a cache index.
CString GetLibIndexPath();

// Reads the options, settles the cache folder (a stored folder that cannot be made gives way to
// the application-data default, then to the program's folder; the folder taken is written back)
// and creates the cache holder and the cache index with them.
void LoadCacheOptions();
// Writes "Enabled", "SaveInBrowserFolderFirst", "ReadFromBrowserFolderFirst" and "Path".
void SaveCacheOptions();
// Deletes the cache holder once nothing makes thumbnails any more: its writer finishes the
// library it is writing and ends, while everything that writing uses is still there.
void EndImageCache();
