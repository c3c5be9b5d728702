#include <png.h>

#include <climits>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "platform/File.h"
#include "platform/Log.h"
#include "render/ImageDecode.h"

namespace {

constexpr uint8_t kSignatureSize = 8;

// Where the bytes come from: an open asset file, or memory.
struct PngSource {
    TFileHandle* file;
    const uint8_t* data;
    size_t size;
    size_t at;
};

// All one decode holds. Plain data only: a library error jumps back over
// the function that set the jump point, so nothing there may need a
// destructor; what it allocated is freed on the error path from here.
struct PngJob {
    PngSource source;
    const char* what;
    uint32_t maxSide;
    png_structp png;
    png_infop info;
    png_bytep* rows;
    TDecodedImage image;
};

bool ReadSource(PngSource& source, void* buffer, size_t length)
{
    if (source.file)
        return length <= UINT32_MAX && FileRead(source.file, buffer, uint32_t(length)) == length;
    if (length > source.size - source.at)
        return false;
    std::memcpy(buffer, source.data + source.at, length);
    source.at += length;
    return true;
}

void PngReadData(png_structp png, png_bytep buffer, size_t length)
{
    if (!ReadSource(*static_cast<PngSource*>(png_get_io_ptr(png)), buffer, length))
        png_error(png, "Read Error");
}

// libpng's error exit: log and jump back to the decode, which then fails.
[[noreturn]] void ImageDecodeError(png_structp png, png_const_charp message)
{
    const auto* job = static_cast<const PngJob*>(png_get_error_ptr(png));
    WriteLog("PNG %s: %s", job->what, message);
    png_longjmp(png, 1);
}

void ImageDecodeWarning(png_structp png, png_const_charp message)
{
    const auto* job = static_cast<const PngJob*>(png_get_error_ptr(png));
    WriteLog("PNG %s: warning: %s", job->what, message);
}

// Everything becomes blue, green, red, alpha bytes (0xAARRGGBB words).
void SetTransformations(png_structp png, png_infop info)
{
    if (png_get_bit_depth(png, info) == 16)
        png_set_strip_16(png);
    png_byte type = png_get_color_type(png, info);
    if (type == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if ((type & PNG_COLOR_MASK_COLOR) == 0 && png_get_bit_depth(png, info) < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if ((type & PNG_COLOR_MASK_COLOR) == 0)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    double fileGamma = 0.0;
    if (png_get_gAMA(png, info, &fileGamma) && fileGamma > 0.0)
        png_set_gamma(png, 2.2, fileGamma);
    png_set_interlace_handling(png);
}

// The part of the decode that libpng may jump out of.
bool RunPng(PngJob* job)
{
    job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, ImageDecodeError, ImageDecodeWarning);
    if (!job->png) {
        WriteLog("PNG %s: cannot set up the decoder", job->what);
        return false;
    }
    job->info = png_create_info_struct(job->png);
    if (!job->info) {
        WriteLog("PNG %s: cannot set up the decoder", job->what);
        png_destroy_read_struct(&job->png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(job->png))) {
        png_destroy_read_struct(&job->png, &job->info, nullptr);
        std::free(job->rows);
        job->rows = nullptr;
        FreeImage(job->image.pixels);
        job->image.pixels = nullptr;
        return false;
    }
    png_structp png = job->png;
    png_infop info = job->info;
    png_set_read_fn(png, &job->source, PngReadData);
    png_set_sig_bytes(png, kSignatureSize);
    // libpng refuses giant headers itself; the caller's limit is checked
    // before the buffer is allocated.
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_read_info(png, info);

    SetTransformations(png, info);
    png_read_update_info(png, info);
    const uint32_t width = png_get_image_width(png, info);
    const uint32_t height = png_get_image_height(png, info);
    job->image.hasAlpha = (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) != 0;
    if (png_get_rowbytes(png, info) != size_t(width) * 4)
        png_error(png, "unexpected row layout");

    job->image.pixels = AllocateImage(width, height, job->maxSide, job->what, &job->image.side);
    job->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * (height ? height : 1)));
    if (!job->image.pixels || !job->rows)
        png_error(png, "Visual PNG: out of memory");
    for (uint32_t y = 0; y < height; ++y)
        job->rows[y] = reinterpret_cast<png_bytep>(job->image.pixels + size_t(y) * job->image.side);
    png_read_image(png, job->rows);
    png_read_end(png, nullptr);

    png_destroy_read_struct(&job->png, &job->info, nullptr);
    std::free(job->rows);
    job->rows = nullptr;
    job->image.width = width;
    job->image.height = height;
    return true;
}

bool Decode(PngSource source, const char* what, TDecodedImage& out, uint32_t maxSide)
{
    out = TDecodedImage();
    png_byte signature[kSignatureSize];
    if (!ReadSource(source, signature, kSignatureSize) || png_sig_cmp(signature, 0, kSignatureSize) != 0) {
        WriteLog("PNG %s: not a PNG file", what);
        return false;
    }
    PngJob job{};
    job.source = source;
    job.what = what;
    job.maxSide = maxSide;
    if (!RunPng(&job))
        return false;
    out = job.image;
    return true;
}

} // namespace

bool DecodePng(const TString& name, TDecodedImage& out, uint32_t maxSide)
{
    out = TDecodedImage();
    TFileHandle* file = OpenAssetFile(name, kFileReadBinary);
    if (!file) {
        WriteLog("PNG %s: cannot open the file", name.c_str());
        return false;
    }
    bool ok = Decode(PngSource{file, nullptr, 0, 0}, name.c_str(), out, maxSide);
    FileClose(file);
    return ok;
}

bool DecodePngBytes(const uint8_t* data, size_t size, const char* what, TDecodedImage& out, uint32_t maxSide)
{
    if (!data)
        size = 0;
    return Decode(PngSource{nullptr, data, size, 0}, what ? what : "(memory)", out, maxSide);
}
