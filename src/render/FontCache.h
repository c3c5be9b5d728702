#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

#include "platform/TString.h"

class TVecFont;

// Font name -> loaded vector font, each name looked up on disk at most
// once for the life of the cache (a failure is kept too). "__DEFAULT" is
// a copy of the built-in font; any other name is the asset of that name,
// else "fonts/default.mvec", else a copy of the built-in font.
class TFontCache {
public:
    static constexpr const char* kDefaultName = "__DEFAULT";
    static constexpr const char* kFallbackName = "fonts/default.mvec";
    // Larger font files are refused (the next choice is taken).
    static constexpr uint32_t kMaxFileSize = 16u << 20;

    // builtin: the built-in font's bytes (not owned; read-only data that
    // outlives the cache).
    TFontCache(const uint8_t* builtin, size_t builtinSize);
    ~TFontCache();
    TFontCache(const TFontCache&) = delete;
    TFontCache& operator=(const TFontCache&) = delete;

    // Null only when the font could not be made (out of memory).
    TVecFont* Lookup(const TString& name);
    // Deletes every font and empties the map.
    void Clear();
    size_t GetCount() const { return mFonts.size(); }

private:
    std::unique_ptr<TVecFont> Load(const TString& name);
    std::unique_ptr<TVecFont> LoadBuiltin();

    std::map<TString, std::unique_ptr<TVecFont>> mFonts;
    const uint8_t* mBuiltin;
    size_t mBuiltinSize;
};
