#include "imaging/CRasterFile.h"

bool CRasterFile::PutC(unsigned char byte)
{
    return Write(&byte, 1, 1) == 1;
}
