// CSplitPath: a path split into drive ("C:" or a "\\server\share" root), folder (with its
// trailing backslash), name and extension (with its dot), of any length; Make joins them again.
#pragma once

#include "framework/CString.h"

class CSplitPath
{
public:
    CSplitPath() = default;
    explicit CSplitPath(const CString& path) { Split(path); }
    virtual ~CSplitPath() = default;

    void Split(const CString& path);
    const CString& GetDrive() const { return m_drive; }
    const CString& GetDirectory() const { return m_directory; }
    const CString& GetName() const { return m_name; }
    const CString& GetExtension() const { return m_extension; }

    static CString Make(const CString& drive, const CString& directory, const CString& name, const CString& extension);

private:
    CString m_drive;
    CString m_directory;
    CString m_name;
    CString m_extension;
};
