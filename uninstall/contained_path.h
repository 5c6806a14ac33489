// Whether a path lies inside a folder, judged on the text alone: on whole components
// and without regard to case, so C:\Apps\Arbolix2 is not inside C:\Apps\Arbolix.
// Only plain full paths take part: a drive form (C:\...) or a UNC form
// (\\server\share\...), '\' as the only separator, no empty component, no component
// made only of dots and spaces ("." and ".." included), no stream, device or wildcard
// characters, shorter than 260 characters. Anything else is inside nothing, since
// Windows might resolve it to somewhere its text does not say.
#pragma once

int IsPlainFullPath(const char* path);

// Strictly inside: the folder itself is not inside itself. One trailing '\' of
// either text is ignored.
int IsPathInside(const char* path, const char* folder);

// The same plain path, compared as above.
int IsSamePath(const char* a, const char* b);
