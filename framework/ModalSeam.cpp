#include "framework/ModalSeam.h"

#include <mutex>
#include <utility>

namespace {

struct ModalState
{
    std::mutex lock;
    ModalHandler handler;
};

ModalState& State()
{
    static ModalState state;
    return state;
}

ModalHandler CurrentHandler()
{
    ModalState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.handler;
}

} // namespace

ModalHandler SetModalHandler(ModalHandler handler)
{
    ModalState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    std::swap(state.handler, handler);
    return handler;
}

bool HasModalHandler()
{
    return static_cast<bool>(CurrentHandler());
}

INT_PTR AnswerModal(const ModalRequest& request)
{
    // The handler runs outside the lock: it may itself open a modal window.
    const ModalHandler handler = CurrentHandler();
    return handler ? handler(request) : IDCANCEL;
}

CModalHandlerScope::CModalHandlerScope(ModalHandler handler)
    : m_previous(SetModalHandler(std::move(handler)))
{
}

CModalHandlerScope::~CModalHandlerScope()
{
    SetModalHandler(std::move(m_previous));
}
