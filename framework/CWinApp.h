// CWinApp: the application object. It runs the user-interface thread's message loop (with
// PreTranslateMessage through the window chain and idle-time command UI updates), keeps the
// main window and the profile (registry settings under HKCU\Software\<key>\<app name>), and
// loads resources. Also AfxWinMain, AfxWinInit, AfxOleInit and AfxEnableControlContainer.
#pragma once

#include "framework/CRecentFileList.h"
#include "framework/CString.h"
#include "framework/CWinThread.h"

#include <memory>

class CWnd;

class CWinApp : public CWinThread
{
    DECLARE_DYNAMIC(CWinApp)

public:
    // The one application object of the process registers itself as AfxGetApp().
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    BOOL InitInstance() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // lCount 0: command UI of the visible frames and their bars; 1: temporary objects freed.
    BOOL OnIdle(LONG lCount) override;
    int ExitInstance() override;

    // Profile: with a registry key, values under HKCU\Software\<key>\<profile name>\<section>;
    // without one, the private profile file m_pszProfileName.
    void SetRegistryKey(LPCSTR lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey);
    HKEY GetAppRegistryKey() const;          // caller closes
    HKEY GetSectionKey(LPCSTR lpszSection) const; // caller closes
    UINT GetProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nDefault) const;
    // The number a profile value under an open section key stands for: only a REG_DWORD of the
    // right size counts, anything else (or no key) gives the default.
    static UINT ReadProfileDword(HKEY hSectionKey, LPCSTR lpszEntry, int nDefault);
    BOOL WriteProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nValue);
    CString GetProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszDefault = nullptr) const;
    // A null entry deletes the section; a null value deletes the entry.
    BOOL WriteProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszValue);
    // *ppData is allocated with new[] and belongs to the caller.
    BOOL GetProfileBinary(LPCSTR lpszSection, LPCSTR lpszEntry, LPBYTE* ppData, UINT* pBytes) const;
    BOOL WriteProfileBinary(LPCSTR lpszSection, LPCSTR lpszEntry, LPBYTE pData, UINT nBytes);

    // The recent-file list ("Recent File List", File1..FileN), saved by ExitInstance.
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    void SaveStdProfileSettings();
    virtual void AddToRecentFileList(LPCSTR lpszPathName);

    HICON LoadIcon(UINT nIDResource) const;
    HICON LoadIcon(LPCSTR lpszResourceName) const;
    HICON LoadStandardIcon(LPCSTR lpszIconName) const { return ::LoadIconA(nullptr, lpszIconName); }
    HCURSOR LoadCursor(UINT nIDResource) const;
    HCURSOR LoadCursor(LPCSTR lpszResourceName) const;
    HCURSOR LoadStandardCursor(LPCSTR lpszCursorName) const { return ::LoadCursorA(nullptr, lpszCursorName); }
    HCURSOR LoadOEMCursor(UINT nIDCursor) const { return ::LoadCursorA(nullptr, MAKEINTRESOURCEA(nIDCursor)); }

    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    LPCSTR m_pszAppName = nullptr;
    LPCSTR m_pszRegistryKey = nullptr;
    LPCSTR m_pszProfileName = nullptr;
    std::unique_ptr<CRecentFileList> m_pRecentFileList;

private:
    // Storage behind the LPCSTR members, which MFC code reads directly.
    CString m_strAppName;
    CString m_strRegistryKey;
    CString m_strProfileName;
    BOOL m_bOleInitialized = FALSE;

    friend BOOL AFXAPI AfxOleInit();
};

// Fills the application object's instance handle, command line and show command.
BOOL AFXAPI AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
// The program's WinMain: InitInstance, then Run (or ExitInstance when InitInstance fails).
int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
// OLE for the application's thread, ended when the application object ends.
BOOL AFXAPI AfxOleInit();
// The program hosts no OLE controls; kept so start-up reads as documented.
void AFXAPI AfxEnableControlContainer();
