// RkUI::PrintPenSet: the printing pen set. 256 pens by number (the ACI of what is drawn); each
// gives a width and a colour index. tagPENWIDTHS is the 16-byte entry the printer device reads:
// the width (1/100 mm) at byte 8 and the colour index at byte 12.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class CPrintDialog;

struct tagPENWIDTHS
{
    std::int32_t pen;            // its number
    std::int32_t reserved;
    std::int32_t width;          // 1/100 mm
    std::int16_t colorIndex;     // colour printed
    std::int16_t reserved2;
};
static_assert(sizeof(tagPENWIDTHS) == 16, "the printer device reads 16-byte entries");

namespace RkUI {

class PrintPenSet
{
public:
    static constexpr int kPens = 256;
    static constexpr int kMaxWidth = 2000;
    static constexpr int kDefaultWidth = 25;
    static constexpr const char* kRegistryKey = "PrintCfg\\pens";

    PrintPenSet();
    ~PrintPenSet();
    PrintPenSet(const PrintPenSet&) = delete;
    PrintPenSet& operator=(const PrintPenSet&) = delete;
    bool getUsePenWidth() const { return m_usePenWidth; }
    void setUsePenWidth(bool use) { m_usePenWidth = use; }
    // The table, indexed by pen number (0..255).
    tagPENWIDTHS* getPenWidths() { return m_pens; }
    // The thinnest width a pen prints with.
    double GetMinWidth() const { return m_minWidth; }
    void SetMinWidth(double width);
    // Each pen prints in its own colour, 0.25 mm wide.
    void Reset();
    static tagPENWIDTHS DefaultPen(int pen);
    // One pen's width (1/100 mm, 0..2000) and colour (1..255); false, and nothing changed, for
    // a pen number or value out of range.
    bool SetPen(int pen, int width, int colorIndex);
    // The pens that differ from the default ones as "pen:width:colour" with ';' between them;
    // reading such a text first resets the table, and an entry out of range is skipped.
    std::string PensText() const;
    void SetPensText(const std::string& text);
    // The switch, the minimum width and the pens under the full registry key; missing values
    // read as the defaults.
    void Load(const std::string& key);
    bool Save(const std::string& key) const;
    // Hands the pens to the engine for rendering through export devices.
    void UpdatePenSetsToRkIO() const;
    // The printer dialog that holds the chosen printer; its CreatePrinterDC makes the printing
    // context. Made on first use (no window objects before the program runs).
    CPrintDialog& getPrintSetDlg();
    // Chooses the printer by name (the print manager's choice); false for an empty name.
    bool SelectPrinter(const std::string& name);
    // The chosen printer's name; empty when none was chosen yet.
    std::string PrinterName();

private:
    std::unique_ptr<CPrintDialog> m_printDialog;
    bool m_usePenWidth = false;
    double m_minWidth = 1.0;
    tagPENWIDTHS m_pens[kPens];
};

} // namespace RkUI
