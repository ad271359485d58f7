// Alone in its file: it is compiled with the clone's path, so only this file differs from one clone
// to the next and the compiler cache serves the rest to every clone.
#include "tests/support/TestSupport.h"

#include <shlwapi.h>

namespace orvo::test {

std::string SamplesDir()
{
    std::string unixPath = ORVO_SOURCE_DIR "/../shared/samples";
    for (char& c : unixPath)
        if (c == '/')
            c = '\\';
    char full[MAX_PATH] = {};
    if (!GetFullPathNameA(("Z:" + unixPath).c_str(), MAX_PATH, full, nullptr))
        return {};
    if (!PathIsDirectoryA(full))
        return {};
    return full;
}

} // namespace orvo::test
