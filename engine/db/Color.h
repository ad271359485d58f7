// The colour of a layer or an entity: by layer, by block, an ACI index (1..255) or a true colour.
#pragma once

#include <cstdint>

namespace RkDb {

class Color
{
public:
    enum class Kind : std::uint8_t { ByLayer, ByBlock, Index, True };

    Color() = default;
    static Color ByLayer() { return Color(Kind::ByLayer, 256, 0); }
    static Color ByBlock() { return Color(Kind::ByBlock, 0, 0); }
    // DXF group 62: 0 by block, 256 by layer, 1..255 an index; anything else (including the
    // negative value of a layer that is off) is taken by its magnitude and, if still out of
    // range, becomes index 7.
    static Color FromAci(int aci);
    // 0x00RRGGBB, as DXF group 420 stores it.
    static Color FromRgb(std::uint32_t rgb) { return Color(Kind::True, 7, rgb & 0xFFFFFFu); }

    Kind GetKind() const { return m_kind; }
    bool IsByLayer() const { return m_kind == Kind::ByLayer; }
    bool IsByBlock() const { return m_kind == Kind::ByBlock; }
    // The ACI index (true colours keep the nearest index a reader gave, else 7).
    int Index() const { return m_index; }
    std::uint32_t Rgb() const { return m_rgb; }
    // The colour as 0x00RRGGBB, resolving an index through the ACI palette; by layer and by block
    // give the palette's entry 7.
    std::uint32_t ToRgb() const;

    bool operator==(const Color& o) const
    {
        return m_kind == o.m_kind && m_index == o.m_index && m_rgb == o.m_rgb;
    }

private:
    Color(Kind kind, int index, std::uint32_t rgb)
        : m_kind(kind), m_index(static_cast<std::int16_t>(index)), m_rgb(rgb)
    {
    }

    Kind m_kind = Kind::ByLayer;
    std::int16_t m_index = 256;
    std::uint32_t m_rgb = 0;
};

} // namespace RkDb
