// The name rules of a new folder: the first free "base (n)" name in a parent folder, and the check
// of a typed name before anything is created.
#pragma once

#include "framework/Afx.h"

// The parent with exactly one trailing backslash (an empty parent stays empty).
CString WithTrailingBackslash(const char* folder);

// base, or "base (n)" for the smallest n up to 999 whose path is not an existing folder (a file
// of that name does not count); empty when all of them exist. parent ends with a backslash.
CString MakeUniqueFolderName(const char* parent, const char* base);

enum class NewFolderNameCheck
{
    Valid,
    Empty,        // nothing but blanks
    Invalid,      // a path step ("\", "/", ".."), a reserved character or device name
    Exists,       // a folder or file of that name is already there
};

// Checks a typed name against the parent folder (which ends with a backslash). The name becomes
// one folder directly inside the parent, never a path elsewhere.
NewFolderNameCheck CheckNewFolderName(const char* parent, const char* name);
