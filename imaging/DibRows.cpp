#include "imaging/DibRows.h"

#include "imaging/CDib.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Largest packed image the writers accept (bytes); keeps every size below within size_t on a
// 32-bit build.
constexpr uint64_t kMaxPackedBytes = 1024ull * 1024 * 1024;

RowBuffer PackRows(const uint8_t* rows, uint64_t rowBytes, uint64_t sourceRowSize, int height)
{
    if (!rows || height <= 0 || rowBytes == 0 || rowBytes > sourceRowSize
        || rowBytes * uint64_t(height) > kMaxPackedBytes)
        return nullptr;
    RowBuffer packed(new (std::nothrow) uint8_t[size_t(rowBytes * height)]);
    if (!packed)
        return nullptr;
    for (int y = 0; y < height; ++y)
        memcpy(packed.get() + size_t(rowBytes * y), rows + size_t(sourceRowSize * y),
               size_t(rowBytes));
    return packed;
}

} // namespace

RowBuffer PackDibRows(const uint8_t* rows, int width, int height, int bits)
{
    if (width <= 0 || bits <= 0)
        return nullptr;
    const uint64_t stride = ((uint64_t(width) * bits + 31) / 32) * 4;
    return PackRows(rows, uint64_t(width) * bits / 8, stride, height);
}

RowBuffer PackDibRows24(const uint8_t* rows, int width, size_t sourceRowSize, int height)
{
    if (width <= 0)
        return nullptr;
    return PackRows(rows, uint64_t(width) * 3, sourceRowSize, height);
}

bool FlipRows(uint8_t* buffer, size_t rowSize, int rowCount)
{
    if (!buffer)
        return false;
    for (int i = 0; i < rowCount / 2; ++i)
        std::swap_ranges(buffer + rowSize * i, buffer + rowSize * (i + 1),
                         buffer + rowSize * (rowCount - 1 - i));
    return true;
}

bool SwapRedBlue(uint8_t* buffer, int width, int rowCount)
{
    if (!buffer)
        return false;
    const size_t pixels = size_t(std::max(width, 0)) * size_t(std::max(rowCount, 0));
    for (size_t i = 0; i < pixels; ++i)
        std::swap(buffer[i * 3], buffer[i * 3 + 2]);
    return true;
}

bool AttachDibCopy(CDib& copy, HGLOBAL block)
{
    if (!block)
        return false;
    if (copy.Attach(block))
        return true;
    GlobalFree(block);
    return false;
}
