#pragma once
#include <cstdint>
#include <memory>

#include "platform/TString.h"
#include "render/TextLayout.h"
#include "ui/Window.h"

// A block of marked-up text in a window: the style's "label" (looked up in
// the string table while the window script translates labels), in a font,
// size and colour, optionally rotated. Links in the text ("a" runs with an
// id) follow the pointer; pressing and releasing on the same link clicks the
// button of the link's name in the text's modal window. A window of zero
// size has no layout: it draws nothing and ignores the pointer.
// Window type "Text". Main thread only.
class TText : public TWindow {
public:
    // toTexture: drawn in the render-to-texture pass.
    explicit TText(bool toTexture = false);
    ~TText() override;

    const char* GetClassName() const override { return "TText"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&TText::GetCreator); }

    // Keys: "font" {name, size, {r, g, b, a}}, "name", "label", "defflags",
    // "flags", "padding", "rotation", "rotationOriginX", "rotationOriginY",
    // "rotationAlign", then the window's own.
    void Init(const TStyle& style) override;
    void Draw() override;
    // a: the scroll fraction as a float's bits; b is ignored.
    void OnScroll(int32_t a, int32_t b) override;
    bool OnMouseDown(TPoint point) override;
    bool OnMouseUp(TPoint point) override;
    bool OnMouseMove(TPoint point) override;
    bool OnMouseLeave() override;
    // Lays out and invalidates only when the text changes.
    virtual void SetText(const TString& text);
    virtual TString GetText() const;

    // Scrolls so that fraction 0 shows the first line and 1 the last lines
    // that fit.
    void ScrollTo(float fraction);
    void SetColor(float r, float g, float b, float a);
    void SetRotation(float degrees, int32_t originX, int32_t originY);
    // False (nothing made) for a width or height below 1; else makes the
    // layout, sizes the window and sets the text.
    bool CreateLayout(const TString& text, int32_t width, int32_t height, const TString& fontName,
                      int32_t fontSize, const float colour[4], int32_t flags);

    TTextLayout* GetLayout() const { return mLayout.get(); }
    void SetScale(float scale) { mScale = scale; }
    void SetAlpha(float alpha) { mAlpha = alpha; }
    int32_t GetLineSpacing() const { return mLineSpacing; }

    // How a link clicks a button. The button class installs it: it clicks
    // the window and answers true when the window is a button, else false.
    using TButtonClick = bool (*)(TWindow* window);
    static void SetButtonClick(TButtonClick click);
    static TButtonClick GetButtonClick();

    // The label as shown while labels are translated: "#word" gives "word",
    // digits and points stay, anything else is looked up.
    static TString TranslateLabel(const TString& label);

private:
    std::unique_ptr<TTextLayout> mLayout;
    float mScale = 1;
    float mAlpha = 1;
    int32_t mLineSpacing = 0;
    TString mPressedLink;
    float mColour[4] = {1, 1, 1, 1};
};
