#include "app/ExtensionAssociation.h"

#include "core/PathUtils.h"
#include "core/RegistryValues.h"

namespace {

// KEY_READ | KEY_WRITE.
const REGSAM kClassAccess = 0x2001F;
// Longer names are no extension or ProgID of ours and are refused.
const int kMaxKeyName = 255;

// A single key name under the classes root: not empty, not a path, bounded.
bool IsPlainKeyName(const char* name)
{
    if (!name || !*name)
        return false;
    const CString text = name;
    return text.GetLength() <= kMaxKeyName && text.Find('\\') < 0;
}

bool IsExtensionName(const char* extension)
{
    return IsPlainKeyName(extension) && extension[0] == '.';
}

bool CreateClassKey(CRegKey& key, const CString& name)
{
    return key.Create(HKEY_CLASSES_ROOT, name, nullptr, REG_OPTION_NON_VOLATILE,
                      kClassAccess) == ERROR_SUCCESS;
}

bool DeleteClassTree(const CString& name)
{
    CRegKey root;
    return root.Open(HKEY_CLASSES_ROOT, "", kClassAccess) == ERROR_SUCCESS &&
           root.RecurseDeleteKey(name) == ERROR_SUCCESS;
}

CString ReadDefault(HKEY root, const CString& name)
{
    CRegKey key;
    CString value;
    if (key.Open(root, name, KEY_READ) == ERROR_SUCCESS)
        QueryStringValue(key, nullptr, value);
    return value;
}

CString OpenCommandOf(const CString& progId)
{
    return ReadDefault(HKEY_CLASSES_ROOT, progId + "\\shell\\open\\command");
}

// True when the ProgID is this program's: by its name, or by an open command that starts the
// viewer beside this program.
bool IsOurProgId(const CString& progId)
{
    if (progId.Left(11).CompareNoCase("OrvoKestal.") == 0)
        return true;
    CString command = OpenCommandOf(progId);
    CString program = GetViewerProgramPath();
    command.MakeLower();
    program.MakeLower();
    return !program.IsEmpty() && command.Find(program) >= 0;
}

void KeepPreviousOwner(CRegKey& extensionKey, const char* progId)
{
    CString previous;
    if (QueryStringValue(extensionKey, nullptr, previous) && previous.GetLength() >= 4 &&
        previous.CompareNoCase(progId) != 0)
        extensionKey.SetValue(previous, "Backup");
}

bool WriteProgIdKeys(const CString& progId, const char* description, const char* programPath,
                     short iconIndex)
{
    if (iconIndex >= 0) {
        CRegKey icon;
        if (!CreateClassKey(icon, progId + "\\DefaultIcon"))
            return false;
        CString value;
        value.Format("%s,%d", programPath, iconIndex);
        icon.SetValue(value);
    }
    CRegKey key;
    if (!CreateClassKey(key, progId))
        return false;
    key.SetValue(description);
    if (*programPath) {
        CRegKey command;
        if (command.Create(key, "shell\\open\\command", nullptr, REG_OPTION_NON_VOLATILE,
                           kClassAccess) != ERROR_SUCCESS)
            return false;
        command.SetValue("\"" + CString(programPath) + "\" \"%1\"");
    }
    return true;
}

const char* OrEmpty(const char* text)
{
    return text ? text : "";
}

} // namespace

CString GetViewerProgramPath()
{
    return GetProgramFolder() + "OrvoKestal.exe";
}

bool RegisterExtensionAssociation(const char* extension, const char* progId,
                                  const char* description, const char* contentType,
                                  const char* programPath, short iconIndex)
{
    // An empty ProgID would make the classes root itself the ProgID's key.
    if (!IsExtensionName(extension) || !IsPlainKeyName(progId))
        return false;
    {
        CRegKey key;
        if (!CreateClassKey(key, extension))
            return false;
        KeepPreviousOwner(key, progId);
        key.SetValue(progId);
        if (contentType && *contentType)
            key.SetValue(contentType, "Content Type");
    }
    return WriteProgIdKeys(progId, OrEmpty(description), OrEmpty(programPath), iconIndex);
}

bool RestoreExtensionAssociation(const char* extension)
{
    if (!IsExtensionName(extension))
        return false;
    CString progId;
    bool restoredBackup = false;
    {
        // Opened, not created: restoring an extension nobody registered must not make its key.
        CRegKey key;
        if (key.Open(HKEY_CLASSES_ROOT, extension, kClassAccess) != ERROR_SUCCESS ||
            !QueryStringValue(key, nullptr, progId) || progId.IsEmpty() ||
            !IsPlainKeyName(progId) || !IsOurProgId(progId))
            return false;
        CString backup;
        if (QueryStringValue(key, "Backup", backup) && !backup.IsEmpty()) {
            key.SetValue(backup);
            key.DeleteValue("Backup");
            restoredBackup = true;
        }
    }
    if (!restoredBackup && !DeleteClassTree(extension))
        return false;
    return DeleteClassTree(progId);
}

CString QueryExtensionAssociation(CString& extension, CString& progId, CString& description,
                                  CString& contentType)
{
    if (extension.IsEmpty() || extension[0] != '.')
        extension = "." + extension;
    CRegKey key;
    if (!IsPlainKeyName(extension) ||
        key.Open(HKEY_CLASSES_ROOT, extension, KEY_READ) != ERROR_SUCCESS)
        return CString();
    CString value;
    if (!QueryStringValue(key, nullptr, value) || value.IsEmpty() || !IsPlainKeyName(value))
        return CString();
    progId = value;
    if (QueryStringValue(key, "Content Type", value) && !value.IsEmpty())
        contentType = value;
    key.Close();
    value = ReadDefault(HKEY_CLASSES_ROOT, progId);
    if (!value.IsEmpty())
        description = value;
    return OpenCommandOf(progId);
}
