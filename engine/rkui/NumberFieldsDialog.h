// A small dialog of labelled number fields with OK and Cancel: the point style and the view
// rotation are asked with it. OK reads every field; a field that is not a number, or values the
// check refuses, are named in a message (through the prompt seam) and the dialog stays up.
#pragma once

#include "engine/rkui/TemplateDialog.h"

#include <functional>
#include <string>
#include <vector>

namespace RkUI {

class NumberFieldsDialog final : public TemplateDialog
{
public:
    struct Field
    {
        std::wstring label;
        double value = 0.0;
    };
    // Answers "" when the values may be taken, else the message that says what is wrong.
    using Check = std::function<std::string(const std::vector<double>& values)>;
    static constexpr int kFirstEdit = 200;

    NumberFieldsDialog(std::wstring title, std::vector<Field> fields, Check check);
    // The values as they stand: as given before OK, as typed after it.
    std::vector<double> Values() const;
    const std::wstring& Title() const { return m_title; }
    // The text a value is shown with (up to 10 significant digits, no trailing zeros).
    static std::string Text(double value);
    // A typed number; false when the text is not one whole finite number.
    static bool Parse(const std::string& text, double& value);

protected:
    void Build(DialogTemplate& t) const override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    std::wstring m_title;
    std::vector<Field> m_fields;
    Check m_check;
};

} // namespace RkUI
