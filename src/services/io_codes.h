#pragma once
// DOS-style I/O result codes. The rest of the system tests for these numbers
// (2 file not found, 3 path not found, 32 file in use ...), so every host
// error is turned into one of them in exactly one place (DosCodeFromErrno).

namespace kj::io {

inline constexpr int kOk = 0;
inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kInvalidHandle = 6;
inline constexpr int kNotEnoughMemory = 8;
inline constexpr int kInvalidAccess = 12;
inline constexpr int kWriteProtected = 19;
inline constexpr int kSharingViolation = 32;  // "file in use"
inline constexpr int kLockViolation = 33;
inline constexpr int kFileExists = 80;
inline constexpr int kInvalidParameter = 87;
inline constexpr int kReadPastEnd = 100;      // a record read found fewer bytes than a record
inline constexpr int kDiskWriteError = 101;   // disk full or a short write
inline constexpr int kFileNotOpen = 103;
inline constexpr int kNameTooLong = 206;

// Maps a host errno value to its DOS code. A value without a DOS counterpart
// becomes 1000 + errno, so that it never looks like success or "not found".
int DosCodeFromErrno(int err);

}  // namespace kj::io
