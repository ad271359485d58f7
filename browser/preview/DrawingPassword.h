// The passwords of protected drawings: every password entered in this run is remembered (never
// saved) and tried, in the order entered, before the user is asked again.
#pragma once

#include "framework/Afx.h"

// *index starts at -1; the caller calls again after each password that fails, handing the
// password and the index to the drawing thread with the re-open. False: the user cancelled.
bool GetDrawingPassword(const char* fileName, CString* password, int* index);
// Forgets the remembered passwords (tests start each case from an empty list).
void ForgetDrawingPasswords();
int GetRememberedPasswordCount();
