// Alone in its file: it is compiled with the clone's path, so only this file differs from one clone
// to the next and the compiler cache serves the other tests to every clone.
#include "tests/engine/portable/PortableSupport.h"

namespace orvo::portable {

namespace {

// The folder ../shared/<name>/ beside the clone, when it holds probe.
std::string SharedDir(const std::string& name, const std::string& probe)
{
#ifdef _WIN32
    // Wine maps the Linux root to drive Z:.
    std::string dir = std::string("Z:") + ORVO_SOURCE_DIR + "/../shared/" + name + "/";
    for (char& c : dir) {
        if (c == '/')
            c = '\\';
    }
#else
    const std::string dir = std::string(ORVO_SOURCE_DIR) + "/../shared/" + name + "/";
#endif
    std::FILE* f = std::fopen((dir + probe).c_str(), "rb");
    if (!f)
        return {};
    std::fclose(f);
    return dir;
}

} // namespace

std::string ToolsDir() { return SharedDir("tools", "README.md"); }

std::string SamplesDir() { return SharedDir("samples", "README.md"); }

} // namespace orvo::portable
