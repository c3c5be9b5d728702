#pragma once
#include <cstdint>

#include "render/TextureRef.h"
#include "ui/Window.h"

class TImage;
class TVertexList;

// Slider message types, sent to the parent window under the slider's name.
enum : int32_t {
    kSliderValueChanged = 9,
    kSliderReleased = 10,
    kSliderPageBefore = 11, // a press on the rail left of / above the thumb
    kSliderPageAfter = 12,  // a press on the rail right of / below the thumb
};

// A horizontal or vertical slider: a rail of three texture pieces (top cap,
// stretched middle, bottom cap) and a thumb, a child TImage that shows its
// roll image while the pointer is over it or drags it. The value runs from 0
// to 1. Style keys: "hslider", "railtop", "railmid", "railbot",
// "sliderimage", "sliderrollimage", "scale", "yoffset" (the thumb's place
// across the rail), besides the window's own.
class TSlider : public TWindow {
public:
    TSlider();
    ~TSlider() override;

    const char* GetClassName() const override { return "TSlider"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    // The slider's own keys are read by the first Init only.
    void Init(const TStyle& style) override;
    void Draw() override;
    TWindow* RemoveChild(TWindow* child) override;
    bool OnMouseDown(TPoint point) override;
    bool OnMouseUp(TPoint point) override;
    bool OnMouseMove(TPoint point) override;
    bool OnMouseLeave() override;

    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&GetCreator); }

    float GetValue() const { return mValue; }
    // Clamps to 0..1 (NaN reads as 0), places the thumb and, unless quiet,
    // sends a value-changed message.
    void SetValue(float value, bool quiet);
    void SetRail(TTextureRef top, TTextureRef middle, TTextureRef bottom);
    void SetThumbImages(TTextureRef image, TTextureRef rollImage);

    bool IsHorizontal() const { return mHorizontal; }
    bool IsDragging() const { return mDragState != 0; }
    // Null once the thumb was taken off the slider.
    TImage* GetThumb() const { return mThumb; }
    int32_t GetThickness() const { return mThickness; }

private:
    void PlaceThumb();
    void UpdateSize();
    // Shows the roll image (the normal one when there is no roll image).
    void ShowRoll(bool roll);
    TRect ThumbRect() const;
    void Notify(int32_t type);
    // One rail piece: `across` from the left (vertical) or top edge,
    // `along` from the rail's start, `length` long.
    void DrawPiece(const TTextureRef& piece, int32_t across, int32_t along, int32_t length);

    int32_t mDragState = 0;
    bool mInitialised = false;
    TImage* mThumb;      // owned; a child once it has images
    TTextureRef mThumbImage;
    TTextureRef mThumbRollImage;
    TTextureRef mRailTop;
    TTextureRef mRailMiddle;
    TTextureRef mRailBottom;
    float mValue = 0.0f;
    float mScale = 1.0f;
    int32_t mThumbOffset = 0;
    int32_t mThickness = 0;
    bool mHorizontal = false;
};
