// A dialog template built in memory (DLGTEMPLATE and DLGITEMTEMPLATE records, aligned, with
// Unicode strings, as the dialog manager takes them): the engine's dialogs carry their own
// layout and need no resource script.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace RkUI {

class DialogTemplate
{
public:
    static constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082, kListBox = 0x0083;

    // The dialog itself; items is the number of Item calls that follow.
    void Dialog(const wchar_t* title, short cx, short cy, int items);
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom, const wchar_t* text);
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_bytes.data()); }

private:
    void Raw(const void* p, std::size_t n);
    void Word(WORD w) { Raw(&w, sizeof w); }
    void Text(const wchar_t* s);
    void Align(std::size_t n);

    std::vector<unsigned char> m_bytes;
};

} // namespace RkUI
