// Arbitrary bytes as a character's bone-animation file: read for a small
// skinned frame, every animation posed and played to its end on a moved
// clock; every value read must be in range and every pose finite.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "game/show/event/Event.h"
#include "game/show/event/EventManager.h"
#include "game/stage/model/KAnimSet.h"
#include "game/stage/model/XElem.h"
#include "platform/AssetNames.h"
#include "platform/Timer.h"

using namespace KScene;

namespace {

// Animations played per input; enough to reach the odd cases.
constexpr size_t kPlayed = 4;

uint32_t gNow = 0;
uint32_t Now()
{
    return gNow;
}

void Check(bool condition)
{
    if (!condition)
        abort();
}

void CheckVector(TVec3 v)
{
    for (float c : {v.x, v.y, v.z})
        Check(std::isfinite(c) && std::fabs(c) <= KAnimSet::kMaxPlacement);
}

// A root bone and one child with three keys; vertex 0 follows the child.
std::shared_ptr<XElem> MakeFrame()
{
    std::shared_ptr<XElem> frame = XElem::Create(TString("Body"));
    frame->SetVertices(std::vector<XVertex>(2));
    XBoneList& bones = frame->GetBones();
    XBone* root = bones.Add(std::make_unique<XBone>(TString("Bone_BaseBone")));
    XBone* arm = bones.Add(std::make_unique<XBone>(TString("Arm")));
    root->AddChild(arm);
    std::vector<TMat4> keys(3);
    for (size_t k = 0; k < keys.size(); ++k)
        keys[k].Translate(TVec3(float(k), 0, 0));
    arm->SetKeys(keys);
    frame->GetOrMakeWeights(0, 4)->Add(1.0f, arm);
    bones.SetRootIndex(0);
    return frame;
}

void CheckPose(XElem& frame)
{
    for (uint32_t i = 0; i < frame.GetVertexCount(); ++i) {
        const TVec3 p = frame.GetVertex(i)->position;
        Check(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
    }
    for (float v : frame.GetLocal().m)
        Check(std::isfinite(v));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetTimerSource(Now);
    RegisterMemoryFile(TString("fuzz/anims.xml"), size ? data : reinterpret_cast<const uint8_t*>(""),
                       uint32_t(size));
    std::shared_ptr<XElem> frame = MakeFrame();
    std::shared_ptr<KAnimSet> set = KAnimSet::Create(frame, TString("fuzz/anims.xml"));

    for (const auto& entry : set->GetEntries()) {
        Check(entry != nullptr);
        Check(entry->frames.size() == entry->durations.size());
        Check(entry->frames.size() <= KAnimSet::kMaxSteps);
        uint64_t total = 0;
        for (uint32_t d : entry->durations) {
            Check(d <= KAnimSet::kMaxStepMs);
            total += d;
        }
        Check(total <= KAnimSet::kMaxTotalMs);
        CheckVector(entry->transform.position);
        CheckVector(entry->transform.rotation);
        CheckVector(entry->transform.scale);
        const KAnimEntry* found = set->Find(entry->name);
        Check(found != nullptr && found->name == entry->name);
    }

    KEvent::EventManager* events = KEvent::EventManager::Instance();
    const size_t played = set->GetEntries().size() < kPlayed ? set->GetEntries().size() : kPlayed;
    for (size_t i = 0; i < played; ++i) {
        // The name plays the last animation read under it.
        const KAnimEntry& entry = *set->Find(set->GetEntries()[i]->name);
        set->SetPose(entry.name);
        CheckPose(*frame);
        std::shared_ptr<KEvent::Event> event = set->MakeBoneAnim(entry.name);
        Check(event != nullptr);
        // Start, then a few updates through the steps and one past the end.
        events->Update();
        uint64_t total = 0;
        for (uint32_t d : entry.durations)
            total += d;
        for (int pass = 0; pass < 4; ++pass) {
            gNow += uint32_t(total / 3 + 1);
            events->Update();
            CheckPose(*frame);
        }
        gNow += 1;
        events->Update();
        Check(event->IsFinished());
    }
    // Looking a name up never adds it.
    const TString unknown("no such animation");
    const KAnimEntry* before = set->Find(unknown);
    set->SetPose(unknown);
    Check(set->MakeBoneAnim(unknown) != nullptr);
    Check(set->Find(unknown) == before);

    events->SkipAll();
    RegisterMemoryFile(TString("fuzz/anims.xml"), nullptr, 0);
    SetTimerSource(nullptr);
    return 0;
}
