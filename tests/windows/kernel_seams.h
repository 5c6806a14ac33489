// Seams in the late-bound kernel calls, for what neither Windows nor Wine does on
// demand: each replaces one pointer while it lives, one seam at a time.
#pragma once

#include <functional>
#include <string>

#include "common/late_imports.h"

inline KernelImports& KernelSlots() { return const_cast<KernelImports&>(Kernel()); }

// A real path that fails in the forms asked, as on file systems that cannot tell them
// (a share refusing the normalized name, a RAM disk without a drive). watch, when
// given, sees each path read in the usual form just after it was read: a test changes
// the disk at that moment, as another program could.
enum { kNormalizedForm = 1, kOpenedForm = 2, kNtPathForm = 4, kDosPathForm = 3, kBothPathForms = 7 };

class RealPathFailure {
public:
    explicit RealPathFailure(unsigned forms, std::function<void(const std::wstring&)> watch = nullptr)
    {
        failing_ = forms;
        watch_ = watch;
        real_ = KernelSlots().getFinalPathNameByHandle;
        KernelSlots().getFinalPathNameByHandle = Lookup;
    }
    ~RealPathFailure() { KernelSlots().getFinalPathNameByHandle = real_; }
    RealPathFailure(const RealPathFailure&) = delete;

private:
    static DWORD WINAPI Lookup(HANDLE handle, WCHAR* path, DWORD size, DWORD flags)
    {
        if (failing_ & (flags == 0 ? kNormalizedForm : flags == 8 ? kOpenedForm : kNtPathForm)) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return 0;
        }
        DWORD length = real_(handle, path, size, flags);
        if (watch_ && flags == 0 && length > 0 && length < size)
            watch_(path);
        return length;
    }
    static inline DWORD(WINAPI* real_)(HANDLE, WCHAR*, DWORD, DWORD);
    static inline unsigned failing_;
    static inline std::function<void(const std::wstring&)> watch_;
};

// Every folder a reparse point of the tag given, as a cloud-file placeholder or a
// deduplicated or compressed folder would be, which Wine cannot make.
class ReparseTagAs {
public:
    explicit ReparseTagAs(DWORD tag)
    {
        tag_ = tag;
        real_ = KernelSlots().getFileInformationByHandleEx;
        KernelSlots().getFileInformationByHandleEx = Lookup;
    }
    ~ReparseTagAs() { KernelSlots().getFileInformationByHandleEx = real_; }
    ReparseTagAs(const ReparseTagAs&) = delete;

private:
    static BOOL WINAPI Lookup(HANDLE handle, int infoClass, void* info, DWORD size)
    {
        enum { kFileAttributeTagInfo = 9 };
        DWORD* attributesAndTag = (DWORD*)info;
        if (!real_(handle, infoClass, info, size))
            return FALSE;
        if (infoClass == kFileAttributeTagInfo && (attributesAndTag[0] & FILE_ATTRIBUTE_DIRECTORY)) {
            attributesAndTag[0] |= FILE_ATTRIBUTE_REPARSE_POINT;
            attributesAndTag[1] = tag_;
        }
        return TRUE;
    }
    static inline BOOL(WINAPI* real_)(HANDLE, int, void*, DWORD);
    static inline DWORD tag_;
};
