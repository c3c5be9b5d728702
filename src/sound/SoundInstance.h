#pragma once
#include <memory>

class TSound;
class TSoundCallBack;
class TSoundStream;

// One playing voice of a sound (TSound::Play). Held by its sound until it
// completes, and by whoever keeps the pointer Play returned.
class TSoundInstance : public std::enable_shared_from_this<TSoundInstance> {
public:
    TSoundInstance() = default;
    virtual ~TSoundInstance() = default;
    TSoundInstance(const TSoundInstance&) = delete;
    TSoundInstance& operator=(const TSoundInstance&) = delete;

    // Through the sound; nothing when the sound is gone.
    void Stop();
    void SetCallback(TSoundCallBack* callback, const std::shared_ptr<TSound>& queued);

    bool IsPlaying() const { return mStream != nullptr; }

    TSoundStream* mStream = nullptr; // cleared by the stream's destructor
    std::weak_ptr<TSound> mSound;
    std::weak_ptr<TSound> mQueuedSound;
    TSoundCallBack* mCallback = nullptr; // not owned
};
