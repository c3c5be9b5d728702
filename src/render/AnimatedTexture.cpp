#include "render/AnimatedTexture.h"

#include <algorithm>
#include <limits>

#include "platform/AssetManager.h"
#include "platform/Log.h"
#include "render/TextureData.h"

namespace {

// a + b held to the int32 range.
int32_t AddClamped(int32_t a, int32_t b)
{
    const int64_t sum = int64_t(a) + int64_t(b);
    return int32_t(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

TString WithoutOptions(const TString& name)
{
    const int32_t mark = name.Find('?');
    return mark >= 0 ? name.Mid(0, uint32_t(mark)) : name;
}

} // namespace

const TAssetClassId TAnimatedTexture::ClassId = &TAnimatedTexture::ClassId;

const TAnimatedFrame* TAnimatedTextureData::Frame(int32_t index) const
{
    return index >= 0 && index < FrameCount() ? &frames[size_t(index)] : nullptr;
}

TAnimatedTexture::TAnimatedTexture(const TString& name) : mDesc(std::make_unique<TAnimatedTextureData>())
{
    mDesc->descriptionName = WithoutOptions(name);
}

TAnimatedTexture::~TAnimatedTexture() = default;

const char* TAnimatedTexture::GetClassName() const
{
    return "TAnimatedTexture";
}

bool TAnimatedTexture::IsKindOf(TAssetClassId id) const
{
    return id == ClassId || TTexture::IsKindOf(id);
}

TString TAnimatedTexture::KeyOf(const TString& name, const TString& image, const TString& mask)
{
    return WithoutOptions(name) + ":" + image + ":" + mask;
}

TAnimatedTextureRef TAnimatedTexture::Get(const TString& name, const TString& image, const TString& mask)
{
    const TString key = KeyOf(name, image, mask);
    TAssetManager* manager = GetAssetManager();
    if (manager) {
        std::shared_ptr<TAsset> live = manager->Find(key);
        if (live && live->IsKindOf(ClassId))
            return std::static_pointer_cast<TAnimatedTexture>(live);
    }
    auto texture = std::make_shared<TAnimatedTexture>(name);
    if (!texture->Load(image, mask))
        return TAnimatedTextureRef();
    if (!texture->LoadImages()) {
        WriteLog("Animated texture %s: sheet %s does not load", name.c_str(), texture->mDesc->imageName.c_str());
        return TAnimatedTextureRef();
    }
    if (manager)
        manager->Add(key, texture);
    return texture;
}

bool TAnimatedTexture::LoadImages()
{
    TTextureData* data = GetData();
    data->SetFlag(TTextureData::kAlpha, true);
    data->SetFlag(TTextureData::kAlphaFromFile, false);
    const TAnimatedTextureData& d = *mDesc;
    if (d.maskName.IsEmpty())
        return data->Load(d.folder + d.imageName, TString()) || data->Load(d.imageName, TString());
    return data->Load(d.folder + d.imageName, d.folder + d.maskName) || data->Load(d.imageName, d.maskName);
}

void TAnimatedTexture::MakeDefaultScript()
{
    TString script = "function DoAnim()\n    delay(60);\n";
    const int32_t count = mDesc->FrameCount();
    if (count > 0) {
        script += "    frames{1";
        for (int32_t i = 2; i <= count; ++i)
            script += StrFormat(",%d", i);
        script += "};\n";
    }
    script += "end\n";
    mDesc->script = script;
}

void TAnimatedTexture::SetFrame(int32_t index)
{
    if (index >= -1 && index < mDesc->FrameCount())
        mDesc->currentFrame = index;
}

TRect TAnimatedTexture::GetFrameRect(int32_t index) const
{
    const TAnimatedFrame* f = mDesc->Frame(index);
    if (!f)
        return TRect();
    return TRect(f->x, f->y, AddClamped(f->x, f->w), AddClamped(f->y, f->h));
}

void TAnimatedTexture::GetRegistration(int32_t index, int32_t& regx, int32_t& regy) const
{
    const TAnimatedFrame* f = mDesc->Frame(index);
    regx = f ? f->regx : 0;
    regy = f ? f->regy : 0;
}

bool TAnimatedTexture::GetAnchor(const TString& name, int32_t* x, int32_t* y) const
{
    const TAnimatedFrame* f = mDesc->Frame(mDesc->currentFrame);
    if (!f)
        return false;
    for (const TFrameAnchor& anchor : f->anchors) {
        if (anchor.name == name) {
            if (x)
                *x = anchor.x;
            if (y)
                *y = anchor.y;
            return true;
        }
    }
    return false;
}

uint32_t TAnimatedTexture::GetWidth() const
{
    const TAnimatedFrame* f = mDesc->Frame(mDesc->currentFrame);
    return f ? uint32_t(f->w) : 0;
}

uint32_t TAnimatedTexture::GetHeight() const
{
    const TAnimatedFrame* f = mDesc->Frame(mDesc->currentFrame);
    return f ? uint32_t(f->h) : 0;
}

void TAnimatedTexture::Draw(const TDrawParams& params)
{
    const TAnimatedFrame* f = mDesc->Frame(mDesc->currentFrame);
    if (!f)
        return;
    TDrawParams q = params;
    if (!(params.flags & kDrawAtOrigin)) {
        q.flags |= kDrawAtOrigin;
        q.origin = TVec2(float(f->regx), float(f->regy));
        if (params.flags & kDrawMirrorX)
            q.origin.x = float(int64_t(f->w) - f->regx);
        if (params.flags & kDrawMirrorY)
            q.origin.y = float(int64_t(f->h) - f->regy);
    }
    if (mDesc->imageTransform[0] != TAnimatedTextureData::kNoTransform) {
        // The frame's own linear part acts in the image's space, before
        // the placement, so the image stays at its position.
        const TMat3 frameLinear(f->transform[0], f->transform[1], 0, f->transform[2], f->transform[3], 0, 0, 0, 1);
        q.transform = frameLinear * q.transform;
    }
    if (f->w == 0)
        return;
    const TRect frameRect = GetFrameRect(mDesc->currentFrame);
    TRect source = frameRect;
    if (q.flags & kDrawSourceRect) {
        const TRect given(AddClamped(q.sourceRect[0], f->x), AddClamped(q.sourceRect[1], f->y),
                          AddClamped(q.sourceRect[2], f->x), AddClamped(q.sourceRect[3], f->y));
        source = TRect::Intersect(given, frameRect);
        if (source.IsEmpty())
            return; // nothing of the frame is asked for
    }
    q.flags |= kDrawSourceRect;
    q.sourceRect[0] = source.left;
    q.sourceRect[1] = source.top;
    q.sourceRect[2] = source.right;
    q.sourceRect[3] = source.bottom;
    TTexture::Draw(q);
}
