// libFuzzer target: any registry text as a stored choice (the first byte picks the
// default). Only exactly "N" or "Y" is a choice; the result is always 0 or 1.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "records/stored_choice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    int defaultChoice = data[0] & 1;
    std::string text((const char*)data + 1, size - 1);
    int choice = ChoiceFromText(text.c_str(), defaultChoice);
    size_t length = strlen(text.c_str());
    int expected = defaultChoice;
    if (length == 1 && text[0] == 'N')
        expected = 0;
    if (length == 1 && text[0] == 'Y')
        expected = 1;
    if (choice != expected || ChoiceLetter(choice) != "NY"[choice])
        abort();
    return 0;
}
