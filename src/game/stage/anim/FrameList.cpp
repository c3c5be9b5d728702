#include "game/stage/anim/FrameList.h"

#include <cstdio>

#include "platform/Log.h"

namespace KAnim {

FrameList::FrameList(const TAnimatedTextureRef& texture, const TString& text) : mTexture(texture)
{
    Set(text);
}

void FrameList::Set(const TString& text)
{
    mText = text;
    mFrames.clear();
    mCapLogged = false;
    if (text.IsEmpty()) {
        const int32_t count = mTexture ? mTexture->GetFrameCount() : 0;
        for (int32_t i = 0; i < count; ++i)
            Append(i, 1);
        return;
    }
    for (const TString& item : SplitString(text, ","))
        AddItem(item);
}

void FrameList::AddItem(const TString& item)
{
    const char* chars = item.c_str();
    int first = 0;
    int second = 0;
    if (std::sscanf(chars, "%d[%d]", &first, &second) == 2) {
        Append(first, second);
    } else if (std::sscanf(chars, "%d-%d", &first, &second) == 2) {
        for (int64_t frame = first; frame <= second; ++frame)
            if (!Append(int32_t(frame), 1))
                break;
    } else if (std::sscanf(chars, "%d", &first) == 1) {
        Append(first, 1);
    }
}

bool FrameList::Append(int32_t frame, int64_t count)
{
    if (count <= 0)
        return true;
    const int64_t room = kMaxEntries - int64_t(mFrames.size());
    if (count > room) {
        if (!mCapLogged)
            WriteLog("Frame list \"%.80s\" is longer than %d entries; the rest is dropped", mText.c_str(),
                     int(kMaxEntries));
        mCapLogged = true;
        mFrames.insert(mFrames.end(), size_t(room), frame);
        return false;
    }
    mFrames.insert(mFrames.end(), size_t(count), frame);
    return true;
}

std::vector<TString> SplitString(const TString& text, const TString& separator)
{
    std::vector<TString> items;
    const uint32_t step = separator.Length();
    if (step == 0) {
        items.push_back(text);
        return items;
    }
    uint32_t from = 0;
    for (;;) {
        const int32_t at = text.Find(separator, 0, from);
        if (at < 0) {
            items.push_back(text.Mid(from));
            return items;
        }
        items.push_back(text.Mid(from, uint32_t(at) - from));
        from = uint32_t(at) + step;
    }
}

} // namespace KAnim
