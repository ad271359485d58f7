#include "framework/AfxGlobals.h"

#include <cstring>

AFX_MODULE_STATE* AFXAPI AfxGetModuleState()
{
    static AFX_MODULE_STATE state = {};
    return &state;
}

AFX_MODULE_THREAD_STATE* AFXAPI AfxGetModuleThreadState()
{
    static thread_local AFX_MODULE_THREAD_STATE state = {};
    return &state;
}

CWinApp* AFXAPI AfxGetApp()
{
    return AfxGetModuleState()->m_pCurrentWinApp;
}

CWinThread* AFXAPI AfxGetThread()
{
    return AfxGetModuleThreadState()->m_pCurrentWinThread;
}

LPCTSTR AFXAPI AfxGetAppName()
{
    LPCTSTR name = AfxGetModuleState()->m_lpszCurrentAppName;
    if (name != nullptr)
        return name;
    // The executable's file title, worked out once.
    static const char* const s_exeTitle = [] {
        static char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        char* title = strrchr(path, '\\');
        title = title != nullptr ? title + 1 : path;
        char* dot = strrchr(title, '.');
        if (dot != nullptr)
            *dot = '\0';
        return title;
    }();
    return s_exeTitle;
}

HINSTANCE AFXAPI AfxGetInstanceHandle()
{
    HINSTANCE h = AfxGetModuleState()->m_hCurrentInstanceHandle;
    return h != nullptr ? h : GetModuleHandleA(nullptr);
}

HINSTANCE AFXAPI AfxGetResourceHandle()
{
    HINSTANCE h = AfxGetModuleState()->m_hCurrentResourceHandle;
    return h != nullptr ? h : AfxGetInstanceHandle();
}

void AFXAPI AfxSetResourceHandle(HINSTANCE hInstResource)
{
    AfxGetModuleState()->m_hCurrentResourceHandle = hInstResource;
}

HINSTANCE AFXAPI AfxFindResourceHandle(LPCTSTR lpszName, LPCTSTR lpszType)
{
    HINSTANCE hResource = AfxGetResourceHandle();
    if (FindResourceA(hResource, lpszName, lpszType) != nullptr)
        return hResource;
    return AfxGetInstanceHandle();
}
