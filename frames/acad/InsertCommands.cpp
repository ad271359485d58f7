#include "frames/acad/InsertCommands.h"

#include <charconv>
#include <cmath>

namespace {

// A name with spaces would end the answer at the command line: quotes keep it whole.
std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

std::string InsertBlockName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

std::string FormatInsertNumber(double value)
{
    if (!std::isfinite(value))
        value = 0.0;
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return result.ec == std::errc() ? std::string(text, result.ptr) : "0.000000";
}

std::vector<std::string> BuildInsertCommands(const std::vector<std::string>& files, const InsertParameters& p,
                                             const std::function<bool(const std::string&)>& known)
{
    std::vector<std::string> commands;
    double x = p.x, y = p.y;
    int column = 1;
    for (const std::string& path : files) {
        if (known && !known(path))
            continue;
        std::string name = path;
        for (int copy = 1; copy <= p.copies; ++copy) {
            commands.push_back("-insert\n" + Quoted(name) + "\n" + FormatInsertNumber(x) + "," + FormatInsertNumber(y) +
                               "," + FormatInsertNumber(p.z) + "\n" + FormatInsertNumber(p.scaleX) + "\n" +
                               FormatInsertNumber(p.scaleY) + "\n" + FormatInsertNumber(p.angle) + "\n");
            name = InsertBlockName(path);
            if (column < p.columns) {
                ++column;
                x += p.columnSpace;
            } else {
                column = 1;
                x = p.x;
                y += p.rowSpace;
            }
        }
    }
    return commands;
}
