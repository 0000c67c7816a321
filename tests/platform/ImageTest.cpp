// Images: loading and its failures, masks, strips, handles, pixel access and textures across displays.
#include "platform/Display.h"
#include "platform/Image.h"
#include "platform/Preload.h"
#include "platform/DisplayFixture.h"
#include "platform/Testing.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <jpeglib.h>

namespace {

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put16(std::vector<uint8_t>& b, size_t at, unsigned v) { b[at] = uint8_t(v); b[at + 1] = uint8_t(v >> 8); }
void Put32(std::vector<uint8_t>& b, size_t at, unsigned v) { Put16(b, at, v & 0xFFFF); Put16(b, at + 2, v >> 16); }

// A 24-bit BMP (no alpha channel) of 0xRRGGBB pixels, top row first in `rgb`.
std::vector<uint8_t> MakeBmp(int w, int h, const std::vector<uint32_t>& rgb)
{
    const int rowBytes = (w * 3 + 3) & ~3;
    std::vector<uint8_t> b(54 + size_t(rowBytes) * h, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, unsigned(b.size()));
    Put32(b, 10, 54);
    Put32(b, 14, 40);
    Put32(b, 18, unsigned(w));
    Put32(b, 22, unsigned(h));
    Put16(b, 26, 1);
    Put16(b, 28, 24);
    Put32(b, 34, unsigned(rowBytes * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = rgb[size_t(h - 1 - y) * w + x];   // stored bottom row first
            uint8_t* at = &b[54 + size_t(y) * rowBytes + size_t(x) * 3];
            at[0] = uint8_t(p);
            at[1] = uint8_t(p >> 8);
            at[2] = uint8_t(p >> 16);
        }
    return b;
}

// A 32-bit run-length encoded TGA stored top row first, of 0xAARRGGBB pixels.
std::vector<uint8_t> MakeRleTga(int w, int h, const std::vector<uint32_t>& argb)
{
    std::vector<uint8_t> b(18, 0);
    b[2] = 10;
    Put16(b, 12, unsigned(w));
    Put16(b, 14, unsigned(h));
    b[16] = 32;
    b[17] = 0x28;   // 8 alpha bits, top row first
    for (uint32_t p : argb) {   // every pixel as a run of one: simple and still run-length packets
        b.push_back(0x80);
        b.push_back(uint8_t(p));
        b.push_back(uint8_t(p >> 8));
        b.push_back(uint8_t(p >> 16));
        b.push_back(uint8_t(p >> 24));
    }
    return b;
}

// A baseline JPEG of one flat colour, written by libjpeg at best quality.
std::vector<uint8_t> MakeJpeg(int w, int h, uint8_t r, uint8_t g, uint8_t b)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(w);
    info.image_height = JDIMENSION(h);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(size_t(w) * 3);
    for (int x = 0; x < w; ++x) {
        row[size_t(x) * 3] = r;
        row[size_t(x) * 3 + 1] = g;
        row[size_t(x) * 3 + 2] = b;
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

}  // namespace

TEST(ImageFiles, BrokenFilesGiveNullNeverACrash)
{
    const std::vector<uint8_t> png = ReadFile("Data/Images/explosion.png");
    ASSERT_GT(png.size(), 100u);
    const std::vector<uint8_t> bmp = MakeBmp(16, 16, std::vector<uint32_t>(256, 0x123456));
    const std::vector<uint8_t> tga = MakeRleTga(16, 16, std::vector<uint32_t>(256, 0xFF123456u));
    const std::vector<uint8_t> jpeg = MakeJpeg(64, 64, 200, 100, 50);
    std::vector<uint8_t> garbage(4000);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = uint8_t((i * 2654435761u) >> 13);
    std::vector<uint8_t> hugeBmp = bmp;
    Put32(hugeBmp, 18, 1u << 30);   // a header that claims a vast picture
    // Stored top-down (a negative height), a vast picture is refused for its size, before anything is
    // allocated for it (a decoder that allocated first would fail for want of memory instead).
    std::vector<uint8_t> tallBmp = bmp;
    Put32(tallBmp, 22, uint32_t(-0x7FFFFFFF));
    WriteFile("image_test_tall.bmp", tallBmp);
    EXPECT_EQ(LoadImageFile("image_test_tall.bmp", -1), nullptr);
    EXPECT_EQ(LastImageLoadFailure(), "too large");
    std::remove("image_test_tall.bmp");

    const struct { const char* name; std::vector<uint8_t> bytes; } cases[] = {
        {"empty.png", {}},
        {"truncated.png", {png.begin(), png.begin() + png.size() / 2}},
        {"header-only.png", {png.begin(), png.begin() + 33}},
        {"garbage.png", garbage},
        {"empty.bmp", {}},
        {"truncated.bmp", {bmp.begin(), bmp.begin() + bmp.size() / 2}},
        {"huge.bmp", hugeBmp},
        {"garbage.bmp", {garbage.begin(), garbage.end()}},
        {"truncated.tga", {tga.begin(), tga.begin() + tga.size() - 3}},
        {"garbage.tga", garbage},
        {"header-only.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1}},
        {"truncated.jpg", {jpeg.begin(), jpeg.begin() + jpeg.size() * 2 / 3}},
    };
    for (const auto& c : cases) {
        const std::string path = std::string("image_test_") + c.name;
        WriteFile(path, c.bytes);
        EXPECT_EQ(LoadImageFile(path, -1), nullptr) << c.name;
        EXPECT_EQ(LoadImageStrip(path, 4, 4, 0, 1, -1), nullptr) << c.name;
        std::remove(path.c_str());
    }
    EXPECT_EQ(LoadImageFile("Data/Images/no-such-image.png", -1), nullptr);
    EXPECT_EQ(LoadImageFile("Data/Images", -1), nullptr);   // a folder

    // Decoded beforehand on the preload thread, a damaged file still fails with its reason, and a good
    // one is taken once: the next load reads the file again rather than an emptied picture.
    WriteFile("image_test_preloaded.png", garbage);
    PreloadPicture("image_test_preloaded.png");
    PreloadPicture("Data/Images/explosion.png");
    StartPreloading();
    EXPECT_EQ(LoadImageFile("image_test_preloaded.png", -1), nullptr);
    EXPECT_EQ(LastImageLoadFailure(), "not a picture");
    for (int load = 0; load < 2; ++load) {
        const TImagePtr image = LoadImageFile("Data/Images/explosion.png", -1);
        ASSERT_NE(image, nullptr);
        EXPECT_GT(image->width, 16) << load;
    }
    FinishPreloading();
    std::remove("image_test_preloaded.png");
}

TEST(ImageFiles, MaskAlphaStripsAndFormats)
{
    // Black becomes transparent only when masked and only in pictures without alpha of their own.
    WriteFile("image_test_mask.bmp", MakeBmp(2, 1, {0x000000, 0xFF0000}));
    const TImagePtr masked = LoadImageFile("image_test_mask.bmp", -1);
    const TImagePtr plain = LoadImageFile("image_test_mask.bmp", IMAGE_FILTERED);
    std::remove("image_test_mask.bmp");
    ASSERT_NE(masked, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(masked->flags, IMAGE_MASKED | IMAGE_FILTERED);
    EXPECT_EQ(masked->pixels[0][0], 0x00000000u);
    EXPECT_EQ(masked->pixels[0][1], 0xFFFF0000u);
    EXPECT_EQ(plain->pixels[0][0], 0xFF000000u);
    EXPECT_EQ(masked->handleX, 0.0f);

    WriteFile("image_test_alpha.tga", MakeRleTga(2, 2, {0x00000000u, 0x80102030u, 0xFF00FF00u, 0xFFFFFFFFu}));
    const TImagePtr tga = LoadImageFile("image_test_alpha.tga", -1);
    std::remove("image_test_alpha.tga");
    ASSERT_NE(tga, nullptr);
    EXPECT_EQ(tga->pixels[0], (std::vector<uint32_t>{0x00000000u, 0x80102030u, 0xFF00FF00u, 0xFFFFFFFFu}));

    // A 3 x 2 sheet of 2 x 2 cells, each filled with its own index; the picture is 7 wide, so a
    // partial column is ignored.
    std::vector<uint32_t> sheet(7 * 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x)
            sheet[size_t(y) * 7 + x] = x < 6 ? uint32_t(10 + (y / 2) * 3 + x / 2) : 0xABCDEF;
    WriteFile("image_test_sheet.bmp", MakeBmp(7, 4, sheet));
    const TImagePtr strip = LoadImageStrip("image_test_sheet.bmp", 2, 2, 2, 3, 0);
    const TImagePtr tooMany = LoadImageStrip("image_test_sheet.bmp", 2, 2, 4, 3, 0);
    const TImagePtr badCell = LoadImageStrip("image_test_sheet.bmp", 0, 2, 0, 1, 0);
    std::remove("image_test_sheet.bmp");
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(tooMany, nullptr);
    EXPECT_EQ(badCell, nullptr);
    ASSERT_EQ(strip->FrameCount(), 3);
    EXPECT_EQ(strip->width, 2);
    for (int k = 0; k < 3; ++k)
        for (uint32_t p : strip->pixels[k])
            EXPECT_EQ(p & 0xFFFFFFu, uint32_t(12 + k)) << "frame " << k;

    // JPEG has no alpha: masking applies, and a flat colour comes back within rounding.
    WriteFile("image_test_flat.jpg", MakeJpeg(24, 16, 200, 100, 50));
    const TImagePtr jpeg = LoadImageFile("image_test_flat.jpg", -1);
    std::remove("image_test_flat.jpg");
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(jpeg->width, 24);
    EXPECT_EQ(jpeg->height, 16);
    const uint32_t p = jpeg->pixels[0][100];
    EXPECT_EQ(p >> 24, 255u);
    EXPECT_NEAR(int((p >> 16) & 255), 200, 2);
    EXPECT_NEAR(int((p >> 8) & 255), 100, 2);
    EXPECT_NEAR(int(p & 255), 50, 2);

    const TImagePtr generated = LoadImageFile("Data/Images/particlering.png", -1);
    ASSERT_NE(generated, nullptr);
    EXPECT_GE(generated->width, 64);
    EXPECT_EQ(generated->pixels[0][0] >> 24, 0u);   // transparent surroundings
}

TEST(ImagePixels, WindowsShareAndClipThePixels)
{
    const TImagePtr image = CreateBlankImage(8, 6, 2, -1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->flags, IMAGE_MASKED | IMAGE_FILTERED | IMAGE_DYNAMIC);
    EXPECT_EQ(CreateBlankImage(0, 5, 1, 0), nullptr);

    PixelBuffer whole = LockImagePixels(image, 1, 1, 1);
    EXPECT_EQ(whole.Read(7, 5), 0u);   // blank means transparent
    PixelBuffer window = whole.Window(6, 4, 10, 10);
    EXPECT_EQ(window.width, 2);
    EXPECT_EQ(window.height, 2);
    EXPECT_EQ(window.format, PIXEL_FORMAT_ARGB8888);
    window.Write(1, 1, 0xFF112233u);
    window.Write(0, 0, 0xFF445566u);
    UnlockImagePixels(image, 1);
    EXPECT_EQ(image->pixels[1][5 * 8 + 7], 0xFF112233u);
    EXPECT_EQ(image->pixels[1][4 * 8 + 6], 0xFF445566u);
    EXPECT_EQ(image->pixels[0][5 * 8 + 7], 0u);
    EXPECT_EQ(whole.Window(-3, -3, 2, 2).width, 0);
    EXPECT_EQ(LockImagePixels(image, 2, 1, 1).data, nullptr);
}

using ImageDrawTest = DisplayTest;

namespace {

// A 4 x 4 opaque picture: red top-left pixel, green bottom-right, blue elsewhere.
TImagePtr MarkedImage()
{
    const TImagePtr image = CreateBlankImage(4, 4, 1, 0);
    PixelBuffer pixels = LockImagePixels(image, 0, 1, 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            pixels.Write(x, y, 0xFF0000FFu);
    pixels.Write(0, 0, 0xFFFF0000u);
    pixels.Write(3, 3, 0xFF00FF00u);
    UnlockImagePixels(image, 0);
    return image;
}

}  // namespace

TEST_F(ImageDrawTest, HandlesScaleAndRegionsPlaceTheFrame)
{
    const TImagePtr image = MarkedImage();
    DrawImageAt(image, 50.0f, 60.0f, 0);
    EXPECT_EQ(ReadPixel(50, 60), 0xFFFF0000u);
    EXPECT_EQ(ReadPixel(53, 63), 0xFF00FF00u);
    EXPECT_EQ(FindInk().count, 16);

    // Centred handle at scale 2: doubles about its centre.
    Cls();
    CentreImageHandle(image);
    SetDrawScale(2.0f, 2.0f);
    DrawImageAt(image, 200.0f, 200.0f, 0);
    TInkBox box = FindInk();
    EXPECT_EQ(box.left, 196);
    EXPECT_EQ(box.top, 196);
    EXPECT_EQ(box.Width(), 8);
    EXPECT_EQ(ReadPixel(196, 197), 0xFFFF0000u);
    EXPECT_EQ(ReadPixel(203, 202), 0xFF00FF00u);

    // Colour multiplies the texels.
    Cls();
    SetDrawScale(1.0f, 1.0f);
    SetImageHandle(image, 0.0f, 0.0f);
    SetColor(128, 255, 255);
    DrawImageAt(image, 10.0f, 10.0f, 0);
    EXPECT_NEAR(Red(ReadPixel(10, 10)), 128, 1);

    // The bottom-right 2 x 2 of the frame stretched to 8 x 8, anchored at its source point (3, 3).
    Cls();
    SetColor(255, 255, 255);
    DrawImageRegion(image, 300.0f, 300.0f, 8.0f, 8.0f, 2.0f, 2.0f, 2.0f, 2.0f, 3.0f, 3.0f, 0);
    box = FindInk();
    EXPECT_EQ(box.left, 288);
    EXPECT_EQ(box.top, 288);
    EXPECT_EQ(box.Width(), 8);
    EXPECT_EQ(ReadPixel(295, 295), 0xFF00FF00u);
    EXPECT_EQ(ReadPixel(288, 288), 0xFF0000FFu);

    // Out-of-range frames and null images are ignored.
    DrawImageAt(image, 0.0f, 0.0f, 1);
    DrawImageAt(nullptr, 0.0f, 0.0f, 0);
    EXPECT_EQ(image->Frame(5), 0u);
}

TEST_F(ImageDrawTest, PixelChangesShowOnTheNextDraw)
{
    const TImagePtr image = MarkedImage();
    DrawImageAt(image, 10.0f, 10.0f, 0);
    PixelBuffer pixels = LockImagePixels(image, 0, 1, 1);
    pixels.Write(0, 0, 0xFFFFFF00u);
    UnlockImagePixels(image, 0);
    DrawImageAt(image, 20.0f, 10.0f, 0);
    EXPECT_EQ(ReadPixel(10, 10), 0xFFFF0000u);   // drawn before the change
    EXPECT_EQ(ReadPixel(20, 10), 0xFFFFFF00u);
}

TEST_F(ImageDrawTest, ImagesSurviveCloseAndReopen)
{
    const TImagePtr image = MarkedImage();
    const TImagePtr loaded = LoadImageFile("Data/Images/explosion.png", -1);
    ASSERT_NE(loaded, nullptr);
    SetBlend(3);
    DrawImageAt(image, 10.0f, 10.0f, 0);
    DrawImageAt(loaded, 100.0f, 100.0f, 0);
    const std::vector<uint32_t> before = ReadBackBuffer();
    const unsigned firstTexture = image->Frame(0);
    EXPECT_NE(firstTexture, 0u);

    CloseGraphics();
    EXPECT_EQ(image->Frame(0), 0u);
    ASSERT_NE(OpenGraphics(1024, 768, 0, 60, 0), nullptr);
    SetBlend(3);
    Cls();
    DrawImageAt(image, 10.0f, 10.0f, 0);
    DrawImageAt(loaded, 100.0f, 100.0f, 0);
    EXPECT_EQ(ReadBackBuffer(), before);
}
