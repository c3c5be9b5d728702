#include "render/TextureLoad.h"

#include <algorithm>
#include <string>

#include "platform/AssetNames.h"
#include "platform/Log.h"
#include "render/DXContext.h"
#include "render/ImageDecode.h"
#include "render/Platform.h"
#include "render/Renderer.h"
#include "render/TextureData.h"

namespace {

constexpr size_t kNameBuffer = 260; // names with their options stay below this
constexpr uint32_t kPlainLimit = 1024; // largest side without "slow"

bool Holds(const std::string& text, const char* piece)
{
    return text.find(piece) != std::string::npos;
}

bool HasImageExtension(const std::string& name)
{
    return Holds(name, ".png") || Holds(name, ".jpg");
}

// A decoded buffer, freed with its holder.
struct THeldImage {
    TDecodedImage image;
    THeldImage() = default;
    ~THeldImage() { FreeImage(image.pixels); }
    THeldImage(const THeldImage&) = delete;
    THeldImage& operator=(const THeldImage&) = delete;
};

void ApplyOptions(TTextureData& data, const std::string& options)
{
    if (Holds(options, "slow"))
        data.SetFlag(TTextureData::kSlow, true);
    if (Holds(options, "simple"))
        data.SetFlag(TTextureData::kSimple, true);
    if (Holds(options, "alpha")) {
        data.SetFlag(TTextureData::kAlpha, true);
        data.SetFlag(TTextureData::kAlphaFromFile, false);
    }
    if (Holds(options, "mipmap"))
        data.SetFlag(TTextureData::kMipmap, true);
}

// The largest power of two the device takes as a texture side; the
// decoders' own limit without a display.
uint32_t DeviceLimit()
{
    TPlatform* platform = GetPlatform();
    TDXContext* context = platform ? platform->GetContext() : nullptr;
    uint32_t largest = kMaxImageSide;
    if (context) {
        const GfxCaps& caps = context->GetCaps();
        if (caps.maxTextureWidth != 0)
            largest = std::min(largest, caps.maxTextureWidth);
        if (caps.maxTextureHeight != 0)
            largest = std::min(largest, caps.maxTextureHeight);
    }
    uint32_t side = 1;
    while (side * 2 <= largest)
        side *= 2;
    return side;
}

bool DecodeByName(const std::string& name, THeldImage& held, uint32_t maxSide)
{
    if (Holds(name, ".png"))
        return DecodePng(TString(name.c_str()), held.image, maxSide);
    if (Holds(name, ".jpg"))
        return DecodeJpeg(TString(name.c_str()), held.image, maxSide);
    WriteLog("Texture %s: neither a .png nor a .jpg file", name.c_str());
    return false;
}

// The mask's red channel becomes the alpha, when both buffers are alike.
void ApplyMask(TDecodedImage& image, const TDecodedImage& mask)
{
    if (mask.side != image.side)
        return;
    size_t count = size_t(image.side) * image.side;
    for (size_t i = 0; i < count; ++i)
        image.pixels[i] = (image.pixels[i] & 0x00FFFFFFu) | ((mask.pixels[i] << 8) & 0xFF000000u);
}

bool Upload(TTextureData& data, const TDecodedImage& image)
{
    const uint32_t side = image.side;
    const bool square = !data.HasFlag(TTextureData::kSimple) && TRenderer::Get()->NeedsSquareTextures();
    const uint32_t surfaceHeight = square ? side : ImageSide(image.height, image.height);
    if (!data.HasFlag(TTextureData::kSlow) && (side > kPlainLimit || surfaceHeight > kPlainLimit))
        return false;
    if (!data.CreateSurface(side, surfaceHeight))
        return false;
    data.mPaddingX = int32_t((side - image.width) / 2);
    data.mPaddingY = int32_t((surfaceHeight - image.height) / 2);
    data.mWidth = image.width;
    data.mHeight = image.height;
    return data.CopyPixels(side, surfaceHeight, image.pixels);
}

// name has no options; top is false for the retries with an extension.
bool LoadNamed(TTextureData& data, const std::string& name, const std::string& mask, bool top)
{
    if (!AssetExists(TString(name.c_str()))) {
        if (!HasImageExtension(name)) {
            if (LoadNamed(data, name + ".png", mask, false) || LoadNamed(data, name + ".jpg", mask, false))
                return true;
        }
        if (top)
            WriteLog("Texture %s not found", name.c_str());
        return false;
    }
    if (!mask.empty() && !AssetExists(TString(mask.c_str()))) {
        if (!HasImageExtension(mask)) {
            return LoadNamed(data, name, mask + ".jpg", top) || LoadNamed(data, name, mask + ".png", top);
        }
        WriteLog("Texture mask %s not found", mask.c_str());
        return false;
    }

    const uint32_t deviceLimit = DeviceLimit();
    const uint32_t limit = data.HasFlag(TTextureData::kSlow) ? deviceLimit : std::min(kPlainLimit, deviceLimit);
    THeldImage image;
    if (!DecodeByName(name, image, limit))
        return false;
    if (Holds(name, ".png") && data.HasFlag(TTextureData::kAlphaFromFile))
        data.SetFlag(TTextureData::kAlpha, image.image.hasAlpha);
    if (!mask.empty()) {
        THeldImage maskImage;
        if (!DecodeByName(mask, maskImage, kMaxImageSide))
            return false;
        ApplyMask(image.image, maskImage.image);
    }
    if (!Upload(data, image.image))
        return false;
    data.mFileName = TString(name.c_str());
    data.mMaskFileName = TString(mask.c_str());
    return true;
}

} // namespace

bool LoadTextureFiles(TTextureData& data, const TString& fileName, const TString& maskFileName)
{
    std::string name = fileName.c_str();
    std::string mask = maskFileName.c_str();
    if (name.size() >= kNameBuffer || mask.size() >= kNameBuffer) {
        WriteLog("Texture name too long: %.64s...", name.size() >= kNameBuffer ? name.c_str() : mask.c_str());
        return false;
    }
    size_t question = name.find('?');
    if (question != std::string::npos) {
        ApplyOptions(data, name.substr(question + 1));
        name.erase(question);
    }
    return LoadNamed(data, name, mask, true);
}
