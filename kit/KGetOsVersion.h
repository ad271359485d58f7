// KGetOsVersion: the canvas kit's operating-system probe, and the table that turns a version
// record into the kit's code (0 unknown, 1 Win32s, 3 and 4 the 9x family, 2 NT 4, 5 Windows 2000,
// 6 later NT).
#pragma once

#include <windows.h>

#include <cstdint>

int32_t KOsVersionCode(DWORD platformId, DWORD major, DWORD minor);

// Writes the code into out (0 when the system does not answer) and returns it.
int32_t KGetOsVersion(int32_t& out);
