#pragma once

#include "sound/SoundManager.h"

// Holds the sound manager's lock for a scope; nothing without a manager.
class TSoundLock {
public:
    explicit TSoundLock(TSoundManager* manager = TSoundManager::Current()) : mManager(manager)
    {
        if (mManager)
            mManager->Lock();
    }
    ~TSoundLock()
    {
        if (mManager)
            mManager->Unlock();
    }
    TSoundLock(const TSoundLock&) = delete;
    TSoundLock& operator=(const TSoundLock&) = delete;

private:
    TSoundManager* mManager;
};
