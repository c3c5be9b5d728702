#pragma once
// Small ".dnp" packs and files written for tests.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

inline void PutLE32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xff);
}

// A pack: "DNPK", entry count, then per entry a name length byte, the name,
// offset and size; the data follows the directory.
inline std::string BuildPack(const std::vector<std::pair<std::string, std::string>>& entries)
{
    uint32_t offset = 8;
    for (const auto& e : entries)
        offset += 1 + static_cast<uint32_t>(e.first.size()) + 8;
    std::string out = "DNPK";
    PutLE32(out, static_cast<uint32_t>(entries.size()));
    for (const auto& e : entries) {
        out += static_cast<char>(e.first.size());
        out += e.first;
        PutLE32(out, offset);
        PutLE32(out, static_cast<uint32_t>(e.second.size()));
        offset += static_cast<uint32_t>(e.second.size());
    }
    for (const auto& e : entries)
        out += e.second;
    return out;
}

// Writes `bytes` to `path`, making its folders.
inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
