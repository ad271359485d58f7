#include "engine/write/DxfOutput.h"

#include "engine/write/TextEncoding.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace RkWrite {

DxfOutput::DxfOutput(int codePage, std::size_t limit) : m_codePage(codePage), m_limit(limit)
{
    m_data.reserve(1 << 16);
}

void DxfOutput::Code(int code)
{
    char buffer[16];
    const int n = std::snprintf(buffer, sizeof buffer, "%3d", code);
    Line(std::string_view(buffer, n > 0 ? static_cast<std::size_t>(n) : 0));
}

void DxfOutput::Line(std::string_view value)
{
    if (m_overflow)
        return;
    if (m_data.size() + value.size() + 2 > m_limit) {
        m_overflow = true;
        return;
    }
    m_data.append(value).append("\r\n");
}

void DxfOutput::Raw(int code, std::string_view ascii)
{
    Code(code);
    Line(ascii);
}

void DxfOutput::Text(int code, std::string_view utf8)
{
    const std::string bytes = EncodeText(m_codePage, utf8);
    Code(code);
    Line(bytes);
}

void DxfOutput::Int(int code, long long value)
{
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    Code(code);
    Line(std::string_view(buffer, static_cast<std::size_t>(r.ptr - buffer)));
}

void DxfOutput::Real(int code, double value)
{
    if (!std::isfinite(value))
        value = 0.0;
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer - 2, value);
    std::size_t n = static_cast<std::size_t>(r.ptr - buffer);
    bool hasPoint = false;
    for (std::size_t i = 0; i < n; ++i)
        hasPoint = hasPoint || buffer[i] == '.' || buffer[i] == 'e';
    if (!hasPoint) {
        buffer[n++] = '.';
        buffer[n++] = '0';
    }
    Code(code);
    Line(std::string_view(buffer, n));
}

void DxfOutput::Point(int code, const RkDb::Vec3& p)
{
    Real(code, p.x);
    Real(code + 10, p.y);
    Real(code + 20, p.z);
}

void DxfOutput::Point2(int code, const RkDb::Vec2& p)
{
    Real(code, p.x);
    Real(code + 10, p.y);
}

void DxfOutput::Handle(int code, RkDb::Handle handle)
{
    char buffer[24];
    const int n = std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(handle));
    Code(code);
    Line(std::string_view(buffer, n > 0 ? static_cast<std::size_t>(n) : 0));
}

void DxfOutput::Angle(int code, double radians)
{
    Real(code, radians * (180.0 / 3.14159265358979323846));
}

} // namespace RkWrite
