// TLibDriveIndex (one drive of the older, tree-shaped per-drive index file, ".opsidx") and its
// folders TLibTreeNode: reading, finding a folder, removing one and writing the file back.
#pragma once

#include "framework/Afx.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

struct TLibTreeNode
{
    CString name;
    bool hasLib = false;
    CString lib;
    std::vector<std::unique_ptr<TLibTreeNode>> children;
};

class TLibDriveIndex
{
public:
    // Limits on hostile files: how deep folders nest and how many there are in all.
    static constexpr int kMaxDepth = 64;
    static constexpr int kMaxNodes = 100000;
    static constexpr const char* kMagic = "OrvoKestalImageCacheLibIndexFile";
    static constexpr UINT kMagicBytes = 33;

    // Reads the identity at the start of an open file: magic, version, remainder offset, drive
    // type and serial. False when the magic differs or the file is short.
    static bool ReadIdentity(CFile& file, uint32_t& driveType, uint32_t& serial,
                             uint64_t& remainder);
    // Reads the whole file; false (and nothing taken) when any part is missing or out of bounds.
    bool Read(CFile& file);
    void Write(CFile& file) const;

    // The library of folder components (after the drive component); false when not recorded.
    bool Find(const std::vector<CString>& components, CString& lib) const;
    // Every recorded library as (folder under drivePrefix, library path).
    std::vector<std::pair<CString, CString>> Collect(const CString& drivePrefix) const;
    // Forgets the folder, deleting its library file; nodes left with nothing are removed.
    bool Remove(const std::vector<CString>& components);
    bool IsEmpty() const { return !rootHasLib && children.empty(); }

    uint32_t driveType = 0;
    uint32_t volumeSerial = 0;
    bool rootHasLib = false;
    CString rootLib;
    std::vector<std::unique_ptr<TLibTreeNode>> children;
};
