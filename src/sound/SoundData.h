#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/TString.h"
#include "sound/SoundGroup.h"

class TFileHandle;
class TSound;
class TSoundInstance;
class TSoundStream;
struct OggVorbis_File;

// Told by a stream when it ends or switches to a queued source. Main
// thread, under the sound lock.
class TStreamNotify {
public:
    virtual ~TStreamNotify() = default;
    virtual void OnStreamNotify(TSoundStream* stream) = 0;
};

// The decoded or decodable content of one Ogg Vorbis sound, shared by the
// sound and its spoolers, and the voices that play it.
class TSoundData : public TStreamNotify {
public:
    // Sounds up to this length are decoded whole when opened.
    static constexpr double kWholeDecodeSeconds = 2.0;

    TSoundData() = default;
    ~TSoundData() override;
    TSoundData(const TSoundData&) = delete;
    TSoundData& operator=(const TSoundData&) = delete;

    // Opens the Ogg Vorbis file. Without streamFromFile the file is copied
    // into memory and closed here (also on failure); with it the decoder
    // takes the handle on success, and the caller keeps it on failure.
    // Logs "OGG file could not be opened" when the data is not a usable
    // Ogg Vorbis stream.
    bool Open(TFileHandle* file, bool streamFromFile);

    // The voice of the stream has completed: its callback runs (unless the
    // sound manager is shutting down) and the voice leaves the voices.
    void OnStreamNotify(TSoundStream* stream) override;

    // Decoded 16-bit PCM given directly (generated sounds, tests); the
    // length follows from its size.
    void SetPcm(std::vector<uint8_t> pcm, int32_t rate, int32_t channels);

    bool IsOpen() const { return mDecoder || !mPcm.empty(); }
    bool IsDecoded() const { return !mDecoder && !mPcm.empty(); }
    int32_t GetRate() const { return mRate; }
    int32_t GetChannels() const { return mChannels; }
    double GetLength() const { return mLength; }
    int32_t GetCapacity() const { return mCapacity; }
    int32_t GetSize() const { return mSize; }
    const uint8_t* GetPcm() const { return mPcm.data(); }
    OggVorbis_File* GetDecoder() const { return mDecoder; }

    std::map<TSoundInstance*, std::shared_ptr<TSoundInstance>> mVoices;
    SoundGroupId mGroup = -1;
    TString mName;
    TSound* mOwner = nullptr; // cleared by the sound's destructor

private:
    bool DecodeWhole();
    void CloseDecoder();

    std::vector<uint8_t> mPcm; // decoded whole: capacity + 4 bytes
    int32_t mRate = 0;
    int32_t mChannels = 0;
    double mLength = 0;
    int32_t mCapacity = 0;
    int32_t mSize = 0;
    OggVorbis_File* mDecoder = nullptr;
};

// Reads 16-bit little-endian signed PCM from the decoder into dest, at most
// bytes. Returns the bytes read, or 0 at the end of the data. A hole in the
// data is skipped (a bounded number of times per call); any other decode
// error is logged once with the name and counts as the end.
int32_t ReadOggPcm(OggVorbis_File* decoder, uint8_t* dest, int32_t bytes, const TString& name);
