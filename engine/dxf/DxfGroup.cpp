#include "engine/dxf/DxfGroup.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace RkDxf {
namespace {

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

} // namespace

double DxfGroup::Double() const
{
    if (binary)
        return std::isfinite(number) ? number : 0.0;
    std::string_view s = Trimmed(text);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    double value = 0.0;
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return value;
}

std::int64_t DxfGroup::Int64() const
{
    if (binary) {
        if (!std::isfinite(number))
            return 0;
        if (number >= 9.2e18)
            return std::numeric_limits<std::int64_t>::max();
        if (number <= -9.2e18)
            return std::numeric_limits<std::int64_t>::min();
        return static_cast<std::int64_t>(number);
    }
    std::string_view s = Trimmed(text);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    std::int64_t value = 0;
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    if (result.ec == std::errc())
        return value;
    // Some writers put "1.0" in integer groups.
    const double d = Double();
    if (d >= 9.2e18 || d <= -9.2e18)
        return 0;
    return static_cast<std::int64_t>(d);
}

std::int32_t DxfGroup::Int() const
{
    const std::int64_t v = Int64();
    if (v > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

std::uint64_t DxfGroup::Handle() const
{
    const std::string_view s = Trimmed(text);
    std::uint64_t value = 0;
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value, 16);
    return result.ec == std::errc() ? value : 0;
}

} // namespace RkDxf
