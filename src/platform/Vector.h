#pragma once
#include <cmath>

// Float vectors of two, three and four components. Plain values.

struct TVec2 {
    float x = 0, y = 0;

    TVec2() = default;
    TVec2(float x_, float y_) : x(x_), y(y_) {}
    explicit TVec2(const float* v) : x(v[0]), y(v[1]) {}

    TVec2& operator+=(TVec2 b)
    {
        x += b.x;
        y += b.y;
        return *this;
    }
    TVec2 operator-() const { return TVec2(-x, -y); }
};

inline TVec2 operator+(TVec2 a, TVec2 b)
{
    return TVec2(a.x + b.x, a.y + b.y);
}

struct TVec3 {
    float x = 0, y = 0, z = 0;

    TVec3() = default;
    TVec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    explicit TVec3(const float* v) : x(v[0]), y(v[1]), z(v[2]) {}
    TVec3(TVec2 v, float z_) : x(v.x), y(v.y), z(z_) {}

    TVec3& operator+=(TVec3 b)
    {
        x += b.x;
        y += b.y;
        z += b.z;
        return *this;
    }
    TVec3& operator*=(float s)
    {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
};

inline TVec3 operator*(TVec3 v, float s)
{
    return TVec3(v.x * s, v.y * s, v.z * s);
}

inline TVec3 operator*(float s, TVec3 v)
{
    return TVec3(s * v.x, s * v.y, s * v.z);
}

struct TVec4 {
    float x = 0, y = 0, z = 0, w = 0;

    TVec4() = default;
    TVec4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    explicit TVec4(const float* v) : x(v[0]), y(v[1]), z(v[2]), w(v[3]) {}
    TVec4(TVec3 v, float w_) : x(v.x), y(v.y), z(v.z), w(w_) {}

    TVec4& operator+=(TVec4 b)
    {
        x += b.x;
        y += b.y;
        z += b.z;
        w += b.w;
        return *this;
    }
    TVec4& operator*=(float s)
    {
        x *= s;
        y *= s;
        z *= s;
        w *= s;
        return *this;
    }
    TVec4& operator/=(float s)
    {
        x /= s;
        y /= s;
        z /= s;
        w /= s;
        return *this;
    }

    float LengthSquared() const { return x * x + y * y + z * z + w * w; }
    float Length() const { return std::sqrt(LengthSquared()); }

    // Divides by the length; a zero vector is left unchanged.
    void Normalize()
    {
        float length = Length();
        if (length != 0)
            *this /= length;
    }
};

inline float Dot(TVec4 a, TVec4 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}
