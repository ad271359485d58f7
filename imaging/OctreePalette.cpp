#include "imaging/OctreePalette.h"

#include "imaging/BitField.h"
#include "imaging/DibConversion.h"
#include "framework/GdiScopes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct OctreeNode
{
    bool leaf = false;
    uint32_t pixels = 0;
    uint32_t red = 0, green = 0, blue = 0;
    std::array<std::unique_ptr<OctreeNode>, 8> children;
};

// The tree, its reducible nodes by level (the last added is taken first) and its leaf count.
class Octree
{
public:
    Octree(int colorBits, size_t maxColors) : m_bits(colorBits), m_max(maxColors), m_reducible(9) {}

    void Add(BYTE red, BYTE green, BYTE blue)
    {
        std::unique_ptr<OctreeNode>* slot = &m_root;
        for (int level = 0;; ++level) {
            if (!*slot) {
                *slot = std::make_unique<OctreeNode>();
                if (level == m_bits) {
                    (*slot)->leaf = true;
                    ++m_leaves;
                } else {
                    m_reducible[static_cast<size_t>(level)].push_back(slot->get());
                }
            }
            OctreeNode* node = slot->get();
            if (node->leaf) {
                ++node->pixels;
                node->red += red;
                node->green += green;
                node->blue += blue;
                break;
            }
            const int shift = 7 - level;
            const int index = (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) |
                              ((blue >> shift) & 1);
            slot = &node->children[static_cast<size_t>(index)];
        }
        while (m_leaves > m_max && Reduce()) {
        }
    }

    size_t Leaves() const { return m_leaves; }

    void Collect(std::vector<PALETTEENTRY>& out) const { Collect(m_root.get(), out); }

private:
    // Folds the deepest reducible node's children into it.
    bool Reduce()
    {
        int level = m_bits - 1;
        while (level > 0 && m_reducible[static_cast<size_t>(level)].empty())
            --level;
        if (level < 0 || m_reducible[static_cast<size_t>(level)].empty())
            return false;
        OctreeNode* node = m_reducible[static_cast<size_t>(level)].back();
        m_reducible[static_cast<size_t>(level)].pop_back();
        size_t children = 0;
        for (auto& child : node->children) {
            if (!child)
                continue;
            node->pixels += child->pixels;
            node->red += child->red;
            node->green += child->green;
            node->blue += child->blue;
            child.reset();
            ++children;
        }
        node->leaf = true;
        m_leaves -= children - 1;
        return true;
    }

    static void Collect(const OctreeNode* node, std::vector<PALETTEENTRY>& out)
    {
        if (!node)
            return;
        if (node->leaf) {
            const uint32_t n = std::max<uint32_t>(node->pixels, 1);
            out.push_back(PALETTEENTRY{static_cast<BYTE>(node->red / n),
                                       static_cast<BYTE>(node->green / n),
                                       static_cast<BYTE>(node->blue / n), 0});
            return;
        }
        for (const auto& child : node->children)
            Collect(child.get(), out);
    }

    int m_bits;
    size_t m_max;
    std::unique_ptr<OctreeNode> m_root;
    std::vector<std::vector<OctreeNode*>> m_reducible;
    size_t m_leaves = 0;
};

bool AddPixels(Octree& tree, HBITMAP section, const DIBSECTION& ds)
{
    const WORD bits = ds.dsBmih.biBitCount;
    const LONG width = ds.dsBm.bmWidth;
    const LONG height = ds.dsBm.bmHeight;
    const BYTE* data = static_cast<const BYTE*>(ds.dsBm.bmBits);
    const size_t stride = static_cast<size_t>(ds.dsBm.bmWidthBytes);
    if (bits <= 8) {
        // Paletted rows are fetched as 24-bit rows, one at a time.
        std::vector<BYTE> row((static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3));
        BITMAPINFOHEADER info = {sizeof(info), width, height, 1, 24, BI_RGB};
        ScreenDC screen;
        for (LONG y = 0; y < height; ++y) {
            if (!GetDIBits(screen.Get(), section, static_cast<UINT>(y), 1, row.data(),
                           reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS))
                return false;
            for (LONG x = 0; x < width; ++x)
                tree.Add(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        }
        return true;
    }
    if (!data)
        return false;
    const bool fields = ds.dsBmih.biCompression == BI_BITFIELDS;
    const BitField red(fields ? ds.dsBitfields[0] : bits == 16 ? 0x7C00 : 0xFF0000);
    const BitField green(fields ? ds.dsBitfields[1] : bits == 16 ? 0x03E0 : 0x00FF00);
    const BitField blue(fields ? ds.dsBitfields[2] : bits == 16 ? 0x001F : 0x0000FF);
    for (LONG y = 0; y < height; ++y) {
        const BYTE* row = data + stride * static_cast<size_t>(y);
        for (LONG x = 0; x < width; ++x) {
            if (bits == 24) {
                tree.Add(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
                continue;
            }
            const DWORD value = bits == 16
                ? static_cast<DWORD>(row[2 * x] | (row[2 * x + 1] << 8))
                : static_cast<DWORD>(row[4 * x] | (row[4 * x + 1] << 8) | (row[4 * x + 2] << 16) |
                                     (static_cast<DWORD>(row[4 * x + 3]) << 24));
            tree.Add(red(value), green(value), blue(value));
        }
    }
    return true;
}

} // namespace

HPALETTE CreateOctreePalette(HBITMAP section, int colorCount, int colorBits)
{
    DIBSECTION ds = {};
    if (colorCount < 1 || colorBits < 0 || colorBits > 8 || !section ||
        GetObjectA(section, sizeof(ds), &ds) != sizeof(ds))
        return nullptr;
    const WORD bits = ds.dsBmih.biBitCount;
    if (!(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32))
        return nullptr;
    // A palette never holds more than 256 useful entries.
    Octree tree(colorBits, static_cast<size_t>(std::min(colorCount, 256)));
    if (!AddPixels(tree, section, ds))
        return nullptr;
    std::vector<PALETTEENTRY> entries;
    tree.Collect(entries);
    if (entries.empty() || entries.size() > static_cast<size_t>(std::min(colorCount, 256)))
        return nullptr;
    std::vector<BYTE> bytes(sizeof(LOGPALETTE) + entries.size() * sizeof(PALETTEENTRY));
    auto* palette = reinterpret_cast<LOGPALETTE*>(bytes.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(entries.size());
    memcpy(bytes.data() + offsetof(LOGPALETTE, palPalEntry), entries.data(),
           entries.size() * sizeof(PALETTEENTRY));
    return CreatePalette(palette);
}

HPALETTE CreateDibOctreePalette(const void* dib, int colorCount, int colorBits)
{
    GdiObject<HBITMAP> section(DibToDibSection(static_cast<const BITMAPINFOHEADER*>(dib)));
    return section ? CreateOctreePalette(section.Get(), colorCount, colorBits) : nullptr;
}
