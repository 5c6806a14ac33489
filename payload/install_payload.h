// The payload walk: every entry of the archive "Z"/110, in directory order.
#pragma once

// 1 when the installation may go on to its finishing stage; 0 when it was
// abandoned, the setup state's exit code then holding why. An archive that is
// missing or cannot be read abandons it with 29 after "Unable to decompress data"
// (not shown for a missing one in silent mode).
int InstallPayload();
