// The framework's process and thread state and its global accessors: AfxGetApp,
// AfxGetInstanceHandle, AfxGetResourceHandle, AfxFindResourceHandle, AfxGetAppName, AfxGetThread.
#pragma once

#include "framework/AfxDefs.h"

class CWinApp;
class CWinThread;

// Set once at start-up (the application object fills it in its constructor); read everywhere.
struct AFX_MODULE_STATE
{
    CWinApp* m_pCurrentWinApp;
    HINSTANCE m_hCurrentInstanceHandle; // null: the executable's module
    HINSTANCE m_hCurrentResourceHandle; // null: the instance handle
    LPCTSTR m_lpszCurrentAppName;       // null: the executable's file title
};

// Per thread: the thread object running on it (the application object on the main thread).
struct AFX_MODULE_THREAD_STATE
{
    CWinThread* m_pCurrentWinThread;
};

AFX_MODULE_STATE* AFXAPI AfxGetModuleState();
AFX_MODULE_THREAD_STATE* AFXAPI AfxGetModuleThreadState();

CWinApp* AFXAPI AfxGetApp();
CWinThread* AFXAPI AfxGetThread();
LPCTSTR AFXAPI AfxGetAppName();
HINSTANCE AFXAPI AfxGetInstanceHandle();
HINSTANCE AFXAPI AfxGetResourceHandle();
void AFXAPI AfxSetResourceHandle(HINSTANCE hInstResource);
// The module that holds the resource; the program keeps all its resources in one module.
HINSTANCE AFXAPI AfxFindResourceHandle(LPCTSTR lpszName, LPCTSTR lpszType);
