// What arbolix-pack says about its commands and its manifest.
#pragma once

// Prints a command's usage to standard error and returns 2, the status of a command
// line that cannot be used; detail, when given, comes first.
int UsageError(const char* command, const char* detail = nullptr);

// Prints the help on a topic (null: every command; a command's name; "manifest") to
// standard output and returns 0; 2 with the list of topics for any other topic.
int ShowHelp(const char* topic);

// True when the arguments ask for help: "--help" or "-h" among them.
bool AsksForHelp(int argc, char** argv);
