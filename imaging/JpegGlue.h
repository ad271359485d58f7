// libjpeg glue over the raster streams, declared once for each libjpeg the program links: at the
// top level over the 8-bit library (JpegStreamManager.h) and inside namespace j12 over the 12-bit
// one (Jpeg12Decoder.cpp), so neither build's types or functions meet the other's. The includer
// has included that library's jpeglib.h and jerror.h, and CRasterFile and JpegDecodeOptions are
// declared at the top level; there is deliberately no include guard.
//
// The source, destination and error managers the JPEG codec hands to libjpeg are plain records
// without destructors, because libjpeg reports errors by a long jump out of its own frames back
// to the codec's set-up point.

struct JPEGSTREAMADAPTER
{
    static constexpr size_t kBufferSize = 4096;
    jpeg_source_mgr source;
    jpeg_destination_mgr destination;
    CRasterFile* stream;
    boolean startOfFile;
    JOCTET buffer[kBufferSize];
};

struct JPEGERRORMANAGER
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char* lastError; // libjpeg's message goes here (256 characters at most)
};

// Bounds the scans libjpeg reads of a progressive picture: forged files of thousands of empty scans
// would each cost a pass over the whole picture.
struct JPEGSCANLIMIT
{
    jpeg_progress_mgr pub;
    int maxScans;
};

// Both attach the adapter through the libjpeg object's client data.
void JpegAttachSource(j_decompress_ptr cinfo, JPEGSTREAMADAPTER& adapter, CRasterFile* stream);
void JpegAttachDestination(j_compress_ptr cinfo, JPEGSTREAMADAPTER& adapter, CRasterFile* stream);

// libjpeg's standard error manager whose fatal errors store the message and jump to the manager's
// jump buffer; warnings are not printed (the program has no console).
jpeg_error_mgr* JpegInitErrorManager(JPEGERRORMANAGER& manager, char* lastError);

// Ends the decode or encode with this text as the error (a long jump to the manager's buffer).
[[noreturn]] void JpegFail(j_common_ptr cinfo, const char* text);
// Makes a decode that reaches more than maxScans scans fail with "JPEG: too many scans".
void JpegLimitScans(j_decompress_ptr cinfo, JPEGSCANLIMIT& limit, int maxScans);
// Sets the decompression parameters the options ask for; call after jpeg_read_header.
void JpegApplyDecodeOptions(j_decompress_ptr cinfo, const JpegDecodeOptions& options);
// Asks for three-component colour in the DIB's blue, green, red order when it comes out
// unquantized; answers whether it does.
bool JpegOutputBgr(j_decompress_ptr cinfo);
