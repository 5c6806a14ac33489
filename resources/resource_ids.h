// Identities of the setup program's resources and dialog controls, shared by the
// resource script, the code and the packer.
#pragma once

// The "Z" resources: the license text, the payload archive and its checksum (the
// CRC-32 of the archive's bytes, 4 bytes little-endian, which the packer checks).
#define IDR_LICENSE_TEXT 107
#define IDR_PAYLOAD_ARCHIVE 110
#define IDR_PAYLOAD_CHECKSUM 111

#define IDI_ARBOLIX 102
#define IDD_PROGRESS 103
#define IDD_SETUP 115

#define IDC_INSTALL_FOLDER 1000
#define IDC_BROWSE 1001
#define IDC_DESKTOP_SHORTCUT 1002
#define IDC_STATUS_LINE 1003
#define IDC_LAUNCH_AFTER_INSTALL 1004
#define IDC_ACCEPT 1025
#define IDC_DECLINE 1026
#define IDC_LICENSE_TEXT 1028
#define IDC_LICENSE_GROUP 1033
#define IDC_LICENSE_PROMPT 1034
#define IDC_VERSION_LABEL 1036
#define IDC_GREETING 1039
#define IDC_SPONSOR_NOTE 1040
