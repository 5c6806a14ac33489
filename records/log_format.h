// The uninstall log, shared by the setup program that writes it and the uninstaller
// that reads it: "Uninstall.cfg" in the install folder, a text file with CR LF line
// ends where every line is a one-character tag followed directly by a full path.
#pragma once

enum {
    kLogFileTag = 'f',    // a file to delete: an installed file or a shortcut
    kLogFolderTag = 'd',  // a folder that setup created
};

inline constexpr char kUninstallLogName[] = "Uninstall.cfg";
inline constexpr char kUninstallerName[] = "Uninstall.exe";
