#include "browser/shell/CShellSettings.h"

#include <cstring>

CShellSettings::CShellSettings()
{
    DWORD word = 0x80;
    std::memcpy(&m_state, &word, sizeof(word));
    m_shell32 = LoadLibraryA("shell32.dll");
}

CShellSettings::~CShellSettings()
{
    if (m_shell32)
        FreeLibrary(m_shell32);
}

bool CShellSettings::Load()
{
    if (!m_shell32)
        return false;
    using GetSettingsFn = void(WINAPI*)(LPSHELLFLAGSTATE, DWORD);
    const FARPROC proc = GetProcAddress(m_shell32, "SHGetSettings");
    if (!proc)
        return true;
    GetSettingsFn fn = nullptr;
    static_assert(sizeof(fn) == sizeof(proc), "function pointers of one size");
    std::memcpy(&fn, &proc, sizeof(fn));
    // Some shells write only the fields they have values for: start from zero.
    std::memset(&m_state, 0, sizeof(m_state));
    fn(&m_state, 0xFFAB);
    return true;
}

void CShellSettings::Set(bool showAll, bool showSystem)
{
    m_state.fShowAllObjects = showAll ? 1 : 0;
    m_state.fShowSysFiles = showSystem ? 1 : 0;
}
