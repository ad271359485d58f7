#include "render/cache/TSingleImage.h"

#include "core/FileUtils.h"
#include "render/cache/CacheFile.h"

IMPLEMENT_DYNCREATE(TSingleImage, CObject)

namespace {

const uint32_t kPictureKindBmp = 1;
// The record's reserved field holds a check of its picture, marked by this top byte; a record
// without the mark (an older writer's, another program's) is not checked.
const uint32_t kCheckMark = 0x4B000000u;
const uint32_t kCheckMask = 0x00FFFFFFu;
// The two header fields a reader fills in when they are 0 (biSizeImage, biClrUsed), left out of
// the check so that it holds before and after.
const uint32_t kRepairedFields[] = {34, 46};

uint32_t PictureCheck(const KBMP& picture)
{
    const BYTE* image = picture.GetImage();
    const uint32_t size = picture.GetImageSize();
    uint32_t hash = 2166136261u;      // FNV-1a
    for (uint32_t i = 0; i < size; ++i) {
        const bool repaired = (i >= kRepairedFields[0] && i < kRepairedFields[0] + 4) ||
                              (i >= kRepairedFields[1] && i < kRepairedFields[1] + 4);
        hash = (hash ^ (repaired ? 0u : image[i])) * 16777619u;
    }
    return kCheckMark | (hash & kCheckMask);
}

// What a record's picture can be: a bitmap within the record's thumbnail size that ends the
// record, and that matches its check when the record carries one. A picture that fails is
// dropped, so the thumbnail is made again and its record rewritten.
bool PictureFitsRecord(const KBMP& picture, uint32_t width, uint32_t height, uint32_t reserved,
                       ULONGLONG pictureEnd, uint64_t nextOffset)
{
    const int64_t bitmapHeight = picture.GetBitmapHeight();
    if (static_cast<int64_t>(picture.GetBitmapWidth()) > int64_t{width} ||
        (bitmapHeight < 0 ? -bitmapHeight : bitmapHeight) > int64_t{height} || pictureEnd != nextOffset)
        return false;
    return (reserved & ~kCheckMask) != kCheckMark || PictureCheck(picture) == reserved;
}

bool SameTime(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

void WriteTime(CFile& file, const FILETIME& time)
{
    CacheFile::WriteU32(file, time.dwLowDateTime);
    CacheFile::WriteU32(file, time.dwHighDateTime);
}

// Cuts the file back to start so that a failed record leaves nothing behind.
void CutBack(CFile& file, ULONGLONG start)
{
    file.SetLength(start);
    file.Seek(static_cast<LONGLONG>(start), CFile::begin);
}

} // namespace

TSingleImage::TSingleImage()
    : m_lastWrite{0, 0}, m_size(0), m_reserved(0), m_width(0), m_height(0), m_used(false)
{
}

TSingleImage::~TSingleImage() = default;

bool TSingleImage::Read(CFile& file)
{
    try {
        const ULONGLONG start = file.GetPosition();
        const ULONGLONG length = file.GetLength();
        uint64_t pictureOffset = 0;
        uint64_t nextOffset = 0;
        if (!CacheFile::ReadU64(file, pictureOffset) || !CacheFile::ReadU64(file, nextOffset) ||
            pictureOffset > length || nextOffset > length || nextOffset <= start ||
            pictureOffset > 0x7FFFFFFFull || nextOffset > 0x7FFFFFFFull)
            return false;
        uint32_t timeLow = 0;
        uint32_t timeHigh = 0;
        if (!CacheFile::ReadText(file, m_name, kMaxName) || !CacheFile::ReadU32(file, timeLow) ||
            !CacheFile::ReadU32(file, timeHigh) || !CacheFile::ReadU32(file, m_size) ||
            !CacheFile::ReadU32(file, m_reserved))
            return false;
        m_lastWrite.dwLowDateTime = timeLow;
        m_lastWrite.dwHighDateTime = timeHigh;
        const ULONGLONG position = file.GetPosition();
        m_width = 0;
        m_height = 0;
        if (position < pictureOffset) {
            // Width and height must fit before the picture block.
            if (pictureOffset - position < 8 || !CacheFile::ReadU32(file, m_width) ||
                !CacheFile::ReadU32(file, m_height))
                return false;
        } else if (position > pictureOffset) {
            return false;
        }
        CacheFile::SeekTo(file, pictureOffset);
        m_picture.reset();
        uint32_t kind = 0;
        if (!CacheFile::ReadU32(file, kind))
            return false;
        if (static_cast<int32_t>(kind) <= static_cast<int32_t>(kPictureKindBmp)) {
            auto picture = std::make_unique<KBMP>();
            if (picture->ReadFrom(file))
                m_picture = std::move(picture);
        }
        if (m_picture && m_width == 0 && m_height == 0) {
            m_width = static_cast<uint32_t>(m_picture->GetBitmapWidth());
            m_height = static_cast<uint32_t>(m_picture->GetBitmapHeight());
        }
        if (m_picture && !PictureFitsRecord(*m_picture, m_width, m_height, m_reserved,
                                            file.GetPosition(), nextOffset))
            m_picture.reset();
        if (m_picture)
            m_picture->SetSize(static_cast<int32_t>(m_width), static_cast<int32_t>(m_height));
        const ULONGLONG minimumNext = m_picture ? file.GetPosition() : pictureOffset + 4;
        if (nextOffset < minimumNext)
            return false;
        CacheFile::SeekTo(file, nextOffset);
        return true;
    } catch (CException* e) {
        e->Delete();
        return false;
    }
}

bool TSingleImage::Write(CFile& file, bool keepAll, const char* folder)
{
    if (!m_picture || m_picture->IsEmpty())
        return false;
    if (!keepAll && !m_used &&
        !IsExistingFile(CacheFile::WithBackslash(folder) + m_name))
        return false;
    const ULONGLONG start = file.GetPosition();
    m_reserved = PictureCheck(*m_picture);
    try {
        CacheFile::WriteU64(file, 0);
        CacheFile::WriteU64(file, 0);
        CacheFile::WriteText(file, m_name);
        WriteTime(file, m_lastWrite);
        CacheFile::WriteU32(file, m_size);
        CacheFile::WriteU32(file, m_reserved);
        CacheFile::WriteU32(file, m_width);
        CacheFile::WriteU32(file, m_height);
        const ULONGLONG pictureOffset = file.GetPosition();
        CacheFile::WriteU32(file, kPictureKindBmp);
        if (!m_picture->WriteTo(file)) {
            CutBack(file, start);
            return false;
        }
        const ULONGLONG nextOffset = file.GetPosition();
        if (nextOffset > 0x7FFFFFFFull) {
            CutBack(file, start);
            return false;
        }
        CacheFile::SeekTo(file, start);
        CacheFile::WriteU64(file, pictureOffset);
        CacheFile::WriteU64(file, nextOffset);
        CacheFile::SeekTo(file, nextOffset);
        return true;
    } catch (CException* e) {
        e->Delete();
        CutBack(file, start);
        return false;
    }
}

bool TSingleImage::Matches(const char* path, int width, int height) const
{
    if (!m_picture || m_name.CompareNoCase(CacheFile::FileNamePart(path)) != 0)
        return false;
    FILETIME time{};
    uint32_t size = 0;
    return CacheFile::FindFileInfo(path, &time, &size) && SameTime(time, m_lastWrite) &&
           size == m_size && static_cast<uint32_t>(width) == m_width &&
           static_cast<uint32_t>(height) == m_height;
}

bool TSingleImage::Set(const char* path, const KBMP* picture)
{
    m_name = CacheFile::FileNamePart(path);
    m_lastWrite = FILETIME{0, 0};
    m_size = 0;
    CacheFile::FindFileInfo(path, &m_lastWrite, &m_size);
    if (!m_picture)
        m_picture = std::make_unique<KBMP>();
    return picture && m_picture->Copy(*picture);
}
