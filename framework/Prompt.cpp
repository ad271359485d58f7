#include "framework/Prompt.h"

#include "framework/AfxGlobals.h"

#include <mutex>
#include <utility>

namespace {

struct PromptState
{
    std::mutex lock;
    PromptHandler handler;
};

PromptState& State()
{
    static PromptState state;
    return state;
}

int ShowMessageBox(const PromptRequest& request)
{
    return MessageBoxA(request.hWndOwner, request.strText, request.strCaption, request.nType);
}

UINT WithDefaultIcon(UINT nType)
{
    if ((nType & MB_ICONMASK) != 0)
        return nType;
    switch (nType & MB_TYPEMASK) {
    case MB_OK:
    case MB_OKCANCEL:
        return nType | MB_ICONEXCLAMATION;
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return nType | MB_ICONQUESTION;
    default:
        return nType;
    }
}

} // namespace

PromptHandler SetPromptHandler(PromptHandler handler)
{
    PromptState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    std::swap(state.handler, handler);
    return handler;
}

int ShowPrompt(const PromptRequest& request)
{
    PromptHandler handler;
    {
        // The handler runs outside the lock: a prompt may be modal for a long time.
        PromptState& state = State();
        std::lock_guard<std::mutex> guard(state.lock);
        handler = state.handler;
    }
    return handler ? handler(request) : ShowMessageBox(request);
}

CPromptHandlerScope::CPromptHandlerScope(PromptHandler handler)
    : m_previous(SetPromptHandler(std::move(handler)))
{
}

CPromptHandlerScope::~CPromptHandlerScope()
{
    SetPromptHandler(std::move(m_previous));
}

int AFXAPI AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT nIDHelp)
{
    const PromptRequest request = {GetActiveWindow(), lpszText, AfxGetAppName(),
                                   WithDefaultIcon(nType), nIDHelp};
    return ShowPrompt(request);
}

int AFXAPI AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString text;
    text.LoadString(nIDPrompt);
    if (nIDHelp == static_cast<UINT>(-1))
        nIDHelp = nIDPrompt;
    return AfxMessageBox(text, nType, nIDHelp);
}
