#include "game/show/screens/QShow.h"

#include "game/stage/KText.h"
#include "platform/Log.h"
#include "render/Renderer.h"
#include "render/Texture.h"
#include "ui/WindowManager.h"

namespace KQuestion {

namespace {

constexpr char kSubText[] = "subText";
constexpr char kFont[] = "fonts/chalkboard.mvec";
constexpr uint32_t kLayoutOption = 5;

} // namespace

QShow::QShow(const TString& text) : QShow(text, "scripts/QShow.lua", kTextBox) {}

QShow::QShow(const TString& text, const char* script, const TextBox& box) : mText(text), mBox(box)
{
    TWindowManager* windows = GetWindowManager();
    if (!windows || !windows->RunWindowScript(this, TString(script)))
        WriteLog("QShow: %s did not run; the text shows on a bare picture", script);
    MoveTo(0, 0);
    SetSize(kWidth, kHeight);
}

QShow::~QShow() = default;

void QShow::ReplaceSubText()
{
    if (TWindow* old = FindChild(TString(kSubText))) {
        if (TWindow* parent = old->GetParent())
            parent->RemoveChild(old);
        if (TWindowManager* windows = GetWindowManager())
            windows->DeferDelete(old);
        else
            delete old;
    }
    auto* text = new KTex::KText(mText, TString(kFont), mBox.size, 1.0f, 1.0f, 1.0f, 1.0f, mBox.width, mBox.height,
                                 kLayoutOption, KTex::KText::kFit | KTex::KText::kShadow);
    text->MoveTo(mBox.x, mBox.y);
    text->SetName(TString(kSubText));
    if (!AddChild(text, true)) {
        WriteLog("QShow: the text window was refused");
        delete text;
    }
}

TTextureRef QShow::RenderToTexture()
{
    ReplaceSubText();
    TTextureRef target = TTexture::CreateRenderTarget(uint32_t(GetWidth()), uint32_t(GetHeight()), false);
    if (!target) {
        WriteLog("QShow: no render target for \"%s\"", mText.c_str());
        return TTextureRef();
    }
    target->Clear();
    TRenderer* renderer = TRenderer::Get();
    if (renderer && renderer->BeginRenderToTexture(target, 0)) {
        DrawTree(0);
        renderer->EndRenderToTexture();
    }
    return KTex::KText::Resize(target, kTextureSize, kTextureSize, 0);
}

} // namespace KQuestion
