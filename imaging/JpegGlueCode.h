// The definitions of JpegGlue.h, compiled once for each libjpeg under the same rules: the includer
// has included JpegGlue.h in the same scope, CRasterFile.h and <cstring>.

namespace {

JPEGSTREAMADAPTER& AdapterOf(j_common_ptr cinfo)
{
    return *static_cast<JPEGSTREAMADAPTER*>(cinfo->client_data);
}

void InitSource(j_decompress_ptr cinfo)
{
    AdapterOf(reinterpret_cast<j_common_ptr>(cinfo)).startOfFile = TRUE;
}

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    JPEGSTREAMADAPTER& a = AdapterOf(reinterpret_cast<j_common_ptr>(cinfo));
    // Bytes already in memory are handed over in one block: libjpeg's fast Huffman decoder runs
    // only while a few kilobytes of the picture lie ahead in its buffer, so a copy in small
    // blocks would keep it on the slow path most of the time.
    if (a.startOfFile) {
        size_t rest = 0;
        if (const JOCTET* whole = a.stream->TakeRest(rest)) {
            a.source.next_input_byte = whole;
            a.source.bytes_in_buffer = rest;
            a.startOfFile = FALSE;
            return TRUE;
        }
    }
    size_t count = a.stream->Read(a.buffer, 1, JPEGSTREAMADAPTER::kBufferSize);
    if (count == 0) {
        if (a.startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // A truncated file: end it with an end-of-image marker so libjpeg completes the picture.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        a.buffer[0] = 0xFF;
        a.buffer[1] = JPEG_EOI;
        count = 2;
    }
    a.source.next_input_byte = a.buffer;
    a.source.bytes_in_buffer = count;
    a.startOfFile = FALSE;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr& src = *cinfo->src;
    size_t n = static_cast<size_t>(count);
    // Every refill brings at least two bytes, so the loop ends.
    while (n > src.bytes_in_buffer) {
        n -= src.bytes_in_buffer;
        FillInputBuffer(cinfo);
    }
    src.next_input_byte += n;
    src.bytes_in_buffer -= n;
}

void TermSource(j_decompress_ptr) {}

void InitDestination(j_compress_ptr cinfo)
{
    JPEGSTREAMADAPTER& a = AdapterOf(reinterpret_cast<j_common_ptr>(cinfo));
    a.destination.next_output_byte = a.buffer;
    a.destination.free_in_buffer = JPEGSTREAMADAPTER::kBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo)
{
    JPEGSTREAMADAPTER& a = AdapterOf(reinterpret_cast<j_common_ptr>(cinfo));
    if (a.stream->Write(a.buffer, 1, JPEGSTREAMADAPTER::kBufferSize) !=
        JPEGSTREAMADAPTER::kBufferSize)
        ERREXIT(cinfo, JERR_FILE_WRITE);
    InitDestination(cinfo);
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    JPEGSTREAMADAPTER& a = AdapterOf(reinterpret_cast<j_common_ptr>(cinfo));
    const size_t count = JPEGSTREAMADAPTER::kBufferSize - a.destination.free_in_buffer;
    if (count > 0 && a.stream->Write(a.buffer, 1, count) != count)
        ERREXIT(cinfo, JERR_FILE_WRITE);
    a.stream->Flush();
    if (a.stream->Error() != 0)
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

void ErrorExit(j_common_ptr cinfo)
{
    JPEGERRORMANAGER& m = *reinterpret_cast<JPEGERRORMANAGER*>(cinfo->err);
    char message[JMSG_LENGTH_MAX] = {};
    cinfo->err->format_message(cinfo, message);
    std::strncpy(m.lastError, message, 255);
    m.lastError[255] = 0;
    std::longjmp(m.jump, 1);
}

void OutputMessage(j_common_ptr) {}

void CheckScans(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    const auto* limit = reinterpret_cast<const JPEGSCANLIMIT*>(cinfo->progress);
    if (d->input_scan_number > limit->maxScans)
        JpegFail(cinfo, "JPEG: too many scans");
}

} // namespace

void JpegAttachSource(j_decompress_ptr cinfo, JPEGSTREAMADAPTER& adapter, CRasterFile* stream)
{
    adapter.stream = stream;
    adapter.source.init_source = InitSource;
    adapter.source.fill_input_buffer = FillInputBuffer;
    adapter.source.skip_input_data = SkipInputData;
    adapter.source.resync_to_restart = jpeg_resync_to_restart;
    adapter.source.term_source = TermSource;
    adapter.source.bytes_in_buffer = 0;
    adapter.source.next_input_byte = nullptr;
    cinfo->client_data = &adapter;
    cinfo->src = &adapter.source;
}

void JpegAttachDestination(j_compress_ptr cinfo, JPEGSTREAMADAPTER& adapter, CRasterFile* stream)
{
    adapter.stream = stream;
    adapter.destination.init_destination = InitDestination;
    adapter.destination.empty_output_buffer = EmptyOutputBuffer;
    adapter.destination.term_destination = TermDestination;
    cinfo->client_data = &adapter;
    cinfo->dest = &adapter.destination;
}

jpeg_error_mgr* JpegInitErrorManager(JPEGERRORMANAGER& manager, char* lastError)
{
    jpeg_std_error(&manager.pub);
    manager.pub.error_exit = ErrorExit;
    manager.pub.output_message = OutputMessage;
    manager.lastError = lastError;
    return &manager.pub;
}

void JpegFail(j_common_ptr cinfo, const char* text)
{
    JPEGERRORMANAGER& m = *reinterpret_cast<JPEGERRORMANAGER*>(cinfo->err);
    std::strncpy(m.lastError, text, 255);
    m.lastError[255] = 0;
    std::longjmp(m.jump, 1);
}

void JpegLimitScans(j_decompress_ptr cinfo, JPEGSCANLIMIT& limit, int maxScans)
{
    limit.pub = {};
    limit.pub.progress_monitor = CheckScans;
    limit.maxScans = maxScans;
    cinfo->progress = &limit.pub;
}

void JpegApplyDecodeOptions(j_decompress_ptr cinfo, const JpegDecodeOptions& options)
{
    if (options.grey)
        cinfo->out_color_space = JCS_GRAYSCALE;
    if (options.quantize) {
        cinfo->quantize_colors = TRUE;
        cinfo->desired_number_of_colors = options.colours;
    }
    if (options.dither)
        cinfo->dither_mode = static_cast<J_DITHER_MODE>(options.ditherMode);
    if (options.onePass)
        cinfo->two_pass_quantize = FALSE;
    if (options.noFancyUpsampling)
        cinfo->do_fancy_upsampling = FALSE;
    cinfo->scale_denom = options.scaleDenominator;
}

bool JpegOutputBgr(j_decompress_ptr cinfo)
{
    if (cinfo->out_color_space != JCS_RGB || cinfo->quantize_colors)
        return false;
    cinfo->out_color_space = JCS_EXT_BGR;
    return true;
}
