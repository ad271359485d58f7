// The support folders of the installed AutoCAD ("ACAD": fonts, shapes, external references),
// which start-up hands to the drawing engine so that it finds what drawings refer to.
#pragma once

#include "framework/Afx.h"

// AutoCAD's key under both roots.
extern const char* const kAutoCadKey;

// First machine-wide: autocadKey\<Curver>\<Curver> "ACAD"; when that gives nothing, for the user:
// autocadKey\<Curver>\<Curver>\Profiles\<current profile>\General "ACAD". True with the folders
// when one of them is found and not empty.
bool ReadAcadSupportFolders(HKEY machineRoot, HKEY userRoot, const char* autocadKey,
                            CString& folders);
