// libFuzzer target: any bytes as a text resource. The decoder refuses them or gives
// exactly the length its header names, terminated, and never allocates more than the
// resource could ever inflate to.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "payload/decompress.h"
#include "payload/text_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    size_t length = 12345;
    char* text = DecodeTextResource(data, size, &length);
    if (!text) {
        if (length != 12345)
            abort();
        return 0;
    }
    if (text[length] != 0 || length > (size_t)kMaximumInflateRatio * size)
        abort();
    int32_t word = (int32_t)(data[0] | data[1] << 8 | data[2] << 16 | (uint32_t)data[3] << 24);
    if (word <= 0 && ((size_t)-(int64_t)word != length || memcmp(text, data + 4, length) != 0))
        abort();
    if (word > 0 && (size_t)word != length)
        abort();
    free(text);
    return 0;
}
