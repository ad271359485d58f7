#include "browser/dialogs/InfoList.h"

namespace {

BYTE Lowered(BYTE channel, int amount)
{
    return channel <= amount ? 0 : static_cast<BYTE>(channel - amount);
}

} // namespace

COLORREF LoweredColor(COLORREF color, int amount)
{
    return RGB(Lowered(GetRValue(color), amount), Lowered(GetGValue(color), amount),
               Lowered(GetBValue(color), amount));
}

void PrepareInfoList(CListCtrl& list, const std::vector<InfoListColumn>& columns)
{
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_INFOTIP);
    const COLORREF background = LoweredColor(list.GetBkColor(), 5);
    list.SetBkColor(background);
    list.SetTextBkColor(background);
    int index = 0;
    for (const InfoListColumn& column : columns) {
        list.InsertColumn(index, column.heading, LVCFMT_LEFT, column.width);
        ++index;
    }
}

void AddInfoListRow(CListCtrl& list, const std::vector<const char*>& cells)
{
    if (cells.empty())
        return;
    const int row = list.InsertItem(list.GetItemCount(), cells[0]);
    for (size_t i = 1; i < cells.size() && row >= 0; ++i) {
        if (cells[i] && *cells[i])
            list.SetItemText(row, static_cast<int>(i), cells[i]);
    }
}
