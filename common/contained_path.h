// Relative paths that cannot leave the folder they are joined to, and the names
// an archive entry may have.
#pragma once

// 1 when path is a relative path of one or more plain components separated by '\':
// no drive or other ':', no '/', no empty component and none made only of dots and
// spaces (Windows reads "..", and trims "... " to it). Anything else could name a
// file outside the base folder.
int IsContainedRelativePath(const char* path);

// 1 when path names something strictly inside folder: the folder's text, compared
// without regard to ASCII case, then '\' and a contained relative path. An empty
// folder holds nothing.
int IsInsideFolder(const char* path, const char* folder);

// Why an entry's name cannot be installed under its base folder. The packer refuses
// these names and the setup program will not write them.
enum TargetNameFault {
    kTargetNameFine = 0,
    kTargetNameEmpty,
    kTargetNameTooLong,         // more than 259 characters: no path could hold it
    kTargetNameSlash,           // '/' as a separator
    kTargetNameColon,           // a drive or a stream
    kTargetNameNotContained,    // not a contained relative path (above)
    kTargetNameForbiddenByte,   // < > " | ? * or a control byte
    kTargetNameDevice,          // CON, NUL, COM1 and the like, with or without extension
};
enum { kTargetNameMaximum = 259 };

// kTargetNameFine, or the first fault of name in the order above.
int FindTargetNameFault(const char* name);
