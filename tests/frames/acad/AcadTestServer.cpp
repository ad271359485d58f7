// A small automation server that stands in for a running AutoCAD: an application object with
// "ActiveDocument", a document with "FullName", "Name" and "SendCommand". It registers itself
// in the running object table, records every command it is sent, and ends when the test sets
// its quit event (or after a minute, so a failed test never leaves it behind).
#include "tests/frames/acad/AcadTestServer.h"

#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

const DWORD kLifetimeMs = 60000;

enum : DISPID { kActiveDocument = 1, kFullName = 2, kName = 3, kSendCommand = 4 };

struct Options
{
    std::string record;
    std::wstring document;
    bool failZoom = false;
    bool noDocument = false;
    int failCommand = 0;
};

Options g_options;
int g_commands = 0;

std::string Narrow(const wchar_t* text, UINT length)
{
    std::string out;
    for (UINT i = 0; i < length; ++i)
        out += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
    return out;
}

void Record(const std::string& line)
{
    FILE* file = std::fopen(g_options.record.c_str(), "ab");
    if (!file)
        return;
    std::fputs(line.c_str(), file);
    std::fputc('\n', file);
    std::fclose(file);
}

std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

HRESULT Raise(EXCEPINFO* error, const wchar_t* text)
{
    if (error) {
        std::memset(error, 0, sizeof *error);
        error->scode = E_FAIL;
        error->bstrDescription = ::SysAllocString(text);
    }
    return DISP_E_EXCEPTION;
}

class AutomationObject final : public IDispatch
{
public:
    explicit AutomationObject(bool document) : m_document(document) {}
    virtual ~AutomationObject() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&m_refs);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        static const struct
        {
            const wchar_t* name;
            DISPID id;
            bool document;
        } table[] = {{L"ActiveDocument", kActiveDocument, false},
                     {L"FullName", kFullName, true},
                     {L"Name", kName, true},
                     {L"SendCommand", kSendCommand, true}};
        if (count != 1)
            return DISP_E_UNKNOWNNAME;
        for (const auto& entry : table) {
            if (entry.document == m_document && _wcsicmp(names[0], entry.name) == 0) {
                ids[0] = entry.id;
                return S_OK;
            }
        }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* error, UINT*) override
    {
        switch (id) {
        case kActiveDocument:
            if (g_options.noDocument)
                return Raise(error, L"no document");
            if (!result)
                return E_INVALIDARG;
            result->vt = VT_DISPATCH;
            result->pdispVal = new AutomationObject(true);
            return S_OK;
        case kFullName:
        case kName:
            if (!result)
                return E_INVALIDARG;
            result->vt = VT_BSTR;
            result->bstrVal = ::SysAllocString(id == kFullName ? g_options.document.c_str() : L"");
            return S_OK;
        case kSendCommand:
            return SendCommand(params, error);
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    static HRESULT SendCommand(DISPPARAMS* params, EXCEPINFO* error)
    {
        ++g_commands;
        if (!params || params->cArgs != 1 || params->rgvarg[0].vt != VT_BSTR) {
            Record("SendCommand without one text");
            return DISP_E_BADPARAMCOUNT;
        }
        const BSTR text = params->rgvarg[0].bstrVal;
        const std::string command = Narrow(text, ::SysStringLen(text));
        Record(Escaped(command));
        if (g_options.failCommand == g_commands)
            return Raise(error, L"command refused");
        if (g_options.failZoom && command.rfind("_zoom", 0) == 0)
            return Raise(error, L"zoom refused");
        return S_OK;
    }

    LONG m_refs = 1;
    bool m_document;
};

std::wstring Wide(const char* text)
{
    std::wstring out;
    for (const char* p = text; *p; ++p)
        out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5)
        return 2;
    g_options.record = argv[1];
    g_options.document = Wide(argv[4]);
    for (int i = 5; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fail-zoom") == 0)
            g_options.failZoom = true;
        else if (std::strcmp(argv[i], "--no-document") == 0)
            g_options.noDocument = true;
        else if (std::strncmp(argv[i], "--fail-command=", 15) == 0)
            g_options.failCommand = std::atoi(argv[i] + 15);
    }
    const HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    const HANDLE quit = ::OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
    if (!ready || !quit || FAILED(::CoInitialize(nullptr)))
        return 3;
    AutomationObject* application = new AutomationObject(false);
    DWORD cookie = 0;
    if (FAILED(::RegisterActiveObject(application, kAcadTestServerClsid, ACTIVEOBJECT_STRONG, &cookie)))
        return 4;
    ::SetEvent(ready);
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= kLifetimeMs)
            break;
        const DWORD wait = ::MsgWaitForMultipleObjects(1, &quit, FALSE, kLifetimeMs - elapsed, QS_ALLINPUT);
        if (wait != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    ::RevokeActiveObject(cookie, nullptr);
    application->Release();
    ::CoUninitialize();
    return 0;
}
