// Links inside an installation, as a user who may write the install folder could
// make them. Wine 8.0 makes none of its own (FSCTL_SET_REPARSE_POINT fails with 50,
// CreateSymbolicLinkA reports success and makes nothing), but shows a Linux symbolic
// link inside its drives as the file or folder it leads to (a folder with the
// reparse-point attribute) and follows it. Each link is removed, itself only, when
// the object ends: remove links before their targets.
#pragma once

#include <string>

#include "platform/win32.h"

class FileLink {
public:
    enum Kind {
        kLinuxSymlink,  // made by Linux's ln -s; Wine's own calls would delete its target
        kJunction,      // a Windows mount point, where Wine can make one
    };
    // A link at linkPath to target (both Windows paths); made() tells whether it stands.
    FileLink(Kind kind, const std::string& target, const std::string& linkPath);
    ~FileLink();
    FileLink(const FileLink&) = delete;
    FileLink& operator=(const FileLink&) = delete;

    bool made() const { return made_; }
    DWORD error() const { return error_; }  // why it could not be made

private:
    Kind kind_;
    std::string linkPath_;
    std::string linuxLink_;
    bool made_;
    DWORD error_;
};
