#include "uninstaller/remove_shortcuts.h"

#include "common/contained_delete.h"
#include "common/contained_path.h"
#include "common/deployment_log.h"
#include "common/path_text.h"
#include "common/product.h"
#include "uninstaller/remove_files.h"
#include "uninstaller/uninstall_state.h"

enum { kLinkSizeLimit = 64 * 1024 };

// The file's bytes as a stream, read through its handle: the link read is the very
// file deleted, whatever happens at its name meanwhile. Null when unreadable.
static IStream* ReadIntoStream(const DeletionCandidate& candidate)
{
    DWORD size = candidate.facts.nFileSizeLow;
    if (candidate.facts.nFileSizeHigh || size == 0 || size > kLinkSizeLimit)
        return 0;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    void* bytes = memory ? GlobalLock(memory) : 0;
    DWORD got = 0;
    int read = bytes && ReadFile(candidate.handle, bytes, size, &got, 0) && got == size;
    if (bytes)
        GlobalUnlock(memory);
    IStream* stream = 0;
    if (!read || FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        if (memory)
            GlobalFree(memory);
        return 0;
    }
    return stream;
}

// The shortcut's target as the shell reads it, or an empty text.
static void ReadLinkTarget(const DeletionCandidate& candidate, char* target)
{
    target[0] = 0;
    IStream* stream = ReadIntoStream(candidate);
    if (!stream)
        return;
    IShellLinkA* link = 0;
    IPersistStream* persisted = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link)) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistStream, (void**)&persisted)) &&
        (FAILED(persisted->Load(stream)) || link->GetPath(target, kPathCapacity, 0, 0) != S_OK))
        target[0] = 0;
    if (persisted)
        persisted->Release();
    if (link)
        link->Release();
    stream->Release();
}

static int LeadsIntoInstallation(const DeletionCandidate& candidate)
{
    char target[kPathCapacity], longTarget[kPathCapacity];
    ReadLinkTarget(candidate, target);
    if (!target[0])
        return 0;
    LongPathOf(target, longTarget);
    return IsInsideFolder(longTarget, g_uninstall.installFolder) ||
           IsInsideFolder(longTarget, g_uninstall.realInstallFolder);
}

// The name's own file, no link standing at it (its real path is then the path
// itself), whose target lies inside the installation.
static int IsOurShortcut(const DeletionCandidate& candidate, const void* linkPath)
{
    if (candidate.facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        Trace("Kept shortcut %s: a folder", (const char*)linkPath);
    else if (!IsSamePath(candidate.realPath, (const char*)linkPath))
        Trace("Kept shortcut %s: it is really %s", (const char*)linkPath, candidate.realPath);
    else if (!LeadsIntoInstallation(candidate))
        Trace("Kept shortcut %s: it does not lead into this installation", (const char*)linkPath);
    else
        return 1;
    return 0;
}

DWORD RemoveShortcuts()
{
    HRESULT com = CoInitialize(0);
    DWORD firstError = 0;
    for (int i = 0; i < g_uninstall.shortcutFolderCount; ++i) {
        char linkPath[kPathCapacity];
        if (!JoinPath(linkPath, g_uninstall.shortcutFolders[i], kLinkName))
            continue;
        DeletionOutcome outcome;
        DWORD error = DeleteIfAllowed(linkPath, FILE_READ_DATA, IsOurShortcut, linkPath, &outcome);
        if (outcome != kNothingThere)
            TraceRemoval(linkPath, error, outcome);
        NoteFailure(linkPath, error, &firstError);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return firstError;
}
