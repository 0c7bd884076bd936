// File utilities on top of the platform layer: rename over, erase by mask,
// append, copy, create directories.

#include <algorithm>
#include <vector>

#include "services/cp1250.h"
#include "services/io_codes.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj {
namespace {

constexpr std::size_t kCopyBlock = 10000;

// Copies from `in` to `out` in blocks, at most `limit` bytes, until the end
// of `in`. Returns the first error; *copied counts the bytes written.
int CopyBlocks(File& in, File& out, std::uint64_t limit, std::uint64_t* copied) {
    std::vector<char> block(kCopyBlock);
    *copied = 0;
    while (*copied < limit) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kCopyBlock, limit - *copied));
        std::size_t got = 0;
        int rc = in.Read(block.data(), want, &got);
        if (rc != io::kOk) return rc;
        if (got == 0) break;
        rc = out.Write(block.data(), got);
        if (rc != io::kOk) return rc;
        *copied += got;
    }
    return io::kOk;
}

void Keep(int& first, int rc) {
    if (first == io::kOk) first = rc;
}

}  // namespace

int RenameOver(Common& c, std::string_view oldPath, std::string_view newPath) {
    if (oldPath.find('?') != std::string_view::npos) return 0;
    // One file under two spellings: deleting the "target" would delete it.
    if (c.fs.HostPath(oldPath) == c.fs.HostPath(newPath)) return 0;
    const std::string target(newPath);
    auto renameFailed = [&](int code) {
        c.ui.BeepMessage("Err. " + FormatPic("#####", code) + " při přejmenování na souboru "_cz +
                         target);
        return code;
    };
    // Without a source the target must survive: deleting it first would lose it.
    DirEntry source;
    if (int rc = c.fs.Stat(oldPath, &source); rc != io::kOk) return renameFailed(rc);

    std::unique_ptr<File> f;
    int rc = c.fs.Open(newPath, Access::ReadWrite, Disposition::OpenExisting, Share::Shared, &f);
    if (rc == io::kOk) {
        (void)f->Close();
        f.reset();
        int failures = 0;
        for (;;) {
            int del = c.fs.Remove(newPath);
            if (del == io::kOk || del == io::kFileNotFound) break;
            if (++failures > 10) {
                c.ui.BeepMessage("Soubor " + target + " nelze zrušit "_cz + FormatPic("####", del));
                return del;
            }
            c.ui.ShowNote("Soubor " + target + " není volný - err "_cz + FormatPic("####", del), 1000);
        }
    } else if (rc != io::kFileNotFound && rc != 4390) {
        c.ui.BeepMessage("Err. " + FormatPic("#####", rc) + " při rušení na souboru "_cz + target);
    }
    rc = c.fs.Rename(oldPath, newPath);
    if (rc != io::kOk) return renameFailed(rc);
    return io::kOk;
}

void EraseFiles(Common& c, std::string_view mask) {
    std::string dir;
    if (auto pos = mask.find_last_of('\\'); pos != std::string_view::npos)
        dir = std::string(mask.substr(0, pos + 1));
    std::vector<DirEntry> entries;
    if (c.fs.List(mask, &entries) != io::kOk) return;
    for (const DirEntry& e : entries) {
        if (e.name.empty() || e.name.front() == '.' || e.directory) continue;
        const std::string path = dir + e.name;
        // A read-only file cannot be deleted; as it is to go, its attributes go first.
        if (e.readOnly) (void)c.fs.ClearAttributes(path);
        for (;;) {
            int rc = c.fs.Remove(path);
            // Gone meanwhile (another station erased it): nothing left to wait for.
            if (rc == io::kOk || rc == io::kFileNotFound || rc == io::kPathNotFound) break;
            c.ui.ShowNote("Soubor " + path + " není volný při errasse - err "_cz +
                              FormatPic("####", rc),
                          100);
        }
    }
}

int AppendFileTo(Common& c, std::string_view source, std::string_view target) {
    const std::int32_t sourceSize = FileSizeOf(c, source);
    if (sourceSize < 1) return 0;
    std::unique_ptr<File> in;
    int rc = c.fs.Open(source, Access::Read, Disposition::OpenExisting, Share::Shared, &in);
    if (rc != io::kOk) return rc;

    const std::int32_t targetSize = FileSizeOf(c, target);
    std::unique_ptr<File> out;
    if (targetSize >= 1) {
        rc = c.fs.Open(target, Access::ReadWrite, Disposition::OpenExisting, Share::Shared, &out);
        std::int64_t end = 0;
        if (rc == io::kOk) rc = out->Size(&end);
        if (rc == io::kOk) rc = out->Seek(static_cast<std::uint64_t>(end));
    } else if (targetSize == 0 || targetSize == -io::kFileNotFound ||
               targetSize == -io::kPathNotFound) {
        rc = c.fs.Open(target, Access::Write, Disposition::CreateAlways, Share::Shared, &out);
    } else {
        // The target exists but cannot be sized: creating it would wipe it.
        rc = -targetSize;
    }
    int first = rc;
    if (rc == io::kOk) {
        // Bounded by the size found at the start, so appending a file to
        // itself ends.
        std::uint64_t copied = 0;
        Keep(first, CopyBlocks(*in, *out, static_cast<std::uint64_t>(sourceSize), &copied));
    }
    if (out) Keep(first, out->Close());
    Keep(first, in->Close());
    (void)c.fs.ClearAttributes(source);
    return first;
}

int CopyFileTo(Common& c, std::string_view source, std::string_view target) {
    if (FileSizeOf(c, source) < 0) return 0;
    std::unique_ptr<File> in;
    int rc = c.fs.Open(source, Access::Read, Disposition::OpenExisting, Share::Shared, &in);
    if (rc != io::kOk) return rc;
    DirEntry stamp;
    const bool haveStamp = c.fs.Stat(source, &stamp) == io::kOk;

    std::unique_ptr<File> out;
    rc = c.fs.Open(target, Access::ReadWrite, Disposition::OpenOrCreate, Share::Shared, &out);
    if (rc == io::kPathNotFound) {
        ForceDirs(c, target);
        rc = c.fs.Open(target, Access::ReadWrite, Disposition::OpenOrCreate, Share::Shared, &out);
    }
    if (rc != io::kOk) {
        (void)in->Close();
        return rc;
    }
    int first = out->Seek(0);
    std::uint64_t copied = 0;
    if (first == io::kOk)
        Keep(first, CopyBlocks(*in, *out, UINT64_MAX, &copied));
    if (first == io::kOk) Keep(first, out->Truncate(copied));
    Keep(first, in->Close());
    if (haveStamp) Keep(first, c.fs.SetModified(target, stamp.modified));
    Keep(first, out->Close());
    return first;
}

void ForceDirs(Common& c, std::string_view path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] != '\\') continue;
        std::string_view part = path.substr(0, i);
        // Every real directory is created; only the root, a drive ("C:")
        // and the leading "\\" of a network name are skipped.
        if (part.empty() || part.find_first_not_of('\\') == std::string_view::npos) continue;
        if (part.size() == 2 && part[1] == ':') continue;
        (void)c.fs.MakeDir(part);
    }
}

}  // namespace kj
