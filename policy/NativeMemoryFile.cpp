#include "policy/MemoryFile.h"

FILE* OpenBytes(const unsigned char* bytes, int length)
{
    return fmemopen(const_cast<unsigned char*>(bytes), static_cast<size_t>(length), "rb");
}
