#include "browser/shell/CShellDetails.h"

CShellDetails::~CShellDetails()
{
    Attach(nullptr);
}

void CShellDetails::Attach(IShellFolder* folder)
{
    if (folder)
        folder->AddRef();
    if (m_folder)
        m_folder->Release();
    m_folder = folder;
}

HRESULT CShellDetails::GetDetailsOf(LPCITEMIDLIST pidl, UINT column, SHELLDETAILS* details) const
{
    if (!m_folder)
        return E_FAIL;
    IShellFolder2* folder2 = nullptr;
    HRESULT hr = m_folder->QueryInterface(IID_IShellFolder2, reinterpret_cast<void**>(&folder2));
    if (SUCCEEDED(hr)) {
        hr = folder2->GetDetailsOf(pidl, column, details);
        folder2->Release();
        return hr;
    }
    IShellDetails* shellDetails = nullptr;
    hr = m_folder->QueryInterface(IID_IShellDetails, reinterpret_cast<void**>(&shellDetails));
    if (FAILED(hr))
        return hr;
    hr = shellDetails->GetDetailsOf(pidl, column, details);
    shellDetails->Release();
    return hr;
}
