#include "framework/ModalSeam.h"

#include "framework/CMenu.h"
#include "framework/CommonDialogs.h"
#include "framework/Prompt.h"

#include <algorithm>
#include <utility>

using ModalSeam::Answerer;
using ModalSeam::KindBit;

namespace {

const unsigned kAllKinds = ~0u;
// A popup menu's name lists at most this many of its items.
const int kNamedMenuItems = 12;

struct Layer
{
    int id;
    unsigned kinds;
    std::shared_ptr<const Answerer> answerer;
};

struct SeamState
{
    std::mutex lock;
    std::vector<Layer> layers; // oldest first
    Layer slots[2] = {{0, 0, nullptr}, {0, 0, nullptr}};
    int nextId = 1;
    UnscriptedModalReporter reporter = nullptr;
};

SeamState& State()
{
    static SeamState state;
    return state;
}

// The answerer for a kind, newest layer first, then the slots; null when none takes it. Copied
// under the lock and called outside it: an answer may itself open a modal.
std::shared_ptr<const Answerer> FindAnswerer(ModalKind kind, UnscriptedModalReporter* reporter)
{
    SeamState& state = State();
    const std::lock_guard<std::mutex> guard(state.lock);
    *reporter = state.reporter;
    const unsigned bit = KindBit(kind);
    for (auto layer = state.layers.rbegin(); layer != state.layers.rend(); ++layer) {
        if (layer->kinds & bit)
            return layer->answerer;
    }
    for (const Layer& slot : state.slots) {
        if ((slot.kinds & bit) && slot.answerer)
            return slot.answerer;
    }
    return nullptr;
}

UnscriptedModalReporter CurrentReporter()
{
    SeamState& state = State();
    const std::lock_guard<std::mutex> guard(state.lock);
    return state.reporter;
}

void Report(const CString& message)
{
    if (const UnscriptedModalReporter reporter = CurrentReporter())
        reporter(message);
}

CString WindowTitle(HWND hWnd)
{
    CString title;
    if (hWnd == nullptr || !::IsWindow(hWnd))
        return title;
    const int length = ::GetWindowTextLengthA(hWnd);
    if (length > 0) {
        const int copied = ::GetWindowTextA(hWnd, title.GetBuffer(length + 1), length + 1);
        title.ReleaseBuffer(copied);
    }
    return title;
}

CString MenuItemTexts(HMENU hMenu)
{
    CString texts;
    const int count = hMenu != nullptr ? ::GetMenuItemCount(hMenu) : 0;
    for (int position = 0; position < count && position < kNamedMenuItems; ++position) {
        char text[128] = {};
        if (::GetMenuStringA(hMenu, static_cast<UINT>(position), text, sizeof(text), MF_BYPOSITION) <= 0)
            continue;
        if (!texts.IsEmpty())
            texts += ", ";
        texts += text;
    }
    return texts;
}

const char* KindName(ModalKind kind)
{
    switch (kind) {
    case ModalKind::Dialog: return "dialog";
    case ModalKind::PropertySheet: return "property sheet";
    case ModalKind::PopupMenu: return "popup menu";
    case ModalKind::CommonDialog: return "common dialog";
    case ModalKind::MessageBox: return "message box";
    case ModalKind::FolderPicker: return "folder picker";
    }
    return "modal";
}

CString Quoted(const CString& text)
{
    return "\"" + text + "\"";
}

} // namespace

bool AskModal(const ModalRequest& request, INT_PTR& answer)
{
    UnscriptedModalReporter reporter = nullptr;
    const std::shared_ptr<const Answerer> answerer = FindAnswerer(request.kind, &reporter);
    if (answerer) {
        answer = (*answerer)(request);
        return true;
    }
    if (reporter == nullptr)
        return false;
    // A test that meets a modal nobody answers fails here instead of waiting for a user.
    reporter("unscripted " + ModalName(request));
    answer = CancelAnswer(request);
    return true;
}

bool IsModalAnswered(ModalKind kind)
{
    UnscriptedModalReporter reporter = nullptr;
    return FindAnswerer(kind, &reporter) != nullptr || reporter != nullptr;
}

INT_PTR CancelAnswer(const ModalRequest& request)
{
    switch (request.kind) {
    case ModalKind::PopupMenu: return 0;
    case ModalKind::MessageBox: {
        const UINT buttons = request.pPrompt != nullptr ? (request.pPrompt->nType & MB_TYPEMASK) : MB_OKCANCEL;
        if (buttons == MB_OK)
            return IDOK;
        if (buttons == MB_YESNO)
            return IDNO;
        if (buttons == MB_ABORTRETRYIGNORE)
            return IDABORT;
        return IDCANCEL;
    }
    default: return IDCANCEL;
    }
}

CString ModalText(const ModalRequest& request)
{
    switch (request.kind) {
    case ModalKind::MessageBox: return request.pPrompt != nullptr ? request.pPrompt->strText : CString();
    case ModalKind::Dialog:
    case ModalKind::PropertySheet: return WindowTitle(request.pWnd != nullptr ? request.pWnd->m_hWnd : nullptr);
    case ModalKind::PopupMenu: return MenuItemTexts(request.pMenu != nullptr ? request.pMenu->m_hMenu : nullptr);
    case ModalKind::CommonDialog:
        return request.pCommonDialog != nullptr ? request.pCommonDialog->GetRuntimeClass()->m_lpszClassName : "";
    case ModalKind::FolderPicker:
        return request.pBrowseInfo != nullptr && request.pBrowseInfo->lpszTitle != nullptr
                   ? CString(request.pBrowseInfo->lpszTitle)
                   : CString();
    }
    return CString();
}

CString ModalName(const ModalRequest& request)
{
    CString name = CString(KindName(request.kind)) + " " + Quoted(ModalText(request));
    if (request.nIDTemplate != 0) {
        CString id;
        id.Format(" (template %u)", request.nIDTemplate);
        name += id;
    }
    return name;
}

UnscriptedModalReporter SetUnscriptedModalReporter(UnscriptedModalReporter reporter)
{
    SeamState& state = State();
    const std::lock_guard<std::mutex> guard(state.lock);
    std::swap(state.reporter, reporter);
    return reporter;
}

namespace ModalSeam {

int PushLayer(unsigned kinds, Answerer answerer)
{
    SeamState& state = State();
    const std::lock_guard<std::mutex> guard(state.lock);
    const int id = state.nextId++;
    state.layers.push_back({id, kinds, std::make_shared<const Answerer>(std::move(answerer))});
    return id;
}

void RemoveLayer(int layer)
{
    SeamState& state = State();
    const std::lock_guard<std::mutex> guard(state.lock);
    // By id, not from the top: a scope that ends out of order takes only its own layer.
    state.layers.erase(std::remove_if(state.layers.begin(), state.layers.end(),
                                      [layer](const Layer& l) { return l.id == layer; }),
                       state.layers.end());
}

void SetSlot(Slot slot, unsigned kinds, Answerer answerer)
{
    SeamState& state = State();
    const std::lock_guard<std::mutex> guard(state.lock);
    Layer& target = state.slots[static_cast<int>(slot)];
    target.kinds = answerer ? kinds : 0;
    target.answerer = answerer ? std::make_shared<const Answerer>(std::move(answerer)) : nullptr;
}

} // namespace ModalSeam

// ---- the scripted answer list ----

ModalStep::ModalStep(ModalKind kind_, const char* match_, INT_PTR answer_, ModalAction action_)
    : kind(kind_), match(match_ != nullptr ? match_ : ""), answer(answer_), action(std::move(action_))
{
}

ModalStep::ModalStep(ModalKind kind_, UINT nIDTemplate_, INT_PTR answer_, ModalAction action_)
    : kind(kind_), nIDTemplate(nIDTemplate_), answer(answer_), action(std::move(action_))
{
}

ModalStep& ModalStep::Choosing(const char* chosen)
{
    path = chosen != nullptr ? chosen : "";
    return *this;
}

ModalStep& ModalStep::ChoosingColor(COLORREF chosen)
{
    hasColor = true;
    color = chosen;
    return *this;
}

bool ModalStep::Matches(const ModalRequest& request) const
{
    if (request.kind != kind)
        return false;
    if (nIDTemplate != 0 && request.nIDTemplate != nIDTemplate)
        return false;
    return match.IsEmpty() || ModalText(request).Find(match) >= 0;
}

void ModalStep::Apply(const ModalRequest& request) const
{
    if (action)
        action(request);
    if (!path.IsEmpty() && request.pChosenPath != nullptr)
        *request.pChosenPath = path;
    if (!path.IsEmpty())
        if (auto* pFile = dynamic_cast<CFileDialog*>(request.pCommonDialog))
            pFile->SetPathName(path);
    if (hasColor)
        if (auto* pColor = dynamic_cast<CColorDialog*>(request.pCommonDialog))
            pColor->SetCurrentColor(color);
}

CString ModalStep::Describe() const
{
    CString text = CString(KindName(kind)) + " " + Quoted(match);
    if (nIDTemplate != 0) {
        CString id;
        id.Format(" (template %u)", nIDTemplate);
        text += id;
    }
    return text;
}

struct CModalScript::Steps
{
    mutable std::mutex lock;
    std::vector<ModalStep> steps;
    size_t next = 0;

    INT_PTR Answer(const ModalRequest& request)
    {
        ModalStep step(ModalKind::Dialog, "", 0);
        {
            const std::lock_guard<std::mutex> guard(lock);
            if (next >= steps.size()) {
                Report("unscripted " + ModalName(request) + " after the script's last step");
                return CancelAnswer(request);
            }
            step = steps[next++];
        }
        if (!step.Matches(request)) {
            Report("the script expected " + step.Describe() + " but met " + ModalName(request));
            return CancelAnswer(request);
        }
        step.Apply(request);
        return step.answer;
    }
};

CModalScript::CModalScript(std::initializer_list<ModalStep> steps)
    : CModalScript(std::vector<ModalStep>(steps))
{
}

CModalScript::CModalScript(std::vector<ModalStep> steps) : m_steps(std::make_shared<Steps>())
{
    m_steps->steps = std::move(steps);
    const std::shared_ptr<Steps> shared = m_steps;
    m_layer = ModalSeam::PushLayer(kAllKinds, [shared](const ModalRequest& request) { return shared->Answer(request); });
}

CModalScript::~CModalScript()
{
    ModalSeam::RemoveLayer(m_layer);
    const std::lock_guard<std::mutex> guard(m_steps->lock);
    for (size_t i = m_steps->next; i < m_steps->steps.size(); ++i)
        Report("the script's " + m_steps->steps[i].Describe() + " was never met");
}

void CModalScript::Add(ModalStep step)
{
    const std::lock_guard<std::mutex> guard(m_steps->lock);
    m_steps->steps.push_back(std::move(step));
}

size_t CModalScript::Remaining() const
{
    const std::lock_guard<std::mutex> guard(m_steps->lock);
    return m_steps->steps.size() - m_steps->next;
}

// ---- the older handler form ----

namespace {

const unsigned kHandlerKinds = KindBit(ModalKind::Dialog) | KindBit(ModalKind::PropertySheet) |
                               KindBit(ModalKind::PopupMenu) | KindBit(ModalKind::CommonDialog);

struct HandlerSlot
{
    std::mutex lock;
    ModalHandler handler;
};

HandlerSlot& Slot()
{
    static HandlerSlot slot;
    return slot;
}

} // namespace

ModalHandler SetModalHandler(ModalHandler handler)
{
    HandlerSlot& slot = Slot();
    const std::lock_guard<std::mutex> guard(slot.lock);
    ModalSeam::SetSlot(ModalSeam::Slot::Modal, kHandlerKinds, handler ? Answerer(handler) : Answerer());
    std::swap(slot.handler, handler);
    return handler;
}

bool HasModalHandler()
{
    return IsModalAnswered(ModalKind::Dialog);
}

INT_PTR AnswerModal(const ModalRequest& request)
{
    INT_PTR answer = 0;
    return AskModal(request, answer) ? answer : CancelAnswer(request);
}

CModalHandlerScope::CModalHandlerScope(ModalHandler handler)
{
    // The kinds are read before the handler moves into its answerer.
    const unsigned kinds = handler ? kHandlerKinds : 0u;
    m_layer = ModalSeam::PushLayer(kinds, Answerer(std::move(handler)));
}

CModalHandlerScope::~CModalHandlerScope()
{
    ModalSeam::RemoveLayer(m_layer);
}
