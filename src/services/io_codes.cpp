#include "services/io_codes.h"

#include <cerrno>

namespace kj::io {

int DosCodeFromErrno(int err) {
    struct Pair { int err; int code; };
    static constexpr Pair kTable[] = {
        {0, kOk},
        {ENOENT, kFileNotFound},
        {ENOTDIR, kPathNotFound},
        {EMFILE, kTooManyOpenFiles},
        {ENFILE, kTooManyOpenFiles},
        {EACCES, kAccessDenied},
        {EPERM, kAccessDenied},
        {EISDIR, kAccessDenied},
        {EBADF, kInvalidHandle},
        {ENOMEM, kNotEnoughMemory},
        {EROFS, kWriteProtected},
        {EWOULDBLOCK, kSharingViolation},
        {EBUSY, kSharingViolation},
        {ETXTBSY, kSharingViolation},
        {EDEADLK, kLockViolation},
        {EEXIST, kFileExists},
        {ENOTEMPTY, kAccessDenied},
        {EINVAL, kInvalidParameter},
        {ENOSPC, kDiskWriteError},
        {EDQUOT, kDiskWriteError},
        {EFBIG, kDiskWriteError},
        {EIO, kDiskWriteError},
        {ENAMETOOLONG, kNameTooLong},
        {ELOOP, kPathNotFound},
        {EXDEV, 17},  // "not same device"
    };
    for (const Pair& p : kTable)
        if (p.err == err) return p.code;
    return 1000 + err;
}

}  // namespace kj::io
