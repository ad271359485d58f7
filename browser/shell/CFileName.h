// CFileName: splits a path into drive, directory, name and extension and rebuilds it with another
// extension or folder, joining the parts with exactly one backslash.
#pragma once

#include "framework/CString.h"

class CFileName
{
public:
    explicit CFileName(const CString& path);
    virtual ~CFileName() = default;

    CString GetFileNameExt() const;
    CString ChangeExtension(const char* ext) const;
    CString ChangeFolder(const char* folder) const;

private:
    CString Join(const CString& drive, const CString& dir, const CString& name, const CString& ext) const;

    CString m_path;
    CString m_drive;
    CString m_dir;
    CString m_name;
    CString m_ext;
};
