#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "render/RenderStates.h"

class TRenderer;
class TXmlNode;

namespace KScene {

using LightRecord = TLight;
// The set's lights in file order.
using LightList = std::vector<std::unique_ptr<LightRecord>>;

// A light before its record is read: directional, diffuse (1, 1, 1, 0),
// no specular or ambient, at the origin pointing along +z, the largest
// range (the square root of the largest float), no attenuation, no cone.
LightRecord DefaultLight();

// Reads a "light" record (field names exact) over the default light and
// appends it to the list.
void ReadLight(LightList& list, TXmlNode* record);

// Sets record i of the list as light first + i.
void ApplyLights(const LightList& list, TRenderer& renderer, uint32_t first);

} // namespace KScene
