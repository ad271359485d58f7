#include "frames/acad/COleObject.h"

#include <oleauto.h>

#include <string>

namespace {

std::wstring Wide(const char* text)
{
    if (!text || !*text)
        return {};
    const int length = ::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return wide;
}

} // namespace

COleObject::~COleObject()
{
    Release();
}

void COleObject::Attach(IDispatch* dispatch)
{
    if (m_dispatch)
        m_dispatch->Release();
    m_dispatch = dispatch;
}

BSTR COleObject::ToBstr(const char* text)
{
    const std::wstring wide = Wide(text);
    return ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

CString COleObject::FromBstr(BSTR text)
{
    if (!text)
        return CString();
    const int length = ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(::SysStringLen(text)), nullptr, 0,
                                             nullptr, nullptr);
    CString out;
    if (length <= 0)
        return out;
    LPSTR buffer = out.GetBuffer(length);
    ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(::SysStringLen(text)), buffer, length, nullptr, nullptr);
    out.ReleaseBuffer(length);
    return out;
}

bool COleObject::GetActive(const char* progId)
{
    Release();
    const std::wstring id = Wide(progId);
    if (id.empty())
        return false;
    CLSID clsid = {};
    if (FAILED(::CLSIDFromProgID(id.c_str(), &clsid)))
        return false;
    IUnknown* unknown = nullptr;
    if (FAILED(::GetActiveObject(clsid, nullptr, &unknown)) || !unknown)
        return false;
    IDispatch* dispatch = nullptr;
    const HRESULT hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    unknown->Release();
    if (FAILED(hr) || !dispatch)
        return false;
    Attach(dispatch);
    return true;
}

bool COleObject::GetDispId(const char* name, DISPID* id) const
{
    if (!m_dispatch || !name || !*name || !id)
        return false;
    std::wstring wide = Wide(name);
    LPOLESTR names[1] = {wide.data()};
    return m_dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, id) == S_OK;
}

bool COleObject::Invoke(const char* method, const char* text) const
{
    DISPID id = 0;
    if (!GetDispId(method, &id))
        return false;
    VARIANT argument;
    ::VariantInit(&argument);
    DISPPARAMS params = {};
    if (text && *text) {
        argument.vt = VT_BSTR;
        argument.bstrVal = ToBstr(text);
        params.rgvarg = &argument;
        params.cArgs = 1;
    }
    EXCEPINFO error = {};
    UINT badArgument = 0;
    const HRESULT hr = m_dispatch->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                                          &error, &badArgument);
    ::VariantClear(&argument);
    ::SysFreeString(error.bstrSource);
    ::SysFreeString(error.bstrDescription);
    ::SysFreeString(error.bstrHelpFile);
    return SUCCEEDED(hr);
}

bool COleObject::GetProperty(const char* name, VARTYPE type, VARIANT* value) const
{
    DISPID id = 0;
    if (!value || !GetDispId(name, &id))
        return false;
    DISPPARAMS none = {};
    VARIANT result;
    ::VariantInit(&result);
    if (FAILED(m_dispatch->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                                  nullptr)))
        return false;
    const HRESULT hr = ::VariantChangeType(value, &result, 0, type);
    ::VariantClear(&result);
    return SUCCEEDED(hr);
}

bool COleObject::GetStringProperty(const char* name, CString& value) const
{
    VARIANT v;
    ::VariantInit(&v);
    if (!GetProperty(name, VT_BSTR, &v))
        return false;
    value = FromBstr(v.bstrVal);
    ::VariantClear(&v);
    return true;
}

bool COleObject::GetObjectProperty(const char* name, COleObject& target) const
{
    VARIANT v;
    ::VariantInit(&v);
    if (!GetProperty(name, VT_DISPATCH, &v))
        return false;
    if (!v.pdispVal) {
        ::VariantClear(&v);
        return false;
    }
    target.Attach(v.pdispVal);     // the variant's reference is handed over
    return true;
}
