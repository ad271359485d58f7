#include "imaging/JpegStreamManager.h"

#include "imaging/CRasterFile.h"

#include <cstring>

#include "imaging/JpegGlueCode.h"
