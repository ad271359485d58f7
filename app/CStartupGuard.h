// CStartupGuard: the mark of a start that has not finished. Start-up sets the value "InitFlag"
// under the program's "InitFlag" key and removes it once the program is up; finding it at the
// next start means that start died half way, possibly because of a bad setting, and every
// setting is reset. Starts on the same registry root are serialised by a named mutex held from
// Begin to Finish, so a second program started while the first is still starting (two files
// opened at once) finds no mark rather than the first start's, and wipes nothing.
#pragma once

#include "framework/Afx.h"

class CStartupGuard
{
public:
    // How long a start waits for another one to finish starting.
    static constexpr DWORD kWaitMs = 30000;

    explicit CStartupGuard(const char* registryRoot);
    // Lets the next start go on. A start that never reached Finish leaves its mark behind.
    ~CStartupGuard();
    CStartupGuard(const CStartupGuard&) = delete;
    CStartupGuard& operator=(const CStartupGuard&) = delete;

    // Waits for the other starts, then checks and sets the mark; true when a mark was found and
    // the settings were reset. When the wait times out the other start is taken to be alive and
    // nothing is reset.
    bool Begin(DWORD waitMs = kWaitMs);
    // Removes the mark (the "InitFlag" key stays) and lets the next start go on.
    void Finish();

    // Deletes every subkey of the root but "InitFlag", with all their subkeys; values stored
    // directly in the root stay.
    static void ResetSettings(const char* registryRoot);

private:
    void Release();

    CString m_root;
    HANDLE m_mutex = nullptr;
    bool m_owned = false;
};
