// arbolix-pack text [--stored | --gzip] INPUT -o OUTPUT
// Writes a text resource: the deflated form (zlib wrapper) unless told otherwise or
// unless deflating does not make it smaller.
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "payload/little_endian.h"
#include "tools/pack/commands.h"
#include "tools/pack/deflate_writer.h"
#include "tools/pack/file_io.h"
#include "tools/pack/help.h"

static void AppendWord(Bytes* out, uint32_t value)
{
    unsigned char word[4];
    WriteWord32(word, value);
    out->insert(out->end(), word, word + 4);
}

static int Fail(const std::string& message)
{
    fprintf(stderr, "arbolix-pack text: %s\n", message.c_str());
    return 1;
}

// The stored form is a length word and the text; the deflated form a length word, a
// stream length word and the stream, kept only when that is the shorter.
static Bytes TextResource(const Bytes& text, bool stored, StreamWrapper wrapper)
{
    Bytes resource;
    Bytes stream;
    if (!stored && text.size() > 4)
        stream = DeflateStream(text, wrapper, false, text.size() - 4);
    if (stream.empty()) {
        AppendWord(&resource, (uint32_t)-(int32_t)text.size());
        resource.insert(resource.end(), text.begin(), text.end());
    } else {
        AppendWord(&resource, (uint32_t)text.size());
        AppendWord(&resource, (uint32_t)stream.size());
        resource.insert(resource.end(), stream.begin(), stream.end());
    }
    return resource;
}

int RunTextCommand(int argc, char** argv)
{
    std::string input, output;
    bool stored = false;
    StreamWrapper wrapper = StreamWrapper::Zlib;
    for (int i = 0; i < argc; ++i) {
        if (!strcmp(argv[i], "--stored")) stored = true;
        else if (!strcmp(argv[i], "--gzip")) wrapper = StreamWrapper::Gzip;
        else if (!strcmp(argv[i], "-o") && i + 1 == argc) return UsageError("text", "-o needs a value");
        else if (!strcmp(argv[i], "-o")) output = argv[++i];
        else if (input.empty() && argv[i][0] != '-') input = argv[i];
        else return UsageError("text", ("unexpected argument '" + std::string(argv[i]) + "'").c_str());
    }
    if (input.empty() || output.empty())
        return UsageError("text", "an input and -o OUTPUT are needed");
    Bytes text;
    std::string why;
    if (!ReadWholeFile(input, &text, &why, INT32_MAX))
        return Fail("cannot read " + input + ": " + why);
    why = OutputPathProblem(output, {input});
    if (why.empty() && WriteWholeFile(output, TextResource(text, stored, wrapper), &why))
        return 0;
    return Fail("cannot write " + output + ": " + why);
}
