#include "browser/preview/DrawingPassword.h"

#include "browser/preview/CPassWordDlg.h"

#include <vector>

namespace {

// Only the user-interface thread asks for passwords.
std::vector<CString>& Remembered()
{
    static std::vector<CString> passwords;
    return passwords;
}

} // namespace

bool GetDrawingPassword(const char* fileName, CString* password, int* index)
{
    if (!password || !index)
        return false;
    std::vector<CString>& remembered = Remembered();
    const int count = static_cast<int>(remembered.size());
    // An index out of range (a hostile or stale one) starts from the first remembered password.
    const int next = (*index < -1 || *index >= count) ? 0 : *index + 1;
    if (next < count) {
        *index = next;
        *password = remembered[static_cast<size_t>(next)];
        return true;
    }
    CPassWordDlg dialog;
    dialog.m_prompt = fileName ? fileName : "";
    if (dialog.DoModal() != IDOK)
        return false;
    *password = dialog.m_password;
    remembered.push_back(dialog.m_password);
    *index = -1;
    return true;
}

void ForgetDrawingPasswords()
{
    Remembered().clear();
}

int GetRememberedPasswordCount()
{
    return static_cast<int>(Remembered().size());
}
