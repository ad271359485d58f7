// CShellDetails: the detail columns of a shell folder (IShellFolder2, else IShellDetails).
#pragma once

#include <windows.h>
#include <shlobj.h>

class CShellDetails
{
public:
    CShellDetails() = default;
    CShellDetails(const CShellDetails&) = delete;
    CShellDetails& operator=(const CShellDetails&) = delete;
    virtual ~CShellDetails();

    // Holds a reference to the folder (null lets it go).
    void Attach(IShellFolder* folder);
    bool IsAttached() const { return m_folder != nullptr; }
    HRESULT GetDetailsOf(LPCITEMIDLIST pidl, UINT column, SHELLDETAILS* details) const;

private:
    IShellFolder* m_folder = nullptr;
};
