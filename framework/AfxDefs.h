// Basic definitions every framework header shares: the Win32 headers, calling-convention words,
// POSITION for the collections and the thread-procedure type.
#pragma once

#include <windows.h>

#ifndef AFXAPI
#define AFXAPI __stdcall
#endif
#ifndef AFX_CDECL
#define AFX_CDECL __cdecl
#endif

// An opaque cursor into a list or a map; null means "no more elements".
struct __POSITION {};
typedef __POSITION* POSITION;
#define BEFORE_START_POSITION (reinterpret_cast<POSITION>(-1))

// A worker-thread function started by AfxBeginThread.
typedef UINT(AFX_CDECL* AFX_THREADPROC)(LPVOID);
