// Removes the registry records of the installation.
#pragma once

// Removes, each only when it belongs to this installation (the names are those of
// common/product.h):
// - the uninstall entry, when its kUninstallCommandValue names this uninstaller, in
//   double quotes or without;
// - kBetaFolderValue and kInstallDateValue, when kBetaFolderValue names this install
//   folder or is missing (else a later beta installation elsewhere owns them, and the
//   ".abx" association and the agreement with them);
// - the ".abx" association when it still names kDocumentClass, kAgreementValue and
//   the current user's kAcknowledgementValue, which the release channel shares, only
//   when besides that no other value is left in the product key, so no other Arbolix
//   installation (kReleaseFolderValue, say) is recorded;
// and every key of ours left empty by that.
void RemoveRegistryRecords();
