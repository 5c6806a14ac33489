// The order in which the uninstaller removes the folders the log lists.
#pragma once

#include <stddef.h>

// Orders folder paths by their number of components, deepest first; folders of the
// same depth keep their order.
void SortDeepestFirst(const char** folders, size_t count);
