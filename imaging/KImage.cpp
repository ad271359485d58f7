#include "imaging/KImage.h"

#include "imaging/CRasterImageJPG.h"
#include "imaging/CDrawingPreview.h"
#include "engine/rkio/rkio.h"
#include "framework/Afx.h"
#include "imaging/ExifOrientation.h"
#include "framework/GdiScopes.h"
#include "imaging/PsdReader.h"
#include "kit/KCanvas.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct ExtensionFormats
{
    const char* extension;
    DWORD load;
    DWORD save;
};

// Save code 0: not accepted.
const ExtensionFormats kExtensions[] = {
    {".bmp", RASTER_FORMAT_BMP, RASTER_FORMAT_BMP}, {".jpg", RASTER_FORMAT_JPG, RASTER_FORMAT_JPG},
    {".jpeg", RASTER_FORMAT_JPG, RASTER_FORMAT_JPG}, {".gif", RASTER_FORMAT_GIF, RASTER_FORMAT_GIF},
    {".psd", RASTER_FORMAT_PSD, RASTER_FORMAT_PSD}, {".png", RASTER_FORMAT_PNG, RASTER_FORMAT_PNG},
    {".mng", RASTER_FORMAT_MNG, RASTER_FORMAT_MNG}, {".jng", RASTER_FORMAT_MNG, 0},
    {".ico", RASTER_FORMAT_ICO, 0},                  {".tiff", RASTER_FORMAT_TIF, 0},
    {".tif", RASTER_FORMAT_TIF, RASTER_FORMAT_TIF}, {".tga", RASTER_FORMAT_TGA, RASTER_FORMAT_TGA},
    {".pcx", RASTER_FORMAT_PCX, RASTER_FORMAT_PCX}, {".wbmp", RASTER_FORMAT_WBMP, 0},
    {".wmf", RASTER_FORMAT_WMF, RASTER_FORMAT_WMF}, {".emf", RASTER_FORMAT_WMF, 0},
};

const ExtensionFormats* FindExtension(const char* path)
{
    if (!path)
        return nullptr;
    const char* dot = std::strrchr(path, '.');
    if (!dot || std::strpbrk(dot, "\\/"))
        return nullptr;
    std::string extension(dot);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const ExtensionFormats& row : kExtensions) {
        if (extension == row.extension)
            return &row;
    }
    return nullptr;
}

std::unique_ptr<CRasterImage> DecodeFrom(const KFileBuffer& bytes, DWORD format, DWORD fitWidth = 0,
                                         DWORD fitHeight = 0)
{
    auto image = std::make_unique<CRasterImage>(format);
    image->SetDecodeFitBox(fitWidth, fitHeight);
    if (!image->Decode(bytes.GetData(), bytes.GetSize(), format) || !image->IsValid())
        return nullptr;
    return image;
}

// The image of a Photoshop reader that loaded; null when it is not usable.
std::unique_ptr<CRasterImage> ImageOfReader(PsdReader& reader)
{
    HBITMAP bitmap = reader.DetachBitmap();
    if (!bitmap)
        return nullptr;
    auto image = std::make_unique<CRasterImage>();
    const bool made = image->CreateFromHBITMAP(bitmap);
    DeleteObject(bitmap);
    if (!made || !image->IsValid())
        return nullptr;
    return image;
}

struct ReaderCleanup
{
    PsdReader& reader;
    ~ReaderCleanup() { reader.Cleanup(); }
};

struct FileCloser
{
    void operator()(FILE* file) const { std::fclose(file); }
};

} // namespace

void ApplyExifOrientation(CRasterImage& image, int orientation)
{
    switch (orientation) {
    case 2:
        image.Mirror();
        break;
    case 3:
        image.Rotate180();
        break;
    case 4:
        image.Flip();
        break;
    case 5:
        image.RotateLeft();
        image.Flip();
        break;
    case 6:
        image.RotateRight();
        break;
    case 7:
        image.RotateRight();
        image.Flip();
        break;
    case 8:
        image.RotateLeft();
        break;
    default:
        break;
    }
}

KImage::~KImage()
{
    FreeImages();
}

DWORD KImage::LoadFormatOf(const char* path)
{
    const ExtensionFormats* row = FindExtension(path);
    return row ? row->load : 0;
}

DWORD KImage::SaveFormatOf(const char* path)
{
    const ExtensionFormats* row = FindExtension(path);
    return row ? row->save : 0;
}

void KImage::FreeImages()
{
    m_fullPending = false;
    JoinWholeDecode();
    // A large file's bytes are not kept past the picture made from them.
    m_reducedSource.TrimKept();
    m_whole.image.reset();
    m_image.reset();
    m_secondImage.reset();
    m_laid.reset();
}

void KImage::SetPath(const char* path)
{
    std::snprintf(m_path, sizeof m_path, "%s", path);
}

void KImage::SetSizeInfo(DWORD width, DWORD height, DWORD bits)
{
    m_info = SizeInfo(width, height, bits);
}

KString KImage::SizeInfo(DWORD width, DWORD height, DWORD bits)
{
    KString info;
    info.Format("width:%lu , height:%lu , bits:%lu", static_cast<unsigned long>(width),
                static_cast<unsigned long>(height), static_cast<unsigned long>(bits));
    return info;
}

bool KImage::Load(const char* path, float x, float y)
{
    m_format = LoadFormatOf(path);
    if (m_format == 0)
        return false;
    m_x = x;
    m_y = y;
    FreeImages();
    m_info.Empty();
    m_fileBytes.Free();
    try {
        if (m_format == RASTER_FORMAT_PSD)
            return LoadPhotoshop(path);
        if (!m_fileBytes.LoadFile(path))
            return false;
        m_image = DecodeFrom(m_fileBytes, m_format);
        m_fileBytes.Free();
        if (!m_image)
            return false;
        SetPath(path);
        SetSizeInfo(m_image->GetWidth(), m_image->GetHeight(), m_image->GetBpp());
        if (m_format == RASTER_FORMAT_JPG)
            ApplyExifOrientation(*m_image, ReadExifOrientation(path));
        return true;
    } catch (...) {
        FreeImages();
        m_fileBytes.Free();
        return false;
    }
}

// The header alone says whether the box lets the picture decode smaller (a tenth of a
// millisecond), before any decode is started.
bool KImage::DecodesReduced(const KFileBuffer& bytes, DWORD fitWidth, DWORD fitHeight)
{
    CRasterImage probe(RASTER_FORMAT_JPG);
    probe.SetDecodeFitBox(fitWidth, fitHeight);
    probe.SetEscape(-1);
    return probe.Decode(bytes.GetData(), bytes.GetSize(), RASTER_FORMAT_JPG) && probe.IsDecodedReduced();
}

// Filled in place, inside the try: on the decode's own thread nothing may throw past it.
void KImage::DecodeWhole(const KFileBuffer& bytes, WholePicture& whole)
{
    try {
        whole.image = DecodeFrom(bytes, RASTER_FORMAT_JPG);
        if (whole.image) {
            // As Load: the size as the file stores it, before the turn.
            whole.info = SizeInfo(whole.image->GetWidth(), whole.image->GetHeight(), whole.image->GetBpp());
            ApplyExifOrientation(*whole.image, ExifOrientation(bytes.GetData(), bytes.GetSize()));
        }
    } catch (...) {
        whole.image.reset();
    }
}

void KImage::JoinWholeDecode()
{
    if (m_wholeThread.joinable())
        m_wholeThread.join();
}

bool KImage::LoadReduced(const char* path, DWORD fitWidth, DWORD fitHeight)
{
    FreeImages();
    m_info.Empty();
    m_fileBytes.Free();
    m_format = LoadFormatOf(path);
    if (m_format != RASTER_FORMAT_JPG || fitWidth == 0 || fitHeight == 0)
        return false;
    try {
        if (!m_reducedSource.ReloadFile(path) || !DecodesReduced(m_reducedSource, fitWidth, fitHeight))
            return false;
        // The whole picture is decoded beside the reduced one, on a core of its own: it is
        // wanted right after. Without a thread LoadFull decodes it.
        m_wholeStarted = false;
        try {
            m_wholeThread = std::thread([this] { DecodeWhole(m_reducedSource, m_whole); });
            m_wholeStarted = true;
        } catch (...) {
            m_wholeStarted = false;
        }
        std::unique_ptr<CRasterImage> image = DecodeFrom(m_reducedSource, m_format, fitWidth, fitHeight);
        if (!image || !image->IsDecodedReduced()) {
            FreeImages();
            return false;
        }
        ApplyExifOrientation(*image, ExifOrientation(m_reducedSource.GetData(), m_reducedSource.GetSize()));
        m_image = std::move(image);
        m_fullPending = true;
        SetPath(path);
        return true;
    } catch (...) {
        FreeImages();
        return false;
    }
}

bool KImage::LoadFull(float x, float y)
{
    if (!m_fullPending || m_format != RASTER_FORMAT_JPG)
        return false;
    JoinWholeDecode();
    try {
        if (!m_wholeStarted)
            DecodeWhole(m_reducedSource, m_whole);
        std::unique_ptr<CRasterImage> image = std::move(m_whole.image);
        const KString info = m_whole.info;
        // The reduced picture stays until the full one can take its place.
        FreeImages();
        if (!image)
            return false;
        m_x = x;
        m_y = y;
        m_image = std::move(image);
        m_info = info;
        return true;
    } catch (...) {
        FreeImages();
        return false;
    }
}

bool KImage::LoadPhotoshop(const char* path)
{
    PsdReader reader;
    ReaderCleanup cleanup{reader};
    if (reader.Load(path) != 0)
        return false;
    m_info.Format("width:%d , height:%d , bits:%d", reader.GetWidth(), reader.GetHeight(),
                  3 * reader.GetDepth());
    const char* mode = reader.GetColorModeName();
    if (mode && *mode) {
        m_info.Append(" [ ");
        m_info.Append(mode);
        m_info.Append(" ]");
    }
    m_image = ImageOfReader(reader);
    if (!m_image)
        return false;
    SetPath(path);
    return true;
}

bool KImage::DecodeBytes()
{
    if (m_image)
        return true;
    if (m_fileBytes.IsEmpty())
        return false;
    FreeImages();
    m_image = DecodeFrom(m_fileBytes, m_format);
    m_fileBytes.Free();
    return m_image != nullptr;
}

bool KImage::LoadFrame(int32_t frame)
{
    if (!m_image)
        return false;
    try {
        KFileBuffer bytes;
        if (!bytes.LoadFile(m_path))
            return false;
        auto image = std::make_unique<CRasterImage>(m_format);
        image->SetFrame(frame);
        if (!image->Decode(bytes.GetData(), bytes.GetSize(), m_format) || !image->IsValid())
            return false;
        FreeImages();
        m_image = std::move(image);
        return true;
    } catch (...) {
        return false;
    }
}

bool KImage::SaveAs(const char* path, BYTE quality)
{
    if (!m_image)
        return false;
    const DWORD code = SaveFormatOf(path);
    try {
        switch (code) {
        case RASTER_FORMAT_GIF:
        case RASTER_FORMAT_PCX: {
            // Both formats hold at most 8 bits; a copy is reduced so the held image stays.
            CRasterImage copy(*m_image, true, true, true);
            if (copy.GetBpp() > 8 && !copy.DecreaseBpp(8, true, nullptr))
                return false;
            return copy.Save(path, code);
        }
        case RASTER_FORMAT_BMP:
        case RASTER_FORMAT_JPG:
        case RASTER_FORMAT_TIF:
        case RASTER_FORMAT_TGA:
        case RASTER_FORMAT_PNG:
            m_image->SetJpegQuality(quality);
            return m_image->Save(path, code);
        default:
            return false;
        }
    } catch (...) {
        return false;
    }
}

bool KImage::Transform(int32_t operation)
{
    if (operation < 0 || operation > 3 || !DecodeBytes())
        return false;
    try {
        bool done = false;
        switch (operation) {
        case 0:
            done = m_image->RotateLeft();
            break;
        case 1:
            done = m_image->RotateRight();
            break;
        case 2:
            done = m_image->Mirror();
            break;
        default:
            done = m_image->Flip();
            break;
        }
        m_laid.reset();
        if (done)
            SetSizeInfo(m_image->GetWidth(), m_image->GetHeight(), m_image->GetBpp());
        return done;
    } catch (...) {
        return false;
    }
}

bool KImage::RotateExifOrientation(int32_t operation)
{
    if (m_format != RASTER_FORMAT_JPG || operation < 0 || operation > 3)
        return false;
    const WORD current = ReadExifOrientation(m_path);
    const WORD rotated = ExifRotatedOrientation(operation, current);
    if (rotated == 0)
        return false;
    return WriteExifOrientation(m_path, rotated);
}

uint32_t KImage::GetBpp() const
{
    return m_image ? m_image->GetBpp() : 0;
}

int32_t KImage::GetPageCount() const
{
    if (!m_image)
        return 0;
    return m_image->GetNumFrames() > 1 ? m_image->GetNumFrames() : 1;
}

void KImage::Draw(KCanvas& canvas, bool framed, int32_t shadow, COLORREF frameColor,
                  bool wantPixels, bool fastStretch, COLORREF backdrop)
{
    if (!DecodeBytes())
        return;
    const int32_t width = static_cast<int32_t>(m_image->GetWidth());
    const int32_t height = static_cast<int32_t>(m_image->GetHeight());
    const KType::RPoint2D topLeft = {m_x, m_y + static_cast<float>(height)};
    // The canvas copies pixels without blending: a transparent picture is laid over the backdrop.
    if (wantPixels && backdrop != kNoBackdrop && m_image->AlphaIsValid()) {
        if (!m_laid || m_laidOver != backdrop) {
            auto laid = std::make_unique<BackdropPicture>();
            if (LayOverBackdrop(*m_image, backdrop, *laid)) {
                m_laid = std::move(laid);
                m_laidOver = backdrop;
            }
        }
        if (m_laid) {
            canvas.DrawImage(topLeft, width, height, m_laid->bits.data(),
                             reinterpret_cast<const BITMAPINFO*>(&m_laid->header), framed, shadow, frameColor,
                             fastStretch);
            return;
        }
    }
    canvas.DrawImage(topLeft, width, height, wantPixels ? m_image->GetBits() : nullptr,
                     static_cast<const BITMAPINFO*>(m_image->GetDIB()), framed, shadow, frameColor,
                     fastStretch);
}

void KImage::GetExtents(float box[4], bool& empty)
{
    if (!DecodeBytes()) {
        m_fileBytes.Free();
        return;
    }
    const float right = m_x + static_cast<float>(m_image->GetWidth());
    const float top = m_y + static_cast<float>(m_image->GetHeight());
    if (empty) {
        box[0] = m_x;
        box[1] = m_y;
        box[2] = right;
        box[3] = top;
    }
    box[0] = box[0] < m_x ? box[0] : m_x;
    box[1] = box[1] < m_y ? box[1] : m_y;
    box[2] = box[2] > right ? box[2] : right;
    box[3] = box[3] > top ? box[3] : top;
}

namespace {

// The picture an Exif thumbnail read gave, upright; null without one. Frees the bitmap.
std::unique_ptr<CRasterImage> ImageOfExifThumbnail(bool read, EXIFTHUMBNAIL& thumbnail)
{
    if (!read || !thumbnail.hBitmap) {
        if (thumbnail.hBitmap)
            DeleteObject(thumbnail.hBitmap);
        return nullptr;
    }
    auto image = std::make_unique<CRasterImage>();
    const bool made = image->CreateFromHBITMAP(thumbnail.hBitmap);
    DeleteObject(thumbnail.hBitmap);
    if (!made || !image->IsValid())
        return nullptr;
    ApplyExifOrientation(*image, thumbnail.orientation);
    return image;
}

// A file's bytes decoded to cover the box, a JPEG turned upright.
std::unique_ptr<CRasterImage> DecodeUpright(const KFileBuffer& bytes, DWORD code, DWORD fitWidth,
                                            DWORD fitHeight)
{
    std::unique_ptr<CRasterImage> image = DecodeFrom(bytes, code, fitWidth, fitHeight);
    if (image && code == RASTER_FORMAT_JPG)
        ApplyExifOrientation(*image, ExifOrientation(bytes.GetData(), bytes.GetSize()));
    return image;
}

} // namespace

std::unique_ptr<CRasterImage> LoadRasterImage(const char* path, int32_t format, DWORD fitWidth,
                                              DWORD fitHeight)
{
    const DWORD code = format < 0 ? KImage::LoadFormatOf(path) : static_cast<DWORD>(format);
    if (code == 0 || !path)
        return nullptr;
    if (code == RASTER_FORMAT_PSD) {
        PsdReader reader;
        ReaderCleanup cleanup{reader};
        if (reader.Load(path) != 0)
            return nullptr;
        return ImageOfReader(reader);
    }
    KFileBuffer bytes;
    if (!bytes.LoadFile(path))
        return nullptr;
    return DecodeUpright(bytes, code, fitWidth, fitHeight);
}

std::unique_ptr<CRasterImage> LoadExifThumbnail(const char* path)
{
    std::unique_ptr<FILE, FileCloser> file(path ? std::fopen(path, "rb") : nullptr);
    if (!file)
        return nullptr;
    EXIFTHUMBNAIL thumbnail;
    const bool read = ReadExifThumbnail(file.get(), thumbnail) != 0;
    return ImageOfExifThumbnail(read, thumbnail);
}

std::unique_ptr<CRasterImage> LoadThumbnailImage(const char* path, int32_t format, DWORD fitWidth,
                                                 DWORD fitHeight, bool exifThumbnail,
                                                 KFileBuffer& scratch)
{
    const DWORD code = format < 0 ? KImage::LoadFormatOf(path) : static_cast<DWORD>(format);
    if (code == 0 || !path)
        return nullptr;
    if (code == RASTER_FORMAT_PSD || !scratch.ReloadFile(path)) {
        // Too large to hold (or not read whole): the Exif thumbnail is still read from the file.
        std::unique_ptr<CRasterImage> image = exifThumbnail ? LoadExifThumbnail(path) : nullptr;
        return image ? std::move(image) : LoadRasterImage(path, format, fitWidth, fitHeight);
    }
    std::unique_ptr<CRasterImage> image;
    if (exifThumbnail) {
        EXIFTHUMBNAIL thumbnail;
        const bool read = ReadExifThumbnailOfFile(scratch.GetData(), scratch.GetSize(), thumbnail) != 0;
        image = ImageOfExifThumbnail(read, thumbnail);
    }
    if (!image)
        image = DecodeUpright(scratch, code, fitWidth, fitHeight);
    scratch.TrimKept();
    return image;
}

namespace {

KString ExposureText(const EXIFINFO& exif)
{
    KString text;
    switch (exif.exposureProgram) {
    case 1:
        text.Append(" M:");
        break;
    case 2:
        text.Append(" A/P:)");
        break;
    case 3:
        text.Append(" A:");
        break;
    case 4:
        text.Append(" S:");
        break;
    default:
        break;
    }
    KString part;
    if (exif.apertureFNumber != 0.0f) {
        part.Format(" f/%3.1f ,", static_cast<double>(exif.apertureFNumber));
        text.Append(part.GetText());
    }
    const double t = exif.exposureTime;
    if (t != 0.0) {
        if (t > 0.5)
            part.Format(" %6.3fs ", t);
        else
            part.Format(" 1/%ds", static_cast<int>(1.0 / t + 0.5));
        text.Append(part.GetText());
    }
    return text;
}

} // namespace

KString GetExifSummary(const char* path)
{
    KString summary;
    try {
        std::unique_ptr<FILE, FileCloser> file(path ? std::fopen(path, "rb") : nullptr);
        if (!file)
            return summary;
        CRasterImageJPG jpeg;
        if (!jpeg.DecodeExif(file.get()))
            return summary;
        const EXIFINFO& exif = jpeg.GetExifInfo();
        KString part;
        if (exif.cameraMake[0]) {
            part.Format(" %.*s", static_cast<int>(sizeof exif.cameraModel), exif.cameraModel);
            summary.Append(part.GetText());
        }
        part.Format(" %dx%d", exif.width, exif.height);
        summary.Append(part.GetText());
        if (exif.flashUsed >= 0)
            summary.Append(exif.flashUsed ? " Flashed" : " ");
        const KString exposure = ExposureText(exif);
        if (!exposure.IsEmpty()) {
            summary.Append("[");
            summary.Append(exposure.GetText());
            summary.Append("]");
        }
        if (exif.dateTime[0]) {
            part.Format(" %.*s", static_cast<int>(sizeof exif.dateTime), exif.dateTime);
            summary.Append(part.GetText());
        }
    } catch (...) {
        summary.Empty();
    }
    return summary;
}

BOOL GetDrawingPreviewDib(const char* path, CDib* dib)
{
    if (!path || !dib)
        return FALSE;
    try {
        CDrawingPreview preview;
        if (!preview.Read(path))
            return FALSE;
        const CRasterImage image(preview.GetBytes(), preview.GetSize(), RASTER_FORMAT_BMP);
        if (!image.IsValid())
            return FALSE;
        const GdiObject<HBITMAP> section(image.MakeBitmap(nullptr));
        return section ? dib->CreateFromBitmap(section.Get()) : FALSE;
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    return FALSE;
}
