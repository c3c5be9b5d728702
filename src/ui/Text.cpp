#include "ui/Text.h"

#include <bit>
#include <cstring>

#include "platform/Log.h"
#include "render/Renderer.h"
#include "ui/ModalWindow.h"
#include "ui/WindowManager.h"
#include "ui/WindowScriptHooks.h"
#include "ui/WindowStyle.h"

namespace {

TText::TButtonClick gButtonClick = nullptr;

constexpr const char* kDefaultFont = "__DEFAULT";
constexpr int32_t kDefaultFontSize = 16;

void InvalidateManager()
{
    if (TWindowManager* manager = GetWindowManager())
        manager->Invalidate();
}

// The translate-labels option of the window script (off without one).
bool TranslatingLabels()
{
    TWindowManager* manager = GetWindowManager();
    if (!manager)
        return false;
    const bool on = manager->SetTranslateLabels(true);
    manager->SetTranslateLabels(on);
    return on;
}

struct TFontSpec {
    TString name{kDefaultFont};
    int32_t size = kDefaultFontSize;
    float colour[4] = {1, 1, 1, 1};
};

// "font" = {name, size, {r, g, b, a}}; only script styles carry lists.
TFontSpec ReadFont(const TStyle& style, const TString& windowName)
{
    TFontSpec font;
    const auto* script = dynamic_cast<const TWindowStyle*>(&style);
    std::unique_ptr<TLuaTable> list = script ? script->GetTable("font") : nullptr;
    if (list) {
        font.name = list->GetString(1, font.name);
        const double size = list->GetNumber(2, kDefaultFontSize);
        font.size = size > TTextLayout::kMaxFontSize ? TTextLayout::kMaxFontSize : int32_t(size);
        list->GetColor(3, font.colour);
    }
    if (font.size == 0)
        font.size = 12;
    if (font.size < 0) {
        WriteLog("TText '%s': font size %d; %d used", windowName.c_str(), font.size, kDefaultFontSize);
        font.size = kDefaultFontSize;
    }
    return font;
}

} // namespace

TText::TText(bool toTexture)
{
    if (toTexture)
        ChangeFlags(kWindowToTexture, 0);
}

TText::~TText() = default;

TWindow* TText::GetCreator()
{
    return new TText(false);
}

void TText::SetButtonClick(TButtonClick click)
{
    gButtonClick = click;
}

TText::TButtonClick TText::GetButtonClick()
{
    return gButtonClick;
}

TString TText::TranslateLabel(const TString& label)
{
    if (label.IsEmpty())
        return label;
    if (label.c_str()[0] == '#')
        return TString(label.c_str() + 1);
    if (std::strspn(label.c_str(), "0123456789.") == label.Length())
        return label;
    TWindowManager* manager = GetWindowManager();
    TWindowScriptHooks* script = manager ? manager->GetScript() : nullptr;
    return script ? script->LookupLabel(label) : label;
}

void TText::Init(const TStyle& style)
{
    const TString name = style.GetString("name", TString());
    const TFontSpec font = ReadFont(style, name);
    TString label = style.GetString("label", TString());
    if (TranslatingLabels())
        label = TranslateLabel(label);
    const int32_t defFlags = style.GetInt("defflags", 0);
    const int32_t flags = style.GetInt("flags", defFlags);
    const int32_t padding = style.GetInt("padding", 0);
    const double rotation = style.GetNumber("rotation", 0);
    const int32_t originX = style.GetInt("rotationOriginX", 0);
    const int32_t originY = style.GetInt("rotationOriginY", 0);
    const int32_t rotationAlign = style.GetInt("rotationAlign", 0);

    TWindow::Init(style);

    if (GetWidth() <= 0 || GetHeight() <= 0) {
        WriteLog("ERROR: Attempting to create text window of size(0,0): named '%s', label '%s'", name.c_str(),
                 label.c_str());
        return;
    }
    mLineSpacing = padding;
    CreateLayout(label, GetWidth(), GetHeight(), font.name, font.size, font.colour, flags);
    if (rotation != 0) {
        TPoint origin;
        if (!ResolvePosition(originX, originY, GetWidth(), GetHeight(), rotationAlign, GetParent(), origin))
            WriteLog("TText '%s': rotation origin (%d, %d) out of range; (0, 0) used", name.c_str(), originX,
                     originY);
        SetRotation(float(rotation), origin.x, origin.y);
    }
}

bool TText::CreateLayout(const TString& text, int32_t width, int32_t height, const TString& fontName,
                         int32_t fontSize, const float colour[4], int32_t flags)
{
    if (width <= 0 || height <= 0)
        return false;
    if (colour)
        std::memcpy(mColour, colour, sizeof mColour);
    mLayout = TTextLayout::Create(TString(), width, height, flags, fontName.c_str(), fontSize, mColour);
    SetSize(width, height);
    SetText(text);
    return true;
}

void TText::Draw()
{
    if (!mLayout)
        return;
    T2dGuard pass;
    pass.Begin2d();
    mLayout->Draw(GetClientRect(), mScale, mLineSpacing, mAlpha, TTextureRef());
}

void TText::OnScroll(int32_t a, int32_t b)
{
    (void)b;
    ScrollTo(std::bit_cast<float>(a));
}

void TText::ScrollTo(float fraction)
{
    if (!mLayout)
        return;
    const int32_t n = mLayout->FindLineAt(mScale, mLineSpacing);
    mLayout->SetFirstVisibleLine((float(n) + 0.5f) * fraction);
    InvalidateManager();
}

bool TText::OnMouseDown(TPoint point)
{
    if (!mLayout)
        return false;
    mLayout->GetLinkAt(mPressedLink, point.x, point.y, mLineSpacing);
    return !mPressedLink.IsEmpty();
}

bool TText::OnMouseUp(TPoint point)
{
    if (mPressedLink.IsEmpty())
        return false;
    const TString pressed = mPressedLink;
    mPressedLink = TString();
    TString link;
    if (mLayout)
        mLayout->GetLinkAt(link, point.x, point.y, mLineSpacing);
    if (link != pressed)
        return true;
    TModalWindow* modal = GetModalWindow();
    TWindow* target = modal ? modal->FindChild(pressed, -1) : nullptr;
    if (!target)
        WriteLog("ERROR: Command window %s not found", pressed.c_str());
    else if (!gButtonClick || !gButtonClick(target))
        WriteLog("ERROR: Command window %s not a derived class of TButton", pressed.c_str());
    return true;
}

bool TText::OnMouseMove(TPoint point)
{
    if (!mLayout)
        return false;
    const int32_t at[2] = {point.x, point.y};
    if (!mLayout->IsOverLink(at, mLineSpacing))
        return false;
    InvalidateManager();
    if (TWindowManager* manager = GetWindowManager())
        manager->AddCapture(this);
    return true;
}

bool TText::OnMouseLeave()
{
    if (!mLayout)
        return false;
    mLayout->IsOverLink(nullptr, mLineSpacing);
    InvalidateManager();
    if (TWindowManager* manager = GetWindowManager())
        manager->ReleaseCapture(this);
    return true;
}

void TText::SetText(const TString& text)
{
    if (!mLayout || text == mLayout->GetText())
        return;
    InvalidateManager();
    mLayout->SetText(text);
}

TString TText::GetText() const
{
    return mLayout ? mLayout->GetText() : TString();
}

void TText::SetColor(float r, float g, float b, float a)
{
    if (!mLayout)
        return;
    const float colour[4] = {r, g, b, a};
    if (std::memcmp(colour, mColour, sizeof colour) == 0)
        return;
    std::memcpy(mColour, colour, sizeof mColour);
    mLayout->SetColor(mColour);
    InvalidateManager();
}

void TText::SetRotation(float degrees, int32_t originX, int32_t originY)
{
    if (mLayout)
        mLayout->SetRotation(degrees, originX, originY);
}
