// CPathItem: one entry of the path box's typed-folder history: a folder path, compared without
// regard to case.
#pragma once

#include "framework/CString.h"

class CPathItem
{
public:
    CPathItem() = default;
    explicit CPathItem(const CString& path) : m_path(path) {}

    const CString& GetPath() const { return m_path; }
    bool IsSamePath(const CString& path) const { return m_path.CompareNoCase(path) == 0; }

private:
    CString m_path;
};
