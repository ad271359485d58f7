// The modal seam: modal dialogs, property sheets, popup menus and common dialogs ask one
// replaceable handler for their answer when one is installed, so tests script them instead of
// blocking. Message boxes go through the prompt seam (Prompt.h) in the same way.
// Index: ModalKind, ModalRequest, ModalHandler, SetModalHandler, HasModalHandler, AnswerModal,
// CModalHandlerScope.
#pragma once

#include <windows.h>

#include <functional>

class CCommonDialog;
class CMenu;
class CWnd;

enum class ModalKind
{
    Dialog,        // a CDialog running modally: pWnd is the live dialog, after OnInitDialog
    PropertySheet, // a CPropertySheet running modally: pWnd is the live sheet
    PopupMenu,     // CMenu::TrackPopupMenu: pMenu is the popup, pWnd its owner
    CommonDialog,  // CFileDialog, CPrintDialog, CColorDialog: pCommonDialog, never shown
};

struct ModalRequest
{
    ModalKind kind;
    CWnd* pWnd;
    CMenu* pMenu;
    CCommonDialog* pCommonDialog;
    UINT nIDTemplate; // the dialog's template id, 0 when it has none
};

// The answer: IDOK, IDCANCEL or another end code for dialogs and sheets (IDOK runs OnOK, IDCANCEL
// OnCancel), the chosen command id or 0 for a popup menu, IDOK or IDCANCEL for common dialogs.
using ModalHandler = std::function<INT_PTR(const ModalRequest&)>;

// Installs a handler and returns the one it replaces; an empty handler restores the real UI.
ModalHandler SetModalHandler(ModalHandler handler);
bool HasModalHandler();
INT_PTR AnswerModal(const ModalRequest& request);

// Installs a handler for its lifetime and puts the previous one back at the end (for tests).
class CModalHandlerScope
{
public:
    explicit CModalHandlerScope(ModalHandler handler);
    ~CModalHandlerScope();
    CModalHandlerScope(const CModalHandlerScope&) = delete;
    CModalHandlerScope& operator=(const CModalHandlerScope&) = delete;

private:
    ModalHandler m_previous;
};
