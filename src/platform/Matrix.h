#pragma once
#include "platform/Vector.h"

// 4x4 float matrix, row-major, for row vectors: a point p is transformed as
// p x M, the translation sits in row 3 (elements 12, 13, 14). The layout is
// the one the renderer uploads unchanged.
struct TMat4 {
    float m[16];

    TMat4() { SetIdentity(); }
    TMat4(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13,
          float m20, float m21, float m22, float m23, float m30, float m31, float m32, float m33);

    float& operator()(int row, int col) { return m[row * 4 + col]; }
    float operator()(int row, int col) const { return m[row * 4 + col]; }
    TVec4 Row(int row) const { return TVec4(m + row * 4); }
    void SetRow(int row, TVec4 v);

    void SetIdentity();

    // Row 3 += (v, 0).
    void Translate(TVec3 v);
    // Each of these sets this := this x R.
    void RotateAxis(TVec3 axis, float angle); // unit axis, radians
    void RotateY(float angle);
    void RotateZ(float angle);
    void RotateYawPitchRoll(float yaw, float pitch, float roll); // roll, then pitch, then yaw
    void Scale(float sx, float sy, float sz);

    // Left-handed perspective with a centre offset.
    void SetPerspective(float nearZ, float farZ, float fov, float aspect, TVec2 offset);
};

TMat4 operator*(const TMat4& a, const TMat4& b);
TVec4 operator*(TVec4 v, const TMat4& m);
// (p, 1) x M, first three components, no division by w.
TVec3 TransformPoint(TVec3 p, const TMat4& m);
// M x (v, 1) as a column: rows 0-2 dotted with (v, 1).
TVec3 operator*(const TMat4& m, TVec3 v);

// 2D affine transform for row vectors: linear part in the upper-left 2x2,
// translation in row 2 (elements 6 and 7), column 2 is (0, 0, 1).
struct TMat3 {
    float m[9];

    TMat3();
    TMat3(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21,
          float m22);

    float& operator()(int row, int col) { return m[row * 3 + col]; }
    float operator()(int row, int col) const { return m[row * 3 + col]; }

    TMat3& operator*=(const TMat3& b);

    static TMat3 Rotation(float angle);
    // Turns the linear part, keeps the translation.
    void Rotate(float angle);
    // Scales the linear part, keeps the translation.
    void Scale(float s);
};

TVec2 operator*(TVec2 v, const TMat3& m);
TMat3 operator*(const TMat3& a, const TMat3& b);
// Product of the two linear parts; the translation is a's, unchanged.
TMat3 MulLinear(const TMat3& a, const TMat3& b);
