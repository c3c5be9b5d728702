#pragma once
// Animated-texture descriptions in the binary .anm form, built in memory for
// the reader's tests, the fuzzer's seeds and the sprite benchmark.
// Integers and floats little-endian; a string is its int32 length and bytes.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace anm {

struct Anchor {
    int32_t x = 0, y = 0;
    std::string name;
};

struct Frame {
    int32_t regx = 0, regy = 0, x = 0, y = 0, w = 0, h = 0;
    float xform[6] = {1, 0, 0, 1, 0, 0};
    std::string name;
    std::vector<Anchor> anchors;
};

struct Description {
    std::string name = "seq", source = "src";
    int32_t regx = 0, regy = 0, w = 0, h = 0;
    float xform[4] = {-10000000.0f, 0, 0, 0};
    std::string image = "sheet.png", mask;
    std::vector<Frame> frames;
    bool withScript = true;
    std::string script = "-- script";
};

class Writer {
public:
    std::string bytes;

    Writer& Tag(const char* tag)
    {
        bytes.append(tag, 4);
        return *this;
    }
    Writer& Int(int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(char(uint32_t(v) >> (8 * i)));
        return *this;
    }
    Writer& Float(float v)
    {
        int32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return Int(bits);
    }
    Writer& Str(const std::string& s)
    {
        Int(int32_t(s.size()));
        bytes += s;
        return *this;
    }
};

inline std::string Write(const Description& d)
{
    Writer w;
    w.Tag("ANIM").Int(1).Int(0).Str(d.name).Str(d.source);
    w.Tag("IMGN").Int(d.regx).Int(d.regy).Int(d.w).Int(d.h);
    for (float v : d.xform)
        w.Float(v);
    w.Str(d.image).Str(d.mask);
    w.Tag("FRMS").Int(int32_t(d.frames.size()));
    for (const Frame& f : d.frames) {
        w.Int(f.regx).Int(f.regy).Int(f.x).Int(f.y).Int(f.w).Int(f.h);
        for (float v : f.xform)
            w.Float(v);
        w.Str(f.name).Int(int32_t(f.anchors.size()));
        for (const Anchor& a : f.anchors)
            w.Int(a.x).Int(a.y).Str(a.name);
    }
    if (d.withScript)
        w.Tag("SCRP").Str(d.script);
    return w.bytes;
}

// A sheet of columns x rows frames of size x size, registered at their
// centres, named "f0", "f1" ...
inline Description Grid(int32_t columns, int32_t rows, int32_t size)
{
    Description d;
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < columns; ++c) {
            Frame f;
            f.x = c * size;
            f.y = r * size;
            f.w = f.h = size;
            f.regx = f.regy = size / 2;
            f.name = "f" + std::to_string(r * columns + c);
            d.frames.push_back(f);
        }
    }
    return d;
}

} // namespace anm
