#include "sound/OggSource.h"

#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/File.h"
#include "platform/FileData.h"

namespace {

// The whole file in memory and a read position in [0, size].
struct TOggMemory {
    std::vector<uint8_t> bytes;
    int64_t position = 0;
};

size_t MemoryRead(void* ptr, size_t size, size_t count, void* source)
{
    auto* memory = static_cast<TOggMemory*>(source);
    int64_t left = int64_t(memory->bytes.size()) - memory->position;
    if (size == 0 || count == 0 || left <= 0)
        return 0;
    // size * count may overflow; what is left bounds it anyway.
    size_t wanted = count > size_t(left) / size ? size_t(left) : size * count;
    std::memcpy(ptr, memory->bytes.data() + memory->position, wanted);
    memory->position += int64_t(wanted);
    // Bytes, not items: vorbisfile reads with an item size of 1.
    return wanted;
}

int MemorySeek(void* source, ogg_int64_t offset, int whence)
{
    auto* memory = static_cast<TOggMemory*>(source);
    const int64_t size = int64_t(memory->bytes.size());
    int64_t base;
    switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = memory->position; break;
    case SEEK_END: base = size; break;
    default: return -1;
    }
    // Clamped on both sides; an offset past the int64 range saturates.
    int64_t target;
    if (__builtin_add_overflow(base, int64_t(offset), &target))
        target = offset < 0 ? 0 : size;
    memory->position = target < 0 ? 0 : (target > size ? size : target);
    return 0;
}

int MemoryClose(void* source)
{
    delete static_cast<TOggMemory*>(source);
    return 0;
}

long MemoryTell(void* source)
{
    return long(static_cast<TOggMemory*>(source)->position);
}

int OpenMemory(OggVorbis_File* decoder, TOggMemory* memory)
{
    const ov_callbacks callbacks = {MemoryRead, MemorySeek, MemoryClose, MemoryTell};
    int result = ov_open_callbacks(memory, decoder, nullptr, 0, callbacks);
    // A failed open leaves the source to us.
    if (result != 0)
        delete memory;
    return result;
}

size_t HandleRead(void* ptr, size_t size, size_t count, void* source)
{
    auto* file = static_cast<TFileHandle*>(source);
    if (size == 0 || count == 0)
        return 0;
    uint64_t wanted = uint64_t(size) * count;
    if (wanted > 0x7FFFFFFFu)
        wanted = 0x7FFFFFFFu - 0x7FFFFFFFu % size;
    uint32_t got = FileRead(file, ptr, uint32_t(wanted));
    // Whole items only: step back over a partial one.
    uint32_t partial = uint32_t(got % size);
    if (partial)
        FileSeek(file, -int32_t(partial), kSeekCurrent);
    return got / size;
}

int HandleSeek(void* source, ogg_int64_t offset, int whence)
{
    auto* file = static_cast<TFileHandle*>(source);
    int origin;
    switch (whence) {
    case SEEK_SET: origin = kSeekStart; break;
    case SEEK_CUR: origin = kSeekCurrent; break;
    case SEEK_END: origin = kSeekEnd; break;
    default: return -1;
    }
    // Our handles address 32-bit offsets.
    if (offset > INT32_MAX || offset < INT32_MIN)
        return -1;
    FileSeek(file, int32_t(offset), origin);
    return 0;
}

int HandleClose(void* source)
{
    FileClose(static_cast<TFileHandle*>(source));
    return 0;
}

long HandleTell(void* source)
{
    return long(FileTell(static_cast<TFileHandle*>(source)));
}

} // namespace

int OpenOggMemoryCopy(OggVorbis_File* decoder, TFileHandle* file)
{
    auto* memory = new TOggMemory;
    FileSeek(file, 0, kSeekEnd);
    int32_t size = FileTell(file);
    FileSeek(file, 0, kSeekStart);
    if (size > 0) {
        memory->bytes.resize(size_t(size));
        memory->bytes.resize(FileRead(file, memory->bytes.data(), uint32_t(size)));
    }
    FileClose(file);
    return OpenMemory(decoder, memory);
}

int OpenOggFileHandle(OggVorbis_File* decoder, TFileHandle* file)
{
    const ov_callbacks callbacks = {HandleRead, HandleSeek, HandleClose, HandleTell};
    return ov_open_callbacks(file, decoder, nullptr, 0, callbacks);
}
