#include "sound/MemSpooler.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

#include "sound/SoundData.h"

bool TMemSpooler::Fill(int32_t n, void* dest, int32_t* delivered, bool loop)
{
    *delivered = 0;
    if (n <= 0)
        return true;
    auto* out = static_cast<uint8_t*>(dest);
    std::memset(out, 0, size_t(n));
    std::shared_ptr<TSoundData> data = mData.lock();
    if (!data)
        return false;

    bool fromStart = false;
    for (;;) {
        int32_t got = 0;
        bool ended = FillOnce(*data, n - *delivered, out + *delivered, &got);
        *delivered += got;
        if (!ended)
            return true;
        // An empty source would wrap forever: a pass from the start that
        // gives nothing ends it, loop or not.
        if (!loop || (fromStart && got == 0))
            return false;
        if (data->GetDecoder())
            ov_pcm_seek(data->GetDecoder(), 0);
        mPosition = 0;
        fromStart = true;
    }
}

bool TMemSpooler::FillOnce(TSoundData& data, int32_t n, uint8_t* dest, int32_t* delivered)
{
    if (OggVorbis_File* decoder = data.GetDecoder()) {
        // The decoder is shared: start where this voice stopped.
        if (ov_pcm_seek(decoder, mPosition) != 0) {
            *delivered = 0;
            return true;
        }
        int32_t got = 0;
        while (got < n) {
            int32_t read = ReadOggPcm(decoder, dest + got, n - got, data.mName);
            if (read == 0)
                break;
            got += read;
        }
        *delivered = got;
        mPosition = ov_pcm_tell(decoder);
        return got < n;
    }

    // Ended when the copy was short: a read that takes the very last byte
    // is not the end yet, so a sound that fills a half exactly is never
    // cut short; the next call delivers nothing and ends it.
    int64_t size = data.GetSize();
    int64_t position = std::clamp<int64_t>(mPosition, 0, size);
    int32_t copy = int32_t(std::min<int64_t>(n, size - position));
    if (copy > 0)
        std::memcpy(dest, data.GetPcm() + position, size_t(copy));
    mPosition = position + copy;
    *delivered = copy;
    return copy < n;
}

void TMemSpooler::SeekTime(float seconds)
{
    std::shared_ptr<TSoundData> data = mData.lock();
    if (!data)
        return;
    if (OggVorbis_File* decoder = data->GetDecoder()) {
        if (ov_time_seek(decoder, double(seconds)) == 0)
            mPosition = ov_pcm_tell(decoder);
        return;
    }
    // Decoded PCM: the whole frame at that time, within the sound.
    int64_t frame = int64_t(double(std::max(seconds, 0.0f)) * data->GetRate());
    int64_t bytes = frame * data->GetChannels() * 2;
    mPosition = std::min<int64_t>(bytes, data->GetSize());
}

float TMemSpooler::GetLength()
{
    std::shared_ptr<TSoundData> data = mData.lock();
    return data ? float(data->GetLength()) : 0.0f;
}

void TMemSpooler::Rewind()
{
    std::shared_ptr<TSoundData> data = mData.lock();
    if (!data || !data->GetDecoder())
        return;
    ov_pcm_seek(data->GetDecoder(), 0);
    mPosition = 0;
}
