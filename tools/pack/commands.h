#pragma once

// Each command takes the arguments after its name and returns the exit status.
int RunTextCommand(int argc, char** argv);
int RunArchiveCommand(int argc, char** argv);
int RunChecksumCommand(int argc, char** argv);
int RunListCommand(int argc, char** argv);
int RunVerifyCommand(int argc, char** argv);
int RunAlignCommand(int argc, char** argv);
int RunUninstallerCommand(int argc, char** argv);
