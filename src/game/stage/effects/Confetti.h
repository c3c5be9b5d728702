#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "game/show/event/ShowLinks.h"
#include "platform/Color.h"
#include "platform/Matrix.h"
#include "platform/Task.h"
#include "render/RenderStates.h"
#include "render/VertexList.h"

class TRenderer;
class ConfettiTask;

// One piece of confetti: a small two-sided square, coloured in front and
// light grey behind, tumbling about a random axis as it glides down.
class ConfettiParticle {
public:
    static constexpr uint32_t kVertices = 8;
    static constexpr uint32_t kIndices = 12;
    // Front face, then the back face wound the other way.
    static const uint16_t kIndexList[kIndices];

    // A piece of that colour somewhere above the stage, at random angles,
    // turning at a random rate (the show's random source).
    explicit ConfettiParticle(const TColorValue& colour);
    // A piece placed by hand.
    ConfettiParticle(const TColorValue& colour, TVec3 position, TVec3 angles, TVec3 spin);
    ConfettiParticle(const ConfettiParticle&) = delete;
    ConfettiParticle& operator=(const ConfettiParticle&) = delete;

    // Moves the piece on by dt seconds: it sinks slowly while flat and
    // slides along its face's normal and falls faster when tilted. False
    // once it is below the floor level.
    bool Step(float dt);
    // Scaled to 0.12 across, turned by its angles, at its position.
    TMat4 WorldMatrix() const;
    // Appends the eight vertices placed by the world matrix and the twelve
    // indices (numbered from the first appended vertex).
    void AppendPlaced(std::vector<TLitVertex>& vertices, std::vector<uint16_t>& indices) const;

    TVec3 GetPosition() const { return mPosition; }
    TVec3 GetAngles() const { return mAngles; }
    TVec3 GetSpin() const { return mSpin; }
    const TColorValue& GetColour() const { return mColour; }
    const TLitVertex* GetVertices() const { return mVertices; }

private:
    void BuildQuad();

    TVec3 mAngles;
    TVec3 mSpin;
    TVec3 mPosition;
    TColorValue mColour;
    TLitVertex mVertices[kVertices];
};

// The confetti of a win: count pieces stepped every 33 ms once started,
// fallen pieces replaced by new ones while it emits. Drawn only once
// started. Its task (on the top modal window's task list) keeps it alive
// while it runs; a canon never started is freed with its last holder.
// Main thread only.
class ConfettiCanon : public KEvent::ConfettiControl {
public:
    static constexpr uint32_t kStepMs = 33;

    static std::shared_ptr<ConfettiCanon> Create(uint16_t count);
    ~ConfettiCanon() override;
    ConfettiCanon(const ConfettiCanon&) = delete;
    ConfettiCanon& operator=(const ConfettiCanon&) = delete;

    // Starts drawing and stepping (a second start changes nothing).
    void Start() override;
    // Fallen pieces are no longer replaced.
    void StopRespawn() override;

    // Most vertices in one draw (16-bit indices).
    static constexpr uint32_t kBatchVertices = 65536;

    // One 33 ms step of every piece; false once no piece is left.
    bool Tick();
    // Every piece, untextured; nothing before Start. The pieces are placed
    // here and drawn together (one draw per 8192 pieces, world transform
    // identity): a draw per piece costs several milliseconds a frame.
    void Draw(TRenderer* renderer);

    // Some piece was still falling at the last step.
    bool IsAlive() const { return mAlive; }
    bool IsRunning() const { return mRunning; }
    bool IsEmitting() const { return mEmitting; }
    uint16_t GetCount() const { return uint16_t(mPieces.size()); }
    // Slot i's piece; null once it fell and was not replaced.
    const ConfettiParticle* GetPiece(uint16_t index) const;
    ConfettiTask* GetTask() const { return mTask; }

private:
    friend class ConfettiTask;
    explicit ConfettiCanon(uint16_t count);

    bool mEmitting = true;
    bool mAlive = true;
    bool mRunning = false;
    // Set while the task lives (its list owns it).
    ConfettiTask* mTask = nullptr;
    std::vector<std::unique_ptr<ConfettiParticle>> mPieces;
    std::weak_ptr<ConfettiCanon> mSelf;
    // The placed pieces of the draw, kept for the next frame's.
    std::vector<TLitVertex> mBatch;
    std::vector<uint16_t> mBatchIndices;
};

// Steps its canon every 33 ms on the application time; holds the canon.
class ConfettiTask : public TAnimTask {
public:
    explicit ConfettiTask(std::shared_ptr<ConfettiCanon> canon);
    ~ConfettiTask() override;
    bool Update() override;

private:
    std::shared_ptr<ConfettiCanon> mCanon;
};
