#include "imaging/OpenJpegCoder.h"

#include "imaging/Jpeg2000Stream.h"

#include <algorithm>
#include <memory>

namespace {

// The family class reads at most this many components.
constexpr OPJ_UINT32 kMaxComponents = 64;
// Samples of all components together (4 bytes each in OpenJPEG's buffers).
constexpr uint64_t kMaxSamples = 64ull * 1024 * 1024;

struct CodecDeleter {
    void operator()(opj_codec_t* c) const { opj_destroy_codec(c); }
};
struct ImageDeleter {
    void operator()(opj_image_t* i) const { opj_image_destroy(i); }
};
using CodecPtr = std::unique_ptr<opj_codec_t, CodecDeleter>;
using ImagePtr = std::unique_ptr<opj_image_t, ImageDeleter>;

// OpenJPEG prints its messages to the console unless told otherwise; they are not needed.
void Quiet(const char*, void*) {}

CodecPtr MakeCodec(bool decoder, bool jp2)
{
    const OPJ_CODEC_FORMAT format = jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K;
    CodecPtr codec(decoder ? opj_create_decompress(format) : opj_create_compress(format));
    if (codec) {
        opj_set_info_handler(codec.get(), Quiet, nullptr);
        opj_set_warning_handler(codec.get(), Quiet, nullptr);
        opj_set_error_handler(codec.get(), Quiet, nullptr);
    }
    return codec;
}

uint64_t ComponentSamples(const opj_image_t& image, const opj_image_comp_t& c)
{
    if (c.dx == 0 || c.dy == 0 || image.x1 < image.x0 || image.y1 < image.y0)
        return UINT64_MAX;
    const uint64_t w = (uint64_t(image.x1) - image.x0 + c.dx - 1) / c.dx;
    const uint64_t h = (uint64_t(image.y1) - image.y0 + c.dy - 1) / c.dy;
    return w * h;
}

JasColourSpace SpaceOf(OPJ_COLOR_SPACE space)
{
    switch (space) {
    case OPJ_CLRSPC_GRAY: return JasColourSpace::Grey;
    case OPJ_CLRSPC_SRGB: return JasColourSpace::Rgb;
    // The extended colour differences use the same matrix over a wider range.
    case OPJ_CLRSPC_SYCC:
    case OPJ_CLRSPC_EYCC: return JasColourSpace::Ycc;
    case OPJ_CLRSPC_CMYK: return JasColourSpace::Cmyk;
    default: return JasColourSpace::Unspecified;
    }
}

bool TakeComponents(const opj_image_t& image, JasPicture& picture)
{
    picture.components.clear();
    for (OPJ_UINT32 i = 0; i < image.numcomps; ++i) {
        const opj_image_comp_t& c = image.comps[i];
        if (!c.data || c.prec < 1 || c.prec > 31)
            return false;
        JasComponent out;
        out.width = c.w;
        out.height = c.h;
        out.precision = int(c.prec);
        out.maxValue = (1u << c.prec) - 1;
        const int32_t offset = c.sgnd ? int32_t(1u << (c.prec - 1)) : 0;
        out.samples.assign(c.data, c.data + size_t(c.w) * c.h);
        for (int32_t& s : out.samples)
            s += offset;
        // The channel types of the file: 1 opacity, 2 premultiplied opacity (others are colour
        // or of no named use).
        if (c.alpha == 1)
            out.opacity = JasComponent::Opacity::Plain;
        else if (c.alpha == 2)
            out.opacity = JasComponent::Opacity::Premultiplied;
        picture.components.push_back(std::move(out));
    }
    picture.space = SpaceOf(image.color_space);
    return true;
}

} // namespace

namespace OpenJpegCoder {

bool Read(CRasterFile& file, bool jp2, JasPicture& picture, std::string& error)
{
    Jpeg2000Stream stream(file, true);
    CodecPtr codec = MakeCodec(true, jp2);
    if (!stream.Get() || !codec) {
        error = "error: cannot open standard input";
        return false;
    }
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    opj_image_t* raw = nullptr;
    error = "error: cannot load image data";
    if (!opj_setup_decoder(codec.get(), &parameters)
        || !opj_read_header(stream.Get(), codec.get(), &raw))
        return false;
    ImagePtr image(raw);
    if (image->numcomps == 0)
        return false;
    if (image->numcomps > kMaxComponents) {
        error = "error: too much components";
        return false;
    }
    // The header decides every buffer's size: it is bounded before OpenJPEG allocates them.
    uint64_t samples = 0;
    for (OPJ_UINT32 i = 0; i < image->numcomps; ++i)
        samples += std::min(ComponentSamples(*image, image->comps[i]), kMaxSamples + 1);
    if (samples > kMaxSamples)
        return false;
    if (!opj_decode(codec.get(), stream.Get(), image.get())
        || !opj_end_decompress(codec.get(), stream.Get()) || !TakeComponents(*image, picture))
        return false;
    error.clear();
    return true;
}

bool Write(CRasterFile& file, bool jp2, const JasPicture& picture, double rate,
           std::string& error)
{
    const size_t count = picture.components.size();
    const uint32_t width = count ? picture.components[0].width : 0;
    const uint32_t height = count ? picture.components[0].height : 0;
    opj_image_cmptparm_t parameters[3] = {};
    for (size_t i = 0; i < count && i < 3; ++i) {
        parameters[i].dx = parameters[i].dy = 1;
        parameters[i].w = width;
        parameters[i].h = height;
        parameters[i].prec = 8;
        parameters[i].sgnd = 0;
    }
    ImagePtr image(count == 1 || count == 3
                       ? opj_image_create(OPJ_UINT32(count), parameters,
                                          count == 3 ? OPJ_CLRSPC_SRGB : OPJ_CLRSPC_GRAY)
                       : nullptr);
    if (!image) {
        error = "error : jas_image_create";
        return false;
    }
    image->x0 = image->y0 = 0;
    image->x1 = width;
    image->y1 = height;
    for (size_t i = 0; i < count; ++i)
        std::copy(picture.components[i].samples.begin(), picture.components[i].samples.end(),
                  image->comps[i].data);

    opj_cparameters_t options;
    opj_set_default_encoder_parameters(&options);
    options.tcp_numlayers = 1;
    options.cp_disto_alloc = 1;
    // OpenJPEG takes a compression ratio; 0 asks for lossless coding.
    options.tcp_rates[0] = rate >= 1.0 ? 0.0f : float(1.0 / std::max(rate, 0.01));
    // Every resolution level halves the picture: small pictures get fewer of them.
    int levels = 1;
    while (levels < 6 && (std::min(width, height) >> levels) > 0)
        ++levels;
    options.numresolution = levels;

    error = "error: cannot encode image\n";
    CodecPtr codec = MakeCodec(false, jp2);
    Jpeg2000Stream stream(file, false);
    if (!codec || !stream.Get()) {
        error = "error: cannot open standard output";
        return false;
    }
    if (!opj_setup_encoder(codec.get(), &options, image.get())
        || !opj_start_compress(codec.get(), image.get(), stream.Get())
        || !opj_encode(codec.get(), stream.Get()) || !opj_end_compress(codec.get(), stream.Get()))
        return false;
    error.clear();
    return true;
}

} // namespace OpenJpegCoder
