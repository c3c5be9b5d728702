#include "render/CursorImage.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

#include "platform/AssetNames.h"
#include "platform/Log.h"
#include "render/SystemCursorPng.h"

namespace {

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t at;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->size - source->at)
        png_error(png, "truncated");
    memcpy(out, source->data + source->at, count);
    source->at += count;
}

void OnError(png_structp png, png_const_charp message)
{
    WriteLog("Cursor image: %s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

} // namespace

const uint8_t* SystemCursorPng(size_t* size)
{
    if (size)
        *size = sizeof(kSystemCursorPngData);
    return kSystemCursorPngData;
}

void RegisterSystemCursor()
{
    RegisterMemoryFile(kSystemCursorName, kSystemCursorPngData, uint32_t(sizeof(kSystemCursorPngData)));
}

bool DecodeCursorPng(const uint8_t* data, size_t size, TCursorPixels& out)
{
    out = TCursorPixels();
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        WriteLog("Cursor image: not a PNG");
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    PngSource source{data, size, 0};
    // Filled only after the header is checked; freed on every way out.
    std::vector<png_bytep> rows;
    std::vector<uint8_t> rgba;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        out = TCursorPixels();
        return false;
    }
    png_set_read_fn(png, &source, ReadFromMemory);
    png_set_user_limits(png, kMaxCursorSide, kMaxCursorSide);
    png_read_info(png, info);
    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || width > uint32_t(kMaxCursorSide) || height > uint32_t(kMaxCursorSide))
        png_error(png, "bad size");

    // Everything becomes 8-bit RGBA.
    int type = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) == 16)
        png_set_strip_16(png);
    if (type == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) {
        if (png_get_bit_depth(png, info) < 8)
            png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4)
        png_error(png, "unexpected row size");

    rgba.resize(size_t(width) * height * 4);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = rgba.data() + size_t(y) * width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);

    out.width = int32_t(width);
    out.height = int32_t(height);
    out.pixels.resize(size_t(width) * height);
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        const uint8_t* p = rgba.data() + i * 4;
        out.pixels[i] = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    return true;
}
