#include "payload/text_resource.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "payload/decompress.h"
#include "payload/little_endian.h"

char* DecodeTextResource(const unsigned char* resource, size_t resourceSize, size_t* length)
{
    if (resourceSize < 4)
        return 0;
    int32_t lengthWord = (int32_t)ReadWord32(resource);
    int stored = lengthWord <= 0;
    // -L of the most negative word does not fit; no text is that long anyway.
    if (lengthWord == INT32_MIN)
        return 0;
    size_t textLength = stored ? (size_t)-(int64_t)lengthWord : (size_t)lengthWord;

    const unsigned char* data = resource + 4;
    size_t dataLength = textLength;
    if (!stored) {
        if (resourceSize < 8)
            return 0;
        dataLength = ReadWord32(resource + 4);
        data = resource + 8;
        // A length no stream of this size can reach would only cost a huge allocation.
        if ((unsigned long long)dataLength * kMaximumInflateRatio < textLength)
            return 0;
    }
    if (dataLength > resourceSize - (size_t)(data - resource))
        return 0;

    char* text = (char*)malloc(textLength + 1);
    if (!text)
        return 0;
    if (stored) {
        memcpy(text, data, textLength);
    } else if (!InflateExactly((unsigned char*)text, textLength, data, dataLength)) {
        free(text);
        return 0;
    }
    text[textLength] = 0;
    *length = textLength;
    return text;
}
