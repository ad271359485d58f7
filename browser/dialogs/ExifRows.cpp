#include "browser/dialogs/ExifRows.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace {

// A text field of the record: up to its size, even when the file left no terminating zero.
template <size_t N>
CString FieldText(const char (&field)[N])
{
    const void* end = std::memchr(field, 0, N);
    const size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - field) : N;
    return CString(field, static_cast<int>(length));
}

// Rounds half up into an int; a value out of range or not a number gives 0.
int RoundToInt(double value)
{
    const double rounded = std::floor(value + 0.5);
    if (!std::isfinite(rounded) || rounded < INT_MIN || rounded > INT_MAX)
        return 0;
    return static_cast<int>(rounded);
}

CString Formatted(const char* format, double value)
{
    CString text;
    text.Format(format, value);
    return text;
}

// Texts from the file may carry line breaks or tabs; a list cell shows one line.
CString OneLine(CString text)
{
    for (int i = 0; i < text.GetLength(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n' || c == '\t')
            text.SetAt(i, ' ');
    }
    text.TrimRight();
    return text;
}

class RowList
{
public:
    void Add(const char* type, const CString& value) { m_rows.push_back({CString(type), OneLine(value)}); }
    std::vector<InfoRow> Take() { return std::move(m_rows); }

private:
    std::vector<InfoRow> m_rows;
};

void AddCameraRows(const EXIFINFO& info, RowList& rows)
{
    const CString make = FieldText(info.cameraMake);
    if (!make.IsEmpty()) {
        rows.Add("Camera make", make);
        rows.Add("Camera model", FieldText(info.cameraModel));
    }
    const CString date = FieldText(info.dateTime);
    if (!date.IsEmpty())
        rows.Add("Date/Time", date);
    const CString version = FieldText(info.version);
    if (!version.IsEmpty())
        rows.Add("Exif version", version);
    CString size;
    size.Format("%d x %d", info.width, info.height);
    rows.Add("Width x Height", size);
    if (info.resolutionUnit != 0 && info.xResolution != 0)
        rows.Add("X resolution (dpi)", Formatted("%.1f", info.xResolution / info.resolutionUnit));
    if (info.resolutionUnit != 0 && info.yResolution != 0)
        rows.Add("Y resolution (dpi)", Formatted("%.1f", info.yResolution / info.resolutionUnit));
    if (info.orientation > 1) {
        CString orientation;
        orientation.Format("%d", info.orientation);
        rows.Add("Orientation", orientation);
    }
    if (!info.isColor)
        rows.Add("Color/bw", "Black and white");
    if (info.flashUsed >= 0)
        rows.Add("Flash used", info.flashUsed ? "Yes" : "No");
}

void AddLensRows(const EXIFINFO& info, RowList& rows)
{
    if (info.focalLength != 0) {
        CString focal;
        if (info.ccdWidth != 0)
            focal.Format("%.1fmm  (35mm equivalent : %dmm)", info.focalLength,
                         RoundToInt(static_cast<double>(info.focalLength) / info.ccdWidth * 36.0));
        else
            focal.Format("%.1fmm", info.focalLength);
        rows.Add("Focal length", focal);
    }
    if (info.ccdWidth != 0)
        rows.Add("CCD width", Formatted("%.2fmm", info.ccdWidth));
    if (info.exposureTime != 0) {
        const double time = info.exposureTime;
        CString exposure;
        if (time > 0 && time <= 0.5)
            exposure.Format("%.3f s (1/%d)", time, RoundToInt(1.0 / time));
        else
            exposure.Format("%.3f s", time);
        rows.Add("Exposure time", exposure);
    }
    if (info.brightness != 0)
        rows.Add("Brightness", Formatted("%.3f", info.brightness));
    if (info.apertureFNumber != 0)
        rows.Add("Aperture", Formatted("f/%.1f", info.apertureFNumber));
    if (info.distance != 0)
        rows.Add("Focus dist", info.distance < 0 ? CString("Infinite") : Formatted("%.2fm", info.distance));
    if (info.isoEquivalent != 0) {
        CString iso;
        iso.Format("%d", info.isoEquivalent);
        rows.Add("ISO equiv", iso);
    }
    if (info.exposureBias != 0)
        rows.Add("Exposure bias", Formatted("%.2f", info.exposureBias));
}

const char* WhiteBalanceName(int lightSource)
{
    switch (lightSource) {
    case 1: return "Sunny";
    case 2: return "Fluorescent";
    case 3: return "Incandescent";
    default: return "Cloudy";
    }
}

const char* MeteringName(int mode)
{
    switch (mode) {
    case 2: return "Center weight";
    case 3: return "Spot";
    case 5: return "Matrix";
    default: return nullptr;
    }
}

const char* ExposureProgramName(int program)
{
    static const char* const kNames[] = {"Management", "Program (Auto)", "Aperture priority (Semi-auto)",
                                         "Shutter priority (Semi-auto)"};
    return program >= 1 && program <= 4 ? kNames[program - 1] : nullptr;
}

const char* QualityName(int level)
{
    switch (level) {
    case 1: return "Basic";
    case 2: return "Normal";
    case 4: return "Fine";
    default: return nullptr;
    }
}

void AddModeRows(const EXIFINFO& info, RowList& rows)
{
    if (info.lightSource != 0)
        rows.Add("Whitebalance", WhiteBalanceName(info.lightSource));
    if (const char* metering = MeteringName(info.meteringMode))
        rows.Add("Metering Mode", metering);
    if (const char* program = ExposureProgramName(info.exposureProgram))
        rows.Add("Exposure", program);
    if (const char* quality = QualityName(info.compressionLevel))
        rows.Add("Jpeg Quality", quality);
    rows.Add("Encoding", JpegEncodingName(info.frameMarker));
}

} // namespace

const char* JpegEncodingName(int frameMarker)
{
    struct Process
    {
        int marker;
        const char* name;
    };
    static const Process kProcesses[] = {
        {0xC0, "Baseline"},
        {0xC1, "Extended sequential"},
        {0xC2, "Progressive"},
        {0xC3, "Lossless"},
        {0xC5, "Differential sequential"},
        {0xC6, "Differential progressive"},
        {0xC7, "Differential lossless"},
        {0xC9, "Extended sequential, arithmetic coding"},
        {0xCA, "Progressive, arithmetic coding"},
        {0xCB, "Lossless, arithmetic coding"},
        {0xCD, "Differential sequential, arithmetic coding"},
        {0xCE, "Differential progressive, arithmetic coding"},
        {0xCF, "Differential lossless, arithmetic coding"},
    };
    for (const Process& process : kProcesses) {
        if (process.marker == frameMarker)
            return process.name;
    }
    return "Unknown";
}

std::vector<InfoRow> BuildExifRows(const EXIFINFO& info)
{
    RowList rows;
    AddCameraRows(info, rows);
    AddLensRows(info, rows);
    AddModeRows(info, rows);
    return rows.Take();
}
