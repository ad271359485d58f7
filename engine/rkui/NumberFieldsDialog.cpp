#include "engine/rkui/NumberFieldsDialog.h"

#include "framework/Prompt.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace RkUI {

NumberFieldsDialog::NumberFieldsDialog(std::wstring title, std::vector<Field> fields, Check check)
    : TemplateDialog(nullptr), m_title(std::move(title)), m_fields(std::move(fields)), m_check(std::move(check))
{
}

std::vector<double> NumberFieldsDialog::Values() const
{
    std::vector<double> values;
    for (const Field& f : m_fields)
        values.push_back(f.value);
    return values;
}

std::string NumberFieldsDialog::Text(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

bool NumberFieldsDialog::Parse(const std::string& text, double& value)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    if (end == begin)
        return false;
    while (*end == ' ')
        ++end;
    if (*end != '\0' || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

void NumberFieldsDialog::Build(DialogTemplate& t) const
{
    const int n = static_cast<int>(m_fields.size());
    const auto height = static_cast<short>(14 + n * 20 + 24);
    t.Dialog(m_title.c_str(), 200, height, 2 * n + 2);
    for (int i = 0; i < n; ++i) {
        const auto y = static_cast<short>(9 + i * 20);
        t.Item(SS_LEFT, 7, static_cast<short>(y + 2), 110, 10, static_cast<WORD>(0xFFFF), DialogTemplate::kStatic,
               m_fields[static_cast<std::size_t>(i)].label.c_str());
        t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 120, y, 73, 13, static_cast<WORD>(kFirstEdit + i),
               DialogTemplate::kEdit, L"");
    }
    const auto y = static_cast<short>(height - 21);
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 86, y, 50, 14, IDOK, DialogTemplate::kButton, L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 143, y, 50, 14, IDCANCEL, DialogTemplate::kButton, L"Cancel");
}

BOOL NumberFieldsDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        ::SetDlgItemTextA(m_hWnd, kFirstEdit + static_cast<int>(i), Text(m_fields[i].value).c_str());
    return TRUE;
}

void NumberFieldsDialog::OnOK()
{
    std::vector<double> values;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        char text[128] = {};
        ::GetDlgItemTextA(m_hWnd, kFirstEdit + static_cast<int>(i), text, sizeof text);
        double value = 0.0;
        if (!Parse(text, value)) {
            AfxMessageBox("Please enter a number.", MB_OK | MB_ICONEXCLAMATION);
            ::SetFocus(::GetDlgItem(m_hWnd, kFirstEdit + static_cast<int>(i)));
            return;
        }
        values.push_back(value);
    }
    const std::string problem = m_check ? m_check(values) : std::string();
    if (!problem.empty()) {
        AfxMessageBox(problem.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i].value = values[i];
    CDialog::OnOK();
}

} // namespace RkUI
