#pragma once
// The platform layer for files. Every path the system uses is a Windows-1250
// text with "\" separators, as the data files and parameter files spell them
// ("par\okna2.par", "\KJ\par\okna2.par", "C:\VELTOR\data\"). FileSystem turns
// such a path into a host file and reports results as DOS codes (io_codes.h).
//
// Services never touch the host directly: they go through FileSystem and
// File, so tests can put a fault-planting implementation in between.

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kj {

enum class Access { Read, Write, ReadWrite };

enum class Disposition {
    OpenExisting,  // fails with 2 (or 3) when absent
    CreateAlways,  // creates, or truncates an existing file
    OpenOrCreate,  // opens, creating an empty file when absent
};

// Data files are opened shared: other stations read and write them at will.
// Exclusive opens ("FOT.tab", "UZIVATEL.tab") fail with 32 while another
// opener holds the file exclusively.
enum class Share { Shared, Exclusive };

// An open file. Every call returns a DOS code (0 = success).
class File {
public:
    virtual ~File() = default;
    // Reads up to n bytes at the current position; *got receives the count.
    virtual int Read(void* buffer, std::size_t n, std::size_t* got) = 0;
    // Writes exactly n bytes at the current position (a short write is 101).
    virtual int Write(const void* buffer, std::size_t n) = 0;
    virtual int Seek(std::uint64_t offset) = 0;
    virtual int Size(std::int64_t* size) = 0;
    virtual int Truncate(std::uint64_t length) = 0;
    // Says that bytes offset..offset+length-1 will not be read again: whole
    // blocks of the file inside that range may be freed (read back as
    // zeros) and are then never written to the disk. Only a hint; a file
    // that cannot do it keeps the bytes.
    virtual int Discard(std::uint64_t offset, std::uint64_t length) {
        (void)offset;
        (void)length;
        return 0;
    }
    // Starts writing bytes offset..offset+length-1 to the disk without
    // waiting for them, so that a later Sync finds little left to do. Only
    // a hint; it makes nothing durable.
    virtual int StartWriteBack(std::uint64_t offset, std::uint64_t length) {
        (void)offset;
        (void)length;
        return 0;
    }
    // Hands every byte written so far to the disk itself (fsync), so that
    // a power loss cannot take them back.
    virtual int Sync() = 0;
    // Releases the file (and its exclusive lock). Further calls fail with 103.
    virtual int Close() = 0;
};

struct DirEntry {
    std::string name;  // Windows-1250
    std::int64_t size = 0;
    std::time_t modified = 0;
    bool directory = false;
    bool readOnly = false;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual int Open(std::string_view path, Access access, Disposition disposition, Share share,
                     std::unique_ptr<File>* out) = 0;
    virtual int Remove(std::string_view path) = 0;
    // Renames a file. Like the system it imitates, it refuses (code 5) when
    // the target exists; ReplaceFile is the atomic overwrite.
    virtual int Rename(std::string_view from, std::string_view to) = 0;
    // Atomically puts `from` in place of `to`, whether `to` exists or not.
    // An existing `to` passes its mode, and its owner and group as far as
    // the process may set them, on to the file that replaces it: stations
    // working under other accounts keep their access to a shared table.
    virtual int ReplaceFile(std::string_view from, std::string_view to) = 0;
    // Makes the entries of the directory that holds `path` durable: a file
    // renamed or created there survives a power loss.
    virtual int SyncDirOf(std::string_view path) = 0;
    virtual int MakeDir(std::string_view path) = 0;
    // Entries of the directory of `mask` whose names match its last component
    // ("*" any run, "?" one character, letters compared case-insensitively).
    virtual int List(std::string_view mask, std::vector<DirEntry>* out) = 0;
    virtual int Stat(std::string_view path, DirEntry* out) = 0;
    virtual int SetModified(std::string_view path, std::time_t when) = 0;
    // Clears read-only and similar attributes.
    virtual int ClearAttributes(std::string_view path) = 0;
    // The current directory in the system's own form: drive, path, final "\".
    virtual std::string CurrentDir() const = 0;
    // The host (UTF-8) path a system path resolves to; for Qt and messages.
    virtual std::string HostPath(std::string_view path) const = 0;
};

// Puts the finished new file `from`, still open in `file`, in place of `to`
// the way careful storage engines do, so that neither a crash nor a power
// loss can leave `to` empty or half written: the new file's bytes are synced
// to the disk, the file is closed and renamed over `to`, and the directory
// entry is synced as well. `file` is closed in every case. A failure before
// the rename leaves `to` untouched and `from` in place for the caller to
// remove; a failed directory sync is returned although `to` is replaced.
int CommitNewFile(FileSystem& fs, std::unique_ptr<File>& file, std::string_view from,
                  std::string_view to);

// Case-insensitive folding of a Windows-1250 name (ASCII and every letter of
// the page), as the case-insensitive file system the data came from compares.
std::string FoldName(std::string_view name);

// True when `name` matches the DOS-style `mask` ("*", "?"), ignoring case.
bool MaskMatches(std::string_view mask, std::string_view name);

// The real file system of this machine.
//   hostCwd  - host directory that relative paths start from (the station's
//              working directory);
//   hostRoot - host directory that drive-rooted paths ("\X", "C:\X") resolve
//              under; they never reach the host's "/".
// Existing path components are matched case-insensitively; new components
// are created as spelled. Names are stored on disk as UTF-8.
class HostFileSystem final : public FileSystem {
public:
    HostFileSystem(std::string hostCwd, std::string hostRoot);
    // Working directory of the process as both cwd and root.
    HostFileSystem();

    int Open(std::string_view path, Access access, Disposition disposition, Share share,
             std::unique_ptr<File>* out) override;
    int Remove(std::string_view path) override;
    int Rename(std::string_view from, std::string_view to) override;
    int ReplaceFile(std::string_view from, std::string_view to) override;
    int SyncDirOf(std::string_view path) override;
    int MakeDir(std::string_view path) override;
    int List(std::string_view mask, std::vector<DirEntry>* out) override;
    int Stat(std::string_view path, DirEntry* out) override;
    int SetModified(std::string_view path, std::time_t when) override;
    int ClearAttributes(std::string_view path) override;
    std::string CurrentDir() const override;
    std::string HostPath(std::string_view path) const override;

    const std::string& hostCwd() const { return hostCwd_; }
    const std::string& hostRoot() const { return hostRoot_; }

private:
    // errno of a failed path operation as a DOS code: a missing file in an
    // existing directory is 2, a missing directory 3.
    int CodeForPath(int err, const std::string& hostPath) const;

    std::string hostCwd_;
    std::string hostRoot_;
};

}  // namespace kj
