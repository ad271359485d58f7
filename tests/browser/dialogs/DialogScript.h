// Scripts for the browser dialog tests: each modal dialog is answered by a function that acts on
// the live dialog (types, clicks) and returns the button the user presses; every message box is
// recorded and answered with a fixed button.
#pragma once

#include "framework/CWnd.h"
#include "framework/ModalSeam.h"
#include "framework/Prompt.h"

#include <functional>
#include <string>
#include <vector>

namespace orvo::test {

class DialogScript
{
public:
    using Step = std::function<INT_PTR(HWND dialog)>;

    explicit DialogScript(std::vector<Step> steps, int promptAnswer = IDOK)
        : m_steps(std::move(steps)), m_promptAnswer(promptAnswer),
          m_modal([this](const ModalRequest& r) { return Answer(r); }),
          m_prompts([this](const PromptRequest& r) { return Prompted(r); })
    {
    }

    const std::vector<std::string>& Prompts() const { return m_texts; }
    int Shown() const { return m_shown; }
    void SetPromptAnswer(int answer) { m_promptAnswer = answer; }

private:
    INT_PTR Answer(const ModalRequest& request)
    {
        const size_t at = static_cast<size_t>(m_shown++);
        if (at >= m_steps.size() || !request.pWnd)
            return IDCANCEL;
        return m_steps[at](request.pWnd->GetSafeHwnd());
    }
    int Prompted(const PromptRequest& request)
    {
        m_texts.emplace_back(static_cast<const char*>(request.strText));
        return m_promptAnswer;
    }

    std::vector<Step> m_steps;
    int m_promptAnswer;
    int m_shown = 0;
    std::vector<std::string> m_texts;
    CModalHandlerScope m_modal;
    CPromptHandlerScope m_prompts;
};

// A click on a button as the button reports it to its dialog.
inline void ClickButton(HWND dialog, int id)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

inline std::string ControlText(HWND dialog, int id)
{
    char text[1024] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

inline bool IsControlEnabled(HWND dialog, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}

} // namespace orvo::test
