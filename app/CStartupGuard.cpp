#include "app/CStartupGuard.h"

#include "framework/CRegKey.h"

#include <vector>

namespace {

const char kGuardName[] = "InitFlag";
const REGSAM kKeyAccess = 0x2001F;

// One mutex per registry root: tests run programs on roots of their own side by side. A mutex
// name may not hold backslashes.
CString MutexName(const CString& root)
{
    CString name = "OrvoKestalStartup:" + root;
    name.Replace('\\', '/');
    return name;
}

std::vector<CString> SubkeyNames(HKEY key)
{
    std::vector<CString> names;
    for (DWORD index = 0;; ++index) {
        char name[512];
        DWORD size = sizeof(name);
        if (RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name);
    }
    return names;
}

} // namespace

CStartupGuard::CStartupGuard(const char* registryRoot) : m_root(registryRoot ? registryRoot : "")
{
}

CStartupGuard::~CStartupGuard()
{
    Release();
}

bool CStartupGuard::Begin(DWORD waitMs)
{
    Release();
    m_mutex = CreateMutexA(nullptr, FALSE, MutexName(m_root));
    bool othersDone = m_mutex == nullptr; // without a mutex there is nobody to wait for
    if (m_mutex) {
        // WAIT_ABANDONED: the start that held it died, which is just what the mark is about.
        const DWORD wait = WaitForSingleObject(m_mutex, waitMs);
        m_owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        othersDone = m_owned;
    }
    CRegKey key;
    if (key.Create(HKEY_CURRENT_USER, m_root + kGuardName, nullptr, REG_OPTION_NON_VOLATILE,
                   kKeyAccess) != ERROR_SUCCESS)
        return false;
    DWORD value = 0;
    const bool marked = key.QueryValue(value, kGuardName) == ERROR_SUCCESS;
    key.SetValue(1, kGuardName);
    key.Close();
    if (!marked || !othersDone)
        return false;
    ResetSettings(m_root);
    return true;
}

void CStartupGuard::Finish()
{
    CRegKey key;
    if (key.Open(HKEY_CURRENT_USER, m_root + kGuardName, kKeyAccess) == ERROR_SUCCESS)
        key.DeleteValue(kGuardName);
    Release();
}

void CStartupGuard::Release()
{
    if (m_owned)
        ReleaseMutex(m_mutex);
    m_owned = false;
    if (m_mutex)
        CloseHandle(m_mutex);
    m_mutex = nullptr;
}

void CStartupGuard::ResetSettings(const char* registryRoot)
{
    CString path(registryRoot ? registryRoot : "");
    path.TrimRight('\\');
    CRegKey root;
    if (path.IsEmpty() || root.Open(HKEY_CURRENT_USER, path, kKeyAccess) != ERROR_SUCCESS)
        return;
    // Names first: deleting while enumerating would shift the indices.
    for (const CString& name : SubkeyNames(root)) {
        if (name.CompareNoCase(kGuardName) != 0)
            root.RecurseDeleteKey(name);
    }
}
