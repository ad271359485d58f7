#include "imaging/CRasterExifInfo.h"

#include "imaging/CRasterFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

// Bytes per component of each TIFF format code 1..12.
constexpr int kFormatBytes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

constexpr int kMaxPadding = 6;
// Directory links may loop; both the depth and the number of directories walked are bounded.
constexpr int kMaxDepth = 6;
constexpr int kMaxDirectories = 32;

const BYTE kJfifSegment[18] = {0xFF, 0xE0, 0x00, 0x10, 'J',  'F',  'I',  'F',  0x00,
                               0x01, 0x01, 0x01, 0x01, 0x2C, 0x01, 0x2C, 0x00, 0x00};

bool IsFrameMarker(int marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
           marker != 0xCC;
}

// Copies at most max - 1 characters of a value of the given byte count, ending at its first NUL.
void CopyText(char* target, size_t max, const BYTE* value, uint64_t bytes)
{
    const size_t n = static_cast<size_t>(std::min<uint64_t>(bytes, max - 1));
    size_t i = 0;
    for (; i < n && value[i] != 0; ++i)
        target[i] = static_cast<char>(value[i]);
    target[i] = 0;
}

float InchesPerUnit(int unit, float current)
{
    switch (unit) {
    case 1:
    case 2: return 1.0f;
    case 3: return static_cast<float>(1 / 2.54);
    case 4: return static_cast<float>(1 / 25.4);
    case 5: return static_cast<float>(1 / 25400.0);
    default: return current;
    }
}

bool WriteAll(CRasterFile& stream, const void* data, size_t size)
{
    return size == 0 || stream.Write(data, 1, size) == size;
}

} // namespace

CRasterExifInfo::CRasterExifInfo(EXIFINFO* info) : m_info(info)
{
    if (m_info == nullptr) {
        m_ownInfo.assign(sizeof(EXIFINFO), 0);
        m_info = reinterpret_cast<EXIFINFO*>(m_ownInfo.data());
    }
}

bool CRasterExifInfo::Fail(const char* text)
{
    snprintf(m_lastError, sizeof m_lastError, "%s", text);
    return false;
}

unsigned CRasterExifInfo::Get16(const BYTE* p) const
{
    return m_motorolaOrder ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0];
}

uint32_t CRasterExifInfo::Get32(const BYTE* p) const
{
    if (m_motorolaOrder)
        return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    return (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}

bool CRasterExifInfo::DecodeExif(CRasterFile* stream, int readMode)
{
    if (stream == nullptr || stream->GetC() != 0xFF || stream->GetC() != 0xD8)
        return false;
    for (;;) {
        if (m_sections.size() >= kMaxSections)
            return Fail("Too many sections in jpg file");
        int marker = 0;
        if (!ReadMarker(*stream, marker) || !ReadSection(*stream, marker))
            return false;
        bool done = false;
        const bool ok = HandleSection(*stream, readMode, done);
        if (!ok || done)
            return ok;
    }
}

bool CRasterExifInfo::ReadMarker(CRasterFile& stream, int& marker)
{
    for (int padding = 0;; ++padding) {
        marker = stream.GetC();
        if (marker != 0xFF)
            break;
        if (padding >= kMaxPadding)
            return Fail("too many padding bytes");
    }
    if (marker < 0)
        return Fail("Premature end of file?");
    return true;
}

bool CRasterExifInfo::ReadSection(CRasterFile& stream, int marker)
{
    const int high = stream.GetC(), low = stream.GetC();
    if (high < 0 || low < 0)
        return Fail("Premature end of file?");
    const size_t length = (size_t(high) << 8) | size_t(low);
    if (length < 2)
        return Fail("invalid marker");
    Section section;
    section.type = marker;
    try {
        section.data.resize(length);
    } catch (const std::bad_alloc&) {
        return Fail("Could not allocate memory");
    }
    section.data[0] = static_cast<BYTE>(high);
    section.data[1] = static_cast<BYTE>(low);
    if (length > 2 && stream.Read(section.data.data() + 2, 1, length - 2) != length - 2)
        return Fail("Premature end of file?");
    m_sections.push_back(std::move(section));
    return true;
}

bool CRasterExifInfo::HandleSection(CRasterFile& stream, int readMode, bool& done)
{
    const Section& section = m_sections.back();
    const int marker = section.type;
    if (IsFrameMarker(marker)) {
        ProcessFrame(section);
        return true;
    }
    switch (marker) {
    case 0xD9:
        fputs("No image in jpeg!\n", stdout);
        return false;
    case 0xDA:
        done = true;
        return (readMode & READ_IMAGE) == 0 || ReadImageData(stream);
    case 0xE1:
        if ((readMode & READ_EXIF) && section.data.size() >= 6 &&
            std::memcmp(section.data.data() + 2, "Exif", 4) == 0) {
            m_info->isExif = ProcessExif(section.data.data() + 2, section.data.size() - 2);
            return true;
        }
        break;
    case 0xFE:
        if ((readMode & READ_EXIF) && FindSection(0xFE) == &section) {
            ProcessComment(section);
            return true;
        }
        break;
    default:
        return true; // kept as it is
    }
    m_sections.pop_back(); // JFIF headers, foreign APP1 blocks and later comments are dropped
    return true;
}

bool CRasterExifInfo::ReadImageData(CRasterFile& stream)
{
    // The scan data needs a slot of its own in the table.
    if (m_sections.size() >= kMaxSections)
        return Fail("Too many sections in jpg file");
    const int64_t here = stream.Tell();
    const int64_t end = stream.Size();
    const int64_t size = here >= 0 && end >= here ? end - here : 0;
    Section section;
    section.type = SECTION_IMAGE_DATA;
    try {
        section.data.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return Fail("could not allocate data for entire image");
    }
    if (size > 0 && stream.Read(section.data.data(), 1, section.data.size()) != section.data.size())
        return Fail("could not read the rest of the image");
    m_sections.push_back(std::move(section));
    return true;
}

const CRasterExifInfo::Section* CRasterExifInfo::FindSection(int type) const
{
    for (const Section& s : m_sections)
        if (s.type == type)
            return &s;
    return nullptr;
}

void CRasterExifInfo::ProcessFrame(const Section& section)
{
    const BYTE* d = section.data.data();
    if (section.data.size() < 8)
        return;
    m_info->height = (d[3] << 8) | d[4];
    m_info->width = (d[5] << 8) | d[6];
    m_info->isColor = d[7] == 3;
    m_info->frameMarker = section.type;
}

void CRasterExifInfo::ProcessComment(const Section& section)
{
    const size_t length = std::min<size_t>(section.data.size(), sizeof m_info->comments);
    const BYTE* d = section.data.data();
    size_t n = 0;
    for (size_t a = 2; a < length; ++a) {
        const BYTE ch = d[a];
        if (ch == '\r' && a + 1 < length && d[a + 1] == '\n')
            continue;
        const bool keep = (ch >= 0x20 && ch <= 0x7E) || ch == '\n' || ch == '\t';
        m_info->comments[n++] = keep ? static_cast<char>(ch) : '?';
    }
    m_info->comments[n] = 0;
}

bool CRasterExifInfo::ProcessExif(const BYTE* contents, uint64_t length)
{
    m_info->flashUsed = 0;
    m_info->comments[0] = 0;
    m_exifImageWidth = 0;
    if (length < 14 || std::memcmp(contents, "Exif\0\0", 6) != 0)
        return Fail("Incorrect Exif header");
    if (std::memcmp(contents + 6, "II", 2) == 0)
        m_motorolaOrder = 0;
    else if (std::memcmp(contents + 6, "MM", 2) == 0)
        m_motorolaOrder = 1;
    else
        return Fail("Invalid Exif alignment marker.");
    if (Get16(contents + 8) != 42)
        return Fail("Invalid Exif start (1)");
    const Tiff tiff{contents + 6, length - 6};
    const uint32_t firstOffset = Get32(contents + 10);
    m_directoryBudget = kMaxDirectories;
    if (!ProcessDirectory(tiff, 8, 0))
        return false;
    if (firstOffset > 8 && !ProcessDirectory(tiff, firstOffset, 0))
        return false;
    if (m_info->focalPlaneXRes != 0)
        m_info->ccdWidth = static_cast<float>(m_exifImageWidth * m_info->focalPlaneUnits /
                                              m_info->focalPlaneXRes);
    return true;
}

bool CRasterExifInfo::ProcessDirectory(const Tiff& tiff, uint64_t start, int depth)
{
    if (depth > kMaxDepth || m_directoryBudget <= 0)
        return true; // a looping or absurdly deep file: the rest is ignored
    --m_directoryBudget;
    if (start + 2 > tiff.length)
        return Fail("Illegally sized directory");
    const uint64_t count = Get16(tiff.base + start);
    if (start + 2 + 12 * count > tiff.length)
        return Fail("Illegally sized directory");
    uint64_t thumb[2] = {0, 0}; // offset, length
    for (uint64_t i = 0; i < count; ++i)
        if (!ProcessEntry(tiff, tiff.base + start + 2 + 12 * i, depth, thumb))
            return false;
    const uint64_t linkAt = start + 2 + 12 * count;
    if (linkAt + 4 <= tiff.length) {
        const uint32_t next = Get32(tiff.base + linkAt);
        if (next != 0) {
            if (next >= tiff.length)
                return Fail("Illegal subdirectory link");
            ProcessDirectory(tiff, next, depth + 1);
        }
    }
    if (thumb[0] != 0 && thumb[1] != 0 && thumb[0] + thumb[1] <= tiff.length) {
        m_info->thumbnail = tiff.base + thumb[0];
        m_info->thumbnailSize = static_cast<DWORD>(thumb[1]);
    }
    return true;
}

bool CRasterExifInfo::ProcessEntry(const Tiff& tiff, const BYTE* entry, int depth,
                                   uint64_t thumb[2])
{
    const unsigned tag = Get16(entry);
    const unsigned format = Get16(entry + 2);
    const uint64_t components = Get32(entry + 4);
    if (format < 1 || format > 12)
        return Fail("Illegal format code in EXIF dir");
    const uint64_t bytes = components * kFormatBytes[format];
    const BYTE* value = entry + 8;
    if (bytes > 4) {
        const uint64_t offset = Get32(entry + 8);
        if (offset + bytes > tiff.length)
            return Fail("Illegal pointer offset value in EXIF.");
        value = tiff.base + offset;
    }
    if (tag == 0x8769 || tag == 0xA005)
        return FollowLink(tiff, Get32(value), depth);
    ProcessTag(tag, static_cast<int>(format), value, bytes, thumb);
    return true;
}

bool CRasterExifInfo::FollowLink(const Tiff& tiff, uint64_t offset, int depth)
{
    if (offset > 8) {
        if (offset >= tiff.length)
            return Fail("Illegal subdirectory link");
        ProcessDirectory(tiff, offset, depth + 1);
    }
    return true;
}

void CRasterExifInfo::ProcessTag(unsigned tag, int format, const BYTE* value, uint64_t bytes,
                                 uint64_t thumb[2])
{
    // A value too short for its own format (a count of 0) reads as 0, never past the entry.
    const double v = bytes >= uint64_t(kFormatBytes[format]) ? ConvertValue(value, format) : 0;
    const int iv = static_cast<int>(v);
    EXIFINFO& info = *m_info;
    switch (tag) {
    case 0x010F: CopyText(info.cameraMake, sizeof info.cameraMake, value, bytes); break;
    case 0x0110: CopyText(info.cameraModel, sizeof info.cameraModel, value, bytes); break;
    case 0x9000: CopyText(info.version, sizeof info.version, value, bytes); break;
    case 0x9003: CopyText(info.dateTime, sizeof info.dateTime, value, bytes); break;
    case 0x9286: SetUserComment(value, bytes); break;
    case 0x829D: info.apertureFNumber = float(v); break;
    case 0x9202:
    case 0x9205:
        if (info.apertureFNumber == 0)
            info.apertureFNumber = float(std::pow(2.0, v / 2));
        break;
    case 0x9203: info.brightness = float(v); break;
    case 0x920A: info.focalLength = float(v); break;
    case 0x9206: info.distance = float(v); break;
    case 0x829A: info.exposureTime = float(v); break;
    case 0x9201:
        if (info.exposureTime == 0)
            info.exposureTime = float(1 / std::pow(2.0, v));
        break;
    case 0x9209: info.flashUsed = (iv & 7) != 0; break;
    case 0x0112:
        info.orientation = iv;
        if (iv < 1 || iv > 8) {
            Fail("Undefined rotation value");
            info.orientation = 0;
        }
        break;
    case 0xA002:
    case 0xA003: m_exifImageWidth = std::max(m_exifImageWidth, iv); break;
    case 0xA20E: info.focalPlaneXRes = float(v); break;
    case 0xA20F: info.focalPlaneYRes = float(v); break;
    case 0x0128: info.resolutionUnit = InchesPerUnit(iv, info.resolutionUnit); break;
    case 0xA210: info.focalPlaneUnits = InchesPerUnit(iv, info.focalPlaneUnits); break;
    case 0x9204: info.exposureBias = float(v); break;
    case 0x9208: info.lightSource = iv; break;
    case 0x9207: info.meteringMode = iv; break;
    case 0x8822: info.exposureProgram = iv; break;
    case 0x8827: info.isoEquivalent = iv < 50 ? iv * 200 : iv; break;
    case 0x9102: info.compressionLevel = iv; break;
    case 0x011A: info.xResolution = float(v); break;
    case 0x011B: info.yResolution = float(v); break;
    case 0x0201: thumb[0] = v > 0 ? uint64_t(v) : 0; break;
    case 0x0202: thumb[1] = v > 0 ? uint64_t(v) : 0; break;
    default: break;
    }
}

void CRasterExifInfo::SetUserComment(const BYTE* value, uint64_t bytes)
{
    // Cameras pad the value with blanks; the copy never runs past the value's own bytes.
    uint64_t end = bytes;
    while (end > 0 && value[end - 1] == ' ')
        --end;
    uint64_t start = 0;
    if (end >= 5 && std::memcmp(value, "ASCII", 5) == 0) {
        start = end; // none of bytes 5..9 starts a text: the comments stay as they are
        for (uint64_t a = 5; a < 10 && a < end; ++a)
            if (value[a] != 0 && value[a] != ' ') {
                start = a;
                break;
            }
        if (start == end)
            return;
    }
    CopyText(m_info->comments, 200, value + start, end - start);
}

double CRasterExifInfo::ConvertValue(const BYTE* value, int format) const
{
    switch (format) {
    case 1: return value[0];
    case 3: return Get16(value);
    case 4: return Get32(value);
    case 5:
    case 10: {
        const int32_t num = static_cast<int32_t>(Get32(value));
        const int32_t den = static_cast<int32_t>(Get32(value + 4));
        return den == 0 ? 0 : double(num) / double(den);
    }
    case 6: return static_cast<signed char>(value[0]);
    case 8: return static_cast<int16_t>(Get16(value));
    case 9: return static_cast<int32_t>(Get32(value));
    case 11: {
        float f;
        std::memcpy(&f, value, sizeof f);
        return f;
    }
    case 12: {
        double d;
        std::memcpy(&d, value, sizeof d);
        return d;
    }
    default: return 0;
    }
}

void CRasterExifInfo::DiscardAllButExif()
{
    std::vector<Section> kept;
    for (int type : {0xE1, 0xFE})
        for (Section& s : m_sections)
            if (s.type == type) {
                kept.push_back(std::move(s));
                break;
            }
    m_sections = std::move(kept);
}

bool CRasterExifInfo::EncodeExif(CRasterFile* stream)
{
    const size_t count = m_sections.size();
    bool hasScan = false;
    for (size_t i = 0; i + 1 < count; ++i)
        hasScan = hasScan || m_sections[i].type == 0xDA;
    if (!hasScan)
        return Fail("Can't write exif : didn't read all");
    if (stream == nullptr)
        return Fail("null file handler");
    bool ok = stream->PutC(0xFF) && stream->PutC(0xD8);
    if (m_sections[0].type != 0xE1 && m_sections[0].type != 0xE0)
        ok = ok && WriteAll(*stream, kJfifSegment, sizeof kJfifSegment);
    for (size_t i = 0; ok && i + 1 < count; ++i) {
        const Section& s = m_sections[i];
        ok = stream->PutC(0xFF) && stream->PutC(static_cast<BYTE>(s.type)) &&
             WriteAll(*stream, s.data.data(), s.data.size());
    }
    ok = ok && WriteAll(*stream, m_sections.back().data.data(), m_sections.back().data.size());
    return ok || Fail("Can't write exif : write error");
}
