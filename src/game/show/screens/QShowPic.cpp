#include "game/show/screens/QShowPic.h"

#include "platform/Log.h"
#include "render/Texture.h"
#include "ui/Image.h"

namespace KQuestion {

QShowPic::QShowPic(const TString& text, const TString& picture)
    : QShow(text, "scripts/QShowPic.lua", kPicTextBox), mPicture(picture)
{
    ShowPicture();
}

QShowPic::Fit QShowPic::FitPicture(const TRect& frame, uint32_t pictureWidth, uint32_t pictureHeight)
{
    if (pictureWidth == 0 || pictureHeight == 0)
        return {frame.left, frame.top, 0.0f};
    const int32_t width = frame.Width();
    const int32_t height = frame.Height();
    const double sx = double(width) / double(pictureWidth);
    const double sy = double(height) / double(pictureHeight);
    // The smaller ratio fits; the other axis is centred (halved toward zero).
    if (sx < sy)
        return {frame.left, frame.top + (height - int32_t(double(pictureHeight) * sx)) / 2, float(sx)};
    return {frame.left + (width - int32_t(double(pictureWidth) * sy)) / 2, frame.top, float(sy)};
}

void QShowPic::ShowPicture()
{
    TTextureRef picture = TTexture::Get(mPicture, 0);
    if (!picture) {
        WriteLog("QShowPic: no picture \"%s\"; the frame stays as it is", mPicture.c_str());
        return;
    }
    // The frame is a direct child: its rectangle is in this window's space.
    auto* frame = TWindow::Cast<TImage>(FindChild(TString("img"), 1));
    if (!frame || frame->GetParent() != this) {
        WriteLog("QShowPic: the script made no picture frame \"img\"");
        return;
    }
    const Fit fit = FitPicture(frame->GetRect(), picture->GetWidth(), picture->GetHeight());
    if (fit.scale <= 0.0f) {
        WriteLog("QShowPic: picture \"%s\" has no size", mPicture.c_str());
        return;
    }
    frame->MoveTo(fit.x, fit.y);
    frame->SetImage(picture, fit.scale);
}

} // namespace KQuestion
