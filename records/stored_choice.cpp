#include "records/stored_choice.h"

static const char kChoiceLetters[] = "NY";

int ChoiceFromText(const char* text, int defaultChoice)
{
    if (!text[0] || text[1])
        return defaultChoice;
    for (int i = 0; kChoiceLetters[i]; ++i)
        if (text[0] == kChoiceLetters[i])
            return i;
    return defaultChoice;
}

char ChoiceLetter(int choice)
{
    return kChoiceLetters[choice ? 1 : 0];
}
