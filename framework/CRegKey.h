// CRegKey: an owned registry key handle with typed value access.
#pragma once

#include "framework/AfxDefs.h"

class CRegKey
{
public:
    CRegKey() noexcept : m_hKey(nullptr) {}
    // Takes over the handle.
    explicit CRegKey(HKEY hKey) noexcept : m_hKey(hKey) {}
    CRegKey(CRegKey&& other) noexcept;
    CRegKey& operator=(CRegKey&& other) noexcept;
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    ~CRegKey() { Close(); }

    operator HKEY() const { return m_hKey; }

    // Create opens the key, making it (and missing parents) when absent. On success the key
    // held before is closed; on failure it stays.
    LONG Create(HKEY hKeyParent, LPCTSTR lpszKeyName, LPTSTR lpszClass = nullptr,
                DWORD dwOptions = REG_OPTION_NON_VOLATILE, REGSAM samDesired = KEY_READ | KEY_WRITE,
                LPSECURITY_ATTRIBUTES lpSecAttr = nullptr, LPDWORD lpdwDisposition = nullptr);
    LONG Open(HKEY hKeyParent, LPCTSTR lpszKeyName, REGSAM samDesired = KEY_READ | KEY_WRITE);
    LONG Close();
    // Attach closes the key held before; Detach hands the handle back and forgets it.
    void Attach(HKEY hKey);
    HKEY Detach();

    // ERROR_INVALID_DATA when the stored value is not a 4-byte REG_DWORD; the variable is
    // written only on success.
    LONG QueryValue(DWORD& dwValue, LPCTSTR lpszValueName);
    // *pdwCount: the buffer size in, the bytes of the text with its terminator out. The text is
    // always terminated; ERROR_MORE_DATA when it does not fit (the buffer then holds an empty
    // text), ERROR_INVALID_DATA when the value is no string. A null buffer asks for the size.
    LONG QueryValue(LPTSTR szValue, LPCTSTR lpszValueName, DWORD* pdwCount);
    LONG SetValue(DWORD dwValue, LPCTSTR lpszValueName);
    // REG_SZ with its terminator; a null text gives ERROR_INVALID_DATA.
    LONG SetValue(LPCTSTR lpszValue, LPCTSTR lpszValueName = nullptr);
    LONG SetValue(HKEY hKeyParent, LPCTSTR lpszKeyName, LPCTSTR lpszValue,
                  LPCTSTR lpszValueName = nullptr);
    LONG SetKeyValue(LPCTSTR lpszKeyName, LPCTSTR lpszValue, LPCTSTR lpszValueName = nullptr);

    // The same operations under their later names (value name first).
    LONG QueryDWORDValue(LPCTSTR pszValueName, DWORD& dwValue)
    {
        return QueryValue(dwValue, pszValueName);
    }
    LONG SetDWORDValue(LPCTSTR pszValueName, DWORD dwValue)
    {
        return SetValue(dwValue, pszValueName);
    }
    // *pnChars counts characters with the terminator.
    LONG QueryStringValue(LPCTSTR pszValueName, LPTSTR pszValue, ULONG* pnChars);
    LONG SetStringValue(LPCTSTR pszValueName, LPCTSTR pszValue)
    {
        return SetValue(pszValue, pszValueName);
    }

    LONG DeleteValue(LPCTSTR lpszValue);
    LONG DeleteSubKey(LPCTSTR lpszSubKey);
    // Deletes the subkey with all its subkeys, depth first.
    LONG RecurseDeleteKey(LPCTSTR lpszKey);

    HKEY m_hKey;
};
