// Removes the shortcuts that lead into the installation.
#pragma once

#include "platform/win32.h"

// Deletes kLinkName (common/product.h) directly in each shortcut folder when its
// target lies inside this installation's folder, whether the log lists it or not: a
// reinstallation drops the earlier shortcut lines, and a later installation elsewhere
// owns a shortcut of that name that leads there. A link standing at that name is
// left alone. Returns 0 or the error of the first that could not be deleted (its
// path in the state's failedPath).
DWORD RemoveShortcuts();
