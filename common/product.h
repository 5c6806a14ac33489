// The facts the setup program, the uninstaller and the tools must agree on, each
// written once: the product's names, its files, its registry records and the uninstall
// log's tags. A rename here reaches every program, so none can quietly miss it.
// The texts others are built from are macros, which the resource script reads too;
// the code uses the constants.
#pragma once

#define ARBOLIX_PRODUCT_NAME "Arbolix"
#define ARBOLIX_CHANNEL_NAME ARBOLIX_PRODUCT_NAME " Beta"
#define ARBOLIX_VERSION_TEXT "2.b20e"
// The version as Windows compares file versions: 2.b20e is beta 20 of 2.0 in its
// fifth revision (e), so that every later beta compares higher.
#define ARBOLIX_FILE_VERSION 2, 0, 20, 5
#define ARBOLIX_DOTTED_VERSION(major, minor, build, revision) #major "." #minor "." #build "." #revision
#define ARBOLIX_DOTTED_VERSION_OF(parts) ARBOLIX_DOTTED_VERSION(parts)
#define ARBOLIX_FILE_VERSION_TEXT ARBOLIX_DOTTED_VERSION_OF(ARBOLIX_FILE_VERSION)
#define ARBOLIX_PUBLISHER "Arbolix Inc."
// 0xAE is the registered sign of the Windows-1252 code page.
#define ARBOLIX_SETUP_CAPTION ARBOLIX_PRODUCT_NAME "\xAE Setup"
#define ARBOLIX_HOME_PAGE "https://www.arbolix.example/"

#define ARBOLIX_COMPANY_KEY "Software\\Velcordan"
#define ARBOLIX_PRODUCT_KEY ARBOLIX_COMPANY_KEY "\\" ARBOLIX_PRODUCT_NAME
#define ARBOLIX_WINDOWS_VERSION_KEY "Software\\Microsoft\\Windows\\CurrentVersion"
#define ARBOLIX_RELEASE_FOLDER_VALUE "InstallPath"

#ifndef RC_INVOKED

// Names. The release installs into a folder named for the product, the beta channel
// into one named for the channel.
inline constexpr char kProductName[] = ARBOLIX_PRODUCT_NAME;
inline constexpr char kChannelName[] = ARBOLIX_CHANNEL_NAME;
inline constexpr char kDisplayName[] = ARBOLIX_CHANNEL_NAME " " ARBOLIX_VERSION_TEXT;
inline constexpr char kPublisher[] = ARBOLIX_PUBLISHER;
inline constexpr char kSetupCaption[] = ARBOLIX_SETUP_CAPTION;
inline constexpr char kVendorHomePage[] = ARBOLIX_HOME_PAGE;
inline constexpr char kVendorSupportPage[] = ARBOLIX_HOME_PAGE "support/";

// Files in the install folder, the shortcuts' name and the documents' class.
inline constexpr char kApplicationName[] = ARBOLIX_PRODUCT_NAME ".exe";
inline constexpr char kUninstallerName[] = "Uninstall.exe";
inline constexpr char kUninstallLogName[] = "Uninstall.cfg";
inline constexpr char kLinkName[] = ARBOLIX_CHANNEL_NAME ".lnk";
inline constexpr char kDocumentClass[] = ARBOLIX_PRODUCT_NAME ".Document";

// The tag that starts each line of the uninstall log.
enum {
    kLogFileTag = 'f',    // a file to delete: an installed file or a shortcut
    kLogFolderTag = 'd',  // a folder that setup created
};

// Registry keys, relative to their hive.
inline constexpr char CompanyKey[] = ARBOLIX_COMPANY_KEY;  // in both hives
inline constexpr char ProductKey[] = ARBOLIX_PRODUCT_KEY;  // HKEY_LOCAL_MACHINE
inline constexpr char SettingsKey[] = ARBOLIX_PRODUCT_KEY "\\Settings";  // HKEY_CURRENT_USER
inline constexpr char UninstallKey[] = ARBOLIX_WINDOWS_VERSION_KEY "\\Uninstall\\" ARBOLIX_CHANNEL_NAME;  // HKLM
inline constexpr char DocumentExtensionKey[] = "Software\\Classes\\.abx";  // HKEY_LOCAL_MACHINE
inline constexpr char WindowsVersionKey[] = ARBOLIX_WINDOWS_VERSION_KEY;  // HKEY_LOCAL_MACHINE

// Value names under ProductKey.
inline constexpr char kBetaFolderValue[] = ARBOLIX_RELEASE_FOLDER_VALUE ".Beta";
inline constexpr char kReleaseFolderValue[] = ARBOLIX_RELEASE_FOLDER_VALUE;
inline constexpr char kAgreementValue[] = "UserAcceptedAgreement";
inline constexpr char kInstallDateValue[] = "VersionInstalled." ARBOLIX_VERSION_TEXT;
// Under SettingsKey.
inline constexpr char kAcknowledgementValue[] = "LicenseAgreement";
// Under UninstallKey.
inline constexpr char kUninstallCommandValue[] = "UninstallString";
inline constexpr char kDisplayNameValue[] = "DisplayName";
inline constexpr char kPublisherValue[] = "Publisher";
inline constexpr char kHomePageValue[] = "URLInfoAbout";
inline constexpr char kSupportPageValue[] = "HelpLink";
// Under WindowsVersionKey.
inline constexpr char kProgramFilesValue[] = "ProgramFilesDir";

#endif
