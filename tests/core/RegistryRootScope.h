// Points the program's registry root at a key of this test process under HKEY_CURRENT_USER for the
// scope's life, and deletes that key with everything in it at the end.
#pragma once

#include "core/RegistryRoot.h"

#include <shlwapi.h>

#include <atomic>
#include <string>

class RegistryRootScope
{
public:
    RegistryRootScope() : m_previous(g_strRegistryRoot)
    {
        static std::atomic<unsigned> counter{0};
        m_key = "Software\\OrvoKestalTests\\" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter++);
        g_strRegistryRoot = (m_key + "\\").c_str();
    }
    ~RegistryRootScope()
    {
        SHDeleteKeyA(HKEY_CURRENT_USER, m_key.c_str());
        g_strRegistryRoot = m_previous;
    }
    RegistryRootScope(const RegistryRootScope&) = delete;
    RegistryRootScope& operator=(const RegistryRootScope&) = delete;

    // The root without its trailing backslash, e.g. for writing fixtures.
    const std::string& Key() const { return m_key; }
    std::string Path(const std::string& subkey) const { return m_key + "\\" + subkey; }

    // Fixture writers: the subkey is created when missing.
    void SetDword(const std::string& subkey, const char* name, DWORD value) const
    {
        SHSetValueA(HKEY_CURRENT_USER, Path(subkey).c_str(), name, REG_DWORD, &value,
                    sizeof(value));
    }
    void SetString(const std::string& subkey, const char* name, const std::string& value) const
    {
        SHSetValueA(HKEY_CURRENT_USER, Path(subkey).c_str(), name, REG_SZ, value.c_str(),
                    static_cast<DWORD>(value.size() + 1));
    }
    // The stored type and value of a DWORD; type 0 when it is missing.
    DWORD GetDword(const std::string& subkey, const char* name, DWORD* type = nullptr) const
    {
        DWORD storedType = 0;
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (SHGetValueA(HKEY_CURRENT_USER, Path(subkey).c_str(), name, &storedType, &value,
                        &size) != ERROR_SUCCESS)
            storedType = 0;
        if (type)
            *type = storedType;
        return value;
    }
    std::string GetString(const std::string& subkey, const char* name) const
    {
        char buffer[2048] = {};
        DWORD size = sizeof(buffer) - 1;
        if (SHGetValueA(HKEY_CURRENT_USER, Path(subkey).c_str(), name, nullptr, buffer, &size) !=
            ERROR_SUCCESS)
            return {};
        return buffer;
    }

private:
    CString m_previous;
    std::string m_key;
};
