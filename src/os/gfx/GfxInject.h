#pragma once
#include <cstdint>
#include <initializer_list>

#include "os/gfx/GfxTypes.h"

// Fault injection for the graphics stand-in, for tests of the paths that a
// real display seldom takes: lost surfaces, running out of video memory,
// failed creation, cooperative-level answers, chosen desktops and
// capabilities. Works the same on both backends. Process-wide, main thread.

// The operations that take an injected result. Each call of the operation
// takes the next queued result for it (and does nothing else when that is
// not Ok); with nothing queued it runs normally.
enum class GfxOp : uint32_t {
    CreateDisplay,
    CreateSurface,
    BeginScene,
    EndScene,
    Clear,
    SetViewport,
    SetRenderState,
    SetTextureStageState,
    SetTransform,
    SetMaterial,
    SetLight,
    LightEnable,
    SetTexture,
    Draw,               // DrawPrimitive and DrawIndexedPrimitive
    Present,            // Present and PresentOnly
    Lock,
    Upload,
    Fill,
    Blt,
    RestoreSurface,
    TestCooperativeLevel,
    SetCooperativeLevel,
    RestoreAllSurfaces,
    Count
};
const char* GfxOpName(GfxOp op);

// Queues result for the next `times` calls of op; times < 0 makes it the
// answer of every call until GfxInjectReset.
void GfxInjectResult(GfxOp op, GfxResult result, int32_t times = 1);
// Queues one result per call, in order.
void GfxInjectSequence(GfxOp op, std::initializer_list<GfxResult> results);

// Every surface that exists now (textures and back buffers) is lost until
// restored; BeginScene, Clear, draws and Present then answer SurfaceLost.
void GfxInjectLoseSurfaces();

// Desktop and capabilities reported instead of the real ones (null: real).
void GfxInjectDesktop(const GfxDesktop* desktop);
void GfxInjectCaps(const GfxCaps* caps);
// Video memory available to surfaces not in system memory (bytes). Creating
// beyond it answers OutOfVideoMemory; GetCaps reports what is left. < 0:
// unlimited (the default).
void GfxInjectVideoMemory(int64_t bytes);

// Clears all injections and the call counts; surfaces are no longer lost.
void GfxInjectReset();

// Calls of op seen since the last reset (injected or not).
uint32_t GfxCallCount(GfxOp op);

// For the backends: counts the call and takes its injected result (Ok when
// none).
GfxResult GfxTakeInjected(GfxOp op);
