// The registry side of file association under HKEY_CLASSES_ROOT: register an extension for a
// ProgID (keeping the previous owner in "Backup"), give it back, and read the current state.
#pragma once

#include "framework/Afx.h"

// Writes extension -> ProgID (and "Content Type" when given), the ProgID's description, its
// "DefaultIcon" (for an icon index of 0 or more) and its open command (for a program path). A
// previous default of at least 4 characters that is not this ProgID is kept in "Backup". False for
// an extension without its dot, an empty ProgID, or a key that cannot be made.
bool RegisterExtensionAssociation(const char* extension, const char* progId,
                                  const char* description, const char* contentType,
                                  const char* programPath, short iconIndex);

// Gives the extension back: the "Backup" owner becomes the default again (or the extension's key
// goes when there is none) and the ProgID's key is removed. Only an association of this program is
// touched: its ProgID begins with "OrvoKestal." or its open command names this program.
bool RestoreExtensionAssociation(const char* extension);

// The extension's ProgID, content type and the ProgID's description, and its open command as the
// result (empty when there is none). A dot is put in front of an extension given without one.
CString QueryExtensionAssociation(CString& extension, CString& progId, CString& description,
                                  CString& contentType);

// The viewer program that registrations of this program name in their open command: the
// OrvoKestal.exe beside the running program (which may be the elevated tool).
CString GetViewerProgramPath();
