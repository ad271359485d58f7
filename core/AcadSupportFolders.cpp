#include "core/AcadSupportFolders.h"

#include "core/RegistryValues.h"

const char* const kAutoCadKey = "SoftWare\\Autodesk\\AutoCAD";

namespace {

// Opens parent\subkey for reading; an empty subkey name would reopen the parent itself and is
// refused.
bool OpenForRead(CRegKey& key, HKEY parent, const char* subkey)
{
    return subkey && *subkey && key.Open(parent, subkey, KEY_READ) == ERROR_SUCCESS;
}

// Follows "Curver" twice from AutoCAD's key: to the release key, then to the product key.
bool OpenCurrentProduct(HKEY root, const char* autocadKey, CRegKey& product)
{
    CRegKey autocad;
    CRegKey release;
    CString name;
    return OpenForRead(autocad, root, autocadKey) && QueryStringValue(autocad, "Curver", name) &&
           OpenForRead(release, autocad, name) && QueryStringValue(release, "Curver", name) &&
           OpenForRead(product, release, name);
}

bool ReadNonEmpty(HKEY key, const char* name, CString& value)
{
    return QueryStringValue(key, name, value) && !value.IsEmpty();
}

bool ReadMachineFolders(HKEY root, const char* autocadKey, CString& folders)
{
    CRegKey product;
    return OpenCurrentProduct(root, autocadKey, product) && ReadNonEmpty(product, "ACAD", folders);
}

bool ReadUserFolders(HKEY root, const char* autocadKey, CString& folders)
{
    CRegKey product;
    CRegKey profiles;
    CRegKey profile;
    CRegKey general;
    CString current;
    return OpenCurrentProduct(root, autocadKey, product) &&
           OpenForRead(profiles, product, "Profiles") && ReadNonEmpty(profiles, nullptr, current) &&
           OpenForRead(profile, profiles, current) && OpenForRead(general, profile, "General") &&
           ReadNonEmpty(general, "ACAD", folders);
}

} // namespace

bool ReadAcadSupportFolders(HKEY machineRoot, HKEY userRoot, const char* autocadKey,
                            CString& folders)
{
    return ReadMachineFolders(machineRoot, autocadKey, folders) ||
           ReadUserFolders(userRoot, autocadKey, folders);
}
