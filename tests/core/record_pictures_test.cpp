#include "kj_test.h"

#include <fstream>

#include "screens/record_pictures.h"
#include "services/protocol.h"

namespace kj {
namespace {

// A station working in <dir>/work with its data directory.
struct Station : rectest::TempStation {
    Station() { UseDataDir(); }
    fs::path Pic(const std::string& name) const { return Data("doklady") / name; }
};

std::string Jpeg(std::uint8_t grey, int w = 16, int h = 8) {
    std::string data;
    EXPECT_EQ(EncodeJpeg(RgbImage(w, h, grey, grey, grey), 90, &data), "");
    return data;
}

TEST(RecordPictures, NamesNumbersAndBrowsing) {
    Station s;
    EXPECT_EQ(RecordPicturePath(s.c, "000012", 3), "C:\\DATA\\doklady\\000012-03.jpg");
    EXPECT_EQ(RecordPicturePath(s.c, "000012", 10), "C:\\DATA\\doklady\\000012-10.jpg");

    EXPECT_TRUE(RecordPictureNumbers(s.c, "000012").empty());  // no "doklady" yet
    EXPECT_EQ(NextRecordPicture(s.c, "000012", 0), 0);
    EXPECT_EQ(FirstFreeRecordPicture(s.c, "000012"), 0);

    WriteHost(s.Pic("000012-00.jpg"), "abc");
    WriteHost(s.Pic("000012-01.JPG"), "abcd");       // case does not matter
    WriteHost(s.Pic("000012-02.jpg"), "ab");         // 2 bytes: no picture
    WriteHost(s.Pic("000012-03.jpg"), "abc");
    WriteHost(s.Pic("0000123-04.jpg"), "abc");       // another key
    WriteHost(s.Pic("000012-x5.jpg"), "abc");        // not a number
    EXPECT_EQ(RecordPictureNumbers(s.c, "000012"), (std::vector<int>{0, 1, 3}));
    EXPECT_EQ(NextRecordPicture(s.c, "000012", 0), 1);
    EXPECT_EQ(NextRecordPicture(s.c, "000012", 1), 3);  // 2 is too small
    EXPECT_EQ(NextRecordPicture(s.c, "000012", 3), 0);  // after the last: back to 0
    EXPECT_EQ(FirstFreeRecordPicture(s.c, "000012"), 2);
}

TEST(RecordPictures, AttachCopiesToTheFirstFreeNumber) {
    Station s;
    const std::string a = Jpeg(10), b = Jpeg(200);
    WriteHost(s.work / "a.jpg", a);
    WriteHost(s.work / "b.jpg", b);
    WriteHost(s.work / "tiny.jpg", "xy");

    AttachResult r = AttachRecordPicture(s.c, "K1", "a.jpg");
    EXPECT_EQ(r.code, io::kOk);
    EXPECT_EQ(r.number, 0);
    r = AttachRecordPicture(s.c, "K1", "b.jpg");
    EXPECT_EQ(r.number, 1);
    EXPECT_EQ(ReadHost(s.Pic("K1-00.jpg")), a);
    EXPECT_EQ(ReadHost(s.Pic("K1-01.jpg")), b);

    // A source of 2 bytes attaches nothing; a missing one gives its code.
    r = AttachRecordPicture(s.c, "K1", "tiny.jpg");
    EXPECT_EQ(r.code, io::kOk);
    EXPECT_EQ(r.number, -1);
    r = AttachRecordPicture(s.c, "K1", "missing.jpg");
    EXPECT_EQ(r.code, io::kFileNotFound);
    EXPECT_EQ(r.number, -1);
    EXPECT_FALSE(fs::exists(s.Pic("K1-02.jpg")));

    // A gap is filled first.
    fs::remove(s.Pic("K1-00.jpg"));
    EXPECT_EQ(AttachRecordPictureData(s.c, "K1", b).number, 0);

    // All 100 numbers taken.
    for (int n = 0; n < 100; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "Z-%02d.jpg", n);
        WriteHost(s.Pic(name), "abc");
    }
    r = AttachRecordPictureData(s.c, "Z", a);
    EXPECT_EQ(r.code, io::kFileExists);
    EXPECT_EQ(r.number, -1);

    // A failed write leaves no picture behind.
    s.fs.Plan("C:\\DATA\\doklady\\K1-02.jpg").writeCode = io::kDiskWriteError;
    r = AttachRecordPictureData(s.c, "K1", a);
    EXPECT_EQ(r.code, io::kDiskWriteError);
    EXPECT_EQ(r.number, -1);
    EXPECT_FALSE(fs::exists(s.Pic("K1-02.jpg")));
}

TEST(RecordPictures, DeleteMovesTheFollowingPicturesDown) {
    Station s;
    for (int n = 0; n < 4; ++n) WriteHost(s.Pic("K-0" + std::to_string(n) + ".jpg"), "pic" + std::to_string(n));
    WriteHost(s.Pic("K-06.jpg"), "pic6");  // after a gap: stays

    ASSERT_EQ(DeleteRecordPicture(s.c, "K", 1), io::kOk);
    EXPECT_EQ(ReadHost(s.Pic("K-00.jpg")), "pic0");
    EXPECT_EQ(ReadHost(s.Pic("K-01.jpg")), "pic2");
    EXPECT_EQ(ReadHost(s.Pic("K-02.jpg")), "pic3");
    EXPECT_FALSE(fs::exists(s.Pic("K-03.jpg")));
    EXPECT_EQ(ReadHost(s.Pic("K-06.jpg")), "pic6");

    // The last one: nothing follows.
    ASSERT_EQ(DeleteRecordPicture(s.c, "K", 2), io::kOk);
    EXPECT_FALSE(fs::exists(s.Pic("K-02.jpg")));
    EXPECT_EQ(RecordPictureNumbers(s.c, "K"), (std::vector<int>{0, 1, 6}));

    // A missing picture: the following ones still move down.
    fs::remove(s.Pic("K-00.jpg"));
    ASSERT_EQ(DeleteRecordPicture(s.c, "K", 0), io::kOk);
    EXPECT_EQ(ReadHost(s.Pic("K-00.jpg")), "pic2");

    // A deletion refused by the file system is reported and nothing moves.
    s.fs.Plan("C:\\DATA\\doklady\\K-00.jpg").removeCode = io::kAccessDenied;
    WriteHost(s.Pic("K-01.jpg"), "next");
    EXPECT_EQ(DeleteRecordPicture(s.c, "K", 0), io::kAccessDenied);
    EXPECT_EQ(ReadHost(s.Pic("K-01.jpg")), "next");
}

TEST(RecordPictures, LoadingDamagedAndScrambledPictures) {
    Station s;
    const std::string path = RecordPicturePath(s.c, "K", 0);
    RgbImage img;
    EXPECT_NE(LoadRecordPicture(s.c, path, &img), "");  // missing
    WriteHost(s.Pic("K-00.jpg"), "ab");
    EXPECT_NE(LoadRecordPicture(s.c, path, &img), "");  // 2 bytes
    const std::string good = Jpeg(128, 20, 10);
    WriteHost(s.Pic("K-00.jpg"), good.substr(0, good.size() / 2));
    EXPECT_NE(LoadRecordPicture(s.c, path, &img), "");  // cut
    EXPECT_TRUE(img.empty());
    WriteHost(s.Pic("K-00.jpg"), good);
    ASSERT_EQ(LoadRecordPicture(s.c, path, &img), "");
    EXPECT_EQ(img.width, 20);

    // Personal data: a plain JPEG is scrambled on its way in, shown
    // through the unscrambled copy a.jpg.
    s.c.set.personalData = true;
    ASSERT_EQ(AttachRecordPictureData(s.c, "K", good).number, 1);
    const std::string stored = ReadHost(s.Pic("K-01.jpg"));
    EXPECT_EQ(stored.size(), good.size());
    EXPECT_NE(stored, good);
    ASSERT_EQ(LoadRecordPicture(s.c, RecordPicturePath(s.c, "K", 1), &img), "");
    EXPECT_EQ(img.height, 10);
    EXPECT_EQ(ReadHost(s.work / "a.jpg"), good);
    EXPECT_EQ(ReadHost(s.Pic("K-01.jpg")), stored);  // the stored file is untouched
    // An already scrambled file (no JPEG start) is copied as it is.
    ASSERT_EQ(AttachRecordPictureData(s.c, "K", stored).number, 2);
    EXPECT_EQ(ReadHost(s.Pic("K-02.jpg")), stored);
}

TEST(RecordPictures, PrintPreparationMarginsAndFolder) {
    Station s;
    WriteHost(s.Pic("K-00.jpg"), Jpeg(60, 24, 12));
    RgbImage img;
    ASSERT_EQ(PreparePicturePrint(s.c, RecordPicturePath(s.c, "K", 0), &img), "");
    const std::string bmp = ReadHost(s.work / "obrazek.bmp");
    ASSERT_EQ(bmp.size(), 54u + 24u * 3u * 12u);
    const auto* p = reinterpret_cast<const unsigned char*>(bmp.data());
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(codec::GetI32(p + 18), 24);
    EXPECT_EQ(codec::GetI32(p + 22), 12);
    EXPECT_NE(PreparePicturePrint(s.c, RecordPicturePath(s.c, "K", 5), &img), "");

    EXPECT_EQ(PicturePrintMargins(s.c).left, 0);
    WriteHost(s.work / "OF.PAR", "Levy okraj : 12,5\r\nHorni okraj : 20\r\n");
    const PictureMargins m = PicturePrintMargins(s.c);
    EXPECT_DOUBLE_EQ(m.left, 12.5);
    EXPECT_DOUBLE_EQ(m.top, 20);

    EXPECT_EQ(PictureFolder(s.c), "");
    StorePictureFolder(s.c, "C:\\Obrázky\\"_cz);
    EXPECT_EQ(PictureFolder(s.c), "C:\\Obrázky\\"_cz);
    EXPECT_EQ(ReadHost(s.work / "par" / "sys.par"), "SlozkaObr : C:\\Obrázky\\\r\n"_cz);
}

}  // namespace
}  // namespace kj
