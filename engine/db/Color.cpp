#include "engine/db/Color.h"

#include "engine/db/AciPalette.h"

#include <cstdlib>

namespace RkDb {

Color Color::FromAci(int aci)
{
    if (aci == 256)
        return ByLayer();
    if (aci == 0)
        return ByBlock();
    int index = std::abs(aci);
    if (index < 1 || index > 255)
        index = 7;
    return Color(Kind::Index, index, AciPalette::Rgb(index));
}

std::uint32_t Color::ToRgb() const
{
    switch (m_kind) {
    case Kind::True: return m_rgb;
    case Kind::Index: return AciPalette::Rgb(m_index);
    default: return AciPalette::Rgb(7);
    }
}

} // namespace RkDb
