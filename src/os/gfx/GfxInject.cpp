#include "os/gfx/GfxInject.h"

#include <deque>
#include <optional>

#include "os/gfx/GfxBackend.h"

namespace {

struct InjectState {
    std::deque<GfxResult> queued[size_t(GfxOp::Count)];
    std::optional<GfxResult> sticky[size_t(GfxOp::Count)];
    uint32_t calls[size_t(GfxOp::Count)] = {};
    std::optional<GfxDesktop> desktop;
    std::optional<GfxCaps> caps;
    uint32_t lossGeneration = 0;
    uint32_t clearedAt = 0;
    int64_t budget = -1;
    uint64_t used = 0;
};

InjectState& State()
{
    static InjectState state;
    return state;
}

} // namespace

const char* GfxOpName(GfxOp op)
{
    static const char* const names[] = {
        "CreateDisplay", "CreateSurface", "BeginScene", "EndScene", "Clear", "SetViewport",
        "SetRenderState", "SetTextureStageState", "SetTransform", "SetMaterial", "SetLight",
        "LightEnable", "SetTexture", "Draw", "Present", "Lock", "Upload", "Fill", "Blt",
        "RestoreSurface", "TestCooperativeLevel", "SetCooperativeLevel", "RestoreAllSurfaces",
    };
    static_assert(sizeof(names) / sizeof(names[0]) == size_t(GfxOp::Count));
    return op < GfxOp::Count ? names[size_t(op)] : "?";
}

void GfxInjectResult(GfxOp op, GfxResult result, int32_t times)
{
    if (op >= GfxOp::Count)
        return;
    auto& s = State();
    if (times < 0) {
        s.sticky[size_t(op)] = result;
        return;
    }
    for (int32_t i = 0; i < times; ++i)
        s.queued[size_t(op)].push_back(result);
}

void GfxInjectSequence(GfxOp op, std::initializer_list<GfxResult> results)
{
    for (GfxResult r : results)
        GfxInjectResult(op, r, 1);
}

void GfxInjectLoseSurfaces()
{
    ++State().lossGeneration;
}

void GfxInjectDesktop(const GfxDesktop* desktop)
{
    auto& s = State();
    if (desktop)
        s.desktop = *desktop;
    else
        s.desktop.reset();
}

void GfxInjectCaps(const GfxCaps* caps)
{
    auto& s = State();
    if (caps)
        s.caps = *caps;
    else
        s.caps.reset();
}

void GfxInjectVideoMemory(int64_t bytes)
{
    State().budget = bytes < 0 ? -1 : bytes;
}

void GfxInjectReset()
{
    auto& s = State();
    for (size_t i = 0; i < size_t(GfxOp::Count); ++i) {
        s.queued[i].clear();
        s.sticky[i].reset();
        s.calls[i] = 0;
    }
    s.desktop.reset();
    s.caps.reset();
    s.clearedAt = s.lossGeneration;
    s.budget = -1;
}

uint32_t GfxCallCount(GfxOp op)
{
    return op < GfxOp::Count ? State().calls[size_t(op)] : 0;
}

GfxResult GfxTakeInjected(GfxOp op)
{
    if (op >= GfxOp::Count)
        return GfxResult::Ok;
    auto& s = State();
    ++s.calls[size_t(op)];
    auto& q = s.queued[size_t(op)];
    if (!q.empty()) {
        GfxResult r = q.front();
        q.pop_front();
        return r;
    }
    if (s.sticky[size_t(op)])
        return *s.sticky[size_t(op)];
    return GfxResult::Ok;
}

// Backend bookkeeping.

const GfxDesktop* GfxInjectedDesktop()
{
    auto& s = State();
    return s.desktop ? &*s.desktop : nullptr;
}

const GfxCaps* GfxInjectedCaps()
{
    auto& s = State();
    return s.caps ? &*s.caps : nullptr;
}

uint32_t GfxLossGeneration()
{
    return State().lossGeneration;
}

bool GfxIsLostSince(uint32_t restoredGeneration)
{
    auto& s = State();
    return restoredGeneration < s.lossGeneration && s.clearedAt < s.lossGeneration;
}

bool GfxReserveVideoMemory(uint64_t bytes)
{
    auto& s = State();
    if (s.budget >= 0 && s.used + bytes > uint64_t(s.budget))
        return false;
    s.used += bytes;
    return true;
}

void GfxReleaseVideoMemory(uint64_t bytes)
{
    auto& s = State();
    s.used = bytes > s.used ? 0 : s.used - bytes;
}

int64_t GfxVideoMemoryLeft()
{
    auto& s = State();
    if (s.budget < 0)
        return -1;
    return s.used >= uint64_t(s.budget) ? 0 : s.budget - int64_t(s.used);
}
