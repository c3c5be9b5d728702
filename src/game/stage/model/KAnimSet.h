#pragma once
#include <map>
#include <memory>
#include <vector>

#include "game/stage/model/KAnimEntry.h"
#include "platform/TString.h"

class TXmlNode;

namespace KEvent {
class Event;
}

namespace KScene {

class XElem;

// The named animations of one character's model, read from the XML file
// beside it, and the ways to play them on the model's mesh frame. Lookups
// never add names.
class KAnimSet {
public:
    // Steps kept per animation (the step count is 16-bit).
    static constexpr uint32_t kMaxSteps = 0xFFFF;
    // Longest step, in ms; a longer one is cut to it.
    static constexpr uint32_t kMaxStepMs = 3600000;
    // Longest animation, in ms; steps beyond it are shortened to fit.
    static constexpr uint32_t kMaxTotalMs = 86400000;
    // Largest coordinate kept in a placement; a vector beyond it is reset.
    static constexpr float kMaxPlacement = 1.0e6f;

    // Reads the file for the frame; a file that does not load gives a set
    // without animations.
    static std::shared_ptr<KAnimSet> Create(const std::shared_ptr<XElem>& frame, const TString& file);

    KAnimSet(const std::shared_ptr<XElem>& frame, const TString& file);
    KAnimSet(const KAnimSet&) = delete;
    KAnimSet& operator=(const KAnimSet&) = delete;

    // A new bone-animation event playing the named animation on the frame;
    // a dummy event that finishes as it starts for an unknown name (or
    // when the set has no frame). Never empty.
    std::shared_ptr<KEvent::Event> MakeBoneAnim(const TString& name) const;
    // Puts the frame at once into the named animation's first step and
    // placement. Unknown names and animations without steps change nothing.
    void SetPose(const TString& name) const;

    // The animation of that name (the last one read), or null.
    const KAnimEntry* Find(const TString& name) const;
    // Every animation read, in file order.
    const std::vector<std::unique_ptr<KAnimEntry>>& GetEntries() const { return mEntries; }
    const std::shared_ptr<XElem>& GetFrame() const { return mFrame; }
    const TString& GetFileName() const { return mFileName; }

private:
    void Read(TXmlNode* root);
    void ReadAnim(TXmlNode* anim);

    std::shared_ptr<XElem> mFrame;
    std::vector<std::unique_ptr<KAnimEntry>> mEntries;
    std::map<TString, KAnimEntry*> mByName;
    TString mFileName;
};

} // namespace KScene
