#include "redirected_shell_folders.h"

static const char kUserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
static const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct PlaceValue {
    HKEY hive;
    const char* name;
};

static const PlaceValue kPlaces[] = {
    {HKEY_LOCAL_MACHINE, "Common Programs"},
    {HKEY_LOCAL_MACHINE, "Common Desktop"},
    {HKEY_CURRENT_USER, "Programs"},
    {HKEY_CURRENT_USER, "Desktop"},
};

RedirectedShellFolders::RedirectedShellFolders()
{
    // The shell writes what it resolved under "Shell Folders": that is put back too.
    for (const PlaceValue& place : kPlaces) {
        saved_.emplace_back(new SavedValue(place.hive, kUserShellFolders, place.name));
        saved_.emplace_back(new SavedValue(place.hive, kShellFolders, place.name));
    }
}

void RedirectedShellFolders::Redirect(ShellFolderPlace place, const std::string& folder)
{
    SetText(kPlaces[place].hive, kUserShellFolders, kPlaces[place].name, folder);
}
