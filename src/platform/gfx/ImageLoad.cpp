// ImageLoad - picture decoders: PNG through libpng, BMP through SDL, and TGA (JPEG in JpegDecode.cpp).
// Every decoder reads from memory, checks sizes before allocating, and fails with false, never a crash.
#include "platform/gfx/ImageDecode.h"
#include "platform/gfx/DecodeParts.h"

#include "platform/sys/FileRead.h"
#include "platform/Image.h"
#include "platform/Preload.h"

#include <SDL.h>
#include <png.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

constexpr int MAX_SIDE = 16384;
// 64 MiB of pixels: far beyond any picture a game of this size draws, and small enough that the decode,
// its copy and the texture upload fit in memory at once.
constexpr long long MAX_PIXELS = 1LL << 24;
// The largest picture file worth reading: an uncompressed BMP or TGA of MAX_PIXELS with its headers.
constexpr size_t MAX_FILE_BYTES = (size_t(MAX_PIXELS) * 4) + (1u << 20);

}  // namespace

TDecode SizeCheck(long width, long height)
{
    if (width <= 0 || height <= 0)
        return TDecode::NotPicture;
    if (width > MAX_SIDE || height > MAX_SIDE || (long long)width * height > MAX_PIXELS)
        return TDecode::TooLarge;
    return TDecode::Ok;
}

namespace {

// libpng's simplified interface keeps its setjmp error handling inside the library, so a broken
// file comes back as a failed call, never as a jump through our frames.
TDecode DecodePng(const std::vector<uint8_t>& bytes, TPicture& picture)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return TDecode::NotPicture;
    if (const TDecode size = SizeCheck(image.width, image.height); size != TDecode::Ok) {
        png_image_free(&image);
        return size;
    }
    picture.hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return TDecode::NotPicture;
    }
    picture.width = int(image.width);
    picture.height = int(image.height);
    picture.argb.resize(size_t(picture.width) * picture.height);
    for (size_t i = 0; i < picture.argb.size(); ++i)
        picture.argb[i] = Argb(rgba[i * 4 + 3], rgba[i * 4], rgba[i * 4 + 1], rgba[i * 4 + 2]);
    return TDecode::Ok;
}

// SDL allocates the whole surface as soon as it has read the header, so the size the header claims is
// checked first. A negative height means rows stored top-down; its magnitude is the picture's height.
TDecode BmpHeaderSize(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < 26)
        return TDecode::NotPicture;
    auto little = [&](size_t at, int count) {
        uint32_t value = 0;
        for (int i = count - 1; i >= 0; --i)
            value = (value << 8) | bytes[at + i];
        return value;
    };
    // The oldest header (12 bytes) has 16-bit sides; every later one 32-bit sides.
    const bool core = little(14, 4) == 12;
    const long width = core ? int16_t(little(18, 2)) : int32_t(little(18, 4));
    const long height = core ? int16_t(little(20, 2)) : int32_t(little(22, 4));
    return SizeCheck(width, height < 0 ? -height : height);
}

TDecode DecodeBmp(const std::vector<uint8_t>& bytes, TPicture& picture)
{
    if (const TDecode size = BmpHeaderSize(bytes); size != TDecode::Ok)
        return size;
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
    if (!stream)
        return TDecode::NotPicture;
    SDL_Surface* loaded = SDL_LoadBMP_RW(stream, 1);
    if (!loaded)
        return TDecode::NotPicture;
    const bool hasAlpha = loaded->format->Amask != 0;
    const TDecode size = SizeCheck(loaded->w, loaded->h);
    SDL_Surface* surface = size == TDecode::Ok
        ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0) : nullptr;
    SDL_FreeSurface(loaded);
    if (!surface)
        return size == TDecode::Ok ? TDecode::NotPicture : size;
    picture.width = surface->w;
    picture.height = surface->h;
    picture.hasAlpha = hasAlpha;
    picture.argb.resize(size_t(surface->w) * surface->h);
    SDL_LockSurface(surface);
    for (int y = 0; y < surface->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(surface->pixels) + size_t(y) * surface->pitch);
        for (int x = 0; x < surface->w; ++x)
            picture.argb[size_t(y) * surface->w + x] = hasAlpha ? row[x] : (row[x] | 0xFF000000u);
    }
    SDL_UnlockSurface(surface);
    SDL_FreeSurface(surface);
    return TDecode::Ok;
}

// TGA: true-colour and grey pictures, plain or run-length encoded. A short reader, because no
// decoding library on the target systems takes TGA; every read is checked against the file's end.
TDecode DecodeTga(const std::vector<uint8_t>& bytes, TPicture& picture)
{
    if (bytes.size() < 18)
        return TDecode::NotPicture;
    const uint8_t* h = bytes.data();
    const int idLength = h[0], mapType = h[1], type = h[2];
    const int mapLength = h[5] | (h[6] << 8), mapEntryBits = h[7];
    const int width = h[12] | (h[13] << 8), height = h[14] | (h[15] << 8);
    const int bits = h[16], descriptor = h[17];
    const bool rle = type == 10 || type == 11;
    const bool grey = type == 3 || type == 11;
    if (!(type == 2 || type == 3 || type == 10 || type == 11))
        return TDecode::NotPicture;
    if (const TDecode size = SizeCheck(width, height); size != TDecode::Ok)
        return size;
    if (grey ? bits != 8 : (bits != 15 && bits != 16 && bits != 24 && bits != 32))
        return TDecode::NotPicture;
    const int alphaBits = descriptor & 0x0F;
    const int bytesPerPixel = (bits + 7) / 8;
    size_t pos = 18 + size_t(idLength) + (mapType ? size_t(mapLength) * ((mapEntryBits + 7) / 8) : 0);
    const size_t end = bytes.size();

    auto readPixel = [&](const uint8_t* p) -> uint32_t {
        switch (bytesPerPixel) {
        case 1: return Argb(255, p[0], p[0], p[0]);
        case 2: {
            const unsigned v = p[0] | (p[1] << 8);
            const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
            const unsigned a = (alphaBits > 0 && !(v & 0x8000)) ? 0 : 255;
            return Argb(a, (r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2));
        }
        case 3: return Argb(255, p[2], p[1], p[0]);
        default: return Argb(alphaBits > 0 ? p[3] : 255, p[2], p[1], p[0]);
        }
    };

    const size_t count = size_t(width) * height;
    std::vector<uint32_t> linear(count);
    size_t done = 0;
    while (done < count) {
        if (!rle) {
            if (pos + bytesPerPixel > end)
                return TDecode::NotPicture;
            linear[done++] = readPixel(&bytes[pos]);
            pos += bytesPerPixel;
            continue;
        }
        if (pos >= end)
            return TDecode::NotPicture;
        const int packet = bytes[pos++];
        const size_t run = std::min<size_t>((packet & 0x7F) + 1, count - done);
        if (packet & 0x80) {
            if (pos + bytesPerPixel > end)
                return TDecode::NotPicture;
            const uint32_t value = readPixel(&bytes[pos]);
            pos += bytesPerPixel;
            for (size_t i = 0; i < run; ++i)
                linear[done++] = value;
        } else {
            if (pos + run * bytesPerPixel > end)
                return TDecode::NotPicture;
            for (size_t i = 0; i < run; ++i, pos += bytesPerPixel)
                linear[done++] = readPixel(&bytes[pos]);
        }
    }
    // Rows are stored bottom first unless bit 5 says otherwise; bit 4 mirrors them left to right.
    const bool topFirst = (descriptor & 0x20) != 0;
    const bool rightFirst = (descriptor & 0x10) != 0;
    picture.argb.resize(count);
    for (int y = 0; y < height; ++y) {
        const int sourceRow = topFirst ? y : height - 1 - y;
        for (int x = 0; x < width; ++x) {
            const int sourceColumn = rightFirst ? width - 1 - x : x;
            picture.argb[size_t(y) * width + x] = linear[size_t(sourceRow) * width + sourceColumn];
        }
    }
    picture.width = width;
    picture.height = height;
    picture.hasAlpha = alphaBits > 0 && (bits == 32 || bits == 16);
    return TDecode::Ok;
}

bool EndsWithTga(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".tga";
}

}  // namespace

namespace {

std::string PreloadKey(const std::string& path) { return "picture " + path; }

// The file's own decoding, whatever the preload holds.
bool ReadPicture(const std::string& path, TPicture& picture, std::string* failure)
{
    picture = TPicture{};
    std::vector<uint8_t> bytes;
    const TFileStatus read = ReadRegularFile(path, MAX_FILE_BYTES, bytes);
    if (read != TFileStatus::Ok) {
        if (failure)
            *failure = FileStatusText(read);
        return false;
    }
    TDecode result = TDecode::NotPicture;
    static const uint8_t PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (bytes.size() >= 8 && std::memcmp(bytes.data(), PNG_SIGNATURE, 8) == 0)
        result = DecodePng(bytes, picture);
    else if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        result = DecodeBmp(bytes, picture);
    else if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF)
        result = DecodeJpeg(bytes, picture);
    else if (EndsWithTga(path))
        result = DecodeTga(bytes, picture);
    if (result == TDecode::Ok)
        return true;
    picture = TPicture{};
    if (failure)
        *failure = result == TDecode::TooLarge ? "too large" : "not a picture";
    return false;
}

}  // namespace

void PreloadPicture(const std::string& path)
{
    QueuePreload(PreloadKey(path), [path]() -> TPreloaded {
        auto picture = std::make_shared<TPicture>();
        return ReadPicture(path, *picture, nullptr) ? picture : nullptr;
    });
}

bool DecodePicture(const std::string& path, TPicture& picture, std::string* failure)
{
    if (TPreloaded preloaded = TakePreloaded(PreloadKey(path))) {
        picture = std::move(*std::static_pointer_cast<TPicture>(preloaded));
        return true;
    }
    return ReadPicture(path, picture, failure);
}

void ShrinkPicture(TPicture& picture, int maxSide)
{
    const int w = picture.width, h = picture.height;
    if (maxSide <= 0 || (w <= maxSide && h <= maxSide) || picture.argb.empty())
        return;
    const double factor = double(maxSide) / std::max(w, h);
    const int dw = std::max(1, int(w * factor)), dh = std::max(1, int(h * factor));
    std::vector<uint32_t> out(size_t(dw) * dh);
    for (int y = 0; y < dh; ++y) {
        const int y0 = int(int64_t(y) * h / dh), y1 = std::max(y0 + 1, int(int64_t(y + 1) * h / dh));
        for (int x = 0; x < dw; ++x) {
            const int x0 = int(int64_t(x) * w / dw), x1 = std::max(x0 + 1, int(int64_t(x + 1) * w / dw));
            // The box's average, weighted by alpha so that transparent pixels lend no colour to the edge.
            uint64_t a = 0, r = 0, g = 0, b = 0;
            for (int sy = y0; sy < y1; ++sy) {
                for (int sx = x0; sx < x1; ++sx) {
                    const uint32_t p = picture.argb[size_t(sy) * w + sx];
                    const uint32_t pa = p >> 24;
                    a += pa;
                    r += pa * ((p >> 16) & 0xFF);
                    g += pa * ((p >> 8) & 0xFF);
                    b += pa * (p & 0xFF);
                }
            }
            const uint64_t count = uint64_t(x1 - x0) * (y1 - y0);
            out[size_t(y) * dw + x] = a ? Argb(unsigned(a / count), unsigned(r / a), unsigned(g / a), unsigned(b / a)) : 0;
        }
    }
    picture.width = dw;
    picture.height = dh;
    picture.argb = std::move(out);
}
