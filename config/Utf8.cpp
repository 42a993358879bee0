#include "config/Utf8.h"

int EncodeUtf8(long code, unsigned char* out)
{
    if (code < 0x80) {
        out[0] = static_cast<unsigned char>(code);
        return 1;
    }
    int follow = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    static const unsigned char leads[] = {0, 0xC0, 0xE0, 0xF0};
    out[0] = static_cast<unsigned char>(leads[follow] | code >> (6 * follow));
    for (int i = 1; i <= follow; ++i)
        out[i] = static_cast<unsigned char>(0x80 | ((code >> (6 * (follow - i))) & 0x3F));
    return follow + 1;
}
