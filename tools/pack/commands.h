#pragma once

// Each command takes the arguments after its name and returns the exit status.
int RunTextCommand(int argc, char** argv);
