// Sprites: z order and drawing order, combining the placement with the
// parent's, bounds, and the child list (insert, remove, parents).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "render/Sprite.h"
#include "render/Texture.h"
#include "support/TempFolder.h"

namespace {

struct Drawn {
    std::string tag;
    TDrawParams params;
};

// A texture that records its draws and has a fixed size.
class DrawLogTexture : public TTexture {
public:
    DrawLogTexture(std::string tag, uint32_t w, uint32_t h, std::vector<Drawn>* log)
        : mTag(std::move(tag)), mW(w), mH(h), mLog(log)
    {
    }
    void Draw(const TDrawParams& params) override { mLog->push_back({mTag, params}); }
    uint32_t GetWidth() const override { return mW; }
    uint32_t GetHeight() const override { return mH; }

private:
    std::string mTag;
    uint32_t mW, mH;
    std::vector<Drawn>* mLog;
};

class SpriteTest : public ::testing::Test {
protected:
    TTempLogFolder log{"spritetest"};
    std::vector<Drawn> drawn;

    TSpriteRef Make(const std::string& tag, int32_t z, uint32_t w = 20, uint32_t h = 10)
    {
        return TSprite::Create(z, std::make_shared<DrawLogTexture>(tag, w, h, &drawn));
    }

    std::string Order()
    {
        std::string out;
        for (const Drawn& d : drawn)
            out += (out.empty() ? "" : " ") + d.tag;
        drawn.clear();
        return out;
    }

    static TDrawParams At(float x, float y) { return TDrawParams(TVec2(x, y), 1, 1, 0); }
};

TEST_F(SpriteTest, ChildrenBelowZeroDrawUnderTheTextureAndTheOthersOverItInListOrder)
{
    TSpriteRef parent = Make("P", 0);
    TSpriteRef b = Make("B", 2), a = Make("A", -1), c = Make("C", 0), a2 = Make("A2", -1), g = Make("G", 5);
    for (const TSpriteRef& child : {b, a, c, a2})
        ASSERT_TRUE(parent->AddChild(child));
    ASSERT_TRUE(a->AddChild(g));
    EXPECT_EQ(parent->GetChildren(), (std::vector<TSpriteRef>{a, a2, c, b})) << "stable by z";

    struct Case {
        const char* what;
        int32_t depth;
        std::string order;
    } cases[] = {
        {"every generation", -1, "A G A2 P C B"},
        {"two generations", 2, "A G A2 P C B"},
        {"children only", 1, "A A2 P C B"},
        {"no children", 0, "P"},
    };
    for (const Case& c : cases) {
        parent->Draw(At(0, 0), c.depth);
        EXPECT_EQ(Order(), c.order) << c.what;
    }

    // Hidden: nothing of the sprite or below it.
    a->mVisible = 0;
    parent->Draw(At(0, 0), -1);
    EXPECT_EQ(Order(), "A2 P C B");
    parent->mVisible = 0;
    parent->Draw(At(0, 0), -1);
    EXPECT_EQ(Order(), "");
    parent->mVisible = 1;
    a->mVisible = 1;

    // A z changed by the owner takes effect after a sort; equal z keep
    // their order.
    b->mZOrder = -1;
    parent->SortChildren();
    EXPECT_EQ(parent->GetChildren(), (std::vector<TSpriteRef>{a, a2, b, c}));
    parent->Draw(At(0, 0), 1);
    EXPECT_EQ(Order(), "A A2 B P C");

    // Without a texture only the children draw.
    TSpriteRef bare = TSprite::Create(0);
    bare->AddChild(Make("X", 1));
    bare->Draw(At(0, 0), 1);
    EXPECT_EQ(Order(), "X");
}

TEST_F(SpriteTest, APlacementCombinesWithItsParentsRecord)
{
    struct Case {
        const char* what;
        uint32_t parentFlags, ownFlags, wantFlags;
        float parentAlpha, ownAlpha;
        int32_t parentFrame, ownFrame, wantFrame;
    } cases[] = {
        {"mirrored twice is unmirrored", kDrawMirrorX, kDrawMirrorX, 0, 1, 1, -1, -1, -1},
        {"flip from the parent", kDrawMirrorY, kDrawMirrorX, kDrawMirrorX | kDrawMirrorY, 1, 1, -1, -1, -1},
        {"the parent's other flags stay its own", kDrawAtOrigin | kDrawSourceRect, kDrawMirrorX, kDrawMirrorX, 0.5f,
         0.5f, 3, -1, 3},
        {"own flags 4 and 8 kept", kDrawMirrorX, kDrawAtOrigin | kDrawSourceRect,
         kDrawAtOrigin | kDrawSourceRect | kDrawMirrorX, 0.25f, 1, 3, 7, 7},
    };
    for (const Case& c : cases) {
        TSpriteRef parent = TSprite::Create(0);
        TSpriteRef child = Make("C", 0);
        parent->AddChild(child);
        TDrawParams top(TVec2(100, 50), c.parentAlpha, 2, c.parentFlags);
        top.frame = c.parentFrame;
        top.origin = TVec2(9, 9);
        child->mPlacement = TDrawParams(TVec2(10, 5), c.ownAlpha, 1, c.ownFlags);
        child->mPlacement.frame = c.ownFrame;
        child->mPlacement.origin = TVec2(1, 2);
        child->mPlacement.colour[1] = 0.5f;
        child->mPlacement.sourceRect[2] = 4;
        parent->Draw(top, 1);
        ASSERT_EQ(drawn.size(), 1u) << c.what;
        const TDrawParams& p = drawn[0].params;
        EXPECT_EQ(p.flags, c.wantFlags) << c.what;
        EXPECT_FLOAT_EQ(p.alpha, c.parentAlpha * c.ownAlpha) << c.what;
        EXPECT_EQ(p.frame, c.wantFrame) << c.what;
        EXPECT_EQ(p.origin.x, 1) << c.what;
        EXPECT_EQ(p.colour[1], 0.5f) << c.what;
        EXPECT_EQ(p.sourceRect[2], 4) << c.what;
        // The own offset is scaled by the parent: (10, 5) x 2 + (100, 50).
        const TVec2 at = TVec2(0, 0) * p.transform;
        EXPECT_FLOAT_EQ(at.x, 120) << c.what;
        EXPECT_FLOAT_EQ(at.y, 60) << c.what;
        drawn.clear();
    }

    // Own transform first: a child turned a quarter under a parent moved
    // to (100, 0) turns about its own position.
    TSpriteRef child = Make("C", 0);
    child->mPlacement.transform.Rotate(float(M_PI) / 2);
    TDrawParams combined = child->Combine(At(100, 0));
    const TVec2 p = TVec2(1, 0) * combined.transform;
    EXPECT_NEAR(p.x, 100, 1e-5);
    EXPECT_NEAR(p.y, 1, 1e-5);
}

TEST_F(SpriteTest, BoundsAreTheTransformedCornersMergedWithTheChildren)
{
    auto withFlags = [](TSpriteRef s, uint32_t flags, TVec2 origin, TRect source = TRect()) {
        s->mPlacement.flags = flags;
        s->mPlacement.origin = origin;
        s->mPlacement.sourceRect[0] = source.left;
        s->mPlacement.sourceRect[1] = source.top;
        s->mPlacement.sourceRect[2] = source.right;
        s->mPlacement.sourceRect[3] = source.bottom;
        return s;
    };
    TSpriteRef turned = Make("T", 0);
    turned->mPlacement.transform.Rotate(float(M_PI) / 2);
    struct Case {
        const char* what;
        TSpriteRef sprite;
        TRect want;
    } cases[] = {
        {"nothing", TSprite::Create(0), TSprite::kNoBounds},
        {"centred", Make("S", 0), TRect(90, 45, 110, 55)},
        {"by its origin", withFlags(Make("S", 0), kDrawAtOrigin, TVec2(2, 3)), TRect(98, 47, 118, 57)},
        {"a source rectangle's size", withFlags(Make("S", 0), kDrawSourceRect, TVec2(), TRect(4, 2, 10, 6)),
         TRect(97, 48, 103, 52)},
        {"turned a quarter", turned, TRect(95, 40, 105, 60)},
        {"odd sizes truncate toward zero", Make("S", 0, 3, 5), TRect(98, 47, 101, 52)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.sprite->GetBounds(At(100, 50), -1), c.want) << c.what;
    EXPECT_EQ(Make("S", 0, 3, 3)->GetBounds(At(0, 0), 0), TRect(-1, -1, 1, 1)) << "toward zero on both sides";

    // Children: merged to the depth asked, hidden ones too; a parent
    // without a texture adds nothing.
    TSpriteRef root = TSprite::Create(0);
    TSpriteRef left = Make("L", -1), right = Make("R", 1, 4, 4);
    right->mPlacement.transform(2, 0) = 50;
    TSpriteRef far = Make("F", 0, 2, 2);
    far->mPlacement.transform(2, 1) = 100;
    root->AddChild(left);
    root->AddChild(right);
    right->AddChild(far);
    right->mVisible = 0;
    EXPECT_EQ(root->GetBounds(At(0, 0), -1), TRect(-10, -5, 52, 101));
    EXPECT_EQ(root->GetBounds(At(0, 0), 1), TRect(-10, -5, 52, 5));
    EXPECT_EQ(root->GetBounds(At(0, 0), 0), TSprite::kNoBounds);
}

TEST_F(SpriteTest, TheChildListKeepsParentsRight)
{
    TSpriteRef one = TSprite::Create(0), two = TSprite::Create(0);
    TSpriteRef child = Make("C", 1), stranger = Make("S", 0);
    EXPECT_STREQ(one->GetClassName(), "TSprite");
    EXPECT_TRUE(one->IsKindOf(TSprite::ClassId));
    EXPECT_FALSE(one->IsKindOf(TTexture::ClassId));

    ASSERT_TRUE(one->AddChild(child));
    EXPECT_EQ(child->GetParent(), one.get());
    EXPECT_FALSE(one->RemoveChild(stranger));
    EXPECT_FALSE(one->RemoveChild(nullptr));
    EXPECT_EQ(one->GetChildren().size(), 1u);

    // Added elsewhere: it leaves its old parent.
    ASSERT_TRUE(two->AddChild(child));
    EXPECT_TRUE(one->GetChildren().empty());
    EXPECT_EQ(child->GetParent(), two.get());
    // Added again to the same parent: still once.
    ASSERT_TRUE(two->AddChild(child));
    EXPECT_EQ(two->GetChildren().size(), 1u);

    // No cycles.
    EXPECT_FALSE(child->AddChild(two));
    EXPECT_FALSE(child->AddChild(child));
    EXPECT_FALSE(child->AddChild(nullptr));
    EXPECT_EQ(log.Count("TSprite::AddChild"), 3);
    EXPECT_TRUE(child->GetChildren().empty());

    EXPECT_TRUE(two->RemoveChild(child));
    EXPECT_EQ(child->GetParent(), nullptr);

    // A parent that goes away leaves its children without one.
    two->AddChild(child);
    two.reset();
    EXPECT_EQ(child->GetParent(), nullptr);
    EXPECT_TRUE(one->AddChild(child));
}

} // namespace
