// KImage: the raster image of the scene: one decoded image placed at a position in scene units,
// the file it came from, its format and a one-line description. Beside it, the free functions that
// load an image without a scene (thumbnails), read a photo's Exif thumbnail and summary, and turn
// a drawing's stored preview into a CDib.
#pragma once

#include "imaging/AlphaBackdrop.h"
#include "imaging/CDib.h"
#include "imaging/CRasterImage.h"
#include "kit/JObject.h"
#include "kit/KFileBuffer.h"
#include "kit/KString.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <thread>

class KCanvas;

class KImage : public JObject
{
public:
    static constexpr COLORREF kNoBackdrop = 0xFFFFFFFF;

    KImage() = default;
    ~KImage() override;

    // Format code for loading (0 when the extension is not accepted) and for saving (0 when not
    // accepted; MNG, WMF and Photoshop have codes but are refused by SaveAs).
    static DWORD LoadFormatOf(const char* path);
    static DWORD SaveFormatOf(const char* path);

    // False when the extension is not accepted, the file cannot be read or the reader fails; the
    // object then holds no image. (x, y) is the image's lower-left corner in scene units.
    bool Load(const char* path, float x, float y);
    // A quick first picture of a large JPEG: decoded at the smallest DCT scale that still covers
    // a box of fitWidth x fitHeight either way up, turned upright, while the whole picture is
    // decoded for LoadFull on a thread of its own. The object holds it as its picture, at its own
    // (smaller) size. False, holding nothing, when the file is no JPEG, cannot be read or
    // decoded, or would not come out smaller.
    bool LoadReduced(const char* path, DWORD fitWidth, DWORD fitHeight);
    // After LoadReduced: the whole picture (waited for) takes the reduced picture's place, as
    // Load would have given it. False, holding nothing, when it cannot be decoded.
    bool LoadFull(float x, float y);
    // Decodes another frame of the file; the picture held stays when the frame cannot be read.
    bool LoadFrame(int32_t frame);
    bool SaveAs(const char* path, BYTE quality);
    // Operation 0 rotates the picture a quarter turn left, 1 right, 2 mirrors it left to right,
    // 3 turns it upside down; the file is not touched. False without a picture or memory.
    bool Transform(int32_t operation);
    // Rewrites the JPEG file's orientation after operation 0 left, 1 right, 2 mirror, 3 flip.
    bool RotateExifOrientation(int32_t operation);
    uint32_t GetBpp() const;
    // Hands the image to the canvas with its top-left corner at (x, y + height); the pixels only
    // when wantPixels is set. A picture with an alpha plane is laid over backdrop first (kNoBackdrop:
    // its pixels as they are).
    void Draw(KCanvas& canvas, bool framed, int32_t shadow, COLORREF frameColor, bool wantPixels,
              bool fastStretch, COLORREF backdrop = kNoBackdrop);
    // box = {min x, min y, max x, max y}; an empty box (empty set) starts at the image's rectangle.
    // The caller clears empty.
    void GetExtents(float box[4], bool& empty);
    void FreeImages();

    const CRasterImage* GetImage() const { return m_image.get(); }
    bool HasImage() const { return m_image || m_secondImage; }
    const KString& GetInfo() const { return m_info; }
    const char* GetPath() const { return m_path; }
    DWORD GetFormat() const { return m_format; }
    // Pages of a multi-page file as its reader reports them (1 for one picture, 0 without one).
    int32_t GetPageCount() const;

private:
    bool LoadPhotoshop(const char* path);
    bool DecodeBytes();
    void SetPath(const char* path);
    void SetSizeInfo(DWORD width, DWORD height, DWORD bits);
    static KString SizeInfo(DWORD width, DWORD height, DWORD bits);

    struct WholePicture
    {
        std::unique_ptr<CRasterImage> image;
        KString info;
    };
    static bool DecodesReduced(const KFileBuffer& bytes, DWORD fitWidth, DWORD fitHeight);
    static void DecodeWhole(const KFileBuffer& bytes, WholePicture& whole);
    void JoinWholeDecode();

    KString m_info;
    KFileBuffer m_fileBytes;
    // The file's bytes from LoadReduced to LoadFull; the block stays for the next file.
    KFileBuffer m_reducedSource;
    bool m_fullPending = false; // the picture held is LoadReduced's
    // The whole picture's decode from LoadReduced's bytes, beside the reduced one; joined
    // before the bytes or the result are touched again (FreeImages, LoadFull).
    WholePicture m_whole;
    std::thread m_wholeThread;
    bool m_wholeStarted = false;
    char m_path[512] = {};
    DWORD m_format = 0;
    std::unique_ptr<CRasterImage> m_image;
    // The picture laid over its backdrop, kept for the redraws of the same picture and backdrop
    // (a pan redraws at every move); dropped whenever the picture changes.
    std::unique_ptr<BackdropPicture> m_laid;
    COLORREF m_laidOver = kNoBackdrop;
    std::unique_ptr<CRasterImage> m_secondImage;
    float m_x = 0.0f;
    float m_y = 0.0f;
};

// Turns the image upright by a JPEG's Exif orientation (values 2..8; others leave it).
void ApplyExifOrientation(CRasterImage& image, int orientation);
// format < 0: from the extension. Null when refused, unreadable or not decoded.
// fitWidth x fitHeight, when given, is the box the picture will be shown fitted into: a JPEG is
// then decoded at the smallest DCT scale that still covers it (the result may be smaller than the
// file's own size).
std::unique_ptr<CRasterImage> LoadRasterImage(const char* path, int32_t format, DWORD fitWidth = 0,
                                              DWORD fitHeight = 0);
std::unique_ptr<CRasterImage> LoadExifThumbnail(const char* path);
// The picture of a thumbnail: with exifThumbnail a JPEG's own Exif thumbnail when it has one, else
// as LoadRasterImage gives it. The file is read once, into scratch, which a caller making one
// thumbnail after another keeps between them (a fresh block for each file costs more than the read).
std::unique_ptr<CRasterImage> LoadThumbnailImage(const char* path, int32_t format, DWORD fitWidth,
                                                 DWORD fitHeight, bool exifThumbnail,
                                                 KFileBuffer& scratch);
// " model WxH flash [exposure] date"; empty without Exif data.
KString GetExifSummary(const char* path);
// The drawing file's stored preview picture into dib; nonzero when it was put there.
BOOL GetDrawingPreviewDib(const char* path, CDib* dib);
