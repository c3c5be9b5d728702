// jpeglib.h needs FILE and size_t declared first.
#include <cstddef>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>

#include "platform/File.h"
#include "platform/Log.h"
#include "render/ImageDecode.h"

#if !defined(JCS_ALPHA_EXTENSIONS)
#error "the JPEG decoder needs libjpeg-turbo's BGRA output"
#endif

namespace {

// Reads of 64 KB keep libjpeg-turbo on its fast path (4 KB reads cost
// about 6 % of a large decode).
constexpr size_t kBufferSize = 64 * 1024;
constexpr long kMemoryLimit = 16 * 1024 * 1024;

// The source manager over an asset file handle.
struct JpegSource {
    jpeg_source_mgr pub;
    TFileHandle* file;
    JOCTET* buffer;
    bool atStart;
};

// The error manager: the message goes to the log and the decode jumps back
// to the function that set the jump point, which then fails (the library's
// own error exit would end the process).
struct JpegErrors {
    jpeg_error_mgr pub;
    jmp_buf jump;
    const char* what;
};

// All one decode holds. Plain data only: the jump back passes over the
// function that set the jump point, so nothing there may need a destructor.
struct JpegJob {
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    JpegSource source;
    bool created;
    uint32_t maxSide;
    TDecodedImage image;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo)
{
    auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    char message[JMSG_LENGTH_MAX];
    cinfo->err->format_message(cinfo, message);
    WriteLog("JPEG %s: %s", errors->what, message);
    longjmp(errors->jump, 1);
}

// Warnings (the library shows the first of each decode only).
void OutputMessage(j_common_ptr cinfo)
{
    auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    char message[JMSG_LENGTH_MAX];
    cinfo->err->format_message(cinfo, message);
    WriteLog("JPEG %s: warning: %s", errors->what, message);
}

void InitSource(j_decompress_ptr cinfo)
{
    reinterpret_cast<JpegSource*>(cinfo->src)->atStart = true;
}

// Nothing at all to read is an error; a file that ends early gets an
// end-of-image marker so that what it holds still decodes.
boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    auto* source = reinterpret_cast<JpegSource*>(cinfo->src);
    size_t got = FileRead(source->file, source->buffer, uint32_t(kBufferSize));
    if (got == 0) {
        if (source->atStart)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source->buffer[0] = JOCTET(0xFF);
        source->buffer[1] = JOCTET(JPEG_EOI);
        got = 2;
    }
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = got;
    source->atStart = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* source = cinfo->src;
    while (count > long(source->bytes_in_buffer)) {
        count -= long(source->bytes_in_buffer);
        source->fill_input_buffer(cinfo); // never suspends
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

uint8_t Scale(uint32_t a, uint32_t b)
{
    return uint8_t((a * b + 127) / 255);
}

// C, M, Y, K bytes to blue, green, red, 255 in place. Adobe's files store
// the inks inverted (255 is no ink).
void CmykToBgra(JSAMPLE* row, uint32_t width, bool inverted)
{
    for (uint32_t x = 0; x < width; ++x, row += 4) {
        uint32_t c = row[0], m = row[1], y = row[2], k = row[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        row[0] = Scale(y, k);
        row[1] = Scale(m, k);
        row[2] = Scale(c, k);
        row[3] = 255;
    }
}

void SetUpSource(JpegJob* job, TFileHandle* file)
{
    j_decompress_ptr cinfo = &job->cinfo;
    JpegSource& source = job->source;
    source.file = file;
    source.buffer = static_cast<JOCTET*>(
        cinfo->mem->alloc_small(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kBufferSize));
    source.atStart = true;
    source.pub.init_source = InitSource;
    source.pub.fill_input_buffer = FillInputBuffer;
    source.pub.skip_input_data = SkipInputData;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = TermSource;
    source.pub.bytes_in_buffer = 0;
    source.pub.next_input_byte = nullptr;
    cinfo->src = &source.pub;
}

// The part of the decode that the library may jump out of.
bool RunJpeg(JpegJob* job, TFileHandle* file)
{
    j_decompress_ptr cinfo = &job->cinfo;
    cinfo->err = jpeg_std_error(&job->errors.pub);
    job->errors.pub.error_exit = ErrorExit;
    job->errors.pub.output_message = OutputMessage;
    if (setjmp(job->errors.jump)) {
        if (job->created)
            jpeg_destroy_decompress(cinfo);
        job->created = false;
        FreeImage(job->image.pixels);
        job->image.pixels = nullptr;
        return false;
    }
    jpeg_create_decompress(cinfo);
    job->created = true;
    cinfo->mem->max_memory_to_use = kMemoryLimit;
    SetUpSource(job, file);
    jpeg_read_header(cinfo, TRUE);

    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_calc_output_dimensions(cinfo);
    const uint32_t width = cinfo->output_width;
    const uint32_t height = cinfo->output_height;
    if (cinfo->output_components != 4)
        ERREXIT(cinfo, JERR_CONVERSION_NOTIMPL);
    job->image.pixels = AllocateImage(width, height, job->maxSide, job->errors.what, &job->image.side);
    if (!job->image.pixels) {
        jpeg_destroy_decompress(cinfo);
        job->created = false;
        return false;
    }

    jpeg_start_decompress(cinfo);
    while (cinfo->output_scanline < height) {
        auto* row = reinterpret_cast<JSAMPLE*>(job->image.pixels + size_t(cinfo->output_scanline) * job->image.side);
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1)
            ERREXIT(cinfo, JERR_TOO_LITTLE_DATA); // our source never suspends
        if (cmyk)
            CmykToBgra(row, width, cinfo->saw_Adobe_marker);
    }
    jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    job->created = false;
    job->image.width = width;
    job->image.height = height;
    return true;
}

} // namespace

bool DecodeJpeg(const TString& name, TDecodedImage& out, uint32_t maxSide)
{
    out = TDecodedImage();
    TFileHandle* file = OpenAssetFile(name, kFileReadBinary);
    if (!file) {
        WriteLog("JPEG %s: cannot open the file", name.c_str());
        return false;
    }
    JpegJob job{};
    job.errors.what = name.c_str();
    job.maxSide = maxSide;
    bool ok = RunJpeg(&job, file);
    FileClose(file);
    if (ok)
        out = job.image;
    return ok;
}
