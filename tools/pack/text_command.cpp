// arbolix-pack text [--stored | --gzip] INPUT -o OUTPUT
// Writes a text resource: the deflated form (zlib wrapper) unless told otherwise.
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "payload/little_endian.h"
#include "tools/pack/commands.h"
#include "tools/pack/deflate_writer.h"

static void AppendWord(Bytes* out, uint32_t value)
{
    unsigned char word[4];
    WriteWord32(word, value);
    out->insert(out->end(), word, word + 4);
}

int RunTextCommand(int argc, char** argv)
{
    std::string input, output;
    bool stored = false;
    StreamWrapper wrapper = StreamWrapper::Zlib;
    for (int i = 0; i < argc; ++i) {
        if (!strcmp(argv[i], "--stored")) stored = true;
        else if (!strcmp(argv[i], "--gzip")) wrapper = StreamWrapper::Gzip;
        else if (!strcmp(argv[i], "-o") && i + 1 < argc) output = argv[++i];
        else if (input.empty()) input = argv[i];
        else {
            fprintf(stderr, "arbolix-pack text: unexpected argument '%s'\n", argv[i]);
            return 2;
        }
    }
    if (input.empty() || output.empty()) {
        fprintf(stderr, "usage: arbolix-pack text [--stored | --gzip] INPUT -o OUTPUT\n");
        return 2;
    }
    Bytes text;
    if (!ReadWholeFile(input, &text)) {
        fprintf(stderr, "arbolix-pack text: cannot read %s\n", input.c_str());
        return 1;
    }
    if (text.size() > INT32_MAX) {
        fprintf(stderr, "arbolix-pack text: %s is too large for a text resource\n", input.c_str());
        return 1;
    }
    Bytes resource;
    if (stored || text.empty()) {
        AppendWord(&resource, (uint32_t)-(int32_t)text.size());
        resource.insert(resource.end(), text.begin(), text.end());
    } else {
        Bytes stream = DeflateStream(text, wrapper);
        AppendWord(&resource, (uint32_t)text.size());
        AppendWord(&resource, (uint32_t)stream.size());
        resource.insert(resource.end(), stream.begin(), stream.end());
    }
    if (!WriteWholeFile(output, resource)) {
        fprintf(stderr, "arbolix-pack text: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
