#include "ui/Slider.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/Log.h"
#include "platform/Numbers.h"
#include "render/Renderer.h"
#include "render/Texture.h"
#include "render/VertexList.h"
#include "ui/Image.h"
#include "ui/Style.h"
#include "ui/WindowManager.h"

namespace {

constexpr int32_t kCullNone = 1;

TTextureRef LoadPiece(const TString& sliderName, const TString& file)
{
    if (file.IsEmpty())
        return TTextureRef();
    TTextureRef texture = TTexture::Get(file, 0);
    if (!texture)
        WriteLog("Slider %s: image %s did not load", sliderName.c_str(), file.c_str());
    return texture;
}

} // namespace

TSlider::TSlider() : mThumb(new TImage(true)) {}

TSlider::~TSlider()
{
    // A thumb that is a child goes with the children.
    if (mThumb && mThumb->GetParent() != this)
        delete mThumb;
    mThumb = nullptr;
}

TWindow* TSlider::GetCreator()
{
    return new TSlider();
}

void TSlider::Init(const TStyle& style)
{
    TWindow::Init(style);
    if (mInitialised)
        return;
    mInitialised = true;

    const int32_t w = style.GetInt("w", 0);
    const int32_t h = style.GetInt("h", 0);
    if (style.GetNumber("hslider", -1.0) >= 0.0)
        mHorizontal = style.GetBool("hslider", false);
    else
        mHorizontal = w > h;

    const TString railTop = style.GetString("railtop", "");
    const TString railMiddle = style.GetString("railmid", "");
    const TString railBottom = style.GetString("railbot", "");
    const TString thumb = style.GetString("sliderimage", "");
    const TString thumbRoll = style.GetString("sliderrollimage", "");
    const TString name = style.GetString("name", "");
    const double scale = style.GetNumber("scale", 1.0);
    mThumbOffset = style.GetInt("yoffset", 0);

    SetName(name);
    if (std::isfinite(scale) && scale > 0.0) {
        mScale = float(scale);
    } else {
        WriteLog("Slider %s: scale %g is no positive number; 1 is used", name.c_str(), scale);
        mScale = 1.0f;
    }
    TTextureRef image = LoadPiece(name, thumb);
    TTextureRef rollImage = LoadPiece(name, thumbRoll);
    SetRail(LoadPiece(name, railTop), LoadPiece(name, railMiddle), LoadPiece(name, railBottom));
    SetThumbImages(std::move(image), std::move(rollImage));
    PlaceThumb();
    if (mThumb && !mThumb->GetParent())
        AddChild(mThumb, true);
    UpdateSize();
}

void TSlider::SetValue(float value, bool quiet)
{
    if (std::isnan(value) || value < 0.0f)
        value = 0.0f;
    else if (value > 1.0f)
        value = 1.0f;
    mValue = value;
    if (mThumb)
        PlaceThumb();
    if (!quiet)
        Notify(kSliderValueChanged);
}

void TSlider::SetRail(TTextureRef top, TTextureRef middle, TTextureRef bottom)
{
    mRailTop = std::move(top);
    mRailMiddle = std::move(middle);
    mRailBottom = std::move(bottom);
    UpdateSize();
}

void TSlider::SetThumbImages(TTextureRef image, TTextureRef rollImage)
{
    mThumbImage = std::move(image);
    mThumbRollImage = std::move(rollImage);
    if (mThumb) {
        mThumb->SetImage(mThumbImage, mScale);
        if (!mThumb->GetParent())
            AddChild(mThumb, true);
    }
    UpdateSize();
}

TWindow* TSlider::RemoveChild(TWindow* child)
{
    TWindow* former = TWindow::RemoveChild(child);
    // Whoever takes the thumb off owns it from then on.
    if (former && child == mThumb)
        mThumb = nullptr;
    return former;
}

void TSlider::PlaceThumb()
{
    if (!mThumb)
        return;
    if (mHorizontal)
        mThumb->MoveTo(TruncateToInt32(double(GetWidth() - mThumb->GetWidth()) * mValue), mThumbOffset);
    else
        mThumb->MoveTo(mThumbOffset, TruncateToInt32(double(GetHeight() - mThumb->GetHeight()) * mValue));
}

void TSlider::UpdateSize()
{
    int32_t thickness = 0;
    for (const TTextureRef* piece : {&mRailTop, &mRailMiddle, &mRailBottom})
        if (*piece)
            thickness = std::max(thickness, TruncateToInt32(double((*piece)->GetWidth()) * mScale));
    if (mThumb) {
        const int64_t across = std::llabs(int64_t(mThumbOffset)) +
                               (mHorizontal ? mThumb->GetHeight() : mThumb->GetWidth());
        thickness = std::max<int64_t>(thickness, std::min<int64_t>(across, std::numeric_limits<int32_t>::max()));
    }
    mThickness = thickness;
    if (mHorizontal)
        SetSize(GetWidth(), mThickness);
    else
        SetSize(mThickness, GetHeight());
    PlaceThumb();
}

void TSlider::ShowRoll(bool roll)
{
    if (!mThumb)
        return;
    const TTextureRef& image = roll && mThumbRollImage ? mThumbRollImage : mThumbImage;
    mThumb->SetImage(image, mScale);
}

TRect TSlider::ThumbRect() const
{
    return mThumb ? mThumb->GetRect() : TRect();
}

void TSlider::Notify(int32_t type)
{
    if (TWindow* parent = GetParent())
        parent->SendMessage(new TMessage(type, GetName()));
}

namespace {

bool Contains(const TRect& r, TPoint p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

} // namespace

bool TSlider::OnMouseDown(TPoint point)
{
    if (!mThumb)
        return false;
    const TRect thumb = ThumbRect();
    if (Contains(thumb, point)) {
        mDragState = 1;
        if (TWindowManager* manager = GetWindowManager())
            manager->AddCapture(this);
        return true;
    }
    const bool before = mHorizontal ? point.x < thumb.left : point.y < thumb.top;
    Notify(before ? kSliderPageBefore : kSliderPageAfter);
    return true;
}

bool TSlider::OnMouseMove(TPoint point)
{
    TWindowManager* manager = GetWindowManager();
    ShowRoll(mDragState != 0 || Contains(ThumbRect(), point));
    if (!Contains(GetClientRect(), point) && mDragState == 0) {
        if (manager)
            manager->ReleaseCapture(this);
        ShowRoll(false);
    } else if (manager) {
        // Keeps the moves coming while the pointer is over the slider.
        manager->AddCapture(this);
    }
    if (mDragState == 0)
        return false;
    // A slider without length keeps its value.
    const int32_t extent = mHorizontal ? GetWidth() : GetHeight();
    if (extent > 0)
        SetValue(float(double(mHorizontal ? point.x : point.y) / extent), false);
    return true;
}

bool TSlider::OnMouseUp(TPoint point)
{
    if (mDragState == 0)
        return false;
    mDragState = 0;
    ShowRoll(Contains(ThumbRect(), point));
    if (!Contains(GetClientRect(), point)) {
        if (TWindowManager* manager = GetWindowManager())
            manager->ReleaseCapture(this);
        ShowRoll(false);
    }
    Notify(kSliderReleased);
    return true;
}

bool TSlider::OnMouseLeave()
{
    if (mDragState != 0)
        return true;
    ShowRoll(false);
    if (TWindowManager* manager = GetWindowManager())
        manager->ReleaseCapture(this);
    return true;
}

void TSlider::Draw()
{
    TRenderer* renderer = TRenderer::Get();
    // Inside an open pass the renderer refuses (and logs); the rail is drawn
    // in that pass.
    const bool began = renderer->Begin2d();
    renderer->SetBlendMode(kBlendNormal);
    renderer->SetCullMode(kCullNone);

    const int32_t length = mHorizontal ? GetWidth() : GetHeight();
    const int32_t topLength = mRailTop ? int32_t(std::min<uint32_t>(mRailTop->GetHeight(), INT32_MAX)) : 0;
    const int32_t bottomLength =
        mRailBottom ? int32_t(std::min<uint32_t>(mRailBottom->GetHeight(), INT32_MAX)) : 0;
    const int64_t middleLength = int64_t(length) - topLength - bottomLength;

    DrawPiece(mRailTop, 0, 0, topLength);
    if (middleLength > 0)
        DrawPiece(mRailMiddle, 0, topLength, int32_t(middleLength));
    DrawPiece(mRailBottom, 0, int32_t(std::max<int64_t>(int64_t(topLength) + std::max<int64_t>(middleLength, 0),
                                                        0)),
              bottomLength);

    if (began)
        renderer->End2d();
}

void TSlider::DrawPiece(const TTextureRef& piece, int32_t across, int32_t along, int32_t length)
{
    if (!piece || length <= 0)
        return;
    uint32_t surfaceWidth = 0, surfaceHeight = 0;
    piece->GetSurfaceSize(surfaceWidth, surfaceHeight);
    if (surfaceWidth == 0 || surfaceHeight == 0)
        return;
    const int32_t width = int32_t(std::min<uint32_t>(piece->GetWidth(), INT32_MAX));
    across += (mThickness - width) / 2;
    const float uMax = float(piece->GetWidth()) / float(surfaceWidth);
    const float vMax = float(piece->GetHeight()) / float(surfaceHeight);

    // Corners of the unit square: u across the rail, v along it.
    static const float kCorners[6][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 1}};
    TLitVertex vertices[6];
    for (int i = 0; i < 6; ++i) {
        const float a = float(across) + kCorners[i][0] * float(width) - 0.5f;
        const float l = float(along) + kCorners[i][1] * float(length) - 0.5f;
        TLitVertex& v = vertices[i];
        v.x = mHorizontal ? l : a;
        v.y = mHorizontal ? a : l;
        v.z = 0.1f;
        v.diffuse = TColor(0xFFFFFFFFu);
        v.specular = TColor(0xFFFFFFFFu);
        v.u = kCorners[i][0] * uMax;
        v.v = kCorners[i][1] * vMax;
    }
    TRenderer* renderer = TRenderer::Get();
    renderer->SetTexture(piece);
    renderer->DrawVertices(kPrimitiveTriangleList, TVertexList(kVertexSprite, vertices, 6));
}
