// Deleting only what really lies inside a folder. A path's text can pass through a
// junction, a symbolic link or a mount point and so name a file anywhere. So the
// file itself is opened without following a final link, its real path is read from
// that handle and checked, and it is deleted through the same handle: nothing can be
// swapped in between. A link named itself is deleted as a link; its target stays.
// Windows before Vista lacks the calls this needs: there nothing is deleted.
#pragma once

#include "common/path_text.h"
#include "platform/win32.h"

// 1 when this Windows has the calls to delete through a handle.
int CanDeleteThroughHandles();

// The real path of an existing file or folder, every link on its way followed: the
// long form, without "\\?\" (UNC paths as \\server\share\...), or where the file
// system cannot tell that, the NT form ("\Device\..."). Converted from Unicode only
// exactly: a path the code page cannot hold is not told. dest holds kPathCapacity
// characters; 0 and dest empty when it cannot be found or told.
int RealPathOf(const char* path, char* dest);
// The same for an open handle.
int RealPathOfHandle(HANDLE handle, char* dest);

// Whether what the handle opened really stands at path's own name: 1 when its real
// path (read into real, kPathCapacity characters) is the real path of path's folder
// followed by path's long name, or a drive's root's own; 0 when not, as for a link at
// the name (a junction, a symbolic link, a Linux link under Wine); -1 when either
// cannot be read. Links on the levels above (a SUBST or mapped drive, a moved folder)
// are followed on both sides alike.
int StandsAtItsName(HANDLE handle, const char* path, char* real);

// A file or folder opened for deletion. Of its facts, the attributes (the reparse-point
// one kept only for a link: a symbolic link or junction), the size and the number of
// names are read; its identity is read where it is compared (IsSameFile).
struct DeletionCandidate {
    HANDLE handle;
    BY_HANDLE_FILE_INFORMATION facts;
    char realPath[kPathCapacity];
};

// 1 when the candidate is the file or folder other's identity names: the same volume
// and file index (as GetFileInformationByHandle gives them).
int IsSameFile(const DeletionCandidate& candidate, const BY_HANDLE_FILE_INFORMATION& other);

// Opens path itself, not a final link's target, with the access asked, for a look:
// share is what others may go on doing with it. 0, or the Windows error (the handle
// then closed).
DWORD OpenItself(const char* path, DWORD access, DWORD share, DeletionCandidate* candidate);
// The same, for deletion and for the access asked besides.
DWORD OpenDeletionCandidate(const char* path, DWORD access, DWORD share, DeletionCandidate* candidate);
// Takes a handle opened otherwise (with DELETE access, to delete it): its facts and
// real path. 0, or the Windows error; the handle is the candidate's either way.
DWORD DescribeCandidate(HANDLE handle, DeletionCandidate* candidate);
// The prefix of the hidden name a deleted file is given where Windows cannot free
// its name at once (GetTempFileName: "~ArXXXX.tmp"); another program that holds the
// file (a scanner) keeps it there until it lets go.
inline constexpr char kSetAsidePrefix[] = "~Ar";
// 1 when a folder's entry of that name and attributes is such a file.
int IsSetAsideFile(const char* name, DWORD attributes);

// Deletes it through its handle, its read-only attribute cleared first (and put back
// on failure, or when other names keep the file); a folder only when empty. 0, or the Windows error. The handle stays
// open, for another attempt; the deletion happens when it is closed.
DWORD DeleteCandidate(DeletionCandidate* candidate);
// Gives it another path on the same volume, replacing a file there. 0, or the
// Windows error.
DWORD MoveCandidate(DeletionCandidate* candidate, const char* newPath);
void CloseCandidate(DeletionCandidate* candidate);

// Deletes what path names itself, opened with the access asked besides, when the
// rule, shown it opened, allows it. 0 when it is gone, was never there or is left
// alone (*outcome, when asked, tells which); else the Windows error,
// ERROR_NOT_SUPPORTED where the calls are missing.
typedef int (*DeletionRule)(const DeletionCandidate& candidate, const void* context);
enum DeletionOutcome { kNothingThere = -1, kLeftAlone = 0, kDeleted = 1 };
DWORD DeleteIfAllowed(const char* path, DWORD access, DeletionRule rule, const void* context,
                      DeletionOutcome* outcome = 0);

