// The drawing library's save dialog: the system's save dialog over a filter of kinds, where
// choosing another kind asks the caller's callback for the name with that kind's extension and
// puts it in the name box. Answerable through the modal seam like every common dialog.
#pragma once

#include "framework/CommonDialogs.h"

#include <functional>

namespace RkUI {

// Given the kind's index (from 1) and the name as typed, the name to show.
using SaveTypeCallback = std::function<CString(int index, const CString& name)>;

class DwgSaveDialog final : public CFileDialog
{
public:
    DwgSaveDialog(const char* initialName, const char* filter, CWnd* owner, SaveTypeCallback callback,
                  int initialIndex);
    // The kind chosen (from 1); the initial one when the dialog reported none.
    int ChosenIndex() const;
    // What a change of kind puts in the name box (the callback's answer).
    CString NameForType(int index, const CString& name) const;

private:
    static UINT_PTR CALLBACK HookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void OnTypeChange(HWND dialog, int index) const;

    SaveTypeCallback m_callback;
    int m_initialIndex;
};

} // namespace RkUI
