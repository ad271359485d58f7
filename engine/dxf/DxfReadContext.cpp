#include "engine/dxf/DxfReadContext.h"

namespace RkDxf {
namespace {

bool EqualsNoCase(std::string_view a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char c = a[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != b[i])
            return false;
    }
    return i == a.size() && b[i] == 0;
}

} // namespace

std::int32_t DxfReadContext::Layer(std::string_view name)
{
    if (m_lastLayer >= 0 && name == m_lastLayerName)
        return m_lastLayer;
    const std::string decoded = Text(name);
    m_lastLayer = m_db.EnsureLayer(decoded.empty() ? std::string("0") : decoded);
    m_lastLayerName.assign(name);
    return m_lastLayer;
}

std::int32_t DxfReadContext::LineType(std::string_view name)
{
    if (EqualsNoCase(name, "BYLAYER"))
        return RkDb::kRefByLayer;
    if (EqualsNoCase(name, "BYBLOCK"))
        return RkDb::kRefByBlock;
    const std::int32_t found = m_db.LineTypes().Find(Text(name));
    return found >= 0 ? found : RkDb::kRefNone;
}

std::int32_t DxfReadContext::TextStyle(std::string_view name)
{
    const std::int32_t found = m_db.TextStyles().Find(Text(name));
    return found >= 0 ? found : 0;
}

std::int32_t DxfReadContext::Block(std::string_view name)
{
    if (name.empty())
        return -1;
    return m_db.EnsureBlock(Text(name));
}

std::int32_t DxfReadContext::DimStyle(std::string_view name)
{
    return m_db.DimStyles().Find(Text(name));
}

} // namespace RkDxf
