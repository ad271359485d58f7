#include "engine/rkui/DialogTemplate.h"

#include <cwchar>

namespace RkUI {

void DialogTemplate::Dialog(const wchar_t* title, short cx, short cy, int items)
{
    Align(4);
    DLGTEMPLATE t = {};
    t.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER;
    t.cdit = static_cast<WORD>(items);
    t.cx = cx;
    t.cy = cy;
    Raw(&t, sizeof t);
    Word(0);            // no menu
    Word(0);            // standard class
    Text(title);
    Word(8);            // font size
    Text(L"MS Shell Dlg");
}

void DialogTemplate::Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom,
                          const wchar_t* text)
{
    Align(4);
    DLGITEMTEMPLATE item = {};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.id = id;
    Raw(&item, sizeof item);
    Word(0xFFFF);
    Word(classAtom);
    Text(text);
    Word(0);            // no creation data
}

void DialogTemplate::Raw(const void* p, std::size_t n)
{
    const auto* b = static_cast<const unsigned char*>(p);
    m_bytes.insert(m_bytes.end(), b, b + n);
}

void DialogTemplate::Text(const wchar_t* s)
{
    Raw(s, (std::wcslen(s) + 1) * sizeof(wchar_t));
}

void DialogTemplate::Align(std::size_t n)
{
    while (m_bytes.size() % n)
        m_bytes.push_back(0);
}

} // namespace RkUI
