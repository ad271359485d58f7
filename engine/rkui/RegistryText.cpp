#include "engine/rkui/RegistryText.h"

#include <windows.h>

namespace RkUI {

std::string RegistryText::Read(const std::string& key, const char* value)
{
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return {};
    char buffer[4096] = {};
    DWORD size = sizeof buffer - 1, type = 0;
    const LONG r = RegQueryValueExA(h, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(h);
    return r == ERROR_SUCCESS && type == REG_SZ ? std::string(buffer) : std::string();
}

bool RegistryText::Write(const std::string& key, const char* value, const std::string& text)
{
    HKEY h = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG r = RegSetValueExA(h, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>(text.size() + 1));
    RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

} // namespace RkUI
