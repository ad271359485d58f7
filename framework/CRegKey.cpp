#include "framework/CRegKey.h"

#include <cstring>
#include <utility>

namespace {

bool IsStringType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

} // namespace

CRegKey::CRegKey(CRegKey&& other) noexcept : m_hKey(other.Detach())
{
}

CRegKey& CRegKey::operator=(CRegKey&& other) noexcept
{
    if (this != &other)
        Attach(other.Detach());
    return *this;
}

LONG CRegKey::Create(HKEY hKeyParent, LPCTSTR lpszKeyName, LPTSTR lpszClass, DWORD dwOptions,
                     REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecAttr, LPDWORD lpdwDisposition)
{
    HKEY hKey = nullptr;
    DWORD disposition = 0;
    const LONG result = RegCreateKeyExA(hKeyParent, lpszKeyName, 0, lpszClass, dwOptions,
                                        samDesired, lpSecAttr, &hKey, &disposition);
    if (lpdwDisposition != nullptr)
        *lpdwDisposition = disposition;
    if (result == ERROR_SUCCESS)
        Attach(hKey);
    return result;
}

LONG CRegKey::Open(HKEY hKeyParent, LPCTSTR lpszKeyName, REGSAM samDesired)
{
    HKEY hKey = nullptr;
    const LONG result = RegOpenKeyExA(hKeyParent, lpszKeyName, 0, samDesired, &hKey);
    if (result == ERROR_SUCCESS)
        Attach(hKey);
    return result;
}

LONG CRegKey::Close()
{
    LONG result = ERROR_SUCCESS;
    if (m_hKey != nullptr) {
        result = RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
    return result;
}

void CRegKey::Attach(HKEY hKey)
{
    if (hKey != m_hKey)
        Close();
    m_hKey = hKey;
}

HKEY CRegKey::Detach()
{
    return std::exchange(m_hKey, nullptr);
}

LONG CRegKey::QueryValue(DWORD& dwValue, LPCTSTR lpszValueName)
{
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LONG result = RegQueryValueExA(m_hKey, lpszValueName, nullptr, &type,
                                         reinterpret_cast<LPBYTE>(&value), &size);
    if (result == ERROR_MORE_DATA)
        return ERROR_INVALID_DATA;
    if (result != ERROR_SUCCESS)
        return result;
    if (type != REG_DWORD || size != sizeof(value))
        return ERROR_INVALID_DATA;
    dwValue = value;
    return ERROR_SUCCESS;
}

LONG CRegKey::QueryValue(LPTSTR szValue, LPCTSTR lpszValueName, DWORD* pdwCount)
{
    if (pdwCount == nullptr)
        return ERROR_INVALID_PARAMETER;
    const DWORD capacity = szValue != nullptr ? *pdwCount : 0;
    if (szValue != nullptr && capacity > 0)
        szValue[0] = '\0';
    DWORD type = REG_NONE;
    DWORD size = capacity;
    LONG result = RegQueryValueExA(m_hKey, lpszValueName, nullptr, &type,
                                   reinterpret_cast<LPBYTE>(szValue), &size);
    if ((result == ERROR_SUCCESS || result == ERROR_MORE_DATA) && !IsStringType(type))
        result = ERROR_INVALID_DATA;
    if (result != ERROR_SUCCESS) {
        if (result == ERROR_MORE_DATA)
            *pdwCount = size + 1;
        if (szValue != nullptr && capacity > 0)
            szValue[0] = '\0';
        return result;
    }
    // The stored bytes need not end with a zero: one is added when it is missing.
    const bool terminated = size > 0 && szValue != nullptr && szValue[size - 1] == '\0';
    if (szValue == nullptr) {
        *pdwCount = size + 1;
        return ERROR_SUCCESS;
    }
    if (terminated) {
        *pdwCount = size;
        return ERROR_SUCCESS;
    }
    if (size >= capacity) {
        *pdwCount = size + 1;
        szValue[0] = '\0';
        return ERROR_MORE_DATA;
    }
    szValue[size] = '\0';
    *pdwCount = size + 1;
    return ERROR_SUCCESS;
}

LONG CRegKey::QueryStringValue(LPCTSTR pszValueName, LPTSTR pszValue, ULONG* pnChars)
{
    if (pnChars == nullptr)
        return ERROR_INVALID_PARAMETER;
    DWORD count = *pnChars;
    const LONG result = QueryValue(pszValue, pszValueName, &count);
    *pnChars = count;
    return result;
}

LONG CRegKey::SetValue(DWORD dwValue, LPCTSTR lpszValueName)
{
    return RegSetValueExA(m_hKey, lpszValueName, 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
}

LONG CRegKey::SetValue(LPCTSTR lpszValue, LPCTSTR lpszValueName)
{
    if (lpszValue == nullptr)
        return ERROR_INVALID_DATA;
    return RegSetValueExA(m_hKey, lpszValueName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(lpszValue),
                          static_cast<DWORD>(strlen(lpszValue) + 1));
}

LONG CRegKey::SetValue(HKEY hKeyParent, LPCTSTR lpszKeyName, LPCTSTR lpszValue,
                       LPCTSTR lpszValueName)
{
    CRegKey key;
    const LONG result = key.Create(hKeyParent, lpszKeyName);
    return result != ERROR_SUCCESS ? result : key.SetValue(lpszValue, lpszValueName);
}

LONG CRegKey::SetKeyValue(LPCTSTR lpszKeyName, LPCTSTR lpszValue, LPCTSTR lpszValueName)
{
    return SetValue(m_hKey, lpszKeyName, lpszValue, lpszValueName);
}

LONG CRegKey::DeleteValue(LPCTSTR lpszValue)
{
    return RegDeleteValueA(m_hKey, lpszValue);
}

LONG CRegKey::DeleteSubKey(LPCTSTR lpszSubKey)
{
    return RegDeleteKeyA(m_hKey, lpszSubKey);
}

LONG CRegKey::RecurseDeleteKey(LPCTSTR lpszKey)
{
    CRegKey key;
    LONG result = key.Open(m_hKey, lpszKey, KEY_READ | KEY_WRITE);
    if (result != ERROR_SUCCESS)
        return result;
    // Always take the first subkey: each pass deletes it, and a failure ends the walk, so the
    // loop cannot run forever on a key it cannot delete.
    for (;;) {
        char name[256];
        DWORD size = sizeof(name);
        result = RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_SUCCESS)
            result = key.RecurseDeleteKey(name);
        if (result != ERROR_SUCCESS)
            return result;
    }
    key.Close();
    return DeleteSubKey(lpszKey);
}
