// The folder the installer proposes, and the memory of the folder used last.
#pragma once

// Fills folder (kPathCapacity characters) with the proposal: a -Path folder; else the
// stored beta folder; else a -PathDefault folder; else the release folder or Program
// Files with the channel's name as the last component; each as Windows reads it
// (MakeFullPath). Returns how it was chosen, in words for the deployment log.
const char* ResolveDefaultFolder(char* folder);

// Stores the folder as the beta folder value for the next run to propose.
void RememberInstallFolder(const char* folder);
