#include "render/Texture.h"

#include <algorithm>
#include <cinttypes>
#include <utility>

#include "platform/AssetManager.h"
#include "platform/AssetMap.h"
#include "render/Platform.h"
#include "render/RenderStates.h"
#include "render/Renderer.h"
#include "render/VertexList.h"

namespace {

TTextureData* ResolveTexture(const TTexture* texture)
{
    return texture->GetData();
}

TTextureData* NewTextureData()
{
    TPlatform* platform = GetPlatform();
    return platform ? platform->CreateTextureData() : new TDxTextureData();
}

TString WithSlashes(const TString& name)
{
    TString out = name;
    out.Replace("\\", "/", TString::kAll);
    return out;
}

uint32_t RoundUpEven(int64_t value)
{
    if (value <= 0)
        return 0;
    return uint32_t((value + 1) & ~int64_t(1));
}

} // namespace

const TAssetClassId TTexture::ClassId = &TTexture::ClassId;

TTexture::TTexture() : TTexture(std::unique_ptr<TTextureData>(NewTextureData()))
{
}

TTexture::TTexture(std::unique_ptr<TTextureData> data) : mData(std::move(data))
{
    if (!mData)
        mData.reset(new TDxTextureData());
    // The display layer finds a texture's data through this.
    SetTextureDataResolver(ResolveTexture);
}

TTexture::~TTexture()
{
    if (mData->mFileName.IsEmpty()) {
        if (TAssetManager* manager = GetAssetManager())
            manager->Remove(RenderTargetKey());
    }
}

const char* TTexture::GetClassName() const
{
    return "TTexture";
}

bool TTexture::IsKindOf(TAssetClassId id) const
{
    return id == ClassId || TAsset::IsKindOf(id);
}

void TTexture::Release()
{
    mData->ReleaseSurface();
}

void TTexture::Restore()
{
    mData->Restore();
}

// Keys ------------------------------------------------------------------

TString TTexture::KeyOf(const TString& name, uint32_t flags)
{
    TString key = WithSlashes(name);
    if (flags & kGetAlpha)
        key += ":a";
    if (flags & kGetMipmap)
        key += ":m";
    key += ":tex";
    return key;
}

TString TTexture::MaskedKeyOf(const TString& image, const TString& mask, uint32_t flags)
{
    TString key = image + ":" + mask;
    if (flags & kGetMipmap)
        key += ":m";
    key += ":tex";
    return key;
}

TString TTexture::CursorKeyOf(const TString& name)
{
    return WithSlashes(name) + ":s:tex";
}

TString TTexture::RenderTargetKey() const
{
    TString key;
    key.Format("%" PRIxPTR ":tex:r", reinterpret_cast<uintptr_t>(this));
    return key;
}

// Makers ----------------------------------------------------------------

TTextureRef TTexture::FindLive(const TString& key)
{
    TAssetManager* manager = GetAssetManager();
    std::shared_ptr<TAsset> found = manager ? manager->Find(key) : nullptr;
    if (!found || !found->IsKindOf(ClassId))
        return TTextureRef();
    return std::static_pointer_cast<TTexture>(found);
}

TTextureRef TTexture::Load(const TString& key, const TString& name, const TString& mask, uint8_t setFlags)
{
    if (TTextureRef live = FindLive(key))
        return live;
    auto texture = std::make_shared<TTexture>();
    texture->mData->SetFlag(setFlags, true);
    if (!texture->mData->Load(name, mask))
        return TTextureRef();
    if (TAssetManager* manager = GetAssetManager())
        manager->Add(key, texture);
    return texture;
}

TTextureRef TTexture::Get(const TString& name, uint32_t flags)
{
    uint8_t set = 0;
    if (flags & kGetAlpha)
        set |= TTextureData::kAlpha;
    else if (!(flags & kGetOpaque))
        set |= TTextureData::kAlphaFromFile;
    if (flags & kGetMipmap)
        set |= TTextureData::kMipmap;
    return Load(KeyOf(name, flags), name, TString(), set);
}

TTextureRef TTexture::GetMasked(const TString& image, const TString& mask, uint32_t flags)
{
    uint8_t set = TTextureData::kAlpha;
    if (flags & kGetMipmap)
        set |= TTextureData::kMipmap;
    return Load(MaskedKeyOf(image, mask, flags), image, mask, set);
}

TTextureRef TTexture::GetCursorTexture(const TString& name)
{
    return Load(CursorKeyOf(name), name, TString(), TTextureData::kSimple | TTextureData::kAlphaFromFile);
}

TTextureRef TTexture::CreateRenderTarget(uint32_t width, uint32_t height, bool alpha)
{
    auto texture = std::make_shared<TTexture>();
    texture->mData->SetFlag(TTextureData::kAlpha, alpha);
    if (!texture->mData->CreateSurface(width, height))
        return TTextureRef();
    if (TAssetManager* manager = GetAssetManager())
        manager->Add(texture->RenderTargetKey(), texture);
    return texture;
}

void RegisterTextureAssetLoader()
{
    TAssetMap::RegisterLoader(TAssetMap::kTextureLoader,
                              [](const TString& name) -> std::shared_ptr<TAsset> { return TTexture::Get(name, 0); });
}

// Drawing ---------------------------------------------------------------

void TTexture::Draw(const TDrawParams& params)
{
    const TTextureData& data = *mData;
    TRenderer* renderer = TRenderer::Get();
    if (!renderer->IsIn2d() || data.mSurfaceWidth == 0 || data.mSurfaceHeight == 0)
        return;
    // The renderer holds the texture it draws with.
    TTextureRef self = std::static_pointer_cast<TTexture>(weak_from_this().lock());
    if (!self)
        return;

    float left = 0, top = 0, right = float(data.mWidth), bottom = float(data.mHeight);
    if (params.flags & kDrawSourceRect) {
        left = float(params.sourceRect[0]);
        top = float(params.sourceRect[1]);
        right = float(params.sourceRect[2]);
        bottom = float(params.sourceRect[3]);
    }
    const float w = right - left, h = bottom - top;
    const TVec2 o = (params.flags & kDrawAtOrigin) ? -params.origin
                                                   : TVec2((left - right) * 0.5f, (top - bottom) * 0.5f);
    TVec2 corners[4] = {o, TVec2(o.x + w, o.y), TVec2(o.x + w, o.y + h), TVec2(o.x, o.y + h)};
    if (params.flags & kDrawMirrorY) {
        std::swap(corners[0].y, corners[2].y);
        std::swap(corners[1].y, corners[3].y);
    }
    if (params.flags & kDrawMirrorX) {
        std::swap(corners[0].x, corners[1].x);
        std::swap(corners[2].x, corners[3].x);
    }
    const float sw = float(data.mSurfaceWidth), sh = float(data.mSurfaceHeight);
    const TVec2 texCorners[2] = {TVec2(left / sw, top / sh), TVec2(right / sw, bottom / sh)};

    TLitVertex vertices[4];
    BuildQuadVertices(TVec2(0, 0), vertices, corners, texCorners, params.transform, params.alpha, params.colour);
    renderer->SetTexture(std::move(self));
    renderer->DrawVertices(kPrimitiveTriangleFan, TVertexList(kVertexSprite, vertices, 4));
}

void TTexture::Draw(float x, float y, float alpha, float scale, float angle, uint32_t flags)
{
    if (!TRenderer::Get()->IsIn2d())
        return;
    TDrawParams params(TVec2(x, y), alpha, scale, flags);
    params.transform.Rotate(angle);
    Draw(params);
}

bool TTexture::Blit(int32_t x, int32_t y, const TRect* source, const TTextureRef& target)
{
    if (TRenderer::Get()->IsDrawing())
        return false;
    if (!source)
        return mData->Blit(x, y, nullptr, target);
    TRect rect = *source;
    rect.left = std::max(rect.left, 0);
    rect.top = std::max(rect.top, 0);
    rect.right = std::min(rect.right, int32_t(std::min<uint32_t>(mData->mWidth, INT32_MAX)));
    rect.bottom = std::min(rect.bottom, int32_t(std::min<uint32_t>(mData->mHeight, INT32_MAX)));
    return mData->Blit(x, y, &rect, target);
}

uint32_t TTexture::GetWidth() const
{
    return mData->mWidth;
}

uint32_t TTexture::GetHeight() const
{
    return mData->mHeight;
}

// Pixels ----------------------------------------------------------------

bool TTexture::Clear()
{
    return mData->Fill();
}

bool TTexture::Lock(uint32_t*& pixels, uint32_t& pitch)
{
    return mData->Lock(pixels, pitch);
}

void TTexture::Unlock()
{
    mData->Unlock();
}

bool TTexture::HasAlpha() const
{
    return mData->HasFlag(TTextureData::kAlpha);
}

void TTexture::GetSurfaceSize(uint32_t& width, uint32_t& height) const
{
    width = RoundUpEven(int64_t(mData->mWidth) + 2 * int64_t(mData->mPaddingX));
    height = RoundUpEven(int64_t(mData->mHeight) + 2 * int64_t(mData->mPaddingY));
}
