// Message boxes: every message box of the program (AfxMessageBox, and the window classes' own
// message boxes) goes through ShowPrompt, which asks the modal seam (ModalSeam.h) like every other
// modal; a test answers it from its CModalScript. The handler form is the older way, kept as an
// adapter over the seam.
// Index: PromptRequest, PromptHandler, SetPromptHandler, ShowPrompt, CPromptHandlerScope,
// AfxMessageBox.
#pragma once

#include "framework/CString.h"

#include <functional>

struct PromptRequest
{
    HWND hWndOwner;
    CString strText;
    CString strCaption;
    UINT nType;   // MB_ flags
    UINT nIDHelp; // help context, 0 for none
};

// Returns the button the user chose (IDOK, IDYES, ...), as MessageBox does.
using PromptHandler = std::function<int(const PromptRequest&)>;

// Installs a handler below every scope and script of the seam and returns the one it replaces;
// an empty handler removes it. Safe to call while other threads show prompts.
PromptHandler SetPromptHandler(PromptHandler handler);

int ShowPrompt(const PromptRequest& request);

// Answers message boxes for its lifetime, above the scopes and scripts made before it (tests).
class CPromptHandlerScope
{
public:
    explicit CPromptHandlerScope(PromptHandler handler);
    ~CPromptHandlerScope();
    CPromptHandlerScope(const CPromptHandlerScope&) = delete;
    CPromptHandlerScope& operator=(const CPromptHandlerScope&) = delete;

private:
    int m_layer = 0;
};

// The application's message box: caption the application name, owner the active window. When
// the type names no icon, OK boxes get the exclamation icon and yes/no boxes the question icon.
int AFXAPI AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The text is string nIDPrompt of the string table; the help context defaults to that id.
int AFXAPI AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));
