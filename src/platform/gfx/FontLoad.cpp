// FontLoad - reading a TrueType or OpenType file into an image font at a size: FreeType, the bounded
// read of the file, the size the face accepts, and the face's metrics; on the preload thread when asked
// ahead.
#include "platform/gfx/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>

#include "platform/Preload.h"
#include "platform/sys/FileRead.h"

namespace {

// 64 MiB holds the largest font families with every script; FreeType keeps the whole file.
constexpr size_t MAX_FONT_FILE_BYTES = 64u << 20;

std::string PreloadKey(const std::string& path, int size, int style)
{
    return "font " + std::to_string(size) + " " + std::to_string(style) + " " + path;
}

// The face and its printable ASCII glyphs, not yet on any atlas page: what needs no display, so it can
// be made on the preload thread.
TImageFontPtr ReadFontFile(const std::string& path, int size, int style)
{
    FT_Library library = gfx::FreeTypeLibrary();
    if (!library || size <= 0)
        return nullptr;
    auto font = std::make_shared<TImageFont>();
    if (!gfx::ReadFontBytes(path, font->fileBytes))
        return nullptr;
    if (FT_New_Memory_Face(library, font->fileBytes.data(), FT_Long(font->fileBytes.size()), 0, &font->face) != 0) {
        font->face = nullptr;
        return nullptr;
    }
    if (!gfx::ChooseFaceSize(font->face, size))
        return nullptr;
    const FT_Size_Metrics& metrics = font->face->size->metrics;
    font->ascender = int(metrics.ascender >> 6);
    font->height = int(metrics.height >> 6);
    font->smooth = (style & FONT_STYLE_SMOOTH) != 0;
    font->RasterisePrintable();
    return font;
}

}  // namespace

FT_Library gfx::FreeTypeLibrary()
{
    static FT_Library library = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (OpenFreeType(&library) != 0)
            library = nullptr;
    }
    return library;
}

bool gfx::ReadFontBytes(const std::string& path, std::vector<uint8_t>& bytes)
{
    return ReadRegularFile(path, MAX_FONT_FILE_BYTES, bytes) == TFileStatus::Ok && !bytes.empty();
}

// Fixed-size faces offer a list of strikes; scalable ones take any size FreeType does not refuse.
bool gfx::ChooseFaceSize(FT_Face face, int size)
{
    if (FT_IS_SCALABLE(face)) {
        for (int s = size; s >= 1; --s)
            if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(s)) == 0)
                return true;
        return false;
    }
    int best = -1, smallest = -1;
    for (int i = 0; i < face->num_fixed_sizes; ++i) {
        const int h = face->available_sizes[i].height;
        if (h <= size && (best < 0 || h > face->available_sizes[best].height))
            best = i;
        if (smallest < 0 || h < face->available_sizes[smallest].height)
            smallest = i;
    }
    // A face whose every strike is larger than asked for still gives its smallest rather than nothing.
    if (best < 0)
        best = smallest;
    return best >= 0 && FT_Select_Size(face, best) == 0;
}

void PreloadFont(const std::string& path, int size, int style)
{
    QueuePreload(PreloadKey(path, size, style), [=]() -> TPreloaded { return ReadFontFile(path, size, style); });
}

TImageFontPtr LoadFontFile(const std::string& path, int size, int style)
{
    TImageFontPtr font = std::static_pointer_cast<TImageFont>(TakePreloaded(PreloadKey(path, size, style)));
    if (!font)
        font = ReadFontFile(path, size, style);
    if (font)
        font->Prepare();
    return font;
}
