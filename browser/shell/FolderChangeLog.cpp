#include "browser/shell/FolderChangeLog.h"

#include <cctype>
#include <cstddef>
#include <cstring>

void FolderChangeLog::AddRecords(const void* buffer, DWORD bytes)
{
    if (!buffer || bytes == 0) {
        MarkUnknown();
        return;
    }
    const auto* base = static_cast<const BYTE*>(buffer);
    DWORD offset = 0;
    while (!m_unknown) {
        // A record that does not fit the bytes given is read no further: its name is unknown.
        constexpr DWORD kHead = offsetof(FILE_NOTIFY_INFORMATION, FileName);
        if (offset > bytes || bytes - offset < kHead) {
            MarkUnknown();
            return;
        }
        FILE_NOTIFY_INFORMATION record;
        memcpy(&record, base + offset, kHead);
        if (record.FileNameLength % sizeof(WCHAR) != 0 || bytes - offset - kHead < record.FileNameLength) {
            MarkUnknown();
            return;
        }
        std::wstring wide(record.FileNameLength / sizeof(WCHAR), L'\0');
        if (!wide.empty())
            memcpy(&wide[0], base + offset + kHead, record.FileNameLength);
        const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                             nullptr, nullptr);
        std::string name(static_cast<size_t>(size > 0 ? size : 0), '\0');
        BOOL lossy = FALSE;
        if (size > 0)
            WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), &name[0], size,
                                nullptr, &lossy);
        // A name the code page cannot spell is not one the list could find its file by.
        if (size <= 0 || lossy)
            MarkUnknown();
        else
            AddName(name, record.Action == FILE_ACTION_REMOVED || record.Action == FILE_ACTION_RENAMED_OLD_NAME);
        if (record.NextEntryOffset == 0)
            return;
        offset += record.NextEntryOffset;
    }
}

void FolderChangeLog::AddName(const std::string& name, bool gone)
{
    if (m_unknown)
        return;
    // Only plain names of items in the folder itself: a path, a wildcard or what may be a short
    // (8.3) name ("PLAN~1.DXF") does not say for sure which item changed.
    const size_t tilde = name.find('~');
    const bool maybeShort = tilde != std::string::npos && tilde + 1 < name.size() && isdigit(static_cast<unsigned char>(name[tilde + 1]));
    if (name.empty() || name == "." || name == ".." || maybeShort ||
        name.find_first_of("\\/:*?\"<>|") != std::string::npos) {
        MarkUnknown();
        return;
    }
    const auto placed = m_keys.emplace(Key(name), m_names.size());
    if (!placed.second) {
        m_gone[placed.first->second] = gone ? 1 : 0;
        return;
    }
    m_names.push_back(name);
    m_gone.push_back(gone ? 1 : 0);
    if (m_names.size() > kMaxNames)
        MarkUnknown();
}

void FolderChangeLog::MarkUnknown()
{
    m_unknown = true;
    m_names.clear();
    m_gone.clear();
    m_keys.clear();
}

void FolderChangeLog::Clear()
{
    m_unknown = false;
    m_names.clear();
    m_gone.clear();
    m_keys.clear();
}

void FolderChangeLog::Absorb(const FolderChangeLog& other)
{
    if (other.m_unknown) {
        MarkUnknown();
        return;
    }
    for (size_t i = 0; i < other.m_names.size(); ++i)
        AddName(other.m_names[i], other.m_gone[i] != 0);
}

bool FolderChangeLog::Take(std::vector<std::string>& names)
{
    std::vector<char> gone;
    return Take(names, gone);
}

bool FolderChangeLog::Take(std::vector<std::string>& names, std::vector<char>& gone)
{
    const bool known = !m_unknown && !m_names.empty();
    names.clear();
    gone.clear();
    if (known) {
        names.swap(m_names);
        gone.swap(m_gone);
    }
    Clear();
    return known;
}

std::string FolderChangeLog::Key(const std::string& name)
{
    std::string key(name);
    if (!key.empty())
        CharLowerBuffA(&key[0], static_cast<DWORD>(key.size()));
    return key;
}
