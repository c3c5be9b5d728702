// Confetti: how a piece falls, what the random pieces look like, the canon
// running out or going on, its task on the top modal window, its draws on
// the recording device and the canon's lifetime.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "game/show/EventTestSupport.h"
#include "game/show/MTRandom.h"
#include "game/show/event/StageEvents.h"
#include "game/stage/effects/Confetti.h"
#include "render/Renderer.h"
#include "support/TempFolder.h"
#include "ui/ManagerTestSupport.h"

namespace {

constexpr float kHalfPi = 1.5707964f;
const TColorValue kRed{1.0f, 0.0f, 0.0f, 1.0f};

// Channel bounds of the confetti colours (saturation 0.956, lightness 0.784).
constexpr float kLowest = 0.5775f;
constexpr float kHighest = 0.9905f;

class ConfettiTest : public uitest::ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        MTRandom::Instance()->Seed(20240601);
    }
    void TearDown() override
    {
        MTRandom::Destroy();
        ManagerFixture::TearDown();
    }

    // The canon drawn in a 3D pass of a frame: the draws it made.
    static std::vector<GfxDrawRecord> Drawn(ConfettiCanon& canon)
    {
        TRenderer* renderer = TRenderer::Get();
        GfxRecordingLog().Clear();
        EXPECT_TRUE(renderer->BeginDraw(false));
        EXPECT_TRUE(renderer->Begin3d());
        canon.Draw(renderer);
        renderer->End3d();
        renderer->EndDraw(false);
        return GfxRecordingLog().draws;
    }

    // Steps until the canon ends (false) or limit steps; the steps taken.
    static int RunOut(ConfettiCanon& canon, int limit)
    {
        int steps = 0;
        while (steps < limit) {
            ++steps;
            if (!canon.Tick())
                break;
        }
        return steps;
    }

    TTempLogFolder mLog{"quillory-confetti"};
};

TEST_F(ConfettiTest, PiecesSinkFlatAndFallOnEdge)
{
    const struct {
        const char* name;
        TVec3 angles;
        TVec3 perSecond; // position change over one second
    } cases[] = {
        {"flat", TVec3(0, 0, 0), TVec3(0, -0.4f, 0)},
        {"on edge about x", TVec3(kHalfPi, 0, 0), TVec3(0, -2.0f, 0)},
        {"on edge about z", TVec3(0, 0, kHalfPi), TVec3(0, -2.0f, 0)},
        // Tilted: glides along the normal (0, .7071, .7071) while falling.
        {"tilted about x", TVec3(0.7853982f, 0, 0), TVec3(0, -1.2f, 0.8f)},
        {"tilted about z", TVec3(0, 0, 0.7853982f), TVec3(-0.8f, -1.2f, 0)},
        // Turning about y changes nothing.
        {"turned about y", TVec3(0, 2.0f, 0), TVec3(0, -0.4f, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ConfettiParticle piece(kRed, TVec3(1, 5, 2), c.angles, TVec3(0.5f, -1.0f, 2.0f));
        EXPECT_TRUE(piece.Step(1.0f));
        EXPECT_NEAR(piece.GetPosition().x, 1 + c.perSecond.x, 1e-5f);
        EXPECT_NEAR(piece.GetPosition().y, 5 + c.perSecond.y, 1e-5f);
        EXPECT_NEAR(piece.GetPosition().z, 2 + c.perSecond.z, 1e-5f);
        EXPECT_NEAR(piece.GetAngles().x, c.angles.x + 0.5f, 1e-5f);
        EXPECT_NEAR(piece.GetAngles().y, c.angles.y - 1.0f, 1e-5f);
        EXPECT_NEAR(piece.GetAngles().z, c.angles.z + 2.0f, 1e-5f);
    }

    // From height 21 to below -1 in 33 ms steps: about 55 s flat, 11 s on
    // edge; a piece stops being alive only once it is below -1.
    const struct {
        TVec3 angles;
        float seconds;
    } falls[] = {{TVec3(0, 0, 0), 55.0f}, {TVec3(kHalfPi, 0, 0), 11.0f}};
    for (const auto& f : falls) {
        ConfettiParticle piece(kRed, TVec3(0, 21, 0), f.angles, TVec3());
        int steps = 1;
        while (piece.Step(0.033f) && steps < 10000)
            ++steps;
        EXPECT_NEAR(steps * 0.033f, f.seconds, 0.05f);
        EXPECT_LT(piece.GetPosition().y, -1.0f);
        EXPECT_GT(piece.GetPosition().y, -1.1f);
    }
}

TEST_F(ConfettiTest, PieceGeometry)
{
    const TColorValue colour{0.6f, 0.8f, 1.0f, 1.0f};
    ConfettiParticle piece(colour, TVec3(1, 2, 3), TVec3(0, kHalfPi, 0), TVec3());
    const TLitVertex* v = piece.GetVertices();
    const TColor front(153, 204, 255, 255);
    const TColor grey(229, 229, 229, 255);
    for (int k = 0; k < 8; ++k) {
        SCOPED_TRACE("vertex " + std::to_string(k));
        EXPECT_NEAR(v[k].x, std::sin(k * M_PI / 2), 1e-6);
        EXPECT_EQ(v[k].y, 0.0f);
        EXPECT_NEAR(v[k].z, std::cos(k * M_PI / 2), 1e-6);
        EXPECT_EQ(v[k].diffuse, k < 4 ? front : grey);
        EXPECT_EQ(v[k].specular, TColor(0, 0, 0, 255));
        EXPECT_EQ(v[k].u, float(k % 2));
        EXPECT_EQ(v[k].v, float(k / 2));
    }
    // 0.12 across, turned a quarter about y, at its position: its x corner
    // goes to -z.
    const TVec3 corner = TransformPoint(TVec3(1, 0, 0), piece.WorldMatrix());
    EXPECT_NEAR(corner.x, 1.0f, 1e-6f);
    EXPECT_NEAR(corner.y, 2.0f, 1e-6f);
    EXPECT_NEAR(corner.z, 3.0f - 0.06f, 1e-6f);
}

TEST_F(ConfettiTest, RandomPiecesStartAboveTheStageWithBrightColours)
{
    std::shared_ptr<ConfettiCanon> canon = ConfettiCanon::Create(400);
    ASSERT_EQ(canon->GetCount(), 400u);
    float lowX = 100, highX = -100, lowY = 100, highY = -100, fastest = 0;
    for (uint16_t i = 0; i < canon->GetCount(); ++i) {
        const ConfettiParticle* piece = canon->GetPiece(i);
        ASSERT_NE(piece, nullptr);
        const TVec3 p = piece->GetPosition();
        const TVec3 a = piece->GetAngles();
        const TVec3 s = piece->GetSpin();
        ASSERT_TRUE(p.x >= -10 && p.x <= 10 && p.y >= 11 && p.y <= 21 && p.z >= -3 && p.z <= 3) << i;
        ASSERT_TRUE(a.x >= 0 && a.x <= 6.28f && a.y >= 0 && a.y <= 6.28f && a.z >= 0 && a.z <= 6.28f) << i;
        const float rate = std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z);
        ASSERT_LE(rate, 12.566371f + 1e-4f) << i;
        const TColorValue& c = piece->GetColour();
        for (float channel : {c.r, c.g, c.b})
            ASSERT_TRUE(channel >= kLowest - 1e-4f && channel <= kHighest + 1e-4f) << i;
        EXPECT_EQ(c.a, 1.0f);
        lowX = std::min(lowX, p.x);
        highX = std::max(highX, p.x);
        lowY = std::min(lowY, p.y);
        highY = std::max(highY, p.y);
        fastest = std::max(fastest, rate);
    }
    // Spread over the whole ranges.
    EXPECT_LT(lowX, -9.0f);
    EXPECT_GT(highX, 9.0f);
    EXPECT_LT(lowY, 11.5f);
    EXPECT_GT(highY, 20.5f);
    EXPECT_GT(fastest, 12.0f);

    // The same seed gives the same pieces.
    MTRandom::Instance()->Seed(20240601);
    std::shared_ptr<ConfettiCanon> again = ConfettiCanon::Create(1);
    EXPECT_EQ(again->GetPiece(0)->GetPosition().x, canon->GetPiece(0)->GetPosition().x);
    EXPECT_EQ(again->GetPiece(0)->GetSpin().z, canon->GetPiece(0)->GetSpin().z);
    EXPECT_EQ(again->GetPiece(0)->GetColour().g, canon->GetPiece(0)->GetColour().g);
}

TEST_F(ConfettiTest, StoppedEmissionLandsEveryPieceOnce)
{
    std::shared_ptr<ConfettiCanon> canon = ConfettiCanon::Create(40);
    canon->StopRespawn();
    std::vector<float> heights(40);
    for (uint16_t i = 0; i < 40; ++i)
        heights[i] = canon->GetPiece(i)->GetPosition().y;
    std::vector<int> landed(40, 0);
    int steps = 0;
    bool alive = true;
    // Even flat from the top a piece lands within about 55 s.
    while (alive && steps < 2000) {
        alive = canon->Tick();
        ++steps;
        for (uint16_t i = 0; i < 40; ++i) {
            const ConfettiParticle* piece = canon->GetPiece(i);
            if (!piece && landed[i] == 0)
                landed[i] = steps;
            ASSERT_TRUE(piece == nullptr || landed[i] == 0) << "slot " << i << " refilled";
            // Every piece only falls: none is replaced by a new one above.
            if (piece) {
                ASSERT_LT(piece->GetPosition().y, heights[i]) << "slot " << i;
                heights[i] = piece->GetPosition().y;
            }
        }
        ASSERT_EQ(alive, canon->IsAlive());
    }
    EXPECT_FALSE(alive);
    EXPECT_LT(steps, 1700);
    // The canon ends in the step in which its last piece lands.
    EXPECT_EQ(*std::max_element(landed.begin(), landed.end()), steps);
    EXPECT_EQ(std::count(landed.begin(), landed.end(), 0), 0);
    EXPECT_FALSE(canon->Tick());
}

TEST_F(ConfettiTest, EmittingCanonNeverEnds)
{
    std::shared_ptr<ConfettiCanon> canon = ConfettiCanon::Create(40);
    std::vector<float> heights(40);
    int replaced = 0;
    for (int step = 0; step < 4000; ++step) {
        for (uint16_t i = 0; i < 40; ++i)
            heights[i] = canon->GetPiece(i)->GetPosition().y;
        ASSERT_TRUE(canon->Tick()) << step;
        for (uint16_t i = 0; i < 40; ++i) {
            ASSERT_NE(canon->GetPiece(i), nullptr);
            // A new piece starts high above the one that landed.
            if (canon->GetPiece(i)->GetPosition().y > heights[i] + 5.0f)
                ++replaced;
        }
    }
    // In 132 s every piece landed at least twice.
    EXPECT_GE(replaced, 80);
    // Switched off, it runs out.
    canon->StopRespawn();
    EXPECT_LT(RunOut(*canon, 2000), 2000);
    EXPECT_FALSE(canon->IsAlive());
}

TEST_F(ConfettiTest, DrawnOnlyOnceStartedAllPiecesTogether)
{
    std::shared_ptr<ConfettiCanon> canon = ConfettiCanon::Create(25);
    EXPECT_TRUE(Drawn(*canon).empty());
    canon->Start();
    for (int step = 0; step < 40; ++step)
        canon->Tick();
    const std::vector<GfxDrawRecord> draws = Drawn(*canon);
    ASSERT_EQ(draws.size(), 1u);
    const GfxDrawRecord& draw = draws[0];
    EXPECT_EQ(draw.state.texture, nullptr);
    EXPECT_EQ(draw.state.world, GfxMatrix());
    ASSERT_EQ(draw.vertexCount, 25u * 8);
    ASSERT_EQ(draw.indices.size(), 25u * 12);
    // Each piece's corners where its world matrix puts them, with its
    // colours, and its two faces.
    const uint16_t faces[12] = {0, 2, 1, 2, 0, 3, 4, 5, 6, 4, 6, 7};
    for (uint16_t i = 0; i < 25; ++i) {
        SCOPED_TRACE("piece " + std::to_string(i));
        const ConfettiParticle* piece = canon->GetPiece(i);
        const TMat4 world = piece->WorldMatrix();
        const TColor front(&piece->GetColour().r);
        for (uint32_t k = 0; k < 8; ++k) {
            const float angle = float(k) * 3.1415927f / 2;
            const TVec3 at = TransformPoint(TVec3(std::sin(angle), 0, std::cos(angle)), world);
            const uint32_t v = i * 8u + k;
            EXPECT_NEAR(draw.Float(v, 0), at.x, 1e-5f);
            EXPECT_NEAR(draw.Float(v, 4), at.y, 1e-5f);
            EXPECT_NEAR(draw.Float(v, 8), at.z, 1e-5f);
            EXPECT_EQ(draw.Word(v, 16), k < 4 ? front.argb : 0xFFE5E5E5u);
        }
        for (uint32_t j = 0; j < 12; ++j)
            EXPECT_EQ(draw.indices[i * 12u + j], i * 8u + faces[j]);
    }
    // Fallen pieces that are not replaced are not drawn.
    canon->StopRespawn();
    RunOut(*canon, 2000);
    EXPECT_TRUE(Drawn(*canon).empty());
}

TEST_F(ConfettiTest, ManyPiecesAreDrawnIn16BitBatches)
{
    std::shared_ptr<ConfettiCanon> canon = ConfettiCanon::Create(8200);
    canon->Start();
    const std::vector<GfxDrawRecord> draws = Drawn(*canon);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].vertexCount, 65536u);
    EXPECT_EQ(draws[0].indices.size(), 8192u * 12);
    EXPECT_EQ(draws[1].vertexCount, 8u * 8);
    EXPECT_EQ(draws[1].indices.size(), 8u * 12);
    for (const GfxDrawRecord& draw : draws)
        EXPECT_LT(*std::max_element(draw.indices.begin(), draw.indices.end()), draw.vertexCount);
    // The second batch starts with piece 8192.
    const TVec3 at = TransformPoint(TVec3(0, 0, 1), canon->GetPiece(8192)->WorldMatrix());
    EXPECT_NEAR(draws[1].Float(0, 0), at.x, 1e-5f);
    EXPECT_NEAR(draws[1].Float(0, 8), at.z, 1e-5f);
}

TEST_F(ConfettiTest, StartedCanonStepsOnTheTopModalEvery33Ms)
{
    std::shared_ptr<ConfettiCanon> canon = ConfettiCanon::Create(5);
    std::weak_ptr<ConfettiCanon> weak = canon;
    uitest::ModalProbe* dialog = PushDialog("dialog");
    EXPECT_EQ(canon->GetTask(), nullptr);
    canon->Start();
    canon->Start(); // a second start adds nothing
    ASSERT_NE(canon->GetTask(), nullptr);
    EXPECT_EQ(dialog->GetTasks()->GetCount(), 1u);
    EXPECT_TRUE(dialog->GetTasks()->Contains(canon->GetTask()));

    const float y = canon->GetPiece(0)->GetPosition().y;
    uitest::gNow += 32;
    dialog->RunTasks(kPassIdle);
    EXPECT_EQ(canon->GetPiece(0)->GetPosition().y, y); // not yet
    uitest::gNow += 1;
    dialog->RunTasks(kPassIdle);
    EXPECT_LT(canon->GetPiece(0)->GetPosition().y, y);

    // The task keeps the canon while it runs; once the pieces have all
    // fallen it ends and lets go.
    canon->StopRespawn();
    canon.reset();
    EXPECT_FALSE(weak.expired());
    for (int step = 0; step < 2000 && !weak.expired(); ++step) {
        uitest::gNow += 33;
        dialog->RunTasks(kPassIdle);
    }
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(dialog->GetTasks()->GetCount(), 0u);
}

TEST_F(ConfettiTest, CanonIsFreedWithItsHolders)
{
    // Never started: nothing else holds it.
    std::shared_ptr<ConfettiCanon> canon = ConfettiCanon::Create(10);
    std::weak_ptr<ConfettiCanon> weak = canon;
    canon.reset();
    EXPECT_TRUE(weak.expired());

    // Made by a confetti start event that never runs.
    eventtest::FreshEventManager();
    KEvent::SetConfettiFactory([](uint16_t count) { return ConfettiCanon::Create(count); });
    {
        std::shared_ptr<KEvent::ConfettiControl> emitter;
        auto start = KEvent::MakeStartConfetti(10, emitter);
        ASSERT_NE(emitter, nullptr);
        weak = std::dynamic_pointer_cast<ConfettiCanon>(emitter);
        EXPECT_FALSE(weak.expired());
    }
    KEvent::EventManager::Destroy();
    KEvent::EventManager::AllowRecreateForTests();
    KEvent::SetConfettiFactory(nullptr);
    EXPECT_TRUE(weak.expired());

    // Started, its window's task list going away frees it.
    uitest::ModalProbe* dialog = PushDialog("dialog");
    canon = ConfettiCanon::Create(10);
    weak = canon;
    canon->Start();
    canon.reset();
    EXPECT_FALSE(weak.expired());
    dialog->ClearTasks();
    EXPECT_TRUE(weak.expired());
}

TEST_F(ConfettiTest, StartWithoutAWindowLogsAndStandsStill)
{
    mManager.reset(); // no window manager any more
    std::shared_ptr<ConfettiCanon> canon = ConfettiCanon::Create(3);
    std::weak_ptr<ConfettiCanon> weak = canon;
    canon->Start();
    EXPECT_TRUE(canon->IsRunning());
    EXPECT_EQ(canon->GetTask(), nullptr);
    EXPECT_TRUE(mLog.Has("ConfettiCanon: no window to run in"));
    canon.reset();
    EXPECT_TRUE(weak.expired());
}

} // namespace
