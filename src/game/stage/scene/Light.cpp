#include "game/stage/scene/Light.h"

#include <cmath>
#include <limits>

#include "game/stage/scene/SceneText.h"
#include "platform/XmlNode.h"
#include "render/Renderer.h"

namespace KScene {

namespace {

void Store(float* out, TVec3 v)
{
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

} // namespace

LightRecord DefaultLight()
{
    LightRecord light;
    light.kind = kLightDirectional;
    light.diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.specular = {};
    light.ambient = {};
    Store(light.position, TVec3(0, 0, 0));
    Store(light.direction, TVec3(0, 0, 1));
    light.range = std::sqrt(std::numeric_limits<float>::max());
    light.attenuation0 = light.attenuation1 = light.attenuation2 = 0.0f;
    light.theta = light.phi = 0.0f;
    return light;
}

void ReadLight(LightList& list, TXmlNode* record)
{
    if (!record)
        return;
    auto light = std::make_unique<LightRecord>(DefaultLight());
    TString field;
    TXmlNode* child = nullptr;
    record->BeginChildren();
    while (record->NextChild(field, child)) {
        const TString text = child->GetText();
        if (field == "mType") {
            light->kind = ParseLightType(text);
        } else if (field == "mPos") {
            Store(light->position, ParseVec3(text));
        } else if (field == "mcDiff") {
            ParseColor(text, light->diffuse);
        } else if (field == "mcAmb") {
            ParseColor(text, light->ambient);
        } else if (field == "mcSpec") {
            ParseColor(text, light->specular);
        } else if (field == "mDir") {
            Store(light->direction, ParseVec3(text));
        } else if (field == "mRange") {
            light->range = ParseNumber(text);
        } else if (field == "mTheta") {
            light->theta = ParseNumber(text);
        } else if (field == "mPhi") {
            light->phi = ParseNumber(text);
        } else if (field == "mAttenuation") {
            const TVec3 factors = ParseVec3(text);
            light->attenuation0 = factors.x;
            light->attenuation1 = factors.y;
            light->attenuation2 = factors.z;
        }
    }
    list.push_back(std::move(light));
}

void ApplyLights(const LightList& list, TRenderer& renderer, uint32_t first)
{
    uint32_t index = first;
    for (const std::unique_ptr<LightRecord>& light : list)
        renderer.SetLight(index++, light.get());
}

} // namespace KScene
