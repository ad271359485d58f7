// The layer manager ("Layers"): every layer of the drawing with its state (on or off, frozen,
// colour). On/Off, Freeze/Thaw and Colour change the selected layer; OK applies the changes to
// the drawing, Cancel leaves it as it was.
#pragma once

#include "engine/rkio/CDrawing.h"
#include "engine/rkui/TemplateDialog.h"

#include <functional>
#include <vector>

namespace RkUI {

class LayerManagerDialog final : public TemplateDialog
{
public:
    enum Control { kList = 100, kOnOff = 101, kFreeze = 102, kColor = 103 };
    // Asks for a colour index from a start index (the same index when cancelled).
    using ColorPicker = std::function<short(short start)>;

    LayerManagerDialog(HWND owner, std::vector<CDrawing::LayerState> layers, ColorPicker picker);
    const std::vector<CDrawing::LayerState>& Layers() const { return m_layers; }
    bool Changed() const { return m_changed; }
    // One line of the list: "name  on|off  frozen|thawed  colour".
    static std::string Line(const CDrawing::LayerState& layer);
    static const char* Title() { return "Layers"; }

protected:
    void Build(DialogTemplate& t) const override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void Fill(int select);
    int Selected() const;

    std::vector<CDrawing::LayerState> m_layers;
    ColorPicker m_picker;
    bool m_changed = false;
};

} // namespace RkUI
