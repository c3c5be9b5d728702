#include "sound/SoundData.h"

#include <vorbis/vorbisfile.h>

#include <cmath>

#include "platform/File.h"
#include "platform/Log.h"
#include "sound/OggSource.h"
#include "sound/Sound.h"
#include "sound/SoundCallBack.h"
#include "sound/SoundInstance.h"
#include "sound/SoundManager.h"
#include "sound/SoundStream.h"

namespace {

// The formats the mixer takes.
constexpr long kMaxRate = 192000;
constexpr int kMaxChannels = 2;
// Holes in a row skipped by one read before giving up on the data.
constexpr int kMaxHoles = 64;

} // namespace

int32_t ReadOggPcm(OggVorbis_File* decoder, uint8_t* dest, int32_t bytes, const TString& name)
{
    // ov_read's negative results are never byte counts: a hole (a gap in
    // the pages) is skipped, a bounded number of times so that data made
    // of nothing but holes ends; any other error ends the data.
    for (int holes = 0; bytes > 0;) {
        int bitstream = 0;
        long got = ov_read(decoder, reinterpret_cast<char*>(dest), int(bytes), 0, 2, 1, &bitstream);
        if (got >= 0)
            return int32_t(got);
        if (got == OV_HOLE && ++holes <= kMaxHoles)
            continue;
        WriteLog("OGG decode error %ld in %s", got, name.c_str());
        return 0;
    }
    return 0;
}

TSoundData::~TSoundData()
{
    CloseDecoder();
}

void TSoundData::CloseDecoder()
{
    if (!mDecoder)
        return;
    ov_clear(mDecoder);
    delete mDecoder;
    mDecoder = nullptr;
}

bool TSoundData::Open(TFileHandle* file, bool streamFromFile)
{
    CloseDecoder();
    mPcm.clear();
    mDecoder = new OggVorbis_File{};
    int opened = streamFromFile ? OpenOggFileHandle(mDecoder, file) : OpenOggMemoryCopy(mDecoder, file);
    if (opened != 0) {
        // The decoder was cleared by the failed open; nothing to ov_clear.
        delete mDecoder;
        mDecoder = nullptr;
        WriteLog("OGG file could not be opened");
        return false;
    }

    vorbis_info* info = ov_info(mDecoder, -1);
    double length = ov_time_total(mDecoder, -1);
    // Only what the mixer can play, and a known length: anything else is
    // refused as unopenable rather than played wrongly.
    if (!info || info->rate < 1 || info->rate > kMaxRate || info->channels < 1 || info->channels > kMaxChannels ||
        !(length >= 0)) {
        // A handle stays with the caller after a failed open: ov_clear must
        // not close it. A memory copy is freed with the decoder.
        if (streamFromFile)
            mDecoder->callbacks.close_func = nullptr;
        CloseDecoder();
        WriteLog("OGG file could not be opened");
        return false;
    }
    mRate = int32_t(info->rate);
    mChannels = info->channels;
    mLength = length;

    if (mLength > kWholeDecodeSeconds || streamFromFile)
        return true;
    return DecodeWhole();
}

void TSoundData::SetPcm(std::vector<uint8_t> pcm, int32_t rate, int32_t channels)
{
    CloseDecoder();
    mRate = rate > 0 ? rate : 1;
    mChannels = channels > 0 ? channels : 1;
    mSize = int32_t(pcm.size());
    mCapacity = mSize;
    mLength = double(mSize) / (2.0 * mChannels * mRate);
    // Kept non-empty (an open sound), with the same slack as a decode.
    pcm.resize(pcm.size() + 4, 0);
    mPcm = std::move(pcm);
}

bool TSoundData::DecodeWhole()
{
    // Room for the length and a tenth of a second more (the constant is the
    // single-precision 0.1).
    mCapacity = int32_t(2.0 * (mLength + double(0.1f)) * mChannels * mRate);
    mPcm.assign(size_t(mCapacity) + 4, 0);
    mSize = 0;
    while (mSize < mCapacity) {
        int32_t got = ReadOggPcm(mDecoder, mPcm.data() + mSize, mCapacity - mSize, mName);
        if (got == 0)
            break;
        mSize += got;
    }
    CloseDecoder();
    return true;
}

void TSoundData::OnStreamNotify(TSoundStream* stream)
{
    stream->ClearNotify();
    // The callback may drop the last reference to the sound.
    std::shared_ptr<TSound> hold;
    if (mOwner)
        hold = std::static_pointer_cast<TSound>(mOwner->weak_from_this().lock());
    TSoundManager* manager = stream->GetManager();
    bool allowed = !(manager && manager->IsShuttingDown());

    std::shared_ptr<TSoundInstance> voice = stream->GetVoice().lock();
    if (!voice)
        return;
    if (TSoundCallBack* callback = voice->mCallback) {
        callback->RemoveVoice(voice);
        // At most once per voice.
        voice->mCallback = nullptr;
        if (allowed)
            callback->OnSoundFinished(voice, voice->mQueuedSound.lock());
    }
    mVoices.erase(voice.get());
}
