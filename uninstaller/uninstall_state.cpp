#include "uninstaller/uninstall_state.h"

UninstallState g_uninstall;
