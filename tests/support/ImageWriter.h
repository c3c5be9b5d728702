#pragma once
// PNG and JPEG files written into memory with libpng and libjpeg, for the
// decoder tests and the decode benchmark. An encoder failure gives an empty
// result.

#include <png.h>

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <jerror.h>

#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

struct TPngSpec {
    uint32_t width = 1;
    uint32_t height = 1;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;
    std::vector<uint8_t> paletteAlpha; // tRNS of a palette image
    bool hasTransparentColor = false;  // tRNS of a grey or RGB image
    png_color_16 transparentColor{};
    double gamma = 0.0;                // gAMA when not 0
    std::vector<uint8_t> rows;         // height rows of packed samples, big-endian for 16 bits
};

namespace image_writer_detail {

inline void AppendBytes(png_structp png, png_bytep data, size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

inline void NoFlush(png_structp) {}

// Plain data only in the frame that sets the jump point.
inline bool WritePng(const TPngSpec* spec, std::vector<uint8_t>* out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendBytes, NoFlush);
    png_set_IHDR(png, info, spec->width, spec->height, spec->bitDepth, spec->colorType,
                 spec->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!spec->palette.empty())
        png_set_PLTE(png, info, spec->palette.data(), int(spec->palette.size()));
    if (!spec->paletteAlpha.empty())
        png_set_tRNS(png, info, spec->paletteAlpha.data(), int(spec->paletteAlpha.size()), nullptr);
    if (spec->hasTransparentColor)
        png_set_tRNS(png, info, nullptr, 0, &spec->transparentColor);
    if (spec->gamma > 0.0)
        png_set_gAMA(png, info, spec->gamma);
    png_write_info(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    if (spec->rows.size() < rowBytes * spec->height)
        png_error(png, "too few samples");
    int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (uint32_t y = 0; y < spec->height; ++y)
            png_write_row(png, spec->rows.data() + rowBytes * y);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

struct JpegErrorJump {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

[[noreturn]] inline void JpegErrorExit(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<JpegErrorJump*>(cinfo->err)->jump, 1);
}

struct JpegJob {
    jpeg_compress_struct cinfo;
    JpegErrorJump errors;
    unsigned char* buffer;
    unsigned long size;
};

} // namespace image_writer_detail

inline std::vector<uint8_t> MakePng(const TPngSpec& spec)
{
    std::vector<uint8_t> out;
    if (!image_writer_detail::WritePng(&spec, &out))
        out.clear();
    return out;
}

enum class TJpegKind { Rgb, Grey, AdobeCmyk, PlainCmyk, Ycck };

struct TJpegSpec {
    uint32_t width = 1;
    uint32_t height = 1;
    TJpegKind kind = TJpegKind::Rgb;
    bool progressive = false;
    int quality = 95;
    // height rows of width pixels: 3 bytes (RGB), 1 (grey) or 4 (C, M, Y, K
    // as stored in the file) per pixel.
    std::vector<uint8_t> samples;
};

namespace image_writer_detail {

inline bool WriteJpeg(const TJpegSpec* spec, JpegJob* job)
{
    jpeg_compress_struct* cinfo = &job->cinfo;
    cinfo->err = jpeg_std_error(&job->errors.pub);
    job->errors.pub.error_exit = JpegErrorExit;
    if (setjmp(job->errors.jump)) {
        jpeg_destroy_compress(cinfo);
        return false;
    }
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, &job->buffer, &job->size);
    cinfo->image_width = spec->width;
    cinfo->image_height = spec->height;
    int components = 3;
    switch (spec->kind) {
    case TJpegKind::Rgb:
        cinfo->in_color_space = JCS_RGB;
        break;
    case TJpegKind::Grey:
        cinfo->in_color_space = JCS_GRAYSCALE;
        components = 1;
        break;
    default:
        cinfo->in_color_space = JCS_CMYK;
        components = 4;
        break;
    }
    cinfo->input_components = components;
    jpeg_set_defaults(cinfo);
    if (spec->kind == TJpegKind::AdobeCmyk || spec->kind == TJpegKind::PlainCmyk)
        jpeg_set_colorspace(cinfo, JCS_CMYK);
    if (spec->kind == TJpegKind::Ycck)
        jpeg_set_colorspace(cinfo, JCS_YCCK);
    if (spec->kind == TJpegKind::PlainCmyk)
        cinfo->write_Adobe_marker = FALSE;
    jpeg_set_quality(cinfo, spec->quality, TRUE);
    if (spec->progressive)
        jpeg_simple_progression(cinfo);
    jpeg_start_compress(cinfo, TRUE);
    size_t stride = size_t(spec->width) * size_t(components);
    if (spec->samples.size() < stride * spec->height)
        ERREXIT(cinfo, JERR_BAD_BUFFER_MODE);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(spec->samples.data() + stride * cinfo->next_scanline);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    jpeg_destroy_compress(cinfo);
    return true;
}

} // namespace image_writer_detail

inline std::vector<uint8_t> MakeJpeg(const TJpegSpec& spec)
{
    image_writer_detail::JpegJob job{};
    std::vector<uint8_t> out;
    if (image_writer_detail::WriteJpeg(&spec, &job) && job.buffer)
        out.assign(job.buffer, job.buffer + job.size);
    std::free(job.buffer);
    return out;
}
