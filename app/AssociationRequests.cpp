#include "app/AssociationRequests.h"

#include "app/ExtensionAssociation.h"
#include "core/FileUtils.h"
#include "core/PathUtils.h"

#include <shlobj.h>

#include <utility>
#include <vector>

namespace {

const char kMagic[] = "UACTOOLS";
const char kDeleteSection[] = "delete";
const char kSetSection[] = "set";
const DWORD kMaxRequestFileSize = 1024 * 1024;

struct SetRequest
{
    CString extension;
    CString progId;
    CString description;
    CString contentType;
    CString programPath;
    WORD iconIndex = 0;
};

CAssociationBlob g_requestBlob;
std::vector<CString> g_deleteRequests;
std::vector<SetRequest> g_setRequests;
AssociationEnvironment g_environment;

// Closes a file handle at the end of its scope.
class ScopedFile
{
public:
    explicit ScopedFile(HANDLE handle) : m_handle(handle) {}
    ~ScopedFile() { Close(); }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    // True when the handle closed cleanly (the data reached the file system).
    bool Close()
    {
        const HANDLE handle = std::exchange(m_handle, INVALID_HANDLE_VALUE);
        return handle != INVALID_HANDLE_VALUE && CloseHandle(handle);
    }

private:
    HANDLE m_handle;
};

bool LaunchElevated(const char* program, const char* parameters)
{
    if (g_environment.launchElevated)
        return g_environment.launchElevated(program, parameters);
    SHELLEXECUTEINFOA info = {sizeof(info)};
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = "runas";
    info.lpFile = program;
    info.lpParameters = parameters;
    info.nShow = SW_HIDE;
    return ShellExecuteExA(&info) != FALSE;
}

DWORD WindowsMajorVersion()
{
    if (g_environment.windowsMajorVersion)
        return g_environment.windowsMajorVersion();
    OSVERSIONINFOA version = {sizeof(version)};
    // GetVersionExA is deprecated but is exactly the question: which system family runs us.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = GetVersionExA(&version);
#pragma GCC diagnostic pop
    // An unknown version is treated as a new system: the elevated path is the safe one.
    return known ? version.dwMajorVersion : 6;
}

CString ToolPath()
{
    if (!g_environment.toolPath.IsEmpty())
        return g_environment.toolPath;
    return GetProgramFolder() + "OrvoUacTools.exe";
}

// The folder of the request file, created when missing; empty when it cannot be had.
CString RequestFolder()
{
    CString folder = g_environment.requestFolder;
    if (folder.IsEmpty()) {
        char common[MAX_PATH] = {};
        if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, common)))
            return CString();
        folder = CString(common) + "\\OrvoKestal";
    }
    return IsExistingFolder(folder) || CreateFolderPath(folder) ? folder : CString();
}

void AppendSections(CAssociationBlob& blob)
{
    if (!g_deleteRequests.empty()) {
        blob.WriteString(kDeleteSection);
        blob.WriteU32(static_cast<DWORD>(g_deleteRequests.size()));
        for (const CString& extension : g_deleteRequests)
            blob.WriteString(extension);
    }
    if (!g_setRequests.empty()) {
        blob.WriteString(kSetSection);
        blob.WriteU32(static_cast<DWORD>(g_setRequests.size()));
        for (const SetRequest& r : g_setRequests) {
            for (const CString* text :
                 {&r.extension, &r.progId, &r.description, &r.contentType, &r.programPath})
                blob.WriteString(*text);
            blob.WriteU16(r.iconIndex);
        }
    }
}

// Writes the whole blob; false unless every byte reached the file.
bool WriteRequestFile(const CString& path, const CAssociationBlob& blob)
{
    ScopedFile file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen())
        return false;
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(blob.GetSize());
    const bool ok =
        WriteFile(file.Get(), blob.GetData(), size, &written, nullptr) && written == size;
    return file.Close() && ok;
}

bool ApplyDeleteSection(CAssociationBlob& blob)
{
    DWORD count = 0;
    if (!blob.ReadU32(count))
        return false;
    for (DWORD i = 0; i < count; ++i) {
        CString extension;
        if (!blob.ReadString(extension))
            return false;
        RestoreExtensionAssociation(extension);
    }
    return true;
}

bool ReadSetRecord(CAssociationBlob& blob, SetRequest& r)
{
    return blob.ReadString(r.extension) && blob.ReadString(r.progId) &&
           blob.ReadString(r.description) && blob.ReadString(r.contentType) &&
           blob.ReadString(r.programPath) && blob.ReadU16(r.iconIndex);
}

bool ApplySetSection(CAssociationBlob& blob)
{
    DWORD count = 0;
    if (!blob.ReadU32(count))
        return false;
    for (DWORD i = 0; i < count; ++i) {
        SetRequest r;
        if (!ReadSetRecord(blob, r))
            return false;
        RegisterExtensionAssociation(r.extension, r.progId, r.description, r.contentType,
                                     r.programPath, static_cast<short>(r.iconIndex));
    }
    return true;
}

} // namespace

void BeginAssociationRequest()
{
    g_requestBlob.Free();
    g_deleteRequests.clear();
    g_setRequests.clear();
    g_requestBlob.WriteString(kMagic);
}

void QueueAssociationDelete(const char* extension)
{
    g_deleteRequests.push_back(extension);
}

void QueueAssociationSet(const char* extension, const char* progId, const char* description,
                         const char* contentType, const char* programPath, WORD iconIndex)
{
    g_setRequests.push_back(
        SetRequest{extension, progId, description, contentType, programPath, iconIndex});
}

bool AssociateThroughHelper()
{
    if (g_deleteRequests.empty() && g_setRequests.empty())
        return false;
    const CString tool = ToolPath();
    if (!IsExistingFile(tool)) {
        g_requestBlob.Free();
        return false;
    }
    AppendSections(g_requestBlob);
    if (WindowsMajorVersion() <= 5) {
        ApplyAssociationRequests(g_requestBlob);
        g_requestBlob.Free();
        return true;
    }
    const CString folder = RequestFolder();
    const CString requestFile = folder + "\\uactools.cfg";
    const bool written = !folder.IsEmpty() && WriteRequestFile(requestFile, g_requestBlob);
    g_requestBlob.Free();
    // Quoted: the application-data folder may hold blanks.
    return written && LaunchElevated(tool, "\"" + requestFile + "\"");
}

bool ApplyAssociationRequests(CAssociationBlob& blob)
{
    blob.Rewind();
    CString name;
    if (!blob.ReadString(name) || name != kMagic)
        return false;
    while (blob.ReadString(name)) {
        bool whole = false;
        if (name == kDeleteSection)
            whole = ApplyDeleteSection(blob);
        else if (name == kSetSection)
            whole = ApplySetSection(blob);
        if (!whole)
            break;
    }
    return true;
}

bool ApplyAssociationRequestFile(const char* path)
{
    ScopedFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file.IsOpen() || !GetFileSizeEx(file.Get(), &size) ||
        size.QuadPart > kMaxRequestFileSize)
        return false;
    std::vector<BYTE> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size()))
        return false;
    CAssociationBlob blob;
    blob.Assign(bytes.data(), bytes.size());
    return ApplyAssociationRequests(blob);
}

AssociationEnvironment SetAssociationEnvironment(AssociationEnvironment environment)
{
    std::swap(g_environment, environment);
    return environment;
}
