// Puts a finished file in place: writes the bytes to a temporary file beside the target and
// renames it over the target only when every byte was written, so a failed save leaves no new
// file and an existing target as it was (saving over the open drawing goes through this too).
#pragma once

#include <string>
#include <string_view>

namespace RkWrite {

class FileReplacer
{
public:
    // False (with the reason in error) when the temporary file cannot be made or written or the
    // target cannot be replaced; the temporary file is removed then.
    static bool Replace(const std::string& target, std::string_view bytes, std::string& error);
};

} // namespace RkWrite
