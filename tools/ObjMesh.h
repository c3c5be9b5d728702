#pragma once
// Wavefront OBJ to .mesh conversion, shared by tools/obj2mesh.cpp and its
// tests. Reads "v", "vt", "vn" and "f" (any other statement is skipped);
// faces may be triangles or convex polygons, which are cut into fans, with
// corners written v, v/vt, v//vn or v/vt/vn, negative indices counting back
// from the last element read. Corners without a normal take their face's
// normal (flat shading); given normals are scaled to unit length. A missing
// texture coordinate is (0, 0); v is turned upside down (1 - v), since the
// .mesh format's texture rows run from the top. Positions are copied as they
// are. Every number is stored as a 16-bit integer of thousandths, so a value
// outside -32.768..32.767 is refused, as are more than 65535 distinct
// vertices or triangles.

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <istream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace obj_mesh {

// Position, normal and texture coordinates in thousandths.
using Vertex = std::array<int16_t, 8>;

struct Mesh {
    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices; // three per triangle
    uint32_t facesWithComputedNormals = 0;
};

constexpr uint32_t kMaxCount = 65535;

namespace detail {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline bool ParseNumber(const std::string& token, double& out)
{
    const char* first = token.data();
    const char* last = first + token.size();
    if (first != last && *first == '+')
        ++first;
    auto [end, ec] = std::from_chars(first, last, out);
    return ec == std::errc() && end == last && std::isfinite(out);
}

// A value as thousandths; false when it does not fit 16 bits.
inline bool Quantise(double value, int16_t& out)
{
    const double scaled = std::round(value * 1000.0);
    if (!(scaled >= -32768.0 && scaled <= 32767.0))
        return false;
    out = int16_t(scaled);
    return true;
}

// One face corner: indices from 0, -1 when absent.
struct Corner {
    long v = -1, vt = -1, vn = -1;
};

class Converter {
public:
    bool Run(std::istream& in, Mesh& out, std::string& error)
    {
        out = Mesh();
        mMesh = &out;
        std::string line;
        while (std::getline(in, line)) {
            ++mLine;
            if (!Statement(line)) {
                error = "line " + std::to_string(mLine) + ": " + mError;
                return false;
            }
        }
        return true;
    }

private:
    bool Fail(const std::string& message)
    {
        mError = message;
        return false;
    }

    bool Statement(std::string line)
    {
        const size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword))
            return true;
        std::vector<std::string> args;
        for (std::string word; words >> word;)
            args.push_back(word);
        if (keyword == "v")
            return Numbers(args, 3, 4, "v") && Position();
        if (keyword == "vt")
            return Numbers(args, 1, 3, "vt") && TexCoord();
        if (keyword == "vn")
            return Numbers(args, 3, 3, "vn") && Normal();
        if (keyword == "f")
            return Face(args);
        return true; // groups, materials, smoothing and the like
    }

    bool Numbers(const std::vector<std::string>& args, size_t least, size_t most, const char* keyword)
    {
        if (args.size() < least || args.size() > most)
            return Fail(std::string(keyword) + " needs " + std::to_string(least) +
                        (least == most ? "" : " to " + std::to_string(most)) + " numbers");
        // Beyond the third (a weight) each number is checked, then unused.
        mNumbers.assign(args.size() < 3 ? 3 : args.size(), 0.0);
        for (size_t i = 0; i < args.size(); ++i)
            if (!ParseNumber(args[i], mNumbers[i]))
                return Fail("\"" + args[i] + "\" is not a finite number");
        return true;
    }

    bool Position()
    {
        std::array<int16_t, 3> q{};
        for (int i = 0; i < 3; ++i)
            if (!Quantise(mNumbers[i], q[i]))
                return OutOfRange("position", mNumbers[i]);
        mPositions.push_back(q);
        return true;
    }

    bool TexCoord()
    {
        std::array<int16_t, 2> q{};
        if (!Quantise(mNumbers[0], q[0]))
            return OutOfRange("texture coordinate", mNumbers[0]);
        if (!Quantise(1.0 - mNumbers[1], q[1]))
            return OutOfRange("texture coordinate", mNumbers[1]);
        mTexCoords.push_back(q);
        return true;
    }

    bool Normal()
    {
        Vec3 n{mNumbers[0], mNumbers[1], mNumbers[2]};
        const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (!(length > 0))
            return Fail("normal of length 0");
        mNormals.push_back(Unit({n.x / length, n.y / length, n.z / length}));
        return true;
    }

    bool OutOfRange(const char* what, double value)
    {
        std::ostringstream text;
        text << what << " " << value << " is outside -32.768..32.767";
        return Fail(text.str());
    }

    static std::array<int16_t, 3> Unit(const Vec3& n)
    {
        std::array<int16_t, 3> q{};
        Quantise(n.x, q[0]);
        Quantise(n.y, q[1]);
        Quantise(n.z, q[2]);
        return q;
    }

    // An OBJ index (from 1, or negative from the end) into count elements.
    bool Resolve(const std::string& text, size_t count, const char* what, const char* plural, long& out)
    {
        long value = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size() || value == 0)
            return Fail(std::string("bad ") + what + " index \"" + text + "\"");
        const long resolved = value > 0 ? value - 1 : long(count) + value;
        if (resolved < 0 || size_t(resolved) >= count)
            return Fail(std::string(what) + " index " + text + " with " + std::to_string(count) + " " +
                        (count == 1 ? what : plural) + " read so far");
        out = resolved;
        return true;
    }

    bool ParseCorner(const std::string& word, Corner& corner)
    {
        std::vector<std::string> parts;
        size_t start = 0;
        for (;;) {
            const size_t slash = word.find('/', start);
            parts.push_back(word.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
            if (slash == std::string::npos)
                break;
            start = slash + 1;
        }
        if (parts.size() > 3 || parts[0].empty())
            return Fail("bad face corner \"" + word + "\"");
        if (!Resolve(parts[0], mPositions.size(), "vertex", "vertices", corner.v))
            return false;
        const bool hasTexCoord = parts.size() > 1 && !parts[1].empty();
        if (hasTexCoord && !Resolve(parts[1], mTexCoords.size(), "texture", "texture coordinates", corner.vt))
            return false;
        const bool hasNormal = parts.size() > 2 && !parts[2].empty();
        if (hasNormal && !Resolve(parts[2], mNormals.size(), "normal", "normals", corner.vn))
            return false;
        return true;
    }

    // Newell's normal of the polygon, from its quantised positions.
    bool FaceNormal(const std::vector<Corner>& corners, std::array<int16_t, 3>& out)
    {
        Vec3 n;
        for (size_t i = 0; i < corners.size(); ++i) {
            const auto& a = mPositions[size_t(corners[i].v)];
            const auto& b = mPositions[size_t(corners[(i + 1) % corners.size()].v)];
            n.x += double(a[1] - b[1]) * double(a[2] + b[2]);
            n.y += double(a[2] - b[2]) * double(a[0] + b[0]);
            n.z += double(a[0] - b[0]) * double(a[1] + b[1]);
        }
        const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (!(length > 0))
            return Fail("face without normals has no area, so no normal can be made for it");
        out = Unit({n.x / length, n.y / length, n.z / length});
        return true;
    }

    bool Face(const std::vector<std::string>& args)
    {
        if (args.size() < 3)
            return Fail("a face needs at least 3 corners");
        std::vector<Corner> corners(args.size());
        bool missingNormal = false;
        for (size_t i = 0; i < args.size(); ++i) {
            if (!ParseCorner(args[i], corners[i]))
                return false;
            missingNormal = missingNormal || corners[i].vn < 0;
        }
        std::array<int16_t, 3> faceNormal{};
        if (missingNormal) {
            if (!FaceNormal(corners, faceNormal))
                return false;
            ++mMesh->facesWithComputedNormals;
        }
        std::vector<uint16_t> ids(corners.size());
        for (size_t i = 0; i < corners.size(); ++i) {
            const Corner& c = corners[i];
            const auto& p = mPositions[size_t(c.v)];
            const auto& n = c.vn < 0 ? faceNormal : mNormals[size_t(c.vn)];
            const std::array<int16_t, 2> t = c.vt < 0 ? std::array<int16_t, 2>{0, 0} : mTexCoords[size_t(c.vt)];
            const Vertex vertex{p[0], p[1], p[2], n[0], n[1], n[2], t[0], t[1]};
            if (!AddVertex(vertex, ids[i]))
                return false;
        }
        for (size_t i = 1; i + 1 < ids.size(); ++i) {
            if (mMesh->indices.size() / 3 >= kMaxCount)
                return Fail("more than 65535 triangles");
            mMesh->indices.insert(mMesh->indices.end(), {ids[0], ids[i], ids[i + 1]});
        }
        return true;
    }

    bool AddVertex(const Vertex& vertex, uint16_t& id)
    {
        const auto found = mIds.find(vertex);
        if (found != mIds.end()) {
            id = found->second;
            return true;
        }
        if (mMesh->vertices.size() >= kMaxCount)
            return Fail("more than 65535 distinct vertices");
        id = uint16_t(mMesh->vertices.size());
        mIds.emplace(vertex, id);
        mMesh->vertices.push_back(vertex);
        return true;
    }

    Mesh* mMesh = nullptr;
    size_t mLine = 0;
    std::string mError;
    std::vector<double> mNumbers;
    std::vector<std::array<int16_t, 3>> mPositions;
    std::vector<std::array<int16_t, 2>> mTexCoords;
    std::vector<std::array<int16_t, 3>> mNormals;
    std::map<Vertex, uint16_t> mIds;
};

inline void PutU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(uint8_t(value & 0xFF));
    out.push_back(uint8_t(value >> 8));
}

} // namespace detail

// Converts OBJ text; on failure error says why, from "line N: ".
inline bool Convert(std::istream& in, Mesh& out, std::string& error)
{
    return detail::Converter().Run(in, out, error);
}

// The .mesh file of a converted mesh.
inline std::vector<uint8_t> Encode(const Mesh& mesh)
{
    std::vector<uint8_t> out = {'T', 'R', 'I', 'S'};
    detail::PutU16(out, uint16_t(mesh.vertices.size()));
    detail::PutU16(out, uint16_t(mesh.indices.size() / 3));
    for (const Vertex& v : mesh.vertices)
        for (int16_t value : v)
            detail::PutU16(out, uint16_t(value));
    for (uint16_t index : mesh.indices)
        detail::PutU16(out, index);
    return out;
}

} // namespace obj_mesh
