// The progress window's status line, the one line of progress a run shows, and the
// wait cursor.
#pragma once

enum { kStatusCapacity = 312 };

// Sets the setup state's status line to the text.
void ShowStatus(const char* text);
// "Installing NAME...", drawn at most every 100 ms: the entries in between are not shown.
void ShowInstallingStatus(const char* entryName);
void ShowWaitCursor();
