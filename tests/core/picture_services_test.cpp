// Pictures: JPEG and BMP files, screen shots of a window, pictures on paper.

#include "kj_test.h"

#include <sys/resource.h>

#include <cstdlib>
#include <fstream>
#include <tuple>

#include "services/jpeg_codec.h"
#include "services/picture_services.h"
#include "services/protocol.h"

namespace kj {
namespace {

using Station = rectest::TempStation;

// The colour of content row y of the fake window: one grey level per band of
// 100 rows, so a row of a capture tells where it came from.
std::uint8_t BandGrey(int y) { return static_cast<std::uint8_t>(20 + (y / 100) * 20); }

// A scrolling window: content rows 0..contentHeight-1, a client area of
// clientHeight rows showing the rows from `scroll` on.
class FakeWindow final : public CaptureWindow {
public:
    int height = 700, clientHeight = 600, contentHeight = 600, controlsBottom = 500;
    int width = 640, scroll = 37, top = 200;
    bool captureWorks = true;
    std::vector<std::string> calls;

    FakeWindow() = default;
    FakeWindow(int height, int rows) : height(height), clientHeight(rows), contentHeight(rows) {}

    int Height() const override { return height; }
    void SetHeight(int pixels) override {
        calls.push_back("height " + std::to_string(pixels));
        clientHeight += pixels - height;
        height = pixels;
    }
    void MoveToTop() override {
        calls.push_back("top");
        top = 0;
    }
    int ClientHeight() const override { return clientHeight; }
    int ControlsBottom() const override { return controlsBottom; }
    int ScrollTo(int y) override {
        scroll = std::clamp(y, 0, std::max(0, contentHeight - clientHeight));
        calls.push_back("scroll " + std::to_string(scroll));
        return scroll;
    }
    bool CaptureClient(RgbImage* out) override {
        if (!captureWorks) return false;
        *out = RgbImage(width, clientHeight);
        for (int y = 0; y < clientHeight; ++y) {
            const std::uint8_t g = scroll + y < contentHeight ? BandGrey(scroll + y) : 0;
            for (int x = 0; x < width; ++x) {
                std::uint8_t* p = out->Pixel(x, y);
                p[0] = p[1] = p[2] = g;
            }
        }
        return true;
    }
};

TEST(ScreenShot, WindowWithinOnePageIsOneCapture) {
    Station s;
    FakeWindow w(900, 800);  // higher than the work area (768) less 20

    ASSERT_TRUE(ScreenShot(s.c, w, "shot.jpg", 0));
    EXPECT_EQ(w.calls, (std::vector<std::string>{"top", "height 748", "scroll 0"}));
    EXPECT_EQ(w.top, 0);

    // a.bmp is the client area (640 x 648 after the height change).
    RgbImage client;
    ASSERT_EQ(DecodeBmp(ReadHost(s.work / "a.bmp"), &client), "");
    EXPECT_EQ(std::pair(client.width, client.height), std::pair(640, 648));

    RgbImage shot;
    ASSERT_EQ(DecodeJpeg(ReadHost(s.work / "shot.jpg"), &shot), "");
    EXPECT_EQ(std::pair(shot.width, shot.height), std::pair(640, 648));
    EXPECT_NEAR(shot.Pixel(10, 50)[0], BandGrey(50), 3);
    EXPECT_NEAR(shot.Pixel(10, 550)[0], BandGrey(550), 3);
    EXPECT_EQ(s.ui.Texts("beep"), (std::vector<std::string>{"Snímek je hotov"_cz}));
    EXPECT_FALSE(fs::exists(s.work / "b.bmp"));

    // Mode 1 makes a low window 600 high; a lower one stays as it is in mode 0.
    FakeWindow low(400, 380);
    ASSERT_TRUE(ScreenShot(s.c, low, "low.jpg", 1));
    EXPECT_EQ(low.calls, (std::vector<std::string>{"top", "height 600", "scroll 0"}));
    FakeWindow low0 = FakeWindow();
    low0.height = 400;
    ASSERT_TRUE(ScreenShot(s.c, low0, "low0.jpg", 0));
    EXPECT_EQ(low0.calls, (std::vector<std::string>{"top", "scroll 0"}));
}

TEST(ScreenShot, TallWindowIsTwoCapturesComposed) {
    Station s;
    FakeWindow w;  // 600 rows visible of 1,000; controls down to 990
    w.contentHeight = 1000;
    w.controlsBottom = 990;
    w.width = 900;  // wider than the picture: cut at 800

    ASSERT_TRUE(ScreenShot(s.c, w, "tall.jpg", 0));
    // One page down stops at the end of the content (400), then back up.
    EXPECT_EQ(w.calls, (std::vector<std::string>{"top", "scroll 0", "scroll 400", "scroll 0"}));
    EXPECT_EQ(w.scroll, 0);
    EXPECT_EQ(s.ui.Texts("beep"),
              (std::vector<std::string>{"Klikněte prosím a čekejte na zpracování obrázku"_cz}));
    EXPECT_TRUE(fs::exists(s.work / "a.bmp"));
    EXPECT_TRUE(fs::exists(s.work / "b.bmp"));

    RgbImage shot;
    ASSERT_EQ(DecodeJpeg(ReadHost(s.work / "tall.jpg"), &shot), "");
    EXPECT_EQ(std::pair(shot.width, shot.height), std::pair(800, 1150));
    // Content row y lies at picture row y; below the content the picture is white.
    for (int y : {50, 350, 550, 650, 950})
        EXPECT_NEAR(shot.Pixel(400, y)[1], BandGrey(y), 3) << "row " << y;
    EXPECT_NEAR(shot.Pixel(400, 1100)[1], 255, 3);
}

// The second capture lies over the first; beside and below them: white.
TEST(ScreenShot, ComposeLaysTheSecondOverTheFirst) {
    const RgbImage out = ComposeScreenShot(RgbImage(900, 700, 10, 10, 10), RgbImage(300, 600, 90, 90, 90), 500);
    ASSERT_EQ(std::pair(out.width, out.height), std::pair(800, 1150));
    EXPECT_EQ(out.Pixel(799, 499)[0], 10);
    EXPECT_EQ(out.Pixel(0, 500)[0], 90);
    EXPECT_EQ(out.Pixel(300, 600)[0], 10);
    EXPECT_EQ(out.Pixel(300, 800)[0], 255);
}

TEST(ScreenShot, PersonalDataScramblesAndFaultsAreShown) {
    Station s;
    s.c.set.personalData = true;
    FakeWindow w;
    ASSERT_TRUE(ScreenShot(s.c, w, "secret.jpg", 0));
    RgbImage img;
    EXPECT_NE(LoadJpegFile(s.c, "secret.jpg", &img), "");
    ASSERT_EQ(UnscrambleFile(s.c, "secret.jpg"), io::kOk);
    EXPECT_EQ(LoadJpegFile(s.c, "secret.jpg", &img), "");
    EXPECT_EQ(img.height, 600);

    s.c.set.personalData = false;
    FakeWindow broken;
    broken.captureWorks = false;
    EXPECT_FALSE(ScreenShot(s.c, broken, "x.jpg", 0));
    EXPECT_EQ(SaveFormImage(s.c, broken, "x.bmp"), io::kInvalidParameter);
    EXPECT_FALSE(fs::exists(s.work / "x.jpg"));

    s.fs.Plan("out.jpg").writeCode = io::kDiskWriteError;
    EXPECT_FALSE(ScreenShot(s.c, w, "out.jpg", 0));
    EXPECT_EQ(s.ui.Last("beep"), "Chyba   101 při zápisu out.jpg"_cz);
}

TEST(PrintBitmap, StretchCopiesSourcePixels) {
    RgbImage src(2, 2);
    const std::uint8_t v[4] = {10, 20, 30, 40};
    for (int i = 0; i < 4; ++i) {
        std::uint8_t* p = src.Pixel(i % 2, i / 2);
        p[0] = v[i];
        p[1] = static_cast<std::uint8_t>(v[i] + 1);
        p[2] = static_cast<std::uint8_t>(v[i] + 2);
    }
    const RgbImage big = StretchImage(src, 4, 6);
    ASSERT_EQ(big.width, 4);
    ASSERT_EQ(big.height, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 4; ++x) {
            const int i = (y / 3) * 2 + x / 2;
            EXPECT_EQ(big.Pixel(x, y)[0], v[i]) << x << "," << y;
            EXPECT_EQ(big.Pixel(x, y)[2], v[i] + 2);
        }

    // Shrinking takes the pixel under each target pixel's centre.
    RgbImage row(4, 1);
    for (int x = 0; x < 4; ++x) row.Pixel(x, 0)[0] = static_cast<std::uint8_t>(x);
    const RgbImage half = StretchImage(row, 2, 1);
    EXPECT_EQ(half.Pixel(0, 0)[0], 1);
    EXPECT_EQ(half.Pixel(1, 0)[0], 3);

    EXPECT_TRUE(StretchImage(RgbImage(), 5, 5).empty());
    EXPECT_TRUE(StretchImage(src, 0, 5).empty());
}

TEST(PrintBitmap, PictureRectKeepsProportionsInsideMargins) {
    // Page and dpi in x and y, margins in mm, picture size; where it lands.
    const struct {
        int page[4], margins[2], picture[2];
        PixelRect at;
    } cases[] = {
        // A4 at 300 dpi, 10 mm margins: 118 pixels, room 2244 x 3272.
        {{2480, 3508, 300, 300}, {10, 10}, {800, 600}, {118, 118, 2244, 1683}},
        // A tall picture is limited by the height (350.8 rounded).
        {{2480, 3508, 300, 300}, {0, 0}, {100, 1000}, {0, 0, 351, 3508}},
        // Non-square device pixels: the picture keeps its shape on paper.
        {{1000, 1000, 100, 200}, {0, 0}, {100, 100}, {0, 0, 500, 1000}},
    };
    for (const auto& k : cases) {
        const PixelRect r = PicturePrintRect(k.page[0], k.page[1], k.page[2], k.page[3], k.margins[0],
                                             k.margins[1], k.picture[0], k.picture[1]);
        EXPECT_EQ(std::tuple(r.left, r.top, r.width, r.height),
                  std::tuple(k.at.left, k.at.top, k.at.width, k.at.height)) << k.picture[0];
    }
    // No room: nothing to draw.
    EXPECT_EQ(PicturePrintRect(100, 100, 300, 300, 50, 50, 10, 10).width, 0);
}

// ---- JPEG and BMP codecs ----

TEST(JpegCodec, DamagedDataGivesAnErrorNotACrash) {
    std::string good;
    ASSERT_EQ(EncodeJpeg(RgbImage(64, 48, 90, 120, 200), 95, &good), "");
    RgbImage out(5, 5);

    // Cut inside the scan: libjpeg would fill the rest with grey.
    std::string error = DecodeJpeg(good.substr(0, good.size() / 2), &out);
    EXPECT_NE(error, "");
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(out.rgb.empty());

    // Cut inside the headers: a fatal libjpeg error that must come back.
    EXPECT_NE(DecodeJpeg(good.substr(0, 30), &out), "");
    EXPECT_TRUE(out.empty());

    // Not a JPEG at all, and nothing.
    EXPECT_NE(DecodeJpeg("GIF89a this is something else entirely", &out), "");
    EXPECT_NE(DecodeJpeg("", &out), "");
    EXPECT_TRUE(out.empty());

    // A header claiming a zero-wide picture.
    std::string zeroWidth = good;
    std::size_t sof = zeroWidth.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    zeroWidth[sof + 7] = 0;
    zeroWidth[sof + 8] = 0;
    EXPECT_NE(DecodeJpeg(zeroWidth, &out), "");

    // A progressive picture whose header claims 9731 x 65285 pixels: refused
    // from its header, before the decoder sets up buffers for all of them
    // (it took some GB when it was refused only after the set-up).
    std::ifstream huge(fs::path(__FILE__).parent_path().parent_path() / "fuzz/corpus/jpeg/huge.jpg",
                       std::ios::binary);
    const std::string hugeBytes((std::istreambuf_iterator<char>(huge)), {});
    ASSERT_FALSE(hugeBytes.empty());
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    EXPECT_NE(DecodeJpeg(hugeBytes, &out), "");
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 100 * 1024) << "KB more at the peak";

    // The codec still works after the failures (no state left behind),
    // and the colours come back in their order.
    EXPECT_EQ(DecodeJpeg(good, &out), "");
    ASSERT_EQ(std::pair(out.width, out.height), std::pair(64, 48));
    EXPECT_NEAR(out.Pixel(5, 5)[0], 90, 4);
    EXPECT_NEAR(out.Pixel(5, 5)[2], 200, 4);

    // Nothing to encode.
    std::string data = "x";
    EXPECT_NE(EncodeJpeg(RgbImage(), 90, &data), "");
    EXPECT_TRUE(data.empty());
}

TEST(Bitmap, HeaderRowsAndPaddingOnDisk) {
    RgbImage img(3, 2);
    const std::uint8_t colours[2][3][3] = {
        {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},      // top row
        {{1, 2, 3}, {10, 20, 30}, {100, 110, 120}}};  // bottom row
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            for (int k = 0; k < 3; ++k) img.Pixel(x, y)[k] = colours[y][x][k];

    const std::string bmp = EncodeBmp(img);
    // 54 bytes of headers, rows of 9 bytes padded to 12.
    ASSERT_EQ(bmp.size(), 54u + 2u * 12u);
    const auto* p = reinterpret_cast<const unsigned char*>(bmp.data());
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    // Offset and value of the 32-bit fields: size, reserved, data offset,
    // header size, width, height (positive: bottom-up), compression, data
    // size, 3780 pixels a metre both ways; then planes 1 and 24 bits.
    const std::pair<int, std::uint32_t> fields[] = {{2, 78},  {6, 0},  {10, 54}, {14, 40}, {18, 3},
                                                    {22, 2},  {30, 0}, {34, 24}, {38, 3780}, {42, 3780}};
    for (auto [at, value] : fields) EXPECT_EQ(codec::GetU32(p + at), value) << "offset " << at;
    EXPECT_EQ(codec::GetU16(p + 26), 1);
    EXPECT_EQ(codec::GetU16(p + 28), 24);
    // First stored row is the bottom one, blue-green-red, then 3 zeros.
    EXPECT_EQ(bmp.substr(54, 12), std::string("\x03\x02\x01\x1e\x14\x0a\x78\x6e\x64\0\0\0", 12));
    EXPECT_EQ(bmp.substr(66, 12), std::string("\0\0\xff\0\xff\0\xff\0\0\0\0\0", 12));

    RgbImage back;
    ASSERT_EQ(DecodeBmp(bmp, &back), "");
    EXPECT_EQ(std::pair(back.width, back.height), std::pair(3, 2));
    EXPECT_EQ(back.rgb, img.rgb);

    // Damaged or foreign bitmaps are refused.
    EXPECT_NE(DecodeBmp(bmp.substr(0, bmp.size() - 1), &back), "");  // pixels cut
    EXPECT_TRUE(back.empty());
    EXPECT_NE(DecodeBmp("BM", &back), "");
    std::string rle = bmp;
    rle[30] = 1;  // compressed
    EXPECT_NE(DecodeBmp(rle, &back), "");
}

}  // namespace
}  // namespace kj
