#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "os/gfx/GfxDevice.h"
#include "os/gfx/GfxTypes.h"

// What the recording backend saw. Every recording display appends to one
// process-wide log; tests clear it (GfxRecordingLog().Clear()) in SetUp.

// One draw with the device state it was made under.
struct GfxDrawRecord {
    GfxPrimitive primitive = GfxPrimitive::TriangleList;
    uint32_t fvf = 0;
    uint32_t vertexCount = 0;
    std::vector<uint8_t> vertices;     // vertexCount x stride bytes
    std::vector<uint16_t> indices;     // empty for DrawPrimitive
    GfxDeviceState state;              // state.texture may dangle later: compare only

    uint32_t Get(GfxRs s) const { return state.Get(s); }
    uint32_t Get(GfxTss s) const { return state.Get(s); }
    // Vertex i's float at byte offset (position 0, 4, 8...).
    float Float(uint32_t vertex, uint32_t offset) const;
    // Vertex i's 32-bit word at byte offset (colours).
    uint32_t Word(uint32_t vertex, uint32_t offset) const;
};

struct GfxCallLog {
    // One line per call, e.g. "SetRenderState SrcBlend 5", "BeginScene",
    // "Present", "CreateSurface 64x32 alpha", "Fill back 0,0,800,600 ff000000".
    // Failed calls end in " -> <result name>".
    std::vector<std::string> calls;
    std::vector<GfxDrawRecord> draws;
    uint32_t presents = 0;

    void Clear();
    // Calls whose line starts with prefix.
    size_t Count(const std::string& prefix) const;
    bool Has(const std::string& prefix) const { return Count(prefix) > 0; }
    // Index of the first call starting with prefix at or after from, or -1.
    int32_t Find(const std::string& prefix, size_t from = 0) const;
};

GfxCallLog& GfxRecordingLog();
