#include "sound/SoundStream.h"

#include <algorithm>
#include <cmath>

#include "os/audio/AudioDevice.h"
#include "sound/SoundData.h"
#include "sound/SoundInstance.h"
#include "sound/SoundLock.h"
#include "sound/SoundManager.h"
#include "sound/StreamSpooler.h"

std::shared_ptr<TSoundStream> TSoundStream::Create(TSoundManager* manager, std::unique_ptr<TStreamSpooler> spooler,
                                                   bool loop, SoundGroupId group,
                                                   const std::shared_ptr<TStreamNotify>& owner)
{
    auto stream = std::make_shared<TSoundStream>(manager, std::move(spooler), loop, group, owner);
    if (manager)
        manager->AddStream(stream);
    return stream;
}

TSoundStream::TSoundStream(TSoundManager* manager, std::unique_ptr<TStreamSpooler> spooler, bool loop,
                           SoundGroupId group, const std::shared_ptr<TStreamNotify>& owner)
    : mManager(manager), mSpooler(std::move(spooler)), mOwner(owner), mGroup(group), mLoop(loop)
{
}

TSoundStream::~TSoundStream()
{
    TSoundLock lock(mManager);
    mSpooler.reset();
    // The objects told may play or stop other sounds; this stream is no
    // longer in the manager's lists.
    if (std::shared_ptr<TStreamNotify> notify = mNotify.lock())
        notify->OnStreamNotify(this);
    if (std::shared_ptr<TStreamNotify> owner = mOwner.lock())
        owner->OnStreamNotify(this);
    if (std::shared_ptr<TStreamNotify> queued = mQueuedOwner.lock())
        queued->OnStreamNotify(this);
    mQueuedSpooler.reset();
    if (std::shared_ptr<TSoundInstance> voice = mVoice.lock())
        voice->mStream = nullptr;
    ReleaseBuffer();
}

int32_t TSoundStream::VolumeToCentibels(float volume)
{
    // NaN counts as silence. Single precision throughout, so that 0.4
    // gives -3000 as the device always did.
    float clamped = volume > 0.0f ? std::min(volume, 1.0f) : 0.0f;
    if (clamped == 0.0f)
        return kAudioVolumeMin;
    return int32_t(std::trunc(-5000.0f * (1.0f - clamped)));
}

bool TSoundStream::CreateBuffer(int32_t rate, int32_t channels, int32_t bits, float seconds)
{
    if (!mManager || !mManager->IsInitialised() || !mManager->GetDevice())
        return false;
    TSoundLock lock(mManager);
    if (rate <= 0 || channels <= 0 || bits <= 0 || !(seconds > 0))
        return false;
    AudioFormat format;
    format.rate = uint32_t(rate);
    format.channels = uint16_t(channels);
    format.bitsPerSample = uint16_t(bits);
    double bytesPerSecond = double(format.BytesPerSecond());
    double wanted = std::floor(bytesPerSecond * seconds + 0.5);
    wanted = std::clamp(wanted, double(kAudioBufferMinBytes), double(kAudioBufferMaxBytes));
    uint32_t bytes = (uint32_t(wanted) + 7u) & ~7u;
    bytes = std::clamp(bytes, kAudioBufferMinBytes, kAudioBufferMaxBytes & ~7u);

    std::unique_ptr<AudioBuffer> buffer;
    AudioResult result = mManager->GetDevice()->CreateBuffer(format, bytes, &buffer);
    if (result == AudioResult::Ok && buffer) {
        // Stored for the device's sake; the poll drives the refills.
        const uint32_t offsets[2] = {0, bytes / 2};
        result = buffer->SetNotificationPositions(offsets, 2);
    }
    if (result != AudioResult::Ok || !buffer) {
        mManager->ReportResult(result);
        return false;
    }
    mBuffer = std::move(buffer);
    mBufferBytes = bytes;
    mBufferSeconds = float(bytes / bytesPerSecond);
    mBytesLeft = int32_t(bytes);
    mEndReached = false;
    mBufferReady = true;
    Update(true);
    return true;
}

void TSoundStream::Play(bool oneShot)
{
    TSoundLock lock(mManager);
    if (oneShot)
        mOneShot = true;
    bool enabled = !mManager || mManager->IsEnabled();
    if (mBuffer) {
        SetVolume(mManager ? mManager->GetGroupVolume(mGroup) : 1.0f);
        if (enabled)
            mBuffer->Play(mOneShot ? 0 : kAudioPlayLooping);
    }
    mClock.Reset();
    mClock.Start();
    if (!enabled) {
        // Starts when the manager is next enabled; the clock of a stream
        // without a buffer waits too.
        mPaused = true;
        mPausedByManager = true;
        mClock.Pause();
    }
}

bool TSoundStream::UpdateByClock()
{
    if (!mSpooler || double(mClock.GetTime()) / 1000.0 <= double(mSpooler->GetLength()))
        return true;
    if (mQueuedSpooler) {
        SwitchToNext();
    } else if (!mLoop) {
        return false;
    }
    // A looping voice without a buffer plays on by its clock, as one with
    // a buffer would.
    mClock.Reset();
    mClock.Start();
    return true;
}

bool TSoundStream::Update(bool firstFill)
{
    TSoundLock lock(mManager);
    if (!mBuffer)
        return UpdateByClock();
    // A stopped buffer shows play == write, which the one-shot end test
    // below would take for the end: a paused stream is never finished.
    if (mPaused)
        return true;

    uint32_t play = 0, write = 0;
    if (mBuffer->GetCurrentPosition(&play, &write) != AudioResult::Ok)
        return true;
    const uint32_t half = mBufferBytes / 2;
    int32_t which;
    uint32_t offset;
    if (firstFill) {
        which = 1;
        offset = 0;
    } else if (write < half) {
        which = 2;
        offset = half;
    } else if (play <= half) {
        return true;
    } else {
        which = 1;
        offset = 0;
    }

    if (which == mLastHalf)
        return !(mOneShot && play >= write);
    mLastHalf = which;
    return FillHalf(offset, half);
}

bool TSoundStream::FillHalf(uint32_t offset, uint32_t half)
{
    if (mEndReached) {
        mBytesLeft -= int32_t(half);
        // A whole buffer of silence has been queued after the end.
        if (mBytesLeft <= 0 && !mQueuedSpooler) {
            mBuffer->Stop();
            mSpooler.reset();
            return false;
        }
    }

    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0, bytes2 = 0;
    if (mBuffer->Lock(offset, half, &part1, &bytes1, &part2, &bytes2) != AudioResult::Ok)
        return false;
    int32_t delivered = 0;
    if (mSpooler) {
        mEndReached = !mSpooler->Fill(int32_t(bytes1), part1, &delivered, mLoop);
    } else {
        std::fill_n(static_cast<uint8_t*>(part1), bytes1, uint8_t(0));
        mEndReached = true;
    }
    if (mEndReached && mQueuedSpooler) {
        SwitchToNext();
        if (delivered < int32_t(bytes1) && mSpooler) {
            mSpooler->Rewind();
            int32_t more = 0;
            mEndReached = !mSpooler->Fill(int32_t(bytes1) - delivered, static_cast<uint8_t*>(part1) + delivered,
                                          &more, mLoop);
        }
    }
    // A half never wraps, so the second part is empty.
    mBuffer->Unlock(part1, bytes1, part2, bytes2);
    return true;
}

void TSoundStream::Stop(bool deferred)
{
    TSoundLock lock(mManager);
    if (mBuffer)
        mBuffer->Stop();
    mQueuedSpooler.reset();
    mQueuedOwner.reset();
    if (!mManager)
        return;
    std::shared_ptr<TSoundStream> self = shared_from_this();
    if (deferred)
        mManager->RetireStream(this);
    else
        mManager->RemoveStream(this);
}

void TSoundStream::SetVolume(float volume)
{
    TSoundLock lock(mManager);
    if (!mBuffer)
        return;
    uint32_t status = 0;
    if (mBuffer->GetStatus(&status) == AudioResult::Ok && status == kAudioStatusBufferLost)
        mBuffer->Restore();
    mBuffer->SetVolume(VolumeToCentibels(volume));
}

void TSoundStream::SetPaused(bool pause)
{
    TSoundLock lock(mManager);
    if (pause && !mPaused) {
        PauseResume(true);
        mPausedByManager = true;
    } else if (!pause && mPausedByManager) {
        PauseResume(false);
        mPausedByManager = false;
    }
}

void TSoundStream::PauseResume(bool pause)
{
    TSoundLock lock(mManager);
    if (pause) {
        mPaused = true;
        mPausedByManager = false;
        if (mBuffer)
            mBuffer->Stop(); // the play cursor stays
        mClock.Pause();
        return;
    }
    mPaused = false;
    if (mBuffer) {
        // Plays on from where it stopped; Play restarts the clock.
        Play(mOneShot);
    }
    mClock.Start();
}

bool TSoundStream::QueueNext(std::weak_ptr<TStreamNotify> nextOwner, std::unique_ptr<TStreamSpooler> spooler)
{
    TSoundLock lock(mManager);
    if (mBufferReady && mEndReached && mBytesLeft <= 0)
        return false;
    mQueuedOwner = std::move(nextOwner);
    mQueuedSpooler = std::move(spooler);
    return true;
}

void TSoundStream::SwitchToNext()
{
    TSoundLock lock(mManager);
    mSpooler = std::move(mQueuedSpooler);
    mEndReached = false;
    // The next dispatch tells the old owner that its voice has finished.
    mNotify = mOwner;
    if (std::shared_ptr<TSoundInstance> voice = mVoice.lock()) {
        voice->mSound = voice->mQueuedSound;
        voice->mQueuedSound.reset();
    }
    mOwner = mQueuedOwner;
    mQueuedOwner.reset();
}

void TSoundStream::ReleaseBuffer()
{
    TSoundLock lock(mManager);
    if (!mBuffer)
        return;
    mBuffer->Stop();
    mBuffer.reset();
}
