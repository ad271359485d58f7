#include "engine/rkui/LayerManagerDialog.h"

#include "framework/WideText.h"

#include <utility>

namespace RkUI {

LayerManagerDialog::LayerManagerDialog(HWND owner, std::vector<CDrawing::LayerState> layers, ColorPicker picker)
    : TemplateDialog(owner), m_layers(std::move(layers)), m_picker(std::move(picker))
{
}

std::string LayerManagerDialog::Line(const CDrawing::LayerState& layer)
{
    return layer.name + "\t" + (layer.on ? "on" : "off") + "\t" + (layer.frozen ? "frozen" : "thawed") +
           "\t" + std::to_string(layer.color);
}

void LayerManagerDialog::Build(DialogTemplate& t) const
{
    using T = DialogTemplate;
    t.Dialog(L"Layers", 300, 170, 6);
    t.Item(LBS_NOTIFY | LBS_USETABSTOPS | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 7, 7, 226, 156, kList, T::kListBox, L"");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 240, 7, 53, 14, kOnOff, T::kButton, L"On/&Off");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 240, 25, 53, 14, kFreeze, T::kButton, L"&Freeze/Thaw");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 240, 43, 53, 14, kColor, T::kButton, L"&Colour...");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 240, 131, 53, 14, IDOK, T::kButton, L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 240, 149, 53, 14, IDCANCEL, T::kButton, L"Cancel");
}

BOOL LayerManagerDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    const int stops[] = {100, 130, 165};
    SendDlgItemMessage(kList, LB_SETTABSTOPS, 3, reinterpret_cast<LPARAM>(stops));
    Fill(0);
    return TRUE;
}

void LayerManagerDialog::Fill(int select)
{
    SendDlgItemMessage(kList, LB_RESETCONTENT);
    for (const CDrawing::LayerState& layer : m_layers) {
        // Layer names are UTF-8 from the drawing: wide, so other scripts show whatever the
        // system's code page.
        const std::wstring line = orvo::WideText(Line(layer).c_str());
        ::SendDlgItemMessageW(m_hWnd, kList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    SendDlgItemMessage(kList, LB_SETCURSEL, static_cast<WPARAM>(select));
}

int LayerManagerDialog::Selected() const
{
    const auto index = static_cast<int>(SendDlgItemMessage(kList, LB_GETCURSEL));
    return index >= 0 && index < static_cast<int>(m_layers.size()) ? index : -1;
}

BOOL LayerManagerDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const int selected = Selected();
    if ((id != kOnOff && id != kFreeze && id != kColor) || selected < 0)
        return CDialog::OnCommand(wParam, lParam);
    CDrawing::LayerState& layer = m_layers[static_cast<std::size_t>(selected)];
    if (id == kOnOff) {
        layer.on = !layer.on;
    } else if (id == kFreeze) {
        layer.frozen = !layer.frozen;
    } else {
        const short chosen = m_picker ? m_picker(layer.color) : layer.color;
        if (chosen < 1 || chosen > 255 || chosen == layer.color)
            return TRUE;
        layer.color = chosen;
    }
    m_changed = true;
    Fill(selected);
    return TRUE;
}

} // namespace RkUI
