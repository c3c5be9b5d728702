#include "game/stage/model/KAnimSet.h"

#include <cmath>

#include "game/show/event/CoreEvents.h"
#include "game/stage/model/KBoneAnim.h"
#include "game/stage/model/XElem.h"
#include "game/stage/scene/SceneText.h"
#include "platform/Log.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"

namespace KScene {

namespace {

// What was out of range in one animation, reported once after it is read.
struct Problems {
    bool frameNumber = false;
    bool duration = false;
    bool steps = false;
    bool placement = false;
    bool total = false;

    bool Any() const { return frameNumber || duration || steps || placement || total; }
};

// The decimal integer made of the attribute's leading digits (blanks before
// them skipped); 0 without digits. A value above limit gives limit and sets
// *over.
uint32_t ReadInteger(const TXmlNode* node, const char* attribute, uint32_t limit, bool* over)
{
    TString text;
    node->GetAttribute(text, TString(attribute));
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
        ++p;
    uint64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + uint64_t(*p - '0');
        if (value > limit) {
            *over = true;
            value = uint64_t(limit) + 1;
        }
    }
    return value > limit ? limit : uint32_t(value);
}

// The vector in the element's text; a component beyond the placement range
// gives the fallback and sets *over.
TVec3 ReadPlacement(const TXmlNode* node, TVec3 fallback, bool* over)
{
    const TVec3 value = ParseVec3(node->GetText());
    for (float v : {value.x, value.y, value.z}) {
        if (!(std::fabs(v) <= KAnimSet::kMaxPlacement)) {
            *over = true;
            return fallback;
        }
    }
    return value;
}

} // namespace

std::shared_ptr<KAnimSet> KAnimSet::Create(const std::shared_ptr<XElem>& frame, const TString& file)
{
    return std::make_shared<KAnimSet>(frame, file);
}

KAnimSet::KAnimSet(const std::shared_ptr<XElem>& frame, const TString& file) : mFrame(frame), mFileName(file)
{
    if (!mFrame)
        WriteLog("Bone animations: %s has no model frame; its animations play nothing", file.c_str());
    TXmlNode root;
    if (!LoadXmlFile(&root, file)) {
        WriteLog("Bone animations: cannot read %s; no animations", file.c_str());
        return;
    }
    Read(&root);
}

void KAnimSet::Read(TXmlNode* root)
{
    // "anim" children are read; a "BoneAnim" child is entered and the rest
    // of its level is left.
    VisitEntering(root, TString("BoneAnim"), [this](const TString& name, TXmlNode* child) {
        if (name == "anim")
            ReadAnim(child);
    });
}

void KAnimSet::ReadAnim(TXmlNode* anim)
{
    auto entry = std::make_unique<KAnimEntry>();
    anim->GetAttribute(entry->name, TString("name"));
    Problems problems;
    const XTransform defaults;
    uint32_t total = 0;

    TString name;
    TXmlNode* child = nullptr;
    anim->BeginChildren();
    while (anim->NextChild(name, child)) {
        if (name == "frame") {
            if (entry->frames.size() >= kMaxSteps) {
                problems.steps = true;
                continue;
            }
            entry->frames.push_back(uint16_t(ReadInteger(child, "frameNum", 0xFFFF, &problems.frameNumber)));
            uint32_t duration = ReadInteger(child, "transitionTime", kMaxStepMs, &problems.duration);
            if (duration > kMaxTotalMs - total) {
                problems.total = true;
                duration = kMaxTotalMs - total;
            }
            total += duration;
            entry->durations.push_back(duration);
        } else if (name == "pos") {
            entry->transform.position = ReadPlacement(child, defaults.position, &problems.placement);
        } else if (name == "rot") {
            entry->transform.rotation = ReadPlacement(child, defaults.rotation, &problems.placement);
        } else if (name == "scale") {
            entry->transform.scale = ReadPlacement(child, defaults.scale, &problems.placement);
        }
    }

    if (problems.Any())
        WriteLog("Bone animations: %s, anim \"%s\":%s%s%s%s%s", mFileName.c_str(), entry->name.c_str(),
                 problems.steps ? " steps beyond 65535 dropped;" : "",
                 problems.frameNumber ? " frame numbers above 65535 taken as 65535;" : "",
                 problems.duration ? " step times above one hour cut to an hour;" : "",
                 problems.total ? " steps beyond a day in all shortened;" : "",
                 problems.placement ? " placement beyond range reset to its default;" : "");
    if (entry->frames.empty())
        WriteLog("Bone animations: %s, anim \"%s\" has no steps; it plays nothing", mFileName.c_str(),
                 entry->name.c_str());

    mByName[entry->name] = entry.get();
    mEntries.push_back(std::move(entry));
}

const KAnimEntry* KAnimSet::Find(const TString& name) const
{
    const auto found = mByName.find(name);
    return found == mByName.end() ? nullptr : found->second;
}

std::shared_ptr<KEvent::Event> KAnimSet::MakeBoneAnim(const TString& name) const
{
    const KAnimEntry* entry = Find(name);
    if (!entry) {
        WriteLog("Bone animations: no animation \"%s\" in %s; nothing plays", name.c_str(), mFileName.c_str());
        return KEvent::MakeDummy();
    }
    // A set without a frame was reported when it was made.
    if (!mFrame)
        return KEvent::MakeDummy();
    return KEvent::Create<KBoneAnim>(mFrame, *entry);
}

void KAnimSet::SetPose(const TString& name) const
{
    const KAnimEntry* entry = Find(name);
    if (!entry) {
        WriteLog("Bone animations: no pose \"%s\" in %s; the model is left as it is", name.c_str(),
                 mFileName.c_str());
        return;
    }
    if (!mFrame || entry->frames.empty())
        return;
    mFrame->SetFrame(entry->frames[0]);
    mFrame->SetTransform(entry->transform);
}

} // namespace KScene
