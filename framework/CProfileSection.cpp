#include "framework/CProfileSection.h"

#include "framework/CWinApp.h"

CProfileSection::CProfileSection(const CWinApp* pApp, LPCSTR lpszSection)
    : m_pApp(pApp), m_strSection(lpszSection != nullptr ? lpszSection : "")
{
    if (m_pApp != nullptr && m_pApp->m_pszRegistryKey != nullptr && lpszSection != nullptr)
        m_hKey = m_pApp->GetSectionKey(lpszSection);
}

CProfileSection::~CProfileSection()
{
    if (m_hKey != nullptr)
        ::RegCloseKey(m_hKey);
}

UINT CProfileSection::GetInt(LPCSTR lpszEntry, int nDefault) const
{
    if (m_pApp == nullptr)
        return static_cast<UINT>(nDefault);
    if (m_pApp->m_pszRegistryKey == nullptr)
        return ::GetPrivateProfileIntA(m_strSection, lpszEntry, nDefault, m_pApp->m_pszProfileName);
    return CWinApp::ReadProfileDword(m_hKey, lpszEntry, nDefault);
}
