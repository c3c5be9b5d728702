// Animated sprites: each shows its own frame of a shared sheet, bounds
// placed by the frame's registration, and the order in which the attached
// scripts are released when the sprite goes away.
#include "AnimFixture.h"

#include "render/AnimatedSprite.h"

namespace {

class AnimatedSpriteTest : public AnimFixture {
protected:
    // A 4 x 1 sheet of 32 x 32 frames registered at (8, 4); frame 3 is
    // 16 x 32.
    TAnimatedTextureRef Sheet()
    {
        anm::Description d = anm::Grid(4, 1, 32);
        for (anm::Frame& f : d.frames) {
            f.regx = 8;
            f.regy = 4;
        }
        d.frames[3].w = 16;
        AddFile("anim/run.anm", anm::Write(d));
        return TAnimatedTexture::Get("anim/run");
    }

    // The left texel of each quad drawn since the last call.
    std::vector<float> DrawnTexels(float side)
    {
        std::vector<float> out;
        for (const GfxDrawRecord& d : GfxRecordingLog().draws)
            out.push_back(QuadOf(d)[0].u * side);
        GfxRecordingLog().draws.clear();
        return out;
    }
};

TEST_F(AnimatedSpriteTest, SpritesSharingASheetEachDrawTheirOwnFrame)
{
    TAnimatedTextureRef sheet = Sheet();
    ASSERT_TRUE(sheet);
    const float side = float(sheet->GetData()->mSurfaceWidth);
    TAnimatedSpriteRef a = TAnimatedSprite::Create(0), b = TAnimatedSprite::Create(1);
    a->SetTexture(sheet);
    b->SetTexture(sheet);
    EXPECT_EQ(a->GetAnimatedTexture(), sheet);
    a->SetFrame(2);
    b->SetFrame(1);

    ASSERT_TRUE(Renderer().BeginDraw(false));
    ASSERT_TRUE(Renderer().Begin2d());
    const TDrawParams at(TVec2(100, 100), 1, 1, 0);
    a->Draw(at, 0);
    b->Draw(at, 0);
    a->Draw(at, 0);
    EXPECT_EQ(DrawnTexels(side), (std::vector<float>{64, 32, 64}));
    EXPECT_EQ(sheet->GetFrame(), 2) << "the last sprite drawn left its frame";

    // As children of one sprite, in z order.
    TSpriteRef group = TSprite::Create(0);
    group->AddChild(b);
    group->AddChild(a);
    b->SetFrame(0);
    group->Draw(at, 1);
    EXPECT_EQ(DrawnTexels(side), (std::vector<float>{64, 0}));

    // A child under its parent on the same sheet does not change the
    // parent's frame.
    TAnimatedSpriteRef parent = TAnimatedSprite::Create(0), under = TAnimatedSprite::Create(-1);
    parent->SetTexture(sheet);
    under->SetTexture(sheet);
    parent->SetFrame(3);
    under->SetFrame(1);
    parent->AddChild(under);
    parent->Draw(at, 1);
    EXPECT_EQ(DrawnTexels(side), (std::vector<float>{32, 96}));

    // A plain texture draws as a sprite's would, and no frame is set.
    TTextureRef plain = TTexture::Get("other.png", 0);
    ASSERT_TRUE(plain);
    TAnimatedSpriteRef still = TAnimatedSprite::Create(0);
    still->SetTexture(plain);
    EXPECT_FALSE(still->GetAnimatedTexture());
    still->SetFrame(3);
    still->Draw(at, 0);
    ASSERT_EQ(GfxRecordingLog().draws.size(), 1u);
    const std::vector<QuadCorner> quad = QuadOf(GfxRecordingLog().draws[0]);
    EXPECT_FLOAT_EQ(quad[0].x, 84);
    EXPECT_FLOAT_EQ(quad[2].x, 116);
    GfxRecordingLog().draws.clear();

    // Replacing the sheet by a plain texture forgets the sheet.
    a->SetTexture(plain);
    EXPECT_FALSE(a->GetAnimatedTexture());
    a->SetTexture(sheet);
    a->SetTexture(nullptr);
    EXPECT_FALSE(a->GetAnimatedTexture());
    Renderer().End2d();
    Renderer().EndDraw(false);

    EXPECT_STREQ(a->GetClassName(), "TAnimatedSprite");
    EXPECT_TRUE(a->IsKindOf(TAnimatedSprite::ClassId));
    EXPECT_TRUE(a->IsKindOf(TSprite::ClassId));
    EXPECT_FALSE(group->IsKindOf(TAnimatedSprite::ClassId));
}

TEST_F(AnimatedSpriteTest, BoundsArePlacedByTheSpritesFrameRegistration)
{
    TAnimatedTextureRef sheet = Sheet();
    ASSERT_TRUE(sheet);
    struct Case {
        const char* what;
        int32_t frame;
        uint32_t flags;
        TVec2 origin;
        TRect want;
    } cases[] = {
        {"registration", 0, 0, {}, TRect(92, 96, 124, 128)},
        {"a narrower frame", 3, 0, {}, TRect(92, 96, 108, 128)},
        {"mirrored: from the right", 3, kDrawMirrorX, {}, TRect(92, 96, 108, 128)},
        {"mirrored, wide", 1, kDrawMirrorX, {}, TRect(76, 96, 108, 128)},
        {"flipped", 0, kDrawMirrorY, {}, TRect(92, 72, 124, 104)},
        {"own origin kept", 0, kDrawAtOrigin, TVec2(1, 1), TRect(99, 99, 131, 131)},
    };
    for (const Case& c : cases) {
        sheet->SetFrame(2); // another sprite's frame
        TAnimatedSpriteRef sprite = TAnimatedSprite::Create(0);
        sprite->SetTexture(sheet);
        sprite->SetFrame(c.frame);
        sprite->mPlacement.flags = c.flags;
        sprite->mPlacement.origin = c.origin;
        EXPECT_EQ(sprite->GetBounds(TDrawParams(TVec2(100, 100), 1, 1, 0), 0), c.want) << c.what;
        EXPECT_EQ(sprite->mPlacement.flags, c.flags) << c.what;
        EXPECT_EQ(sheet->GetFrame(), 2) << c.what;
    }

    // Without a sheet: a sprite's bounds.
    TAnimatedSpriteRef bare = TAnimatedSprite::Create(0);
    EXPECT_EQ(bare->GetBounds(TDrawParams(TVec2(0, 0), 1, 1, 0), 0), TSprite::kNoBounds);
    bare->SetTexture(TTexture::Get("other.png", 0));
    EXPECT_EQ(bare->GetBounds(TDrawParams(TVec2(0, 0), 1, 1, 0), 0), TRect(-16, -16, 16, 16));
}

// A script that logs what the sprite does with it.
class FakeScript : public TSpriteScript {
public:
    FakeScript(std::string name, bool listed, std::vector<std::string>* log)
        : mName(std::move(name)), mListed(listed), mLog(log)
    {
    }
    ~FakeScript() override { mLog->push_back(mName + " deleted"); }
    void HandGlobalsTo(TSpriteScript& starter) override
    {
        mLog->push_back(mName + " globals to " + static_cast<FakeScript&>(starter).mName);
    }
    bool LeaveTaskList() override
    {
        mLog->push_back(mName + (mListed ? " off the list" : " not listed"));
        const bool was = mListed;
        mListed = false;
        return was;
    }
    void Suspend() override { mLog->push_back(mName + " suspended"); }

private:
    std::string mName;
    bool mListed;
    std::vector<std::string>* mLog;
};

TEST_F(AnimatedSpriteTest, ScriptsAreReleasedInOrderWhenTheSpriteGoesAway)
{
    std::vector<std::string> log;
    struct Case {
        const char* what;
        bool animating, animatingListed, starting, startingListed;
        std::vector<std::string> want;
    } cases[] = {
        {"both running", true, true, true, true,
         {"anim globals to start", "anim off the list", "anim suspended", "start off the list", "start suspended",
          "anim deleted", "start deleted"}},
        {"the animating script no longer listed", true, false, true, true,
         {"anim globals to start", "anim not listed", "start off the list", "start suspended", "start deleted"}},
        {"no starting script: no hand-over", true, true, false, false,
         {"anim off the list", "anim suspended", "anim deleted"}},
        {"only a starting script", false, false, true, true,
         {"start off the list", "start suspended", "start deleted"}},
        {"none", false, false, false, false, {}},
    };
    for (const Case& c : cases) {
        log.clear();
        // Scripts that are not listed are owned elsewhere (here).
        std::unique_ptr<FakeScript> keptAnim, keptStart;
        FakeScript* anim = c.animating ? new FakeScript("anim", c.animatingListed, &log) : nullptr;
        FakeScript* start = c.starting ? new FakeScript("start", c.startingListed, &log) : nullptr;
        if (anim && !c.animatingListed)
            keptAnim.reset(anim);
        if (start && !c.startingListed)
            keptStart.reset(start);
        {
            TAnimatedSpriteRef sprite = TAnimatedSprite::Create(0);
            sprite->SetStartingScript(start);
            sprite->SetAnimatingScript(anim);
            EXPECT_EQ(sprite->GetAnimatingScript(), anim);
            EXPECT_TRUE(log.empty()) << c.what;
        }
        EXPECT_EQ(log, c.want) << c.what;
        keptAnim.reset();
        keptStart.reset();
    }

    // A replaced animating script hands over and retires at once, and is
    // deleted at the next release.
    log.clear();
    {
        TAnimatedSpriteRef sprite = TAnimatedSprite::Create(0);
        sprite->SetStartingScript(new FakeScript("start", true, &log));
        sprite->SetAnimatingScript(new FakeScript("first", true, &log));
        sprite->SetAnimatingScript(new FakeScript("second", true, &log));
        EXPECT_EQ(log, (std::vector<std::string>{"first globals to start", "first off the list", "first suspended"}));
        log.clear();
    }
    EXPECT_EQ(log, (std::vector<std::string>{"first deleted", "second globals to start", "second off the list",
                                             "second suspended", "start off the list", "start suspended",
                                             "second deleted", "start deleted"}));
}

} // namespace
