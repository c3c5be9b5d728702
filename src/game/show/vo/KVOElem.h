#pragma once
#include <cstdint>
#include <memory>

#include "platform/TString.h"
#include "render/RenderStates.h"

class TXmlNode;

namespace KEvent {
class Event;
}

namespace KVO {

// One row of the voice-over table: the line's sound, who speaks it, up to
// four subtitle pages with the time (ms from the line's start) at which
// each ends, and the category the show draws it from.
class KVOElem : public std::enable_shared_from_this<KVOElem> {
public:
    static constexpr int32_t kDefaultFontSize = 28;
    static constexpr int32_t kMaxPages = 4;

    // A row from a "narration" element: the defaults, then its children.
    static std::shared_ptr<KVOElem> Create(TXmlNode& narration);

    // The leading pages whose end time is at least 1 ms (0 to 4).
    int32_t PageCount() const;
    // Index 1 to 3 give pages 2 to 4; any other index gives page 1.
    void GetPage(int32_t index, TString& text, int32_t& endTime) const;
    // The event that plays the row through the voice-over player (a dummy
    // for a row not held by a shared pointer).
    std::shared_ptr<KEvent::Event> MakePlayEvent();
    // Whether the row gave a "Color" (without one its text is transparent).
    bool HasColor() const { return mHasColor; }

    int32_t VOid = 0;
    int32_t CategoryID = 0;
    TString AudioFile; // "vo/" and the file's text
    TString Actor;
    TColorValue Color{0.0f, 0.0f, 0.0f, 0.0f};
    int32_t FontSize = kDefaultFontSize;
    TString Page[kMaxPages];
    int32_t t[kMaxPages] = {0, 0, 0, 0};
    int32_t Prestige = 0;

private:
    void Read(TXmlNode& narration);

    bool mHasColor = false;
};

} // namespace KVO
