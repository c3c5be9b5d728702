#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Rect.h"
#include "platform/TString.h"
#include "render/Texture.h"

// A named point of one frame, in texels of the frame.
struct TFrameAnchor {
    TString name;
    int32_t x = 0;
    int32_t y = 0;
};

// One frame of a sheet: its rectangle in the sheet (w 0: not drawn), the
// registration point (the texel placed at the drawing position), named
// anchors and a transform whose first four values are the 2x2 linear part
// (rows (a, b) and (c, d)); the last two are kept only.
struct TAnimatedFrame {
    TString name;
    int32_t x = 0, y = 0;
    int32_t w = 0, h = 0;
    int32_t regx = 0, regy = 0;
    std::vector<TFrameAnchor> anchors;
    // Identity until a description gives values.
    float transform[6] = {1, 0, 0, 1, 0, 0};
};

// The description of an animated texture, as read from its .xml or .anm
// file (see docs/sprites.md).
struct TAnimatedTextureData {
    // The image transform's first value while frame transforms are off.
    static constexpr float kNoTransform = -10000000.0f;

    TString sequenceName;    // kept
    TString source;          // kept
    TString descriptionName; // the name asked for, without options
    TString imageName;
    TString maskName;        // empty: the sheet keeps no mask
    TString folder;          // description name up to its last '/' or '\'
    TString script;          // Lua animation text, stored only
    int32_t widestFrame = 0;
    int32_t tallestFrame = 0;
    int32_t currentFrame = 0; // -1: nothing is drawn
    int32_t imageRegX = 0, imageRegY = 0;
    int32_t imageWidth = 0, imageHeight = 0;
    float imageTransform[4] = {kNoTransform, 0, 0, 0};
    std::vector<TAnimatedFrame> frames;

    int32_t FrameCount() const { return int32_t(frames.size()); }
    // The frame at index, or null outside 0..count-1.
    const TAnimatedFrame* Frame(int32_t index) const;
};

// A texture that draws one frame of its sheet at a time; its width and
// height are the current frame's. Made by Get only, shared through the
// asset manager under "description:image:mask".
class TAnimatedTexture : public TTexture {
public:
    static const TAssetClassId ClassId;

    // The live texture of that key, else a new one: description and sheet
    // loaded (a non-empty image or mask replaces the description's). Empty
    // (with a log line) when either fails.
    static std::shared_ptr<TAnimatedTexture> Get(const TString& name, const TString& image = TString(),
                                                 const TString& mask = TString());
    static TString KeyOf(const TString& name, const TString& image, const TString& mask);

    // An empty texture describing name (options after a '?' are dropped).
    explicit TAnimatedTexture(const TString& name);
    ~TAnimatedTexture() override;

    const char* GetClassName() const override;
    bool IsKindOf(TAssetClassId id) const override;

    // Finds the description (the name, else name.xml, else name.anm) and
    // reads it; then image and mask, when not empty, replace its names.
    bool Load(const TString& image, const TString& mask);
    bool LoadXml(const TString& path);
    bool LoadAnm(const TString& path);
    // The sheet, with alpha, from the description's folder, else by its
    // bare name.
    bool LoadImages();
    void MakeDefaultScript();

    int32_t GetFrameCount() const { return mDesc->FrameCount(); }
    int32_t GetFrame() const { return mDesc->currentFrame; }
    // Taken when -1 <= index < frame count, else ignored.
    void SetFrame(int32_t index);
    // {x, y, x + w, y + h}; all zero outside 0..count-1.
    TRect GetFrameRect(int32_t index) const;
    // (0, 0) outside 0..count-1.
    void GetRegistration(int32_t index, int32_t& regx, int32_t& regy) const;
    // The current frame's first anchor of exactly that name; x and y may be
    // null. False without a current frame or such an anchor.
    bool GetAnchor(const TString& name, int32_t* x, int32_t* y) const;

    using TTexture::Draw;
    // The current frame, placed by its registration point unless the
    // params place by their own origin (kDrawAtOrigin); a source rectangle
    // in the params is taken relative to the frame and cut to it.
    void Draw(const TDrawParams& params) override;
    uint32_t GetWidth() const override;
    uint32_t GetHeight() const override;

    const TAnimatedTextureData& GetDescription() const { return *mDesc; }

private:
    std::unique_ptr<TAnimatedTextureData> mDesc;
};

using TAnimatedTextureRef = std::shared_ptr<TAnimatedTexture>;
