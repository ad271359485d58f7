// The cache library's buffered reader gives the bytes, positions and failures the file itself
// gives: reads across its blocks, seeks from each origin, reads at and beyond the end, a seek
// before the start.
#include "render/cache/BufferedReadFile.h"

#include "framework/CFileException.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using orvo::test::TempDir;
using orvo::test::WriteFileBytes;

namespace {

// A file a little over two blocks long, each byte telling its place.
std::vector<BYTE> Contents()
{
    std::vector<BYTE> bytes(2 * BufferedReadFile::kBlockSize + 1234);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<BYTE>((i * 131) ^ (i >> 12));
    return bytes;
}

} // namespace

TEST(BufferedReadFile, GivesWhatTheFileGivesAtEveryPositionAndLength)
{
    TempDir dir;
    const std::vector<BYTE> bytes = Contents();
    const std::string path = dir / "lib.bin";
    ASSERT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size()));
    CFile file(path.c_str(), CFile::modeRead | CFile::typeBinary);
    file.Seek(10, CFile::begin);
    BufferedReadFile reader(file);
    EXPECT_EQ(reader.GetPosition(), 10u);
    EXPECT_EQ(reader.GetLength(), bytes.size());

    struct Step
    {
        LONGLONG offset;
        UINT from;
        UINT count;
    };
    const LONGLONG block = BufferedReadFile::kBlockSize;
    const Step steps[] = {
        {0, CFile::current, 4},          // from where the file stood
        {block - 3, CFile::begin, 8},    // across the first block's end
        {-100, CFile::current, 200},     // back into a block read before
        {5, CFile::begin, static_cast<UINT>(block + 50)}, // longer than a block
        {-20, CFile::end, 100},          // the last bytes: fewer than asked
        {0, CFile::end, 10},             // at the end: nothing
        {1000, CFile::end, 10},          // beyond the end: nothing
        {0, CFile::begin, 1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.offset);
        const ULONGLONG at = reader.Seek(step.offset, step.from);
        std::vector<BYTE> got(step.count);
        const UINT read = reader.Read(got.data(), step.count);
        const size_t expected = at >= bytes.size() ? 0 : std::min<size_t>(step.count, bytes.size() - at);
        ASSERT_EQ(read, expected);
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + read, bytes.begin() + static_cast<std::ptrdiff_t>(at)));
        EXPECT_EQ(reader.GetPosition(), at + read);
    }
}

TEST(BufferedReadFile, ASeekBeforeTheStartThrowsAndKeepsThePosition)
{
    TempDir dir;
    const std::string path = dir / "short.bin";
    ASSERT_TRUE(WriteFileBytes(path, "abcdef", 6));
    CFile file(path.c_str(), CFile::modeRead | CFile::typeBinary);
    BufferedReadFile reader(file);
    reader.Seek(3, CFile::begin);
    bool thrown = false;
    try {
        reader.Seek(-4, CFile::current);
    } catch (CFileException* e) {
        thrown = e->m_cause == CFileException::badSeek;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(reader.GetPosition(), 3u);
    char rest[8] = {};
    EXPECT_EQ(reader.Read(rest, sizeof rest), 3u);
    EXPECT_STREQ(rest, "def");
}
