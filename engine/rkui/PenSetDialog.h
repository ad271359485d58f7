// "Pen Set": the printing pens by colour number, each with the width it prints (mm) and the
// colour number it prints in, the switch that prints with them and the thinnest line. It edits
// a copy; OK puts the copy into the pen set (the caller keeps it in the registry).
#pragma once

#include "engine/rkui/PrintPenSet.h"
#include "engine/rkui/TemplateDialog.h"

#include <string>
#include <vector>

namespace RkUI {

class PenSetDialog final : public TemplateDialog
{
public:
    enum Control
    {
        kList = 100,
        kWidth = 110,
        kColor = 111,
        kSet = 112,
        kUsePens = 120,
        kMinWidth = 121,
        kDefaults = 130,
    };

    PenSetDialog(HWND owner, PrintPenSet& penSet);
    static const wchar_t* Title() { return L"Pen Set"; }
    // A pen's line: its number, its width in mm and the colour number it prints in.
    static std::string Line(const tagPENWIDTHS& pen);

protected:
    void Build(DialogTemplate& t) const override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void Fill(int select);
    void ShowPen(int pen);
    int Selected() const;
    // The width and colour fields into the selected pen; a message names what is wrong.
    bool SetSelectedPen();
    std::string Text(int id) const;

    PrintPenSet& m_penSet;
    std::vector<tagPENWIDTHS> m_pens;
};

} // namespace RkUI
