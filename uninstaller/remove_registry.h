// Removes the registry records of the installation.
#pragma once

// Removes, each only when it belongs to this installation (the names are those of
// common/product.h):
// - the uninstall entry, when its kUninstallCommandValue names this uninstaller, in
//   double quotes or without;
// - kBetaFolderValue and kInstallDateValue, when kBetaFolderValue names this install
//   folder or is missing (else a later beta installation elsewhere owns them, and the
//   ".abx" association with them);
// - the ".abx" association, on the same condition, when it still names kDocumentClass;
// - kAgreementValue, which the release channel shares, and the current user's
//   kAcknowledgementValue only when no other value is left in the product key, so no
//   other Arbolix installation is recorded;
// and every key of ours left empty by that.
void RemoveRegistryRecords();
