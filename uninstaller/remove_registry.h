// Removes the registry records of the installation.
#pragma once

// Removes, each only when it belongs to this installation:
// - the uninstall entry, when its "UninstallString" names this uninstaller, in double
//   quotes or without;
// - "InstallPath.Beta" and "VersionInstalled.2.b20e", when "InstallPath.Beta" names
//   this install folder or is missing (else a later beta installation elsewhere owns
//   them, and the ".abx" association with them);
// - the ".abx" association, on the same condition, when it still names
//   "Arbolix.Document";
// - "UserAcceptedAgreement", which the release channel shares, and the current
//   user's "LicenseAgreement" only when no other value is left in the product key,
//   so no other Arbolix installation is recorded;
// and every key of ours left empty by that.
void RemoveRegistryRecords();
