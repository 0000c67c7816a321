// JpegDecode - JPEG pictures through libjpeg, CMYK ones included; a file cut short is unreadable.
#include "platform/gfx/DecodeParts.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

namespace {

struct TJpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    bool truncated;
};

[[noreturn]] void JpegFail(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<TJpegError*>(info->err)->jump, 1);
}

void JpegQuiet(j_common_ptr) {}

// libjpeg pads a file that ends early with grey and only warns; such a file counts as unreadable here.
void JpegMessage(j_common_ptr info, int level)
{
    auto* error = reinterpret_cast<TJpegError*>(info->err);
    if (level < 0 && error->manager.msg_code == JWRN_JPEG_EOF)
        error->truncated = true;
}

}  // namespace

// libjpeg reports errors by calling error_exit, which must not return: it jumps back here. Only the
// decompressor (destroyed on the way out) and the caller's picture are touched after the jump
// point, and the row buffer comes from libjpeg's own pool, so nothing of ours is left half-built.
TDecode DecodeJpeg(const std::vector<uint8_t>& bytes, TPicture& picture)
{
    jpeg_decompress_struct info{};
    TJpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegFail;
    error.manager.output_message = JpegQuiet;
    error.manager.emit_message = JpegMessage;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        picture.argb.clear();
        return TDecode::NotPicture;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&info);
    if (const TDecode size = SizeCheck(info.output_width, info.output_height); size != TDecode::Ok) {
        jpeg_destroy_decompress(&info);
        return size;
    }
    const int width = int(info.output_width), height = int(info.output_height);
    const int channels = info.output_components;
    picture.argb.resize(size_t(width) * height);
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                JDIMENSION(width * channels), 1);
    while (info.output_scanline < info.output_height) {
        const int y = int(info.output_scanline);
        if (jpeg_read_scanlines(&info, row, 1) != 1)
            break;
        uint32_t* out = picture.argb.data() + size_t(y) * width;
        const JSAMPLE* in = row[0];
        for (int x = 0; x < width; ++x, in += channels) {
            if (cmyk) {
                // Adobe writes CMYK inverted, which is what every CMYK JPEG in the wild carries.
                const unsigned k = in[3];
                out[x] = Argb(255, in[0] * k / 255, in[1] * k / 255, in[2] * k / 255);
            } else {
                out[x] = Argb(255, in[0], in[1], in[2]);
            }
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (error.truncated)
        return TDecode::NotPicture;
    picture.width = width;
    picture.height = height;
    picture.hasAlpha = false;
    return TDecode::Ok;
}
