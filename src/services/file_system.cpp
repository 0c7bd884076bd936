#include "services/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "services/cp1250.h"
#include "services/io_codes.h"

namespace kj {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

unsigned char FoldChar(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    switch (c) {
        case 0x9A: case 0x9C: case 0x9D: case 0x9E: case 0x9F:  // š ś ť ž ź
            return static_cast<unsigned char>(c - 0x10);
        case 0xB3: return 0xA3;  // ł
        case 0xB9: return 0xA5;  // ą
        case 0xBA: return 0xAA;  // ş
        case 0xBE: return 0xBC;  // ľ
        case 0xBF: return 0xAF;  // ż
        default: break;
    }
    if (c >= 0xE0 && c != 0xF7 && c != 0xFF) return static_cast<unsigned char>(c - 0x20);
    return c;
}

std::string ParentOf(const std::string& host) {
    auto pos = host.find_last_of('/');
    if (pos == std::string::npos) return ".";
    if (pos == 0) return "/";
    return host.substr(0, pos);
}

std::string Join(const std::string& dir, const std::string& name) {
    if (!dir.empty() && dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

bool Exists(const std::string& host) {
    struct stat st;
    return ::lstat(host.c_str(), &st) == 0;
}

bool IsDir(const std::string& host) {
    struct stat st;
    return ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string StripTrailingSlash(std::string s) {
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

class HostFile final : public File {
public:
    explicit HostFile(int fd) : fd_(fd) {}
    ~HostFile() override { Close(); }

    int Read(void* buffer, std::size_t n, std::size_t* got) override {
        *got = 0;
        if (fd_ < 0) return io::kFileNotOpen;
        auto* p = static_cast<char*>(buffer);
        while (*got < n) {
            ssize_t r = ::read(fd_, p + *got, n - *got);
            if (r < 0) {
                if (errno == EINTR) continue;
                return io::DosCodeFromErrno(errno);
            }
            if (r == 0) break;
            *got += static_cast<std::size_t>(r);
        }
        return io::kOk;
    }

    int Write(const void* buffer, std::size_t n) override {
        if (fd_ < 0) return io::kFileNotOpen;
        const auto* p = static_cast<const char*>(buffer);
        std::size_t done = 0;
        while (done < n) {
            ssize_t w = ::write(fd_, p + done, n - done);
            if (w < 0) {
                if (errno == EINTR) continue;
                return io::DosCodeFromErrno(errno);
            }
            if (w == 0) return io::kDiskWriteError;
            done += static_cast<std::size_t>(w);
        }
        return io::kOk;
    }

    int Seek(std::uint64_t offset) override {
        if (fd_ < 0) return io::kFileNotOpen;
        if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0)
            return io::DosCodeFromErrno(errno);
        return io::kOk;
    }

    int Size(std::int64_t* size) override {
        if (fd_ < 0) return io::kFileNotOpen;
        struct stat st;
        if (::fstat(fd_, &st) != 0) return io::DosCodeFromErrno(errno);
        *size = st.st_size;
        return io::kOk;
    }

    int Truncate(std::uint64_t length) override {
        if (fd_ < 0) return io::kFileNotOpen;
        if (::ftruncate(fd_, static_cast<off_t>(length)) != 0) return io::DosCodeFromErrno(errno);
        return io::kOk;
    }

    int Discard(std::uint64_t offset, std::uint64_t length) override {
        if (fd_ < 0) return io::kFileNotOpen;
        struct stat st;
        if (::fstat(fd_, &st) != 0) return io::DosCodeFromErrno(errno);
        // Only whole blocks: a hole punched in part of a block zeroes the
        // rest of it, which may still be wanted.
        const auto unit = static_cast<std::uint64_t>(std::max<long>(st.st_blksize, ::sysconf(_SC_PAGESIZE)));
        const std::uint64_t from = (offset + unit - 1) / unit * unit;
        const std::uint64_t to = (offset + length) / unit * unit;
        if (to <= from) return io::kOk;
        if (::fallocate(fd_, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, static_cast<off_t>(from),
                        static_cast<off_t>(to - from)) != 0 &&
            errno != EOPNOTSUPP && errno != ENOSYS)
            return io::DosCodeFromErrno(errno);
        return io::kOk;
    }

    int StartWriteBack(std::uint64_t offset, std::uint64_t length) override {
        if (fd_ < 0) return io::kFileNotOpen;
        if (length == 0) return io::kOk;
        if (::sync_file_range(fd_, static_cast<off_t>(offset), static_cast<off_t>(length),
                              SYNC_FILE_RANGE_WRITE) != 0 &&
            errno != EINVAL && errno != ENOSYS && errno != ESPIPE && errno != EOPNOTSUPP)
            return io::DosCodeFromErrno(errno);
        return io::kOk;
    }

    int Sync() override {
        if (fd_ < 0) return io::kFileNotOpen;
        while (::fsync(fd_) != 0) {
            if (errno == EINTR) continue;
            // A file system that cannot sync (a pipe, some network mounts)
            // has nothing more to hand over.
            if (errno == EINVAL || errno == EROFS) return io::kOk;
            return io::DosCodeFromErrno(errno);
        }
        return io::kOk;
    }

    int Close() override {
        if (fd_ < 0) return io::kFileNotOpen;
        int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0 ? io::kOk : io::DosCodeFromErrno(errno);
    }

private:
    int fd_;
};

std::string ProcessCwd() {
    char buf[PATH_MAX];
    if (::getcwd(buf, sizeof buf) == nullptr) return ".";
    return buf;
}

}  // namespace

std::string FoldName(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = static_cast<char>(FoldChar(static_cast<unsigned char>(c)));
    return out;
}

bool MaskMatches(std::string_view mask, std::string_view name) {
    if (mask.empty() || mask == "*" || mask == "*.*") return true;
    std::string m = FoldName(mask);
    std::string n = FoldName(name);
    // Iterative wildcard match with back-tracking to the last "*".
    std::size_t mi = 0, ni = 0, star = std::string::npos, mark = 0;
    while (ni < n.size()) {
        if (mi < m.size() && (m[mi] == '?' || m[mi] == n[ni])) {
            ++mi;
            ++ni;
        } else if (mi < m.size() && m[mi] == '*') {
            star = mi++;
            mark = ni;
        } else if (star != std::string::npos) {
            mi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (mi < m.size() && m[mi] == '*') ++mi;
    // "name.*" also matches a name without any extension, as DOS does.
    if (mi + 2 == m.size() && m[mi] == '.' && m[mi + 1] == '*') return true;
    return mi == m.size();
}

HostFileSystem::HostFileSystem(std::string hostCwd, std::string hostRoot)
    : hostCwd_(StripTrailingSlash(std::move(hostCwd))),
      hostRoot_(StripTrailingSlash(std::move(hostRoot))) {}

HostFileSystem::HostFileSystem() : HostFileSystem(ProcessCwd(), ProcessCwd()) {}

std::string HostFileSystem::HostPath(std::string_view path) const {
    std::string_view p = path;
    bool rooted = false;
    if (p.size() >= 2 && p[1] == ':' &&
        ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'))) {
        p.remove_prefix(2);
        rooted = true;
    } else if (!p.empty() && IsSeparator(p[0])) {
        rooted = true;
    }
    std::string cur = rooted ? hostRoot_ : hostCwd_;
    bool existing = true;  // every component so far exists on disk
    std::size_t i = 0;
    while (i <= p.size()) {
        std::size_t j = i;
        while (j < p.size() && !IsSeparator(p[j])) ++j;
        std::string_view comp = p.substr(i, j - i);
        i = j + 1;
        if (comp.empty() || comp == ".") continue;
        if (comp == "..") {
            if (!(rooted && cur == hostRoot_)) cur = ParentOf(cur);
            continue;
        }
        std::string utf8 = Cp1250ToUtf8(comp);
        std::string candidate = Join(cur, utf8);
        if (!existing || Exists(candidate)) {
            cur = candidate;
            continue;
        }
        // Look for the same name in another case ("KJSTRA.DTA" finds "kjstra.dta").
        std::string wanted = FoldName(comp);
        std::string found;
        if (DIR* d = ::opendir(cur.c_str())) {
            while (dirent* e = ::readdir(d)) {
                if (FoldName(Utf8ToCp1250(e->d_name)) == wanted) {
                    found = e->d_name;
                    break;
                }
            }
            ::closedir(d);
        }
        if (found.empty()) {
            existing = false;
            cur = candidate;
        } else {
            cur = Join(cur, found);
        }
    }
    return cur;
}

std::string HostFileSystem::CurrentDir() const {
    std::string rel;
    if (hostCwd_ == hostRoot_) {
        rel = "";
    } else if (hostCwd_.compare(0, hostRoot_.size() + 1, hostRoot_ + "/") == 0) {
        rel = hostCwd_.substr(hostRoot_.size() + 1);
    } else {
        // Outside the root there is no drive form; the host path stands in.
        rel = hostCwd_.substr(hostCwd_.find_first_not_of('/') == std::string::npos
                                  ? hostCwd_.size()
                                  : hostCwd_.find_first_not_of('/'));
    }
    std::string out = "C:\\" + Utf8ToCp1250(rel);
    for (char& c : out)
        if (c == '/') c = '\\';
    if (out.back() != '\\') out.push_back('\\');
    return out;
}

int HostFileSystem::CodeForPath(int err, const std::string& hostPath) const {
    if (err == ENOENT) return IsDir(ParentOf(hostPath)) ? io::kFileNotFound : io::kPathNotFound;
    return io::DosCodeFromErrno(err);
}

int HostFileSystem::Open(std::string_view path, Access access, Disposition disposition,
                         Share share, std::unique_ptr<File>* out) {
    out->reset();
    std::string host = HostPath(path);
    int flags = O_CLOEXEC;
    switch (access) {
        case Access::Read: flags |= O_RDONLY; break;
        case Access::Write: flags |= O_WRONLY; break;
        case Access::ReadWrite: flags |= O_RDWR; break;
    }
    if (disposition == Disposition::OpenOrCreate) flags |= O_CREAT;
    // A truncating create must not destroy a file another station holds
    // exclusively, so the truncation waits until the lock is ours.
    if (disposition == Disposition::CreateAlways) flags |= O_CREAT;
    int fd = ::open(host.c_str(), flags, 0666);
    if (fd < 0) return CodeForPath(errno, host);
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return io::kAccessDenied;
    }
    if (share == Share::Exclusive && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        return io::DosCodeFromErrno(err == EINTR ? EWOULDBLOCK : err);
    }
    if (disposition == Disposition::CreateAlways && access != Access::Read &&
        ::ftruncate(fd, 0) != 0) {
        int err = errno;
        ::close(fd);
        return io::DosCodeFromErrno(err);
    }
    *out = std::make_unique<HostFile>(fd);
    return io::kOk;
}

int HostFileSystem::Remove(std::string_view path) {
    std::string host = HostPath(path);
    if (IsDir(host)) return io::kAccessDenied;
    if (::unlink(host.c_str()) != 0) return CodeForPath(errno, host);
    return io::kOk;
}

int HostFileSystem::Rename(std::string_view from, std::string_view to) {
    std::string src = HostPath(from);
    std::string dst = HostPath(to);
    if (!Exists(src)) return CodeForPath(ENOENT, src);
    if (src != dst && Exists(dst)) return io::kAccessDenied;
    if (::rename(src.c_str(), dst.c_str()) != 0) return CodeForPath(errno, dst);
    return io::kOk;
}

int HostFileSystem::ReplaceFile(std::string_view from, std::string_view to) {
    std::string src = HostPath(from);
    std::string dst = HostPath(to);
    struct stat old, fresh;
    if (::stat(dst.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        ::stat(src.c_str(), &fresh) == 0) {
        // The owner first: changing it may clear the set-id bits that the
        // mode then puts back. Only a privileged process may give a file
        // away; a member of the old group may still hand on the group.
        if ((fresh.st_uid != old.st_uid || fresh.st_gid != old.st_gid) &&
            ::chown(src.c_str(), old.st_uid, old.st_gid) != 0 && fresh.st_gid != old.st_gid)
            (void)::chown(src.c_str(), static_cast<uid_t>(-1), old.st_gid);
        (void)::chmod(src.c_str(), old.st_mode & 07777);
    }
    if (::rename(src.c_str(), dst.c_str()) != 0) return CodeForPath(errno, src);
    return io::kOk;
}

int HostFileSystem::SyncDirOf(std::string_view path) {
    std::string dir = ParentOf(HostPath(path));
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return CodeForPath(errno, dir);
    int rc = io::kOk;
    while (::fsync(fd) != 0) {
        if (errno == EINTR) continue;
        if (errno != EINVAL && errno != EROFS) rc = io::DosCodeFromErrno(errno);
        break;
    }
    ::close(fd);
    return rc;
}

int CommitNewFile(FileSystem& fs, std::unique_ptr<File>& file, std::string_view from,
                  std::string_view to) {
    if (!file) return io::kFileNotOpen;
    int rc = file->Sync();
    int closed = file->Close();
    file.reset();
    if (rc == io::kOk) rc = closed;
    if (rc == io::kOk) rc = fs.ReplaceFile(from, to);
    if (rc == io::kOk) rc = fs.SyncDirOf(to);
    return rc;
}

int HostFileSystem::MakeDir(std::string_view path) {
    std::string host = HostPath(path);
    if (::mkdir(host.c_str(), 0777) != 0) return CodeForPath(errno, host);
    return io::kOk;
}

int HostFileSystem::List(std::string_view mask, std::vector<DirEntry>* out) {
    out->clear();
    std::string_view dir, pattern = mask;
    auto pos = mask.find_last_of("\\/");
    if (pos != std::string_view::npos) {
        dir = mask.substr(0, pos + 1);
        pattern = mask.substr(pos + 1);
    }
    std::string hostDir = dir.empty() ? hostCwd_ : HostPath(dir);
    DIR* d = ::opendir(hostDir.c_str());
    if (d == nullptr) return errno == ENOENT ? io::kPathNotFound : io::DosCodeFromErrno(errno);
    while (dirent* e = ::readdir(d)) {
        std::string_view raw = e->d_name;
        if (raw == "." || raw == "..") continue;
        std::string name = Utf8ToCp1250(raw);
        if (!MaskMatches(pattern, name)) continue;
        struct stat st;
        std::string host = Join(hostDir, e->d_name);
        if (::stat(host.c_str(), &st) != 0) continue;
        DirEntry entry;
        entry.name = std::move(name);
        entry.size = st.st_size;
        entry.modified = st.st_mtime;
        entry.directory = S_ISDIR(st.st_mode);
        entry.readOnly = (st.st_mode & S_IWUSR) == 0;
        out->push_back(std::move(entry));
    }
    ::closedir(d);
    return io::kOk;
}

int HostFileSystem::Stat(std::string_view path, DirEntry* out) {
    std::string host = HostPath(path);
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) return CodeForPath(errno, host);
    auto slash = host.find_last_of('/');
    out->name = Utf8ToCp1250(slash == std::string::npos ? host : host.substr(slash + 1));
    out->size = st.st_size;
    out->modified = st.st_mtime;
    out->directory = S_ISDIR(st.st_mode);
    out->readOnly = (st.st_mode & S_IWUSR) == 0;
    return io::kOk;
}

int HostFileSystem::SetModified(std::string_view path, std::time_t when) {
    std::string host = HostPath(path);
    struct timespec times[2];
    times[0].tv_sec = when;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    if (::utimensat(AT_FDCWD, host.c_str(), times, 0) != 0) return CodeForPath(errno, host);
    return io::kOk;
}

int HostFileSystem::ClearAttributes(std::string_view path) {
    std::string host = HostPath(path);
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) return CodeForPath(errno, host);
    if (::chmod(host.c_str(), st.st_mode | S_IWUSR) != 0) return io::DosCodeFromErrno(errno);
    return io::kOk;
}

}  // namespace kj
