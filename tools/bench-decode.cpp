// Decoder benchmark: a 1024x1024 photo-like RGB picture, written as a PNG
// and as a JPEG (quality 90), decoded N times each through our decoders
// (DecodePng, DecodeJpeg: asset file reads, the square buffer, BGRA
// words) and through a plain libpng / libjpeg decode of the same bytes
// from memory into a new buffer of packed RGB rows, alternating. Prints the median time of
// each and the ratio ours / plain.
//
//   bench_decode [N]      (default 30; run it through tools/bench-decode)
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "bench-timing.h"
#include "platform/AssetNames.h"
#include "render/ImageDecode.h"
#include "support/ImageWriter.h"

namespace {

constexpr uint32_t kSide = 1024;

using Bytes = std::vector<uint8_t>;

// Smooth shading, a few hard edges and some grain, as in a photograph.
Bytes PhotoLike()
{
    Bytes rgb(size_t(kSide) * kSide * 3);
    uint32_t seed = 1;
    for (uint32_t y = 0; y < kSide; ++y) {
        for (uint32_t x = 0; x < kSide; ++x) {
            seed = seed * 1103515245u + 12345u;
            int grain = int(seed >> 28) - 8;
            double fx = x / double(kSide), fy = y / double(kSide);
            double r = 120 + 90 * std::sin(fx * 5.0 + fy * 2.0);
            double g = 110 + 80 * std::cos(fy * 4.0 - fx);
            double b = 100 + 70 * std::sin((fx + fy) * 3.0);
            if ((x / 128 + y / 96) % 5 == 0) // blocks of another tone
                r = 255 - r, b = 255 - b;
            uint8_t* p = &rgb[(size_t(y) * kSide + x) * 3];
            p[0] = uint8_t(std::clamp(int(r) + grain, 0, 255));
            p[1] = uint8_t(std::clamp(int(g) + grain, 0, 255));
            p[2] = uint8_t(std::clamp(int(b) + grain, 0, 255));
        }
    }
    return rgb;
}

struct MemoryReader {
    const Bytes* bytes;
    size_t at;
};

void ReadMemory(png_structp png, png_bytep out, size_t length)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > reader->bytes->size() - reader->at)
        png_error(png, "short");
    std::copy_n(reader->bytes->data() + reader->at, length, out);
    reader->at += length;
}

// A plain libpng decode into packed rows (8-bit RGB files as they are).
bool PlainPng(const Bytes* file, uint8_t* out)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_bytep rows[kSide];
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    MemoryReader reader{file, 0};
    png_set_read_fn(png, &reader, ReadMemory);
    png_read_info(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    for (uint32_t y = 0; y < kSide; ++y)
        rows[y] = out + rowBytes * y;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

struct PlainJpegErrors {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

[[noreturn]] void PlainJpegError(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<PlainJpegErrors*>(cinfo->err)->jump, 1);
}

struct PlainJpegJob {
    jpeg_decompress_struct cinfo;
    PlainJpegErrors errors;
};

// A plain libjpeg decode from memory into packed RGB rows.
bool PlainJpeg(PlainJpegJob* job, const Bytes* file, uint8_t* out)
{
    job->cinfo.err = jpeg_std_error(&job->errors.pub);
    job->errors.pub.error_exit = PlainJpegError;
    if (setjmp(job->errors.jump)) {
        jpeg_destroy_decompress(&job->cinfo);
        return false;
    }
    jpeg_create_decompress(&job->cinfo);
    jpeg_mem_src(&job->cinfo, file->data(), static_cast<unsigned long>(file->size()));
    jpeg_read_header(&job->cinfo, TRUE);
    job->cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&job->cinfo);
    while (job->cinfo.output_scanline < job->cinfo.output_height) {
        JSAMPROW row = out + size_t(job->cinfo.output_scanline) * job->cinfo.output_width * 3;
        jpeg_read_scanlines(&job->cinfo, &row, 1);
    }
    jpeg_finish_decompress(&job->cinfo);
    jpeg_destroy_decompress(&job->cinfo);
    return true;
}

template <typename Ours, typename Plain>
bool Compare(const char* what, const Bytes& file, int runs, Ours ours, Plain plain)
{
    std::vector<double> oursMs, plainMs;
    for (int i = 0; i < runs + 2; ++i) {
        double t0 = NowMs();
        bool a = ours();
        double t1 = NowMs();
        bool b = plain();
        double t2 = NowMs();
        if (!a || !b) {
            std::fprintf(stderr, "bench-decode: %s did not decode (ours %d, plain %d)\n", what, a, b);
            return false;
        }
        if (i >= 2) { // the first runs warm the caches
            oursMs.push_back(t1 - t0);
            plainMs.push_back(t2 - t1);
        }
    }
    double o = Median(oursMs), p = Median(plainMs);
    std::printf("%-4s %ux%u, %zu bytes: ours %.2f ms, plain %.2f ms, ratio %.3f\n", what, kSide, kSide,
                file.size(), o, p, p > 0 ? o / p : 0.0);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    Bytes rgb = PhotoLike();
    TPngSpec pngSpec;
    pngSpec.width = pngSpec.height = kSide;
    pngSpec.rows = rgb;
    Bytes png = MakePng(pngSpec);
    Bytes jpeg = MakeJpeg({kSide, kSide, TJpegKind::Rgb, false, 90, rgb});
    if (png.empty() || jpeg.empty()) {
        std::fprintf(stderr, "bench-decode: cannot make the pictures\n");
        return 1;
    }
    RegisterMemoryFile("bench/photo.png", png.data(), uint32_t(png.size()));
    RegisterMemoryFile("bench/photo.jpg", jpeg.data(), uint32_t(jpeg.size()));
    std::printf("median of %d decodes each\n", runs);

    // The plain decodes also make a new picture each time, as any decoder
    // that hands out an image must.
    auto newRgb = [] { return std::unique_ptr<uint8_t[]>(new uint8_t[size_t(kSide) * kSide * 3]); };
    auto ourPng = [] {
        TDecodedImage image;
        bool ok = DecodePng("bench/photo.png", image);
        FreeImage(image.pixels);
        return ok;
    };
    auto plainPng = [&] { return PlainPng(&png, newRgb().get()); };
    auto ourJpeg = [] {
        TDecodedImage image;
        bool ok = DecodeJpeg("bench/photo.jpg", image);
        FreeImage(image.pixels);
        return ok;
    };
    auto plainJpeg = [&] {
        PlainJpegJob job{};
        return PlainJpeg(&job, &jpeg, newRgb().get());
    };
    bool ok = Compare("PNG", png, runs, ourPng, plainPng) && Compare("JPEG", jpeg, runs, ourJpeg, plainJpeg);
    return ok ? 0 : 1;
}
