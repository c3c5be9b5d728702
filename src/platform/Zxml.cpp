#include "platform/Zxml.h"

#include <algorithm>
#include <zlib.h>

#include "platform/Log.h"

namespace {

uint32_t ReadLe32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

char Upper(uint8_t c)
{
    return char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
}

constexpr size_t kInflateStep = 64 * 1024;

} // namespace

bool IsZxmlBlock(const void* data, size_t size)
{
    if (!data || size < 4)
        return false;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    return Upper(p[0]) == 'Z' && Upper(p[1]) == 'X' && Upper(p[2]) == 'M' && Upper(p[3]) == 'L';
}

bool InflateZxml(const void* data, size_t size, std::string& out, const char* source)
{
    out.clear();
    if (!source)
        source = "(memory)";
    if (!IsZxmlBlock(data, size) || size < kZxmlHeaderSize) {
        WriteLog("XML %s: compressed block header cut short (%zu bytes)", source, size);
        return false;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    uint32_t packed = ReadLe32(bytes + 4);
    uint32_t plain = ReadLe32(bytes + 8);
    size_t present = size - kZxmlHeaderSize;
    bool sound = true;

    if (plain > kZxmlMaxPlainSize) {
        WriteLog("XML %s: compressed block announces %u bytes, more than the %u allowed", source,
                 plain, kZxmlMaxPlainSize);
        return false;
    }
    if (packed > present) {
        WriteLog("XML %s: compressed block announces %u stream bytes, only %zu present", source,
                 packed, present);
        packed = uint32_t(present);
        sound = false;
    }

    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) {
        WriteLog("XML %s: inflate could not start", source);
        return false;
    }
    zs.next_in = const_cast<Bytef*>(bytes + kZxmlHeaderSize);
    zs.avail_in = packed;

    size_t produced = 0;
    int rc = Z_OK;
    while (produced < plain) {
        size_t step = std::min<size_t>(plain - produced, std::max(kInflateStep, produced));
        out.resize(produced + step);
        zs.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        zs.avail_out = uInt(step);
        rc = inflate(&zs, Z_NO_FLUSH);
        produced += step - zs.avail_out;
        if (rc != Z_OK)
            break;
    }
    out.resize(produced);

    if (rc != Z_STREAM_END && produced == plain) {
        // The output is full; the stream must end here without more bytes.
        Bytef probe[1];
        zs.next_out = probe;
        zs.avail_out = 1;
        rc = inflate(&zs, Z_NO_FLUSH);
        if (zs.avail_out == 0) {
            WriteLog("XML %s: compressed block inflates to more than the announced %u bytes; "
                     "cut there",
                     source, plain);
            sound = false;
            rc = Z_STREAM_END;
        }
    }
    inflateEnd(&zs);

    if (rc != Z_STREAM_END) {
        WriteLog("XML %s: compressed stream is damaged (zlib %d); keeping the %zu bytes it gave",
                 source, rc, produced);
        return false;
    }
    if (produced != plain) {
        WriteLog("XML %s: compressed block gave %zu bytes, header announced %u", source, produced,
                 plain);
        return false;
    }
    return sound;
}
