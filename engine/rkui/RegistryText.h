// Text values under HKEY_CURRENT_USER: what RkUI keeps (search folders, the plot style).
#pragma once

#include <string>

namespace RkUI {

class RegistryText
{
public:
    // The value's text; "" when the key or value is missing or is not text.
    static std::string Read(const std::string& key, const char* value);
    static bool Write(const std::string& key, const char* value, const std::string& text);
};

} // namespace RkUI
