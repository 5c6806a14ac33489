// Seams in the late-bound kernel calls, for what a test cannot make Windows or Wine do
// on demand: each replaces one pointer while it lives, one seam at a time.
#pragma once

#include <functional>
#include <string>

#include "common/late_imports.h"

// Some file systems cannot give a handle's path in every form: a share whose server
// refuses the normalized name (SMB before Windows 10 1709), RAM disks and some
// network redirectors without a drive, some none at all. While one of these lives,
// the lookup fails so for the forms asked. watch, when given, sees each path read in
// the usual form, just after it was read: a test changes the disk at that moment, as
// another program could.
enum { kNormalizedForm = 1, kOpenedForm = 2, kNtPathForm = 4, kDosPathForm = 3, kBothPathForms = 7 };

class RealPathFailure {
public:
    explicit RealPathFailure(unsigned forms, std::function<void(const std::wstring&)> watch = nullptr)
    {
        KernelImports& kernel = const_cast<KernelImports&>(Kernel());
        real_ = kernel.getFinalPathNameByHandle;
        failing_ = forms;
        watch_ = watch;
        kernel.getFinalPathNameByHandle = Lookup;
    }
    ~RealPathFailure()
    {
        const_cast<KernelImports&>(Kernel()).getFinalPathNameByHandle = real_;
        watch_ = nullptr;
    }
    RealPathFailure(const RealPathFailure&) = delete;
    RealPathFailure& operator=(const RealPathFailure&) = delete;

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
        KernelImports& kernel = const_cast<KernelImports&>(Kernel());
        real_ = kernel.getFileInformationByHandleEx;
        tag_ = tag;
        kernel.getFileInformationByHandleEx = Lookup;
    }
    ~ReparseTagAs() { const_cast<KernelImports&>(Kernel()).getFileInformationByHandleEx = real_; }
    ReparseTagAs(const ReparseTagAs&) = delete;
    ReparseTagAs& operator=(const ReparseTagAs&) = delete;

private:
    static BOOL WINAPI Lookup(HANDLE handle, int infoClass, void* info, DWORD size)
    {
        enum { kFileAttributeTagInfo = 9 };
        if (!real_(handle, infoClass, info, size))
            return FALSE;
        if (infoClass == kFileAttributeTagInfo && (((DWORD*)info)[0] & FILE_ATTRIBUTE_DIRECTORY)) {
            ((DWORD*)info)[0] |= FILE_ATTRIBUTE_REPARSE_POINT;
            ((DWORD*)info)[1] = tag_;
        }
        return TRUE;
    }
    static inline BOOL(WINAPI* real_)(HANDLE, int, void*, DWORD);
    static inline DWORD tag_;
};
