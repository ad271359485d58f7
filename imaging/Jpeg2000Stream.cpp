#include "imaging/Jpeg2000Stream.h"

#include "imaging/CRasterFile.h"

#include <cstdio>
#include <limits>

namespace {

constexpr OPJ_SIZE_T kFailed = static_cast<OPJ_SIZE_T>(-1);

} // namespace

Jpeg2000Stream::Jpeg2000Stream(CRasterFile& file, bool input)
    : m_file(file), m_start(file.Tell()), m_stream(nullptr)
{
    if (m_start < 0)
        return;
    m_stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, input ? OPJ_TRUE : OPJ_FALSE);
    if (!m_stream)
        return;
    opj_stream_set_user_data(m_stream, this, nullptr);
    if (input) {
        const int64_t size = file.Size();
        opj_stream_set_user_data_length(m_stream, OPJ_UINT64(size > m_start ? size - m_start : 0));
        opj_stream_set_read_function(m_stream, ReadCallback);
    } else {
        opj_stream_set_write_function(m_stream, WriteCallback);
    }
    opj_stream_set_skip_function(m_stream, SkipCallback);
    opj_stream_set_seek_function(m_stream, SeekCallback);
}

Jpeg2000Stream::~Jpeg2000Stream()
{
    if (m_stream)
        opj_stream_destroy(m_stream);
}

size_t Jpeg2000Stream::Read(void* buffer, size_t count)
{
    return m_file.Read(buffer, 1, count);
}

size_t Jpeg2000Stream::Write(const void* buffer, size_t count)
{
    return m_file.Write(buffer, 1, count);
}

int64_t Jpeg2000Stream::Seek(int64_t offset, int origin)
{
    int64_t target;
    switch (origin) {
    case SEEK_SET: target = m_start + offset; break;
    case SEEK_CUR: target = int64_t(m_file.Tell()) + offset; break;
    case SEEK_END: target = int64_t(m_file.Size()) + offset; break;
    default: return -1;
    }
    if (target < m_start || target > std::numeric_limits<int32_t>::max()
        || !m_file.Seek(int32_t(target), SEEK_SET))
        return -1;
    return int64_t(m_file.Tell()) - m_start;
}

OPJ_SIZE_T Jpeg2000Stream::ReadCallback(void* buffer, OPJ_SIZE_T count, void* self)
{
    const size_t read = static_cast<Jpeg2000Stream*>(self)->Read(buffer, count);
    return read ? read : kFailed;
}

OPJ_SIZE_T Jpeg2000Stream::WriteCallback(void* buffer, OPJ_SIZE_T count, void* self)
{
    const size_t written = static_cast<Jpeg2000Stream*>(self)->Write(buffer, count);
    return written == count ? written : kFailed;
}

OPJ_OFF_T Jpeg2000Stream::SkipCallback(OPJ_OFF_T count, void* self)
{
    return static_cast<Jpeg2000Stream*>(self)->Seek(count, SEEK_CUR) < 0 ? -1 : count;
}

OPJ_BOOL Jpeg2000Stream::SeekCallback(OPJ_OFF_T position, void* self)
{
    return static_cast<Jpeg2000Stream*>(self)->Seek(position, SEEK_SET) == position ? OPJ_TRUE
                                                                                   : OPJ_FALSE;
}
