// Alone in its file: it is compiled with the clone's path, so only this file differs from one clone
// to the next and the compiler cache serves the other tests to every clone.
#include "tests/engine/portable/PortableSupport.h"

namespace orvo::portable {

std::string SamplesDir()
{
#ifdef _WIN32
    // Wine maps the Linux root to drive Z:.
    std::string dir = std::string("Z:") + ORVO_SOURCE_DIR + "/../shared/samples/";
    for (char& c : dir) {
        if (c == '/')
            c = '\\';
    }
#else
    const std::string dir = std::string(ORVO_SOURCE_DIR) + "/../shared/samples/";
#endif
    std::FILE* f = std::fopen((dir + "README.md").c_str(), "rb");
    if (!f)
        return {};
    std::fclose(f);
    return dir;
}

} // namespace orvo::portable
