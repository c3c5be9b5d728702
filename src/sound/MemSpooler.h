#pragma once
#include <cstdint>
#include <memory>

#include "sound/StreamSpooler.h"

class TSoundData;

// Plays one sound's data: a copy from the decoded PCM, or decoding through
// the sound's shared decoder from this spooler's own position, so that the
// voices of one sound share the decoder (under the sound lock).
class TMemSpooler : public TStreamSpooler {
public:
    explicit TMemSpooler(const std::shared_ptr<TSoundData>& data) : mData(data) {}

    bool Fill(int32_t n, void* dest, int32_t* delivered, bool loop) override;
    void SeekTime(float seconds) override;
    float GetLength() override;
    // Decoder-backed data only: back to sample 0. A spooler over decoded
    // PCM keeps its position.
    void Rewind() override;

    // Byte offset into decoded PCM, or sample position of the decoder.
    int64_t GetPosition() const { return mPosition; }

private:
    // One pass from the current position; true when the source ended
    // before n bytes.
    bool FillOnce(TSoundData& data, int32_t n, uint8_t* dest, int32_t* delivered);

    std::weak_ptr<TSoundData> mData;
    int64_t mPosition = 0;
};
