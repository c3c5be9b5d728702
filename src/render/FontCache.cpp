#include "render/FontCache.h"

#include <new>
#include <vector>

#include "platform/File.h"
#include "platform/Log.h"
#include "render/VecFont.h"

namespace {

// The whole asset file, or false when it does not open, is too large or
// reads short.
bool ReadWhole(const TString& name, std::vector<uint8_t>& out)
{
    TFileHandle file;
    if (!file.Open(name, kFileReadBinary))
        return false;
    file.Seek(0, kSeekEnd);
    int32_t size = file.Tell();
    file.Seek(0, kSeekStart);
    if (size < 0 || uint32_t(size) > TFontCache::kMaxFileSize) {
        WriteLog("Font %s: file size %d refused", name.c_str(), int(size));
        return false;
    }
    out.resize(size_t(size));
    if (size > 0 && file.Read(out.data(), uint32_t(size)) != uint32_t(size)) {
        WriteLog("Font %s: short read", name.c_str());
        return false;
    }
    return true;
}

} // namespace

TFontCache::TFontCache(const uint8_t* builtin, size_t builtinSize) : mBuiltin(builtin), mBuiltinSize(builtinSize)
{
}

TFontCache::~TFontCache()
{
    Clear();
}

void TFontCache::Clear()
{
    mFonts.clear();
}

TVecFont* TFontCache::Lookup(const TString& name)
{
    auto it = mFonts.find(name);
    if (it != mFonts.end())
        return it->second.get();
    std::unique_ptr<TVecFont> font;
    try {
        font = name == kDefaultName ? LoadBuiltin() : Load(name);
    } catch (const std::bad_alloc&) {
        font.reset();
    }
    if (!font)
        WriteLog("Font not found: %s", name.c_str());
    TVecFont* result = font.get();
    mFonts.emplace(name, std::move(font));
    return result;
}

std::unique_ptr<TVecFont> TFontCache::Load(const TString& name)
{
    std::vector<uint8_t> bytes;
    if (ReadWhole(name, bytes))
        return std::make_unique<TVecFont>(std::move(bytes), name.c_str());
    if (ReadWhole(TString(kFallbackName), bytes))
        return std::make_unique<TVecFont>(std::move(bytes), kFallbackName);
    return LoadBuiltin();
}

std::unique_ptr<TVecFont> TFontCache::LoadBuiltin()
{
    std::vector<uint8_t> copy(mBuiltin, mBuiltin + (mBuiltin ? mBuiltinSize : 0));
    return std::make_unique<TVecFont>(std::move(copy), "built-in font");
}
