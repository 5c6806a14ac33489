// Folders on disk: the existence test and creating a whole chain of folders.
#pragma once

// True when the path exists and is a directory.
int IsDirectory(const char* path);

// Creates every missing level of a drive (C:\...) or UNC (\\server\share\...) folder.
// ERROR_SUCCESS (0) only when the folder did not exist and now does;
// ERROR_ALREADY_EXISTS (183) when it existed or is a drive root;
// ERROR_INVALID_NAME (123) when it is not such a folder or could not be created.
// The last level gets the security descriptor given, where the file system keeps one;
// the other levels inherit theirs.
unsigned long CreateFolderChain(const char* folder, const void* lastLevelSecurity = 0);

// 0 when the folder's volume keeps no access lists (FAT, some shares).
int VolumeKeepsAccessLists(const char* folder);
