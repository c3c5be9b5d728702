#pragma once
#include <cstdint>

#include "game/show/screens/QShow.h"
#include "platform/Rect.h"

namespace KQuestion {

// A display window with a picture beside a smaller text, for questions
// that show one. "scripts/QShowPic.lua" must make the picture frame: a
// Bitmap named "img", a direct child of the window. The picture fills the
// frame with its aspect kept, centred along the axis with room to spare; a
// picture that does not load leaves the frame as the script made it.
class QShowPic : public QShow {
public:
    QShowPic(const TString& text, const TString& picture);

    const char* GetClassName() const override { return "QShowPic"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || QShow::IsKindOf(id); }
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&QShowPic::TypeId); }

    const TString& GetPicture() const { return mPicture; }

    static constexpr TextBox kPicTextBox{24, 100, 5, 135, 134};

    // The frame's new top-left and the picture's scale for a picture of
    // the given size in frame. Null sizes give the frame's place at scale 0.
    struct Fit {
        int32_t x, y;
        float scale;
    };
    static Fit FitPicture(const TRect& frame, uint32_t pictureWidth, uint32_t pictureHeight);

private:
    void ShowPicture();

    TString mPicture;
};

} // namespace KQuestion
