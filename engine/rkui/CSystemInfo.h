// RkUI::CSystemInfo: the user's number format as the drawing dialogs and views show numbers.
#pragma once

namespace RkUI {

class CSystemInfo
{
public:
    // The decimal separator of the user's locale ('.' when the locale gives none).
    char getDecimalSep() const;
};

} // namespace RkUI
