#include "imaging/CRasterFile.h"

bool CRasterFile::PutC(unsigned char byte)
{
    return Write(&byte, 1, 1) == 1;
}

const unsigned char* CRasterFile::TakeRest(size_t& bytes)
{
    bytes = 0;
    return nullptr;
}
