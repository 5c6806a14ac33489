// The ids of the setup program's "Z" resources, for the program and the packer.
#pragma once

enum { kLicenseTextResource = 107, kPayloadArchiveResource = 110 };
