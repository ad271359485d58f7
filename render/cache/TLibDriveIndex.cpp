#include "render/cache/TLibDriveIndex.h"

#include "render/cache/CacheFile.h"

#include <cstring>

namespace {

using NodeList = std::vector<std::unique_ptr<TLibTreeNode>>;

const int kMaxText = 1024;

struct ReadBudget
{
    ULONGLONG length;
    int nodes;
};

bool ReadFlagAndLib(CFile& file, bool& hasLib, CString& lib)
{
    BYTE flag = 0;
    if (file.Read(&flag, 1) != 1)
        return false;
    hasLib = flag != 0;
    return !hasLib || CacheFile::ReadText(file, lib, kMaxText);
}

bool ReadChildren(CFile& file, NodeList& list, int depth, ReadBudget& budget);

bool ReadNode(CFile& file, TLibTreeNode& node, int depth, ReadBudget& budget)
{
    return CacheFile::ReadText(file, node.name, kMaxText) &&
           ReadFlagAndLib(file, node.hasLib, node.lib) &&
           ReadChildren(file, node.children, depth + 1, budget);
}

// Each child takes at least six bytes, so a count beyond what the file still holds is a lie.
bool ReadChildren(CFile& file, NodeList& list, int depth, ReadBudget& budget)
{
    uint32_t count = 0;
    if (!CacheFile::ReadU32(file, count))
        return false;
    if (count == 0)
        return true;
    if (depth > TLibDriveIndex::kMaxDepth)
        return false;
    const ULONGLONG remaining = budget.length - file.GetPosition();
    if (static_cast<ULONGLONG>(count) * 6 > remaining ||
        budget.nodes + static_cast<int64_t>(count) > TLibDriveIndex::kMaxNodes)
        return false;
    budget.nodes += static_cast<int>(count);
    for (uint32_t i = 0; i < count; ++i) {
        auto node = std::make_unique<TLibTreeNode>();
        if (!ReadNode(file, *node, depth, budget))
            return false;
        list.push_back(std::move(node));
    }
    return true;
}

void WriteChildren(CFile& file, const NodeList& list)
{
    CacheFile::WriteU32(file, static_cast<uint32_t>(list.size()));
    for (const auto& node : list) {
        CacheFile::WriteText(file, node->name);
        const BYTE flag = node->hasLib ? 1 : 0;
        file.Write(&flag, 1);
        if (node->hasLib)
            CacheFile::WriteText(file, node->lib);
        WriteChildren(file, node->children);
    }
}

TLibTreeNode* FindChild(const NodeList& list, const CString& name)
{
    for (const auto& node : list)
        if (node->name.CompareNoCase(name) == 0)
            return node.get();
    return nullptr;
}

void CollectNodes(const NodeList& list, const CString& prefix,
                  std::vector<std::pair<CString, CString>>& out)
{
    for (const auto& node : list) {
        const CString folder = prefix + "\\" + node->name;
        if (node->hasLib && !node->lib.IsEmpty())
            out.emplace_back(folder, node->lib);
        CollectNodes(node->children, folder, out);
    }
}

// Removes components[index..] below list; true when found. Emptied nodes are pruned on the way
// back up.
bool RemoveBelow(NodeList& list, const std::vector<CString>& components, size_t index)
{
    for (auto it = list.begin(); it != list.end(); ++it) {
        TLibTreeNode& node = **it;
        if (node.name.CompareNoCase(components[index]) != 0)
            continue;
        bool found = false;
        if (index + 1 == components.size()) {
            if (node.hasLib && !node.lib.IsEmpty())
                DeleteFileA(node.lib);
            found = node.hasLib;
            node.hasLib = false;
            node.lib.Empty();
        } else {
            found = RemoveBelow(node.children, components, index + 1);
        }
        if (!node.hasLib && node.children.empty())
            list.erase(it);
        return found;
    }
    return false;
}

} // namespace

bool TLibDriveIndex::ReadIdentity(CFile& file, uint32_t& type, uint32_t& serial,
                                  uint64_t& remainder)
{
    char magic[kMagicBytes];
    uint32_t version = 0;
    file.Seek(0, CFile::begin);
    return file.Read(magic, kMagicBytes) == kMagicBytes &&
           std::memcmp(magic, kMagic, kMagicBytes) == 0 && CacheFile::ReadU32(file, version) &&
           CacheFile::ReadU64(file, remainder) && CacheFile::ReadU32(file, type) &&
           CacheFile::ReadU32(file, serial);
}

bool TLibDriveIndex::Read(CFile& file)
{
    TLibDriveIndex read;
    uint64_t remainder = 0;
    if (!ReadIdentity(file, read.driveType, read.volumeSerial, remainder))
        return false;
    ReadBudget budget{file.GetLength(), 0};
    if (remainder > budget.length)
        return false;
    CacheFile::SeekTo(file, remainder);
    if (!ReadFlagAndLib(file, read.rootHasLib, read.rootLib) ||
        !ReadChildren(file, read.children, 1, budget))
        return false;
    *this = std::move(read);
    return true;
}

void TLibDriveIndex::Write(CFile& file) const
{
    file.Write(kMagic, kMagicBytes);
    CacheFile::WriteU32(file, 10);
    CacheFile::WriteU64(file, 53);
    CacheFile::WriteU32(file, driveType);
    CacheFile::WriteU32(file, volumeSerial);
    const BYTE flag = rootHasLib ? 1 : 0;
    file.Write(&flag, 1);
    if (rootHasLib)
        CacheFile::WriteText(file, rootLib);
    WriteChildren(file, children);
}

bool TLibDriveIndex::Find(const std::vector<CString>& components, CString& lib) const
{
    if (components.empty()) {
        if (!rootHasLib || rootLib.IsEmpty())
            return false;
        lib = rootLib;
        return true;
    }
    const NodeList* list = &children;
    const TLibTreeNode* node = nullptr;
    for (const CString& component : components) {
        node = FindChild(*list, component);
        if (!node)
            return false;
        list = &node->children;
    }
    if (!node->hasLib || node->lib.IsEmpty())
        return false;
    lib = node->lib;
    return true;
}

std::vector<std::pair<CString, CString>> TLibDriveIndex::Collect(const CString& drivePrefix) const
{
    std::vector<std::pair<CString, CString>> out;
    if (rootHasLib && !rootLib.IsEmpty())
        out.emplace_back(drivePrefix, rootLib);
    CollectNodes(children, drivePrefix, out);
    return out;
}

bool TLibDriveIndex::Remove(const std::vector<CString>& components)
{
    if (!components.empty())
        return RemoveBelow(children, components, 0);
    if (rootHasLib && !rootLib.IsEmpty())
        DeleteFileA(rootLib);
    const bool found = rootHasLib;
    rootHasLib = false;
    rootLib.Empty();
    return found;
}
