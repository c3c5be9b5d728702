#pragma once
#include <cstdint>

#include "os/audio/AudioTypes.h"

// A secondary sound buffer: a ring of bytes in the buffer's own format that
// the mixer reads from the play cursor on. Shaped after a DirectSound
// buffer; deleting it releases it (it stops being mixed at once).
//
// - Play(0) plays to the end of the ring once, then stops with both cursors
//   at 0; Play(kAudioPlayLooping) wraps forever. Play on a stopped buffer
//   resumes from the play cursor.
// - Stop keeps the cursors (pause).
// - GetCurrentPosition: while playing, write = play + the bytes the mixer
//   has already taken for output (mod size, at most ~50 ms ahead); while
//   stopped, write == play.
// - Lock hands out the region [offset, offset + bytes) of the ring, split in
//   two on a wrap (second part null/0 otherwise); writes land in the ring at
//   Unlock, which must be given back the same pointers.
// - SetVolume in [kAudioVolumeMin, kAudioVolumeMax]: gain 10^(cB / 2000),
//   the minimum is silence; outside the range: InvalidParam, no change.
// - Notification positions are stored; nothing waits on them.
//
// Any thread; calls are serialised by the device's own lock.
class AudioBuffer {
public:
    virtual ~AudioBuffer() = default;

    virtual AudioResult Play(uint32_t flags) = 0;
    virtual AudioResult Stop() = 0;
    virtual AudioResult GetCurrentPosition(uint32_t* play, uint32_t* write) = 0;
    virtual AudioResult Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1,
                             void** part2, uint32_t* bytes2) = 0;
    virtual AudioResult Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) = 0;
    virtual AudioResult SetVolume(int32_t centibels) = 0;
    virtual AudioResult GetVolume(int32_t* centibels) = 0;
    virtual AudioResult GetStatus(uint32_t* status) = 0;
    // Nothing is ever lost here: succeeds.
    virtual AudioResult Restore() = 0;
    virtual AudioResult SetNotificationPositions(const uint32_t* offsets, uint32_t count) = 0;

    virtual uint32_t GetSize() const = 0;
    virtual AudioFormat GetFormat() const = 0;
};
