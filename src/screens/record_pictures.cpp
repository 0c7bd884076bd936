// Pictures attached to table records: naming, browsing, attaching,
// deleting with renumbering, loading for display and printing.

#include "screens/record_pictures.h"

#include <algorithm>

#include "services/cp1250.h"
#include "services/file_system.h"
#include "services/io_codes.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/picture_services.h"
#include "services/protocol.h"
#include "services/record_file.h"

namespace kj {
namespace {

constexpr std::int64_t kMinPictureBytes = 3;  // "more than 2 bytes"

std::string PictureName(std::string_view key, int number) {
    return "doklady\\" + std::string(key) + "-" + FormatPic("@@", number) + ".jpg";
}

bool IsDigitChar(char ch) { return ch >= '0' && ch <= '9'; }

// The number of a listed file named key + "-NN.jpg", or -1.
int NumberOfName(std::string_view key, std::string_view name) {
    const std::size_t n = key.size();
    if (name.size() != n + 7) return -1;
    if (FoldName(name.substr(0, n)) != FoldName(key) || name[n] != '-' ||
        FoldName(name.substr(n + 3)) != FoldName(".jpg"))
        return -1;
    if (!IsDigitChar(name[n + 1]) || !IsDigitChar(name[n + 2])) return -1;
    return (name[n + 1] - '0') * 10 + (name[n + 2] - '0');
}

bool IsPlainJpeg(std::string_view data) {
    return data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0xFF &&
           static_cast<unsigned char>(data[1]) == 0xD8;
}

}  // namespace

std::string RecordPicturePath(Common& c, std::string_view key, int number) {
    return DataPath(c, PictureName(key, number));
}

std::vector<int> RecordPictureNumbers(Common& c, std::string_view key) {
    const std::string mask = DataPath(c, "doklady\\" + std::string(key) + "-??.jpg");
    std::vector<DirEntry> entries;
    std::vector<int> numbers;
    if (c.fs.List(mask, &entries) != io::kOk) return numbers;
    for (const DirEntry& e : entries) {
        if (e.directory || e.size < kMinPictureBytes) continue;
        const int n = NumberOfName(key, e.name);
        if (n >= 0) numbers.push_back(n);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

int NextRecordPicture(Common& c, std::string_view key, int current) {
    for (int n : RecordPictureNumbers(c, key))
        if (n > current) return n;
    return 0;
}

int FirstFreeRecordPicture(Common& c, std::string_view key) {
    int expected = 0;
    for (int n : RecordPictureNumbers(c, key)) {
        if (n != expected) break;
        ++expected;
    }
    return expected < kMaxRecordPictures ? expected : -1;
}

AttachResult AttachRecordPictureData(Common& c, std::string_view key, std::string_view data) {
    AttachResult r;
    if (static_cast<std::int64_t>(data.size()) < kMinPictureBytes) return r;
    const int number = FirstFreeRecordPicture(c, key);
    if (number < 0) {
        r.code = io::kFileExists;
        return r;
    }
    const std::string path = RecordPicturePath(c, key, number);
    ForceDirs(c, path);
    r.code = WriteFileBytes(c, path, data);
    if (r.code == io::kOk && c.set.personalData && IsPlainJpeg(data))
        r.code = ScrambleFile(c, path);
    if (r.code != io::kOk) {
        (void)c.fs.Remove(path);  // no half picture under a number
        return r;
    }
    r.number = number;
    return r;
}

AttachResult AttachRecordPicture(Common& c, std::string_view key, std::string_view source) {
    std::string data;
    if (int rc = ReadFileBytes(c, source, &data); rc != io::kOk) {
        AttachResult r;
        r.code = rc;
        return r;
    }
    return AttachRecordPictureData(c, key, data);
}

int DeleteRecordPicture(Common& c, std::string_view key, int number) {
    if (number < 0 || number >= kMaxRecordPictures) return io::kInvalidParameter;
    int rc = c.fs.Remove(RecordPicturePath(c, key, number));
    if (rc != io::kOk && rc != io::kFileNotFound && rc != io::kPathNotFound) return rc;
    for (int n = number + 1; n < kMaxRecordPictures; ++n) {
        const std::string from = RecordPicturePath(c, key, n);
        DirEntry e;
        if (c.fs.Stat(from, &e) != io::kOk) break;
        rc = c.fs.Rename(from, RecordPicturePath(c, key, n - 1));
        if (rc != io::kOk) return rc;
    }
    return io::kOk;
}

std::string LoadRecordPicture(Common& c, std::string_view path, RgbImage* out) {
    *out = RgbImage();
    const std::int32_t size = FileSizeOf(c, path);
    if (size < kMinPictureBytes) return "No picture " + std::string(path);
    if (!c.set.personalData) return LoadJpegFile(c, path, out);
    const std::string copy = "a.jpg";
    if (int rc = CopyFileTo(c, path, copy); rc != io::kOk)
        return "Err" + FormatPic("######", rc) + " " + copy;
    if (int rc = UnscrambleFile(c, copy); rc != io::kOk)
        return "Err" + FormatPic("######", rc) + " " + copy;
    return LoadJpegFile(c, copy, out);
}

std::string PreparePicturePrint(Common& c, std::string_view path, RgbImage* out) {
    std::string error = LoadRecordPicture(c, path, out);
    if (!error.empty()) return error;
    if (int rc = SaveBmpFile(c, "obrazek.bmp", *out); rc != io::kOk)
        return "Err" + FormatPic("######", rc) + " obrazek.bmp";
    return {};
}

PictureMargins PicturePrintMargins(Common& c) {
    PictureMargins m;
    m.left = StrToFloatLoose(GetReg(c, "OF.PAR", "Levy okraj"));
    m.top = StrToFloatLoose(GetReg(c, "OF.PAR", "Horni okraj"));
    return m;
}

std::string PictureFolder(Common& c) { return GetReg(c, "par\\sys.par", "SlozkaObr"); }

void StorePictureFolder(Common& c, std::string_view folder) {
    SetReg(c, "par\\sys.par", "SlozkaObr", folder);
}

}  // namespace kj
