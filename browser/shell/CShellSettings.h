// CShellSettings: the shell's view switches (show all files, show system files, extensions).
#pragma once

#include <windows.h>
#include <shlobj.h>

class CShellSettings
{
public:
    CShellSettings();
    CShellSettings(const CShellSettings&) = delete;
    CShellSettings& operator=(const CShellSettings&) = delete;
    virtual ~CShellSettings();

    // False when shell32 did not load; true without change when it has no SHGetSettings.
    bool Load();
    bool ShowAllFiles() const { return m_state.fShowAllObjects != 0; }
    bool ShowSystemFiles() const { return m_state.fShowSysFiles != 0; }
    bool ShowExtensions() const { return m_state.fShowExtensions != 0; }
    // For tests and for callers that know better than the shell.
    void Set(bool showAll, bool showSystem);
    void SetShowExtensions(bool show) { m_state.fShowExtensions = show ? 1 : 0; }

private:
    SHELLFLAGSTATE m_state = {};
    HMODULE m_shell32 = nullptr;
};
