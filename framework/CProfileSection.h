// CProfileSection: one section of the application's profile, opened once for a run of reads.
// CWinApp::GetProfileInt opens the application's key and the section's for each value and
// closes both again: five registry calls a value, each a round trip to the Wine server, which
// for a layout of a hundred values costs tens of milliseconds on a busy machine.
#pragma once

#include "framework/CString.h"

#include <windows.h>

class CWinApp;

class CProfileSection
{
public:
    // The section is made when it does not exist, as CWinApp::GetProfileInt makes it.
    CProfileSection(const CWinApp* pApp, LPCSTR lpszSection);
    ~CProfileSection();
    CProfileSection(const CProfileSection&) = delete;
    CProfileSection& operator=(const CProfileSection&) = delete;

    // What CWinApp::GetProfileInt answers for the same section and entry.
    UINT GetInt(LPCSTR lpszEntry, int nDefault) const;

private:
    const CWinApp* m_pApp;
    CString m_strSection;
    HKEY m_hKey = nullptr;
};
