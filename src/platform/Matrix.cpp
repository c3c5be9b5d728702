#include "platform/Matrix.h"

#include <cmath>

TMat4::TMat4(float m00, float m01, float m02, float m03, float m10, float m11, float m12,
             float m13, float m20, float m21, float m22, float m23, float m30, float m31,
             float m32, float m33)
    : m{m00, m01, m02, m03, m10, m11, m12, m13, m20, m21, m22, m23, m30, m31, m32, m33}
{
}

void TMat4::SetRow(int row, TVec4 v)
{
    float* r = m + row * 4;
    r[0] = v.x;
    r[1] = v.y;
    r[2] = v.z;
    r[3] = v.w;
}

void TMat4::SetIdentity()
{
    for (int i = 0; i < 16; ++i)
        m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

TMat4 operator*(const TMat4& a, const TMat4& b)
{
    TMat4 c;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a.m[i * 4 + k] * b.m[k * 4 + j];
            c.m[i * 4 + j] = sum;
        }
    return c;
}

void TMat4::Translate(TVec3 v)
{
    m[12] += v.x;
    m[13] += v.y;
    m[14] += v.z;
}

void TMat4::RotateAxis(TVec3 axis, float angle)
{
    float c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    float x = axis.x, y = axis.y, z = axis.z;
    TMat4 r(t * x * x + c, t * x * y + s * z, t * x * z - s * y, 0,
            t * x * y - s * z, t * y * y + c, t * y * z + s * x, 0,
            t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0,
            0, 0, 0, 1);
    *this = *this * r;
}

void TMat4::RotateY(float angle)
{
    RotateAxis(TVec3(0, 1, 0), angle);
}

void TMat4::RotateZ(float angle)
{
    RotateAxis(TVec3(0, 0, 1), angle);
}

void TMat4::RotateYawPitchRoll(float yaw, float pitch, float roll)
{
    float cy = std::cos(yaw), sy = std::sin(yaw);
    float cp = std::cos(pitch), sp = std::sin(pitch);
    float cr = std::cos(roll), sr = std::sin(roll);
    // Rz(roll) x Rx(pitch) x Ry(yaw) for row vectors.
    TMat4 r(cr * cy + sr * sp * sy, sr * cp, -cr * sy + sr * sp * cy, 0,
            -sr * cy + cr * sp * sy, cr * cp, sr * sy + cr * sp * cy, 0,
            cp * sy, -sp, cp * cy, 0,
            0, 0, 0, 1);
    *this = *this * r;
}

void TMat4::Scale(float sx, float sy, float sz)
{
    for (int i = 0; i < 4; ++i) {
        m[i * 4 + 0] *= sx;
        m[i * 4 + 1] *= sy;
        m[i * 4 + 2] *= sz;
    }
}

void TMat4::SetPerspective(float nearZ, float farZ, float fov, float aspect, TVec2 offset)
{
    float k = std::cos(fov / 2) / std::sin(fov / 2);
    for (float& e : m)
        e = 0;
    m[0] = k * aspect;
    m[5] = k;
    float ox = std::fabs(offset.x), oy = std::fabs(offset.y);
    m[8] = ox == 1 ? -10000.0f : -offset.x / (1 - ox);
    m[9] = oy == 1 ? -10000.0f : offset.y / (1 - oy);
    m[10] = farZ / (farZ - nearZ);
    m[11] = 1;
    m[14] = -nearZ * farZ / (farZ - nearZ);
}

TVec4 operator*(TVec4 v, const TMat4& a)
{
    const float* m = a.m;
    return TVec4(v.x * m[0] + v.y * m[4] + v.z * m[8] + v.w * m[12],
                 v.x * m[1] + v.y * m[5] + v.z * m[9] + v.w * m[13],
                 v.x * m[2] + v.y * m[6] + v.z * m[10] + v.w * m[14],
                 v.x * m[3] + v.y * m[7] + v.z * m[11] + v.w * m[15]);
}

TVec3 TransformPoint(TVec3 p, const TMat4& a)
{
    TVec4 r = TVec4(p, 1) * a;
    return TVec3(r.x, r.y, r.z);
}

TVec3 operator*(const TMat4& a, TVec3 v)
{
    const float* m = a.m;
    return TVec3(m[0] * v.x + m[1] * v.y + m[2] * v.z + m[3],
                 m[4] * v.x + m[5] * v.y + m[6] * v.z + m[7],
                 m[8] * v.x + m[9] * v.y + m[10] * v.z + m[11]);
}

TMat3::TMat3() : m{1, 0, 0, 0, 1, 0, 0, 0, 1}
{
}

TMat3::TMat3(float m00, float m01, float m02, float m10, float m11, float m12, float m20,
             float m21, float m22)
    : m{m00, m01, m02, m10, m11, m12, m20, m21, m22}
{
}

TVec2 operator*(TVec2 v, const TMat3& a)
{
    const float* m = a.m;
    return TVec2(v.x * m[0] + v.y * m[3] + m[6], v.x * m[1] + v.y * m[4] + m[7]);
}

TMat3 operator*(const TMat3& a, const TMat3& b)
{
    TMat3 c;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            float sum = 0;
            for (int k = 0; k < 3; ++k)
                sum += a.m[i * 3 + k] * b.m[k * 3 + j];
            c.m[i * 3 + j] = sum;
        }
    return c;
}

TMat3& TMat3::operator*=(const TMat3& b)
{
    *this = *this * b;
    return *this;
}

TMat3 MulLinear(const TMat3& a, const TMat3& b)
{
    TMat3 c = a;
    c.m[0] = a.m[0] * b.m[0] + a.m[1] * b.m[3];
    c.m[1] = a.m[0] * b.m[1] + a.m[1] * b.m[4];
    c.m[3] = a.m[3] * b.m[0] + a.m[4] * b.m[3];
    c.m[4] = a.m[3] * b.m[1] + a.m[4] * b.m[4];
    return c;
}

TMat3 TMat3::Rotation(float angle)
{
    float c = std::cos(angle), s = std::sin(angle);
    return TMat3(c, s, 0, -s, c, 0, 0, 0, 1);
}

void TMat3::Rotate(float angle)
{
    *this = MulLinear(*this, Rotation(angle));
}

void TMat3::Scale(float s)
{
    m[0] *= s;
    m[1] *= s;
    m[3] *= s;
    m[4] *= s;
}
