#include "kit/KGetOsVersion.h"

int32_t KOsVersionCode(DWORD platformId, DWORD major, DWORD minor)
{
    switch (platformId) {
    case VER_PLATFORM_WIN32s:
        return 1;
    case VER_PLATFORM_WIN32_WINDOWS:
        if (major >= 5)
            return 4;
        return (major == 4 && minor > 0) ? 4 : 3;
    case VER_PLATFORM_WIN32_NT:
        if (major == 4)
            return 2;
        if (major == 5)
            return minor == 0 ? 5 : 6;
        return 6;
    default:
        return 0;
    }
}

int32_t KGetOsVersion(int32_t& out)
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    // The probe is asked twice: some early systems refused the first call while starting up.
    if (!GetVersionExA(&info) && !GetVersionExA(&info)) {
        out = 0;
        return out;
    }
    out = KOsVersionCode(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
    return out;
}
