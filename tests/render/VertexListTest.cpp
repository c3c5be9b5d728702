// Draw parameters, vertex lists and the quad builder.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "render/DrawParams.h"
#include "render/VertexList.h"

namespace {

TEST(DrawParams, ConstructionScalesOnlyWhenAskedAndSetsTheTranslationRow)
{
    TDrawParams one(TVec2(10, 20), 0.5f, 1.0f, kDrawAtOrigin);
    const float identity[6] = {1, 0, 0, 0, 1, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(one.transform.m[i], identity[i]) << i;
    EXPECT_EQ(one.transform(2, 0), 10.0f);
    EXPECT_EQ(one.transform(2, 1), 20.0f);
    EXPECT_EQ(one.transform(2, 2), 1.0f);
    EXPECT_EQ(one.alpha, 0.5f);
    EXPECT_EQ(one.flags, uint32_t(kDrawAtOrigin));
    EXPECT_EQ(one.frame, -1);
    EXPECT_EQ(one.origin.x, 0.0f);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(one.colour[i], 1.0f);
        EXPECT_EQ(one.sourceRect[i], 0);
    }

    TDrawParams two(TVec2(-3, 4), 1.0f, 2.0f, 0);
    const float scaled[9] = {2, 0, 0, 0, 2, 0, -3, 4, 1};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(two.transform.m[i], scaled[i]) << i;

    TDrawParams copy = two;
    copy.frame = 3;
    EXPECT_EQ(copy.transform.m[0], 2.0f);
    EXPECT_EQ(two.frame, -1);
}

TEST(VertexList, LayoutsAndMakers)
{
    EXPECT_EQ(offsetof(TLitVertex, reserved), 12u);
    EXPECT_EQ(offsetof(TLitVertex, diffuse), 16u);
    EXPECT_EQ(offsetof(TLitVertex, u), 24u);
    EXPECT_EQ(offsetof(TScreenVertex, diffuse), 16u);
    EXPECT_EQ(offsetof(TMeshVertex, nx), 12u);
    EXPECT_EQ(offsetof(TMeshVertex, u), 24u);

    TLitVertex lit[3];
    EXPECT_EQ(lit[1].diffuse.argb, 0u);
    EXPECT_EQ(lit[1].x, 0.0f);
    TMeshVertex mesh[2];
    TScreenVertex screen[5];
    EXPECT_EQ(MakeMeshVertexList(mesh, 2)->GetType(), kVertexMesh);
    EXPECT_EQ(MakeLitVertexList(lit, 3)->GetType(), kVertexLit);
    EXPECT_EQ(MakeScreenVertexList(screen, 5)->GetType(), kVertexScreen);
    auto sprite = MakeSpriteVertexList(lit, 3);
    EXPECT_EQ(sprite->GetType(), kVertexSprite);
    EXPECT_EQ(sprite->GetVertices(), lit);
    EXPECT_EQ(sprite->GetCount(), 3u);
    sprite->SetCount(1);
    EXPECT_EQ(sprite->GetCount(), 1u);
    EXPECT_EQ(VertexFormatOf(kVertexMesh), 0x112u);
    EXPECT_EQ(VertexFormatOf(kVertexLit), 0x1E2u);
    EXPECT_EQ(VertexFormatOf(kVertexSprite), 0x1E2u);
    EXPECT_EQ(VertexFormatOf(kVertexScreen), 0x1C4u);
    EXPECT_EQ(VertexFormatOf(17), 0x112u);
}

TEST(QuadVertices, CornersAreTransformedAndWrittenBack)
{
    TMat3 transform;
    transform.Scale(2.0f);
    transform(2, 0) = 100;
    transform(2, 1) = 50;
    TVec2 corners[4] = {TVec2(-5, -5), TVec2(5, -5), TVec2(5, 5), TVec2(-5, 5)};
    const TVec2 uv[2] = {TVec2(0.25f, 0.5f), TVec2(0.75f, 1.0f)};
    const float white[3] = {1, 1, 1};
    TLitVertex out[4];
    std::memset(static_cast<void*>(out), 0xAB, sizeof(out));
    BuildQuadVertices(TVec2(1, 2), out, corners, uv, transform, 1.0f, white);

    const float x[4] = {90, 110, 110, 90}, y[4] = {40, 40, 60, 60};
    const float u[4] = {0.25f, 0.75f, 0.75f, 0.25f}, v[4] = {0.5f, 0.5f, 1.0f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(corners[i].x, x[i]);
        EXPECT_EQ(corners[i].y, y[i]);
        EXPECT_EQ(out[i].x, x[i] + 1);
        EXPECT_EQ(out[i].y, y[i] + 2);
        EXPECT_EQ(out[i].z, 0.1f);
        float reserved;
        std::memcpy(&reserved, &out[i].reserved, 4);
        EXPECT_EQ(reserved, 0.5f);
        EXPECT_EQ(out[i].diffuse.argb, 0xFFFFFFFFu);
        EXPECT_EQ(out[i].specular.argb, 0xFF000000u);
        EXPECT_EQ(out[i].u, u[i]);
        EXPECT_EQ(out[i].v, v[i]);
    }
}

TEST(QuadVertices, AlphaAndColourAreClampedToBytes)
{
    struct Case {
        float alpha;
        float colour[3];
        uint32_t diffuse;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {1.5f, {1, 1, 1}, 0xFFFFFFFFu},
        {-0.2f, {1, 1, 1}, 0x00FFFFFFu},
        {0.5f, {0.5f, 0.25f, 0}, 0x7F7F3F00u},
        // Out-of-range colour channels are clamped like alpha.
        {1.0f, {1.5f, -0.5f, 2.0f}, 0xFFFF00FFu},
        {nan, {nan, 0, 0}, 0x00000000u},
    };
    for (const Case& c : cases) {
        TVec2 corners[4];
        const TVec2 uv[2];
        TLitVertex out[4];
        BuildQuadVertices(TVec2(), out, corners, uv, TMat3(), c.alpha, c.colour);
        EXPECT_EQ(out[3].diffuse.argb, c.diffuse) << c.alpha;
    }
}

} // namespace
