// Arbitrary bytes as the studio set's scene file: loaded at once and
// deferred, stepped through, looked up by name and drawn (without a
// device); every value read must be usable.

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "game/stage/scene/Element.h"
#include "game/stage/scene/MaterialTable.h"
#include "game/stage/scene/SceneSet.h"
#include "platform/AssetNames.h"

using namespace KScene;

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

void CheckColour(const TColorValue& c)
{
    for (float v : {c.r, c.g, c.b, c.a})
        Check(v >= 0.0f && v <= 1.0f);
}

void CheckMaterial(const TMaterial& m)
{
    CheckColour(m.diffuse);
    CheckColour(m.ambient);
    CheckColour(m.specular);
    CheckColour(m.emissive);
    Check(std::isfinite(m.power));
}

void CheckSet(KSceneSet& set)
{
    Check(set.GetElementCount() == set.GetElements().size());
    for (const auto& element : set.GetElements()) {
        Check(element != nullptr);
        CheckMaterial(element->GetMaterial());
        if (const TMat4* world = element->GetWorld())
            for (float v : world->m)
                Check(std::isfinite(v));
        if (!element->GetName().IsEmpty())
            Check(set.FindElement(element->GetName()) &&
                  set.FindElement(element->GetName())->GetName() == element->GetName());
    }
    for (const auto& light : set.GetLights()) {
        CheckColour(light->diffuse);
        CheckColour(light->specular);
        CheckColour(light->ambient);
        for (float v : {light->position[0], light->position[1], light->position[2], light->direction[0],
                        light->direction[1], light->direction[2], light->range, light->attenuation0,
                        light->attenuation1, light->attenuation2, light->theta, light->phi})
            Check(std::isfinite(v));
    }
    Check(MaterialTable::Existing() != nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RegisterMemoryFile(TString("fuzz/scene.xml"), size ? data : reinterpret_cast<const uint8_t*>(""),
                       uint32_t(size));
    KSceneSet* set = KSceneSet::Get();
    for (bool defer : {false, true}) {
        set->Load(TString("fuzz/scene.xml"), defer);
        CheckSet(*set);
        uint32_t steps = 0;
        while (set->LoadNextElement())
            ++steps;
        Check(set->GetElementCount() == 0 || steps + 1 == set->GetElementCount());
        Check(!set->LoadNextElement());
        set->Draw();
        set->ShowAnimationOnElement(TString("kid_pedestal_tv"), nullptr);
        set->SetElementTexture(TString("mainscreen_1"), TTextureRef());
        Check(!set->GetElementTexture(TString("mainscreen_1")));
    }
    KSceneSet::Destroy();
    Check(MaterialTable::Existing() == nullptr);
    RegisterMemoryFile(TString("fuzz/scene.xml"), nullptr, 0);
    return 0;
}
