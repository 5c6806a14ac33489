// Relative paths that cannot leave the folder they are joined to.
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
