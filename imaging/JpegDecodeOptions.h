// JpegDecodeOptions: the decompression parameters the JPEG codec asks of libjpeg, in a form that
// does not depend on which libjpeg (8- or 12-bit samples) decodes the file.
#pragma once

struct JpegDecodeOptions
{
    bool grey = false;
    bool quantize = false;
    int colours = 256; // with quantize
    bool dither = false;
    int ditherMode = 0; // libjpeg's J_DITHER_MODE, with dither
    bool onePass = false;
    bool noFancyUpsampling = false;
    unsigned scaleDenominator = 1; // 1, 2, 4 or 8
};
