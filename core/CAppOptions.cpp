#include "core/CAppOptions.h"

#include "core/RegistryRoot.h"

#include <algorithm>

CAppOptions g_options;

namespace {

// KEY_READ | KEY_WRITE: the program opens its own keys for both.
const REGSAM kOptionAccess = 0x2001F;

BYTE ClampChannel(int value)
{
    return static_cast<BYTE>(std::clamp(value, 0, 255));
}

// The colour with delta added to each of red, green and blue, each kept within 0..255.
COLORREF ShiftChannels(COLORREF color, int delta)
{
    return RGB(ClampChannel(GetRValue(color) + delta), ClampChannel(GetGValue(color) + delta),
               ClampChannel(GetBValue(color) + delta));
}

class RegistryLoader
{
public:
    void Subkey(const char* name)
    {
        m_key.Close();
        m_open = name && m_key.Open(HKEY_CURRENT_USER, ProgramKeyPath(name), kOptionAccess) ==
                             ERROR_SUCCESS;
    }
    void Bool(const char* name, bool& field)
    {
        DWORD value = 0;
        if (Read(name, value))
            field = value != 0;
    }
    void Bool(const char* name, short& field)
    {
        DWORD value = 0;
        if (Read(name, value))
            field = value != 0 ? 1 : 0;
    }
    void Int(const char* name, int& field, int low, int high)
    {
        DWORD value = 0;
        if (Read(name, value))
            field = static_cast<int>(value);
        field = std::clamp(field, low, high);
    }
    void Color(const char* name, COLORREF& field)
    {
        DWORD value = 0;
        if (Read(name, value))
            field = value;
    }
    void ColorIndex(const char* name, int& field)
    {
        DWORD value = 0;
        if (Read(name, value))
            field = static_cast<short>(value & 0xFFFF);
    }

private:
    bool Read(const char* name, DWORD& value)
    {
        return m_open && m_key.QueryValue(value, name) == ERROR_SUCCESS;
    }

    CRegKey m_key;
    bool m_open = false;
};

class RegistrySaver
{
public:
    void Subkey(const char* name)
    {
        m_key.Close();
        m_open = name && m_key.Create(HKEY_CURRENT_USER, ProgramKeyPath(name), nullptr,
                                      REG_OPTION_NON_VOLATILE, kOptionAccess) == ERROR_SUCCESS;
    }
    void Bool(const char* name, bool field) { Write(name, field ? 1 : 0); }
    void Int(const char* name, int field, int, int) { Write(name, static_cast<DWORD>(field)); }
    void Color(const char* name, COLORREF field) { Write(name, field); }
    void ColorIndex(const char* name, int field) { Write(name, static_cast<DWORD>(field)); }

private:
    void Write(const char* name, DWORD value)
    {
        if (m_open)
            m_key.SetValue(value, name);
    }

    CRegKey m_key;
    bool m_open = false;
};

} // namespace

CAppOptions::CAppOptions()
{
    IsWindowsNT = (GetVersion() & 0x80000000u) == 0;
    SetDefaults();
}

void CAppOptions::SetDefaults()
{
    ListCtrlColor = 0x808080;
    ThumbnailColor = SystemColor ? GetSysColor(COLOR_BTNFACE) : 0xC08080;
    ThumbLightColor = ShiftChannels(ThumbnailColor, 70);
    ThumbDarkColor = ShiftChannels(ThumbnailColor, -70);
    UpdateDerivedColors();
}

void CAppOptions::UpdateDerivedColors()
{
    if (SystemColor) {
        ListCtrlColor = 0x808080;
        ThumbnailColor = GetSysColor(COLOR_BTNFACE);
        ThumbLightColor = GetSysColor(COLOR_BTNHIGHLIGHT);
        ThumbDarkColor = GetSysColor(COLOR_BTNSHADOW);
    } else {
        ThumbLightColor = ShiftChannels(ThumbnailColor, 70);
        ThumbDarkColor = ShiftChannels(ThumbnailColor, -70);
    }
    const int shades[4] = {46, 35, 17, 8};
    for (int i = 0; i < 4; ++i)
        ListShades[i] = ShiftChannels(ListCtrlColor, -shades[i]);
}

void CAppOptions::Load()
{
    RegistryLoader loader;
    VisitStoredFields(*this, loader);
    UpdateDerivedColors();
}

void CAppOptions::SaveRecord() const
{
    RegistrySaver saver;
    VisitStoredFields(*this, saver);
}

void CAppOptions::SetSortType(int sortType)
{
    SortType = std::clamp(sortType, 0, 3);
}

void CAppOptions::SetBackgroundColor(int colorIndex)
{
    BackGroundColor = colorIndex;
}
