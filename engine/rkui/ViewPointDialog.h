// "Select View Point": the ten standard view points of a drawing (Front .. NW isometric) in a
// list; OK sets the chosen one on the drawing.
#pragma once

#include "engine/rkui/TemplateDialog.h"

namespace RkUI {

class ViewPointDialog final : public TemplateDialog
{
public:
    enum Control { kList = 100 };
    static constexpr int kCount = 10;

    explicit ViewPointDialog(int initial) : TemplateDialog(nullptr), m_choice(initial) {}
    // The chosen view point (0 Front .. 9 NW); the initial one until OK.
    int Choice() const { return m_choice; }
    static const char* Name(int viewPoint);

protected:
    void Build(DialogTemplate& t) const override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    int m_choice;
};

} // namespace RkUI
