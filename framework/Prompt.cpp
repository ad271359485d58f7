#include "framework/Prompt.h"

#include "framework/AfxGlobals.h"
#include "framework/ModalSeam.h"

#include <mutex>
#include <utility>

namespace {

struct PromptSlot
{
    std::mutex lock;
    PromptHandler handler;
};

PromptSlot& Slot()
{
    static PromptSlot slot;
    return slot;
}

ModalSeam::Answerer AnswererOf(PromptHandler handler)
{
    if (!handler)
        return {};
    return [handler](const ModalRequest& request) -> INT_PTR {
        return request.pPrompt != nullptr ? handler(*request.pPrompt) : CancelAnswer(request);
    };
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
    PromptSlot& slot = Slot();
    const std::lock_guard<std::mutex> guard(slot.lock);
    ModalSeam::SetSlot(ModalSeam::Slot::Prompt, ModalSeam::KindBit(ModalKind::MessageBox), AnswererOf(handler));
    std::swap(slot.handler, handler);
    return handler;
}

int ShowPrompt(const PromptRequest& request)
{
    ModalRequest modal;
    modal.kind = ModalKind::MessageBox;
    modal.pPrompt = &request;
    INT_PTR answer = 0;
    if (AskModal(modal, answer))
        return static_cast<int>(answer);
    return ShowMessageBox(request);
}

CPromptHandlerScope::CPromptHandlerScope(PromptHandler handler)
{
    // The kinds are read before the handler moves into its answerer.
    const unsigned kinds = handler ? ModalSeam::KindBit(ModalKind::MessageBox) : 0u;
    m_layer = ModalSeam::PushLayer(kinds, AnswererOf(std::move(handler)));
}

CPromptHandlerScope::~CPromptHandlerScope()
{
    ModalSeam::RemoveLayer(m_layer);
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
