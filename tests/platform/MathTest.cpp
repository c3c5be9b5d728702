#include "platform/Color.h"
#include "platform/Matrix.h"
#include "platform/Rect.h"
#include "platform/Vector.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kEps = 1e-5f;

void ExpectVec4(TVec4 v, float x, float y, float z, float w)
{
    EXPECT_NEAR(v.x, x, kEps);
    EXPECT_NEAR(v.y, y, kEps);
    EXPECT_NEAR(v.z, z, kEps);
    EXPECT_NEAR(v.w, w, kEps);
}

void ExpectMat4Near(const TMat4& a, const TMat4& b)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], kEps) << "element " << i;
}

} // namespace

TEST(Math, VectorOperations)
{
    float raw[4] = {1, 2, 3, 4};
    TVec4 v4(raw);
    ExpectVec4(v4, 1, 2, 3, 4);
    TVec3 v3(TVec2(1, 2), 3);
    TVec4 fromV3(v3, 9);
    ExpectVec4(fromV3, 1, 2, 3, 9);

    TVec2 a(1, 2);
    a += TVec2(3, 4);
    TVec2 neg = -a;
    EXPECT_EQ(neg.x, -4);
    EXPECT_EQ(neg.y, -6);
    TVec2 sum = a + TVec2(1, 1);
    EXPECT_EQ(sum.x, 5);
    EXPECT_EQ(sum.y, 7);

    v3 *= 2;
    v3 += TVec3(1, 1, 1);
    TVec3 l = 0.5f * v3, r = v3 * 0.5f;
    EXPECT_EQ(l.x, 1.5f);
    EXPECT_EQ(r.z, 3.5f);

    v4 *= 2;
    v4 /= 4;
    ExpectVec4(v4, 0.5f, 1, 1.5f, 2);
    EXPECT_FLOAT_EQ(Dot(TVec4(1, 2, 3, 4), TVec4(5, 6, 7, 8)), 70);
    EXPECT_FLOAT_EQ(TVec4(3, 4, 0, 0).LengthSquared(), 25);
    EXPECT_FLOAT_EQ(TVec4(3, 4, 0, 0).Length(), 5);
}

TEST(Math, NormalizeLeavesZeroVectorAlone)
{
    TVec4 zero;
    zero.Normalize();
    ExpectVec4(zero, 0, 0, 0, 0);
    EXPECT_FALSE(std::isnan(zero.x));
    TVec4 v(0, 3, 0, 4);
    v.Normalize();
    ExpectVec4(v, 0, 0.6f, 0, 0.8f);
}

TEST(Math, Mat4ProductIsRowByColumn)
{
    TMat4 a(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    TMat4 b(0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2); // swaps columns 0 and 1, doubles 3
    TMat4 c = a * b;
    TMat4 expected(2, 1, 3, 8, 6, 5, 7, 16, 10, 9, 11, 24, 14, 13, 15, 32);
    ExpectMat4Near(c, expected);
    ExpectMat4Near(TMat4() * a, a);
    // (v x a) x b == v x (a x b)
    TVec4 v(1, -2, 3, 1);
    TVec4 lhs = (v * a) * b, rhs = v * c;
    ExpectVec4(lhs, rhs.x, rhs.y, rhs.z, rhs.w);
    TMat4 id(a);
    id.SetIdentity();
    ExpectMat4Near(id, TMat4());
}

TEST(Math, Mat4RotationsAndTranslation)
{
    TMat4 rotY;
    rotY.RotateY(kPi / 2);
    ExpectVec4(TVec4(1, 0, 0, 1) * rotY, 0, 0, -1, 1);

    TMat4 rotZ;
    rotZ.RotateZ(kPi / 2);
    ExpectVec4(TVec4(1, 0, 0, 1) * rotZ, 0, 1, 0, 1);

    TMat4 moved;
    moved.Translate(TVec3(1, 2, 3));
    TVec3 p = TransformPoint(TVec3(0, 0, 0), moved);
    EXPECT_NEAR(p.x, 1, kEps);
    EXPECT_NEAR(p.y, 2, kEps);
    EXPECT_NEAR(p.z, 3, kEps);

    // Rotations post-multiply: rotating a translated matrix turns the translation too.
    moved.RotateY(kPi / 2);
    p = TransformPoint(TVec3(0, 0, 0), moved);
    EXPECT_NEAR(p.x, 3, kEps);
    EXPECT_NEAR(p.y, 2, kEps);
    EXPECT_NEAR(p.z, -1, kEps);

    // A non-axis rotation keeps the axis fixed and lengths unchanged.
    float s = 1 / std::sqrt(3.0f);
    TMat4 diag;
    diag.RotateAxis(TVec3(s, s, s), 2 * kPi / 3); // cycles x -> y -> z
    ExpectVec4(TVec4(1, 0, 0, 1) * diag, 0, 1, 0, 1);
    ExpectVec4(TVec4(s, s, s, 0) * diag, s, s, s, 0);
}

TEST(Math, YawPitchRollIsRollThenPitchThenYaw)
{
    const float angles[][3] = {{0.3f, -0.7f, 1.1f}, {kPi / 2, 0, 0}, {0, kPi / 2, 0}, {-2, 0.5f, 3}};
    for (const auto& a : angles) {
        float yaw = a[0], pitch = a[1], roll = a[2];
        TMat4 composed;
        composed.RotateZ(roll);
        composed.RotateAxis(TVec3(1, 0, 0), pitch);
        composed.RotateY(yaw);
        TMat4 ypr;
        ypr.RotateYawPitchRoll(yaw, pitch, roll);
        ExpectMat4Near(ypr, composed);
        EXPECT_NEAR(ypr.m[9], -std::sin(pitch), kEps);
        EXPECT_NEAR(ypr.m[8], std::cos(pitch) * std::sin(yaw), kEps);
        EXPECT_NEAR(ypr.m[10], std::cos(pitch) * std::cos(yaw), kEps);
    }
}

TEST(Math, Mat4Scale)
{
    TMat4 m;
    m.Translate(TVec3(1, 1, 1));
    m.Scale(2, 3, 4);
    TVec3 p = TransformPoint(TVec3(1, 1, 1), m);
    EXPECT_NEAR(p.x, 4, kEps);
    EXPECT_NEAR(p.y, 6, kEps);
    EXPECT_NEAR(p.z, 8, kEps);
}

TEST(Math, Mat4ColumnProduct)
{
    TMat4 a(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    TVec3 r = a * TVec3(1, 0, -1);
    EXPECT_FLOAT_EQ(r.x, 1 - 3 + 4);
    EXPECT_FLOAT_EQ(r.y, 5 - 7 + 8);
    EXPECT_FLOAT_EQ(r.z, 9 - 11 + 12);
}

TEST(Math, Perspective)
{
    TMat4 m;
    m.SetPerspective(1, 101, kPi / 2, 0.75f, TVec2(0, 0));
    EXPECT_NEAR(m.m[0], 0.75f, kEps);
    EXPECT_NEAR(m.m[5], 1, kEps);
    EXPECT_EQ(m.m[8], 0);
    EXPECT_EQ(m.m[9], 0);
    EXPECT_NEAR(m.m[10], 101.0f / 100, kEps);
    EXPECT_EQ(m.m[11], 1);
    EXPECT_NEAR(m.m[14], -101.0f / 100, kEps);
    EXPECT_EQ(m.m[15], 0);
    for (int i : {1, 2, 3, 4, 6, 7, 12, 13})
        EXPECT_EQ(m.m[i], 0) << "element " << i;
    // A point on the near plane maps to depth 0, on the far plane to depth 1.
    TVec4 nearP = TVec4(0, 0, 1, 1) * m, farP = TVec4(0, 0, 101, 1) * m;
    EXPECT_NEAR(nearP.z / nearP.w, 0, kEps);
    EXPECT_NEAR(farP.z / farP.w, 1, kEps);

    struct Case {
        TVec2 offset;
        float e8, e9;
    };
    const Case cases[] = {
        {TVec2(1, 0), -10000, 0},
        {TVec2(-1, 1), -10000, -10000},
        {TVec2(0.5f, 0.5f), -1, 1},
        {TVec2(-0.5f, -0.25f), 1, -1.0f / 3},
    };
    for (const Case& c : cases) {
        m.SetPerspective(1, 100, 1, 1, c.offset);
        EXPECT_NEAR(m.m[8], c.e8, kEps) << c.offset.x;
        EXPECT_NEAR(m.m[9], c.e9, kEps) << c.offset.y;
    }
}

TEST(Math, Mat3Transforms)
{
    TMat3 m(1, 0, 0, 0, 1, 0, 5, 6, 1);
    TVec2 p = TVec2(1, 2) * m;
    EXPECT_FLOAT_EQ(p.x, 6);
    EXPECT_FLOAT_EQ(p.y, 8);

    m.Rotate(kPi / 2);
    EXPECT_FLOAT_EQ(m.m[6], 5);
    EXPECT_FLOAT_EQ(m.m[7], 6);
    p = TVec2(1, 0) * m;
    EXPECT_NEAR(p.x, 5, kEps);
    EXPECT_NEAR(p.y, 7, kEps);

    m.Scale(2);
    EXPECT_FLOAT_EQ(m.m[6], 5);
    p = TVec2(1, 0) * m;
    EXPECT_NEAR(p.x, 5, kEps);
    EXPECT_NEAR(p.y, 8, kEps);

    TMat3 r = TMat3::Rotation(0.5f);
    EXPECT_NEAR(r.m[1], std::sin(0.5f), kEps);
    EXPECT_NEAR(r.m[3], -std::sin(0.5f), kEps);
}

TEST(Math, Mat3Products)
{
    TMat3 a(1, 2, 0, 3, 4, 0, 5, 6, 1);
    TMat3 b(0, 1, 0, 1, 0, 0, 7, 8, 1);
    TMat3 full = a * b;
    const float expected[9] = {2, 1, 0, 4, 3, 0, 6 + 7, 5 + 8, 1};
    for (int i = 0; i < 9; ++i)
        EXPECT_FLOAT_EQ(full.m[i], expected[i]) << i;
    TMat3 inPlace = a;
    inPlace *= b;
    for (int i = 0; i < 9; ++i)
        EXPECT_FLOAT_EQ(inPlace.m[i], expected[i]) << i;
    TMat3 linear = MulLinear(a, b);
    const float expectedLinear[9] = {2, 1, 0, 4, 3, 0, 5, 6, 1};
    for (int i = 0; i < 9; ++i)
        EXPECT_FLOAT_EQ(linear.m[i], expectedLinear[i]) << i;
}

TEST(Math, ColorPacking)
{
    TColor c(255, 0, 0, 128);
    EXPECT_EQ(c.argb, 0x80FF0000u);
    EXPECT_EQ(c.GetR(), 255);
    EXPECT_EQ(c.GetA(), 128);
    EXPECT_EQ(c.GetG(), 0);
    TColor p(0x11223344u);
    EXPECT_EQ(p.GetA(), 0x11);
    EXPECT_EQ(p.GetR(), 0x22);
    EXPECT_EQ(p.GetG(), 0x33);
    EXPECT_EQ(p.GetB(), 0x44);
    p.SetA(0xAA);
    p.SetR(0xBB);
    EXPECT_EQ(p.argb, 0xAABB3344u);
    p.SetG(0xCC);
    p.SetB(0xDD);
    EXPECT_EQ(p.argb, 0xAABBCCDDu);
    EXPECT_EQ(TColor().argb, 0u);
}

TEST(Math, ColorFromFloatsTruncatesAndClamps)
{
    struct Case {
        float rgba[4];
        uint32_t expected;
    };
    const Case cases[] = {
        {{1, 0, 0, 0.5f}, 0x7FFF0000u},        // 127.5 truncates to 127
        {{0.999f, 0.5f, 0.25f, 1}, 0xFFFE7F3Fu},
        {{2, -1, 1.5f, -0.1f}, 0x00FF00FFu},   // out of range: clamped
        {{NAN, 0, 0, 1}, 0xFF000000u},
        {{INFINITY, -INFINITY, 0, 1}, 0xFFFF0000u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TColor(c.rgba).argb, c.expected) << std::hex << c.expected;
}

TEST(Math, RectUnionAndIntersect)
{
    TRect a(0, 0, 10, 10), b(20, 20, 30, 30), c(5, -5, 15, 5);
    EXPECT_EQ(TRect::Intersect(a, b), TRect(20, 20, 10, 10));
    EXPECT_TRUE(TRect::Intersect(a, b).IsEmpty());
    EXPECT_EQ(TRect::Intersect(a, c), TRect(5, 0, 10, 5));
    EXPECT_FALSE(TRect::Intersect(a, c).IsEmpty());
    EXPECT_EQ(TRect::Union(a, b), TRect(0, 0, 30, 30));
    EXPECT_EQ(TRect::Union(a, c), TRect(0, -5, 15, 10));
    // Touching edges do not overlap: right is exclusive.
    EXPECT_TRUE(TRect::Intersect(a, TRect(10, 0, 20, 10)).IsEmpty());
    EXPECT_EQ(TRect(2, 3, 7, 11).Width(), 5);
    EXPECT_EQ(TRect(2, 3, 7, 11).Height(), 8);
}
