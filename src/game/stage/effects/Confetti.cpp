#include "game/stage/effects/Confetti.h"

#include <cmath>

#include "game/show/MTRandom.h"
#include "game/stage/effects/HslColor.h"
#include "platform/Log.h"
#include "render/Renderer.h"
#include "ui/ModalWindow.h"
#include "ui/WindowManager.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kStepSeconds = 0.033f;
constexpr float kPieceScale = 0.06f;
// Glide along the face's normal (2.0 * 0.8) and fall, per second.
constexpr float kGlide = 1.6f;
constexpr float kFall = 2.0f;
constexpr float kFloor = -1.0f;

float Random(float lo, float hi)
{
    return MTRandom::Instance()->RandomFloat(lo, hi);
}

// Three draws in order (x, then y, then z).
TVec3 RandomVec(float lo, float hi)
{
    const float x = Random(lo, hi);
    const float y = Random(lo, hi);
    const float z = Random(lo, hi);
    return TVec3(x, y, z);
}

} // namespace

const uint16_t ConfettiParticle::kIndexList[kIndices] = {0, 2, 1, 2, 0, 3, 4, 5, 6, 4, 6, 7};

ConfettiParticle::ConfettiParticle(const TColorValue& colour)
    : mColour(colour)
{
    BuildQuad();
    const float x = Random(-10.0f, 10.0f);
    const float y = Random(11.0f, 21.0f);
    const float z = Random(-3.0f, 3.0f);
    mPosition = TVec3(x, y, z);
    mAngles = RandomVec(0.0f, 6.28f);
    // A random unit axis, turned from x by three random angles.
    const float rate = Random(0.0f, 12.566371f);
    const TVec3 turn = RandomVec(0.0f, 6.28f);
    TMat4 m;
    m.RotateYawPitchRoll(turn.x, turn.y, turn.z);
    const TVec4 axis = TVec4(1.0f, 0.0f, 0.0f, 0.0f) * m;
    mSpin = TVec3(axis.x * rate, axis.y * rate, axis.z * rate);
}

ConfettiParticle::ConfettiParticle(const TColorValue& colour, TVec3 position, TVec3 angles, TVec3 spin)
    : mAngles(angles), mSpin(spin), mPosition(position), mColour(colour)
{
    BuildQuad();
}

// Vertices 0-3 and 4-7 are the same four corners of a square of
// half-diagonal 1 in the piece's x-z plane.
void ConfettiParticle::BuildQuad()
{
    const float front[4] = {mColour.r, mColour.g, mColour.b, mColour.a};
    const float back[4] = {0.9f, 0.9f, 0.9f, 1.0f};
    for (uint32_t k = 0; k < kVertices; ++k) {
        TLitVertex& v = mVertices[k];
        const float angle = float(k) * kPi / 2.0f;
        v.x = std::sin(angle);
        v.y = 0.0f;
        v.z = std::cos(angle);
        v.reserved = 0;
        v.diffuse = TColor(k < 4 ? front : back);
        v.specular = TColor(0, 0, 0, 255);
        v.u = float(k % 2);
        v.v = float(k / 2);
    }
}

bool ConfettiParticle::Step(float dt)
{
    const TVec3 normal(-std::sin(mAngles.z) * std::cos(mAngles.x), std::cos(mAngles.z) * std::cos(mAngles.x),
                       std::sin(mAngles.x));
    TVec3 move = (kGlide * dt * normal.y) * normal;
    move.y -= kFall * dt;
    mPosition += move;
    mAngles += mSpin * dt;
    return !(mPosition.y < kFloor);
}

TMat4 ConfettiParticle::WorldMatrix() const
{
    TMat4 world;
    world.Scale(kPieceScale, kPieceScale, kPieceScale);
    world.RotateYawPitchRoll(mAngles.y, mAngles.x, mAngles.z);
    world.Translate(mPosition);
    return world;
}

void ConfettiParticle::AppendPlaced(std::vector<TLitVertex>& vertices, std::vector<uint16_t>& indices) const
{
    const TMat4 world = WorldMatrix();
    const uint16_t first = uint16_t(vertices.size());
    for (const TLitVertex& vertex : mVertices) {
        TLitVertex placed = vertex;
        const TVec3 at = TransformPoint(TVec3(vertex.x, vertex.y, vertex.z), world);
        placed.x = at.x;
        placed.y = at.y;
        placed.z = at.z;
        vertices.push_back(placed);
    }
    for (uint16_t index : kIndexList)
        indices.push_back(uint16_t(first + index));
}

std::shared_ptr<ConfettiCanon> ConfettiCanon::Create(uint16_t count)
{
    std::shared_ptr<ConfettiCanon> canon(new ConfettiCanon(count));
    canon->mSelf = canon;
    return canon;
}

ConfettiCanon::ConfettiCanon(uint16_t count)
{
    mPieces.reserve(count);
    for (uint16_t i = 0; i < count; ++i)
        mPieces.push_back(std::make_unique<ConfettiParticle>(RandomHue()));
}

ConfettiCanon::~ConfettiCanon() = default;

void ConfettiCanon::Start()
{
    mRunning = true;
    if (mTask)
        return;
    // The task is made only now: made earlier, its hold on the canon would
    // keep a canon that is never started alive for ever.
    std::shared_ptr<ConfettiCanon> self = mSelf.lock();
    TWindowManager* windows = GetWindowManager();
    TModalWindow* top = windows ? windows->GetTopModal() : nullptr;
    if (!self || !top) {
        WriteLog("ConfettiCanon: no window to run in; the confetti stands still");
        return;
    }
    auto* task = new ConfettiTask(std::move(self));
    task->SetTimer(kStepMs, true, true, false);
    top->AddTask(task);
}

void ConfettiCanon::StopRespawn()
{
    mEmitting = false;
}

bool ConfettiCanon::Tick()
{
    mAlive = false;
    for (std::unique_ptr<ConfettiParticle>& piece : mPieces) {
        if (!piece)
            continue;
        if (piece->Step(kStepSeconds)) {
            mAlive = true;
            continue;
        }
        piece.reset();
        if (mEmitting) {
            piece = std::make_unique<ConfettiParticle>(RandomHue());
            mAlive = true;
        }
    }
    return mAlive;
}

void ConfettiCanon::Draw(TRenderer* renderer)
{
    if (!mRunning || !renderer)
        return;
    renderer->SetTexture(TTextureRef());
    renderer->SetWorldTransform(TMat4());
    mBatch.clear();
    mBatchIndices.clear();
    auto flush = [&] {
        if (mBatch.empty())
            return;
        const TVertexList list(kVertexLit, mBatch.data(), uint32_t(mBatch.size()));
        renderer->DrawIndexedVertices(kPrimitiveTriangleList, list, mBatchIndices.data(),
                                      uint32_t(mBatchIndices.size()));
        mBatch.clear();
        mBatchIndices.clear();
    };
    for (const std::unique_ptr<ConfettiParticle>& piece : mPieces) {
        if (!piece)
            continue;
        if (mBatch.size() + ConfettiParticle::kVertices > kBatchVertices)
            flush();
        piece->AppendPlaced(mBatch, mBatchIndices);
    }
    flush();
}

const ConfettiParticle* ConfettiCanon::GetPiece(uint16_t index) const
{
    return index < mPieces.size() ? mPieces[index].get() : nullptr;
}

ConfettiTask::ConfettiTask(std::shared_ptr<ConfettiCanon> canon) : TAnimTask(nullptr), mCanon(std::move(canon))
{
    if (mCanon)
        mCanon->mTask = this;
}

ConfettiTask::~ConfettiTask()
{
    if (mCanon && mCanon->mTask == this)
        mCanon->mTask = nullptr;
}

bool ConfettiTask::Update()
{
    return mCanon ? mCanon->Tick() : false;
}
