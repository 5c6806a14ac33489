// Some file systems (RAM disks, some network redirectors) cannot give a handle's path
// with its drive, and some none at all: while one of these lives, the late-bound
// lookup fails so for the forms asked.
#pragma once

#include "common/late_imports.h"

enum { kDosPathForm = 1, kNtPathForm = 2, kBothPathForms = 3 };

class RealPathFailure {
public:
    explicit RealPathFailure(unsigned forms)
    {
        KernelImports& kernel = const_cast<KernelImports&>(Kernel());
        real_ = kernel.getFinalPathNameByHandle;
        failing_ = forms;
        kernel.getFinalPathNameByHandle = Lookup;
    }
    ~RealPathFailure() { const_cast<KernelImports&>(Kernel()).getFinalPathNameByHandle = real_; }
    RealPathFailure(const RealPathFailure&) = delete;
    RealPathFailure& operator=(const RealPathFailure&) = delete;

private:
    static DWORD WINAPI Lookup(HANDLE handle, char* path, DWORD size, DWORD flags)
    {
        if (failing_ & (flags == 0 ? kDosPathForm : kNtPathForm)) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return 0;
        }
        return real_(handle, path, size, flags);
    }
    static inline DWORD(WINAPI* real_)(HANDLE, char*, DWORD, DWORD);
    static inline unsigned failing_;
};
