#include "ui/Message.h"

namespace {
TMessage* gLiveMessages = nullptr;
uint32_t gLiveCount = 0;
} // namespace

TMessage::TMessage(int32_t type, const TString& name, TWindow* target)
    : mType(type), mName(name), mTarget(target)
{
    mNextLive = gLiveMessages;
    if (gLiveMessages)
        gLiveMessages->mPrevLive = this;
    gLiveMessages = this;
    ++gLiveCount;
}

TMessage::~TMessage()
{
    if (mPrevLive)
        mPrevLive->mNextLive = mNextLive;
    else
        gLiveMessages = mNextLive;
    if (mNextLive)
        mNextLive->mPrevLive = mPrevLive;
    --gLiveCount;
}

const void* TMessage::TypeId()
{
    static const char id = 0;
    return &id;
}

void TMessage::ForgetWindow(const TWindow* window)
{
    if (!window)
        return;
    for (TMessage* m = gLiveMessages; m; m = m->mNextLive)
        if (m->mTarget == window)
            m->mTarget = nullptr;
}

uint32_t TMessage::LiveCount()
{
    return gLiveCount;
}
