// The uninstall log "Uninstall.cfg" in the install folder.
#pragma once

void LogInstalledFile(const char* path);
