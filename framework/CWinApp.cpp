#include "framework/CWinApp.h"

#include "framework/AfxGlobals.h"
#include "framework/CHandleMap.h"
#include "framework/CFrameWnd.h"
#include "framework/CWnd.h"

#include <ole2.h>

#include <vector>

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

namespace {

const char kRecentFileSection[] = "Recent File List";
const char kRecentFileEntry[] = "File%d";

// Closes a registry key at the end of a scope.
class CScopedKey
{
public:
    explicit CScopedKey(HKEY hKey) : m_hKey(hKey) {}
    ~CScopedKey()
    {
        if (m_hKey != nullptr)
            ::RegCloseKey(m_hKey);
    }
    CScopedKey(const CScopedKey&) = delete;
    CScopedKey& operator=(const CScopedKey&) = delete;
    HKEY Get() const { return m_hKey; }

private:
    HKEY m_hKey;
};

} // namespace

CWinApp::CWinApp(LPCSTR lpszAppName)
{
    if (lpszAppName != nullptr)
        m_strAppName = lpszAppName;
    else
        m_strAppName = AfxGetAppName();
    m_pszAppName = m_strAppName;
    AFX_MODULE_STATE* pState = AfxGetModuleState();
    pState->m_pCurrentWinApp = this;
    pState->m_lpszCurrentAppName = m_pszAppName;
    AfxGetModuleThreadState()->m_pCurrentWinThread = this;
    // The application runs on the thread that made it; it is not a thread object to delete.
    m_bAutoDelete = FALSE;
    m_hInstance = AfxGetInstanceHandle();
    m_hThread = ::GetCurrentThread();
    m_nThreadID = ::GetCurrentThreadId();
    // Without a registry key the profile is a file named after the program.
    m_strProfileName = m_strAppName + ".INI";
    m_pszProfileName = m_strProfileName;
}

CWinApp::~CWinApp()
{
    if (m_bOleInitialized)
        ::OleUninitialize();
    AFX_MODULE_STATE* pState = AfxGetModuleState();
    if (pState->m_pCurrentWinApp == this) {
        pState->m_pCurrentWinApp = nullptr;
        pState->m_lpszCurrentAppName = nullptr;
    }
    if (AfxGetModuleThreadState()->m_pCurrentWinThread == this)
        AfxGetModuleThreadState()->m_pCurrentWinThread = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    CWnd* pMainWnd = AfxGetMainWnd();
    if (CWnd::WalkPreTranslateTree(pMainWnd != nullptr ? pMainWnd->m_hWnd : nullptr, pMsg))
        return TRUE;
    // A message of another top-level window (a modeless dialog) may still be the main
    // window's accelerator.
    if (pMainWnd != nullptr && pMsg->hwnd != nullptr &&
        ::GetAncestor(pMsg->hwnd, GA_ROOT) != pMainWnd->m_hWnd)
        return pMainWnd->PreTranslateMessage(pMsg);
    return FALSE;
}

BOOL CWinApp::OnIdle(LONG lCount)
{
    if (lCount <= 0) {
        CFrameWnd::IdleUpdateVisibleFrames();
        return TRUE;
    }
    if (lCount == 1)
        AfxDeleteTempMaps();
    return FALSE;
}

int CWinApp::ExitInstance()
{
    SaveStdProfileSettings();
    return static_cast<int>(m_msgCur.wParam);
}

void CWinApp::SetRegistryKey(LPCSTR lpszRegistryKey)
{
    m_strRegistryKey = lpszRegistryKey;
    m_pszRegistryKey = m_strRegistryKey;
    // With a registry key the profile name is the application name.
    m_strProfileName = m_strAppName;
    m_pszProfileName = m_strProfileName;
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey)
{
    CString strKey;
    strKey.LoadString(nIDRegistryKey);
    SetRegistryKey(strKey);
}

HKEY CWinApp::GetAppRegistryKey() const
{
    if (m_pszRegistryKey == nullptr || m_pszProfileName == nullptr)
        return nullptr;
    CString strPath("Software\\");
    strPath += m_pszRegistryKey;
    strPath += "\\";
    strPath += m_pszProfileName;
    HKEY hKey = nullptr;
    DWORD dwDisposition = 0;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, strPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &hKey, &dwDisposition) != ERROR_SUCCESS)
        return nullptr;
    return hKey;
}

HKEY CWinApp::GetSectionKey(LPCSTR lpszSection) const
{
    CScopedKey appKey(GetAppRegistryKey());
    if (appKey.Get() == nullptr || lpszSection == nullptr)
        return nullptr;
    HKEY hKey = nullptr;
    DWORD dwDisposition = 0;
    if (::RegCreateKeyExA(appKey.Get(), lpszSection, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &hKey, &dwDisposition) != ERROR_SUCCESS)
        return nullptr;
    return hKey;
}

UINT CWinApp::GetProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nDefault) const
{
    if (m_pszRegistryKey == nullptr)
        return ::GetPrivateProfileIntA(lpszSection, lpszEntry, nDefault, m_pszProfileName);
    CScopedKey key(GetSectionKey(lpszSection));
    return ReadProfileDword(key.Get(), lpszEntry, nDefault);
}

UINT CWinApp::ReadProfileDword(HKEY hSectionKey, LPCSTR lpszEntry, int nDefault)
{
    if (hSectionKey == nullptr)
        return static_cast<UINT>(nDefault);
    // Only a REG_DWORD value of the right size counts; anything else leaves the default.
    DWORD dwValue = 0;
    DWORD dwType = 0;
    DWORD dwCount = sizeof(dwValue);
    if (::RegQueryValueExA(hSectionKey, lpszEntry, nullptr, &dwType, reinterpret_cast<LPBYTE>(&dwValue),
                           &dwCount) != ERROR_SUCCESS ||
        dwType != REG_DWORD || dwCount != sizeof(dwValue))
        return static_cast<UINT>(nDefault);
    return dwValue;
}

BOOL CWinApp::WriteProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nValue)
{
    if (m_pszRegistryKey == nullptr) {
        char szValue[16];
        wsprintfA(szValue, "%d", nValue);
        return ::WritePrivateProfileStringA(lpszSection, lpszEntry, szValue, m_pszProfileName);
    }
    CScopedKey key(GetSectionKey(lpszSection));
    if (key.Get() == nullptr)
        return FALSE;
    const DWORD dwValue = static_cast<DWORD>(nValue);
    return ::RegSetValueExA(key.Get(), lpszEntry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                            sizeof(dwValue)) == ERROR_SUCCESS;
}

CString CWinApp::GetProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszDefault) const
{
    const CString strDefault(lpszDefault != nullptr ? lpszDefault : "");
    if (m_pszRegistryKey == nullptr) {
        char szValue[4096];
        ::GetPrivateProfileStringA(lpszSection, lpszEntry, strDefault, szValue, sizeof(szValue),
                                   m_pszProfileName);
        return szValue;
    }
    CScopedKey key(GetSectionKey(lpszSection));
    if (key.Get() == nullptr)
        return strDefault;
    DWORD dwType = 0;
    DWORD dwCount = 0;
    if (::RegQueryValueExA(key.Get(), lpszEntry, nullptr, &dwType, nullptr, &dwCount) != ERROR_SUCCESS ||
        (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
        return strDefault;
    // The stored text need not end in a zero: the buffer gets one of its own.
    std::vector<char> buffer(dwCount + 1, '\0');
    if (::RegQueryValueExA(key.Get(), lpszEntry, nullptr, &dwType, reinterpret_cast<LPBYTE>(buffer.data()),
                           &dwCount) != ERROR_SUCCESS)
        return strDefault;
    return buffer.data();
}

BOOL CWinApp::WriteProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszValue)
{
    if (m_pszRegistryKey == nullptr)
        return ::WritePrivateProfileStringA(lpszSection, lpszEntry, lpszValue, m_pszProfileName);
    if (lpszEntry == nullptr) {
        CScopedKey appKey(GetAppRegistryKey());
        if (appKey.Get() == nullptr)
            return FALSE;
        const LSTATUS status = ::RegDeleteTreeA(appKey.Get(), lpszSection);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    CScopedKey key(GetSectionKey(lpszSection));
    if (key.Get() == nullptr)
        return FALSE;
    if (lpszValue == nullptr) {
        const LSTATUS status = ::RegDeleteValueA(key.Get(), lpszEntry);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    return ::RegSetValueExA(key.Get(), lpszEntry, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpszValue),
                            static_cast<DWORD>(lstrlenA(lpszValue) + 1)) == ERROR_SUCCESS;
}

BOOL CWinApp::GetProfileBinary(LPCSTR lpszSection, LPCSTR lpszEntry, LPBYTE* ppData, UINT* pBytes) const
{
    *ppData = nullptr;
    *pBytes = 0;
    if (m_pszRegistryKey == nullptr)
        return FALSE;
    CScopedKey key(GetSectionKey(lpszSection));
    if (key.Get() == nullptr)
        return FALSE;
    DWORD dwType = 0;
    DWORD dwCount = 0;
    if (::RegQueryValueExA(key.Get(), lpszEntry, nullptr, &dwType, nullptr, &dwCount) != ERROR_SUCCESS ||
        dwType != REG_BINARY)
        return FALSE;
    std::unique_ptr<BYTE[]> data(new BYTE[dwCount > 0 ? dwCount : 1]);
    if (::RegQueryValueExA(key.Get(), lpszEntry, nullptr, &dwType, data.get(), &dwCount) != ERROR_SUCCESS)
        return FALSE;
    *ppData = data.release(); // ownership passes to the caller
    *pBytes = dwCount;
    return TRUE;
}

BOOL CWinApp::WriteProfileBinary(LPCSTR lpszSection, LPCSTR lpszEntry, LPBYTE pData, UINT nBytes)
{
    if (m_pszRegistryKey == nullptr)
        return FALSE;
    CScopedKey key(GetSectionKey(lpszSection));
    if (key.Get() == nullptr)
        return FALSE;
    return ::RegSetValueExA(key.Get(), lpszEntry, 0, REG_BINARY, pData, nBytes) == ERROR_SUCCESS;
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU)
{
    m_pRecentFileList.reset();
    if (nMaxMRU == 0)
        return;
    m_pRecentFileList = std::make_unique<CRecentFileList>(0, kRecentFileSection, kRecentFileEntry,
                                                          static_cast<int>(nMaxMRU));
    m_pRecentFileList->ReadList();
}

void CWinApp::SaveStdProfileSettings()
{
    if (m_pRecentFileList != nullptr)
        m_pRecentFileList->WriteList();
}

void CWinApp::AddToRecentFileList(LPCSTR lpszPathName)
{
    if (m_pRecentFileList != nullptr)
        m_pRecentFileList->Add(lpszPathName);
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return LoadIcon(MAKEINTRESOURCEA(nIDResource));
}

HICON CWinApp::LoadIcon(LPCSTR lpszResourceName) const
{
    return ::LoadIconA(AfxFindResourceHandle(lpszResourceName, MAKEINTRESOURCEA(14)), lpszResourceName);
}

HCURSOR CWinApp::LoadCursor(UINT nIDResource) const
{
    return LoadCursor(MAKEINTRESOURCEA(nIDResource));
}

HCURSOR CWinApp::LoadCursor(LPCSTR lpszResourceName) const
{
    return ::LoadCursorA(AfxFindResourceHandle(lpszResourceName, MAKEINTRESOURCEA(12)), lpszResourceName);
}

BOOL AFXAPI AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    AfxGetModuleState()->m_hCurrentInstanceHandle = hInstance;
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr) {
        pApp->m_hInstance = hInstance;
        pApp->m_lpCmdLine = lpCmdLine;
        pApp->m_nCmdShow = nCmdShow;
    }
    return AfxRegisterDefaultClasses();
}

int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr || !AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow))
        return -1;
    if (!pApp->InitInstance()) {
        // Windows made before the failure are gone with the thread; the exit code says why.
        if (pApp->m_pMainWnd != nullptr)
            pApp->m_pMainWnd->DestroyWindow();
        return pApp->ExitInstance();
    }
    return pApp->Run();
}

BOOL AFXAPI AfxOleInit()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_bOleInitialized)
        return TRUE;
    if (FAILED(::OleInitialize(nullptr)))
        return FALSE;
    if (pApp != nullptr)
        pApp->m_bOleInitialized = TRUE;
    return TRUE;
}

void AFXAPI AfxEnableControlContainer()
{
}
