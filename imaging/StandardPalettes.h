// The standard 16- and 256-colour palettes of the raster image class (SetStdPalette, DecreaseBpp).
#pragma once

#include <windows.h>

extern const RGBQUAD kStandardPalette16[16];
extern const RGBQUAD kStandardPalette256[256];
