#pragma once
// Binary .x models built in memory for the model reader's tests and the
// fuzzer's seeds: token words, names, strings and number lists, little-endian,
// plus the few objects a character file is made of.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace xfile {

class Writer {
public:
    std::string bytes;

    // The 16-byte file header.
    Writer& Header()
    {
        bytes += "xof 0302bin 0032";
        return *this;
    }
    Writer& Word(int16_t word)
    {
        U16(uint16_t(word));
        return *this;
    }
    Writer& U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(char((v >> (8 * i)) & 0xFF));
        return *this;
    }
    Writer& Name(const std::string& text)
    {
        Word(1).U32(uint32_t(text.size()));
        bytes += text;
        return *this;
    }
    // A string token and its separate semicolon word.
    Writer& String(const std::string& text)
    {
        Word(2).U32(uint32_t(text.size()));
        bytes += text;
        return Word(20);
    }
    Writer& Ints(const std::vector<int32_t>& values)
    {
        Word(6).U32(uint32_t(values.size()));
        for (int32_t v : values)
            U32(uint32_t(v));
        return *this;
    }
    Writer& Floats(const std::vector<float>& values)
    {
        Word(7).U32(uint32_t(values.size()));
        for (float v : values) {
            uint32_t bits;
            memcpy(&bits, &v, 4);
            U32(bits);
        }
        return *this;
    }
    Writer& Open() { return Word(10); }
    Writer& Close() { return Word(11); }

    // Objects. Frames and meshes are opened by Frame/Mesh and closed by Close.
    Writer& Frame(const std::string& name)
    {
        Name("Frame");
        if (!name.empty())
            Name(name);
        return Open();
    }
    Writer& Matrix(const std::vector<float>& values)
    {
        return Name("FrameTransformMatrix").Open().Floats(values).Close();
    }
    // Positions as x, y, z triples; faces as index triples.
    Writer& Mesh(const std::vector<float>& positions, const std::vector<int32_t>& triangles)
    {
        Name("Mesh").Name("mesh").Open();
        Ints({int32_t(positions.size() / 3)}).Floats(positions);
        std::vector<int32_t> faces = {int32_t(triangles.size() / 3)};
        for (size_t i = 0; i + 2 < triangles.size(); i += 3)
            faces.insert(faces.end(), {3, triangles[i], triangles[i + 1], triangles[i + 2]});
        return Ints(faces);
    }
    // Per face corner, the normal number (same layout as the mesh faces).
    Writer& Normals(const std::vector<float>& normals, const std::vector<int32_t>& corners)
    {
        Name("MeshNormals").Open().Ints({int32_t(normals.size() / 3)}).Floats(normals);
        std::vector<int32_t> faces = {int32_t(corners.size() / 3)};
        for (size_t i = 0; i + 2 < corners.size(); i += 3)
            faces.insert(faces.end(), {3, corners[i], corners[i + 1], corners[i + 2]});
        return Ints(faces).Close();
    }
    Writer& TexCoords(const std::vector<float>& uvs)
    {
        return Name("MeshTextureCoords").Open().Ints({int32_t(uvs.size() / 2)}).Floats(uvs).Close();
    }
    // One material of 11 values, with a texture file when one is given.
    Writer& Material(const std::vector<float>& values, const std::string& texture)
    {
        Name("MeshMaterialList").Open().Ints({1, 1, 0});
        Name("Material").Open().Floats(values);
        if (!texture.empty())
            Name("TextureFilename").Open().String(texture).Close();
        return Close().Close();
    }
    Writer& SkinHeader(int32_t perVertex, int32_t perFace, int32_t bones)
    {
        return Name("XSkinMeshHeader").Open().Ints({perVertex, perFace, bones}).Close();
    }
    Writer& SkinWeights(const std::string& bone, const std::vector<int32_t>& vertices,
                        const std::vector<float>& weights, const std::vector<float>& offset)
    {
        Name("SkinWeights").Open().String(bone);
        std::vector<int32_t> ints = {int32_t(vertices.size())};
        ints.insert(ints.end(), vertices.begin(), vertices.end());
        std::vector<float> floats = weights;
        floats.insert(floats.end(), offset.begin(), offset.end());
        return Ints(ints).Floats(floats).Close();
    }
    Writer& AnimationSet(const std::string& name) { return Name("AnimationSet").Name(name).Open(); }
    // An animation of one frame with one key list; close it with Close.
    Writer& Animation(const std::string& name, const std::string& frame)
    {
        return Name("Animation").Name(name).Open().Open().Name(frame).Close();
    }
    // Matrix keys at times 0, 1, 2...
    Writer& Keys(const std::vector<std::vector<float>>& keys)
    {
        Name("AnimationKey").Open().Ints({4, int32_t(keys.size()), 0, 16});
        for (size_t k = 0; k < keys.size(); ++k) {
            Floats(keys[k]);
            if (k + 1 < keys.size())
                Ints({int32_t(k + 1), 16});
        }
        return Close();
    }

private:
    void U16(uint16_t v)
    {
        bytes.push_back(char(v & 0xFF));
        bytes.push_back(char(v >> 8));
    }
};

inline std::vector<float> Identity()
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

inline std::vector<float> Translation(float x, float y, float z)
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
}

} // namespace xfile
