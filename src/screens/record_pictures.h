#pragma once
// Pictures attached to the records of a table: JPEG files
// "doklady\" + key + "-" + number "@@" + ".jpg" in the data directory,
// numbered from 00 without gaps (the key is the browser's KlicObrazku of the
// record). A number "has a picture" when its file holds more than 2 bytes.
//
// With the personal-data switch on, picture files are kept scrambled
// (ScrambleFile): they are shown through an unscrambled copy "a.jpg" in the
// current directory, and a plain JPEG attached while the switch is on is
// scrambled as it is copied in (a file that is no plain JPEG, e.g. a
// scrambled window picture, is copied as it is).

#include <string>
#include <string_view>
#include <vector>

#include "services/common.h"
#include "services/jpeg_codec.h"

namespace kj {

inline constexpr int kMaxRecordPictures = 100;  // numbers 00..99

// The picture file of a record (DataPath of "doklady\" + key + "-NN.jpg").
std::string RecordPicturePath(Common& c, std::string_view key, int number);
// Numbers of the record's pictures, ascending (one directory listing with
// the mask key + "-??.jpg").
std::vector<int> RecordPictureNumbers(Common& c, std::string_view key);
// DalsiObrazek: the next number after `current` that has a picture; 0 after
// the last (and when there is none).
int NextRecordPicture(Common& c, std::string_view key, int current);
// The number an attached picture receives: the lowest one without a
// picture; -1 when all 100 are taken.
int FirstFreeRecordPicture(Common& c, std::string_view key);

struct AttachResult {
    int code = 0;     // DOS code (0 = success)
    int number = -1;  // number the picture received, -1 when none
};
// F in the list: the file `source` (a path of the station's file system),
// when larger than 2 bytes, copied in as the record's picture number
// FirstFreeRecordPicture ("doklady\" is created when missing). A source of
// at most 2 bytes attaches nothing (code 0, number -1); all numbers taken
// gives code 80 (file exists).
AttachResult AttachRecordPicture(Common& c, std::string_view key, std::string_view source);
// The same for a picture already read (the Qt side reads the chosen host
// file itself).
AttachResult AttachRecordPictureData(Common& c, std::string_view key, std::string_view data);

// KlDel: deletes picture `number` and moves every following picture one
// number down (n + 1 to n while file n + 1 exists). DOS code of the first
// failure; a missing picture `number` is no failure.
int DeleteRecordPicture(Common& c, std::string_view key, int number);

// Loads a picture file for display: "" and the picture, or the fault. A
// file of at most 2 bytes is "no picture". With the personal-data switch on
// the file is copied to "a.jpg", unscrambled there and the copy decoded.
std::string LoadRecordPicture(Common& c, std::string_view path, RgbImage* out);

// T in the list: the shown picture loaded as for display and saved as
// "obrazek.bmp" (current directory) for the printer; "" or the fault.
std::string PreparePicturePrint(Common& c, std::string_view path, RgbImage* out);
// Margins of the printed picture, "Levy okraj" and "Horni okraj" of
// "OF.PAR", in millimetres (0 when missing); see PicturePrintRect.
struct PictureMargins {
    double left = 0;
    double top = 0;
};
PictureMargins PicturePrintMargins(Common& c);

// Folder the picture choice opens in: "SlozkaObr" of "par\sys.par".
std::string PictureFolder(Common& c);
void StorePictureFolder(Common& c, std::string_view folder);

}  // namespace kj
