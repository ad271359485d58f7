// The modal seam: every modal thing of the program (message boxes, its own dialogs and property
// sheets, popup menus, the common dialogs, the engine's dialogs and pickers, the shell's folder
// dialog) asks AskModal before it shows itself or, for a dialog or sheet, once it is up. A test
// answers them all from one CModalScript; a test that meets a modal nobody answers fails at once
// with the modal's name (the reporter the test support installs), and the modal gets its cancelling
// answer instead of blocking. The program installs nothing: the real UI shows.
// Index: ModalKind, ModalRequest, AskModal, IsModalAnswered, CancelAnswer, ModalName, ModalText,
// SetUnscriptedModalReporter, ModalStep, CModalScript; the older handler form kept as an adapter:
// ModalHandler, SetModalHandler, HasModalHandler, AnswerModal, CModalHandlerScope (message boxes:
// CPromptHandlerScope in Prompt.h).
#pragma once

#include "framework/CString.h"

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <vector>

class CCommonDialog;
class CMenu;
class CWnd;
struct PromptRequest;

enum class ModalKind
{
    Dialog,        // a CDialog running modally: pWnd is the live dialog, after OnInitDialog
    PropertySheet, // a CPropertySheet running modally: pWnd is the live sheet
    PopupMenu,     // CMenu::TrackPopupMenu: pMenu is the popup, pWnd its owner
    CommonDialog,  // CFileDialog, CPrintDialog, CColorDialog: pCommonDialog, never shown
    MessageBox,    // AfxMessageBox, CWnd::MessageBox: pPrompt
    FolderPicker,  // the shell's folder dialog (AfxBrowseForFolder): pBrowseInfo, never shown
};

struct ModalRequest
{
    ModalKind kind = ModalKind::Dialog;
    CWnd* pWnd = nullptr;
    CMenu* pMenu = nullptr;
    CCommonDialog* pCommonDialog = nullptr;
    UINT nIDTemplate = 0; // the dialog's template id, 0 when it has none
    const PromptRequest* pPrompt = nullptr;
    const BROWSEINFOA* pBrowseInfo = nullptr;
    CString* pChosenPath = nullptr; // a folder picker's answer: the folder chosen
};

// The answer: IDOK, IDCANCEL or another end code for dialogs and sheets (IDOK runs OnOK, IDCANCEL
// OnCancel), the chosen command id or 0 for a popup menu, IDOK or IDCANCEL for common dialogs and
// the folder picker, the button for a message box.
// True with the answer when a script, a handler or (in a test) the unscripted-modal reporter
// answered; false when nothing did: the caller shows the real thing.
bool AskModal(const ModalRequest& request, INT_PTR& answer);
// Whether a request of this kind would be answered now. A dialog or sheet asks this before it is
// shown, so that it asks for its answer once it is up.
bool IsModalAnswered(ModalKind kind);
// What the user's Esc would give: IDCANCEL, 0 for a menu, the box's own cancel for a message box.
INT_PTR CancelAnswer(const ModalRequest& request);
// The modal's own text: a message box's text, a dialog's or sheet's title, a menu's item texts
// (", " between them), a common dialog's class name, the folder picker's title.
CString ModalText(const ModalRequest& request);
// The kind and text, as failures name the modal: message box "Delete it?".
CString ModalName(const ModalRequest& request);

// Told of a modal that nothing answers, or one a script did not expect; the modal then gets its
// cancelling answer. The test support installs one (a failed test); the program none (real UI).
using UnscriptedModalReporter = void (*)(const CString& message);
UnscriptedModalReporter SetUnscriptedModalReporter(UnscriptedModalReporter reporter);

// Runs with the live modal before the scripted answer ends it: looks at or changes its controls.
using ModalAction = std::function<void(const ModalRequest&)>;

// One expected modal: its kind, what its text must contain (or its dialog template) and the answer.
struct ModalStep
{
    ModalStep(ModalKind kind, const char* match, INT_PTR answer, ModalAction action = {});
    ModalStep(ModalKind kind, UINT nIDTemplate, INT_PTR answer, ModalAction action = {});
    // A file dialog's path or the folder picker's folder, given with the answer.
    ModalStep& Choosing(const char* path);
    // A colour dialog's colour, given with the answer.
    ModalStep& ChoosingColor(COLORREF color);

    bool Matches(const ModalRequest& request) const;
    void Apply(const ModalRequest& request) const;
    CString Describe() const;

    ModalKind kind;
    CString match;
    UINT nIDTemplate = 0;
    INT_PTR answer;
    ModalAction action;
    CString path;
    bool hasColor = false;
    COLORREF color = 0;
};

// Answers every modal in order from its list while it lives; a modal that is not the next one
// expected, or comes when the list is used up, is reported with its name and cancelled. Steps
// never met are reported when the script ends.
class CModalScript
{
public:
    CModalScript(std::initializer_list<ModalStep> steps);
    explicit CModalScript(std::vector<ModalStep> steps);
    ~CModalScript();
    CModalScript(const CModalScript&) = delete;
    CModalScript& operator=(const CModalScript&) = delete;

    void Add(ModalStep step);
    // Steps not met yet.
    size_t Remaining() const;

private:
    struct Steps;
    std::shared_ptr<Steps> m_steps;
    int m_layer = 0;
};

// The older handler form: one function for dialogs, sheets, popup menus and common dialogs
// (message boxes have their own, PromptHandler). Kept for the tests written against it.
using ModalHandler = std::function<INT_PTR(const ModalRequest&)>;

// Installs a handler below every scope and script and returns the one it replaces; an empty
// handler removes it.
ModalHandler SetModalHandler(ModalHandler handler);
bool HasModalHandler();
// AskModal's answer, or the cancelling answer when nothing answered.
INT_PTR AnswerModal(const ModalRequest& request);

// Installs a handler for its lifetime, above the scopes and scripts made before it.
class CModalHandlerScope
{
public:
    explicit CModalHandlerScope(ModalHandler handler);
    ~CModalHandlerScope();
    CModalHandlerScope(const CModalHandlerScope&) = delete;
    CModalHandlerScope& operator=(const CModalHandlerScope&) = delete;

private:
    int m_layer = 0;
};

namespace ModalSeam {

// The seam's answerers, for the adapters (Prompt.h). A layer answers the kinds of its mask
// (KindBit); the newest layer that takes a kind answers it, then the two handler slots do.
using Answerer = std::function<INT_PTR(const ModalRequest&)>;
constexpr unsigned KindBit(ModalKind kind)
{
    return 1u << static_cast<unsigned>(kind);
}
int PushLayer(unsigned kinds, Answerer answerer);
void RemoveLayer(int layer);
enum class Slot
{
    Modal,
    Prompt
};
// Fills (or with an empty answerer, empties) a slot.
void SetSlot(Slot slot, unsigned kinds, Answerer answerer);

} // namespace ModalSeam
