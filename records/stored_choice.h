// A yes/no choice kept in the registry as one letter: "N" (0) or "Y" (1).
#pragma once

// The choice the stored text names, or defaultChoice for anything but exactly one
// of the two letters (empty, longer, other letters or case).
int ChoiceFromText(const char* text, int defaultChoice);
// The letter that stores a choice; anything but 0 is 1.
char ChoiceLetter(int choice);
