#pragma once
#include <cstdint>
#include <memory>

#include "platform/TString.h"
#include "ui/Window.h"

class TTextLayout;
class TWindowManager;

// The credits, scrolling upward in an endless loop ("CreditsWindow" in
// scripts). The style names the text file ("file"), the font ("font",
// "fontsize"), the columns ("columngap", "columnwidth"), the colours
// ("fontcolor", "headercolor": {r, g, b, a}) and the timing in ms ("time"
// for one pass of the credits, "intropause" before it starts). A file line
// "left|right" goes into the two columns, any other line across both;
// "[" and "]" mark a header span. The window handles no messages: its
// script closes it. Main thread only.
class TCredits : public TWindow {
public:
    static constexpr uint32_t kRedrawMs = 16;
    // Longest line read from the file, terminator included.
    static constexpr uint32_t kLineBuffer = 1024;
    static constexpr int32_t kDefaultFontSize = 16;

    // The three column texts, aligned line by line.
    struct Texts {
        TString left, right, full;
    };

    TCredits();
    ~TCredits() override;

    const char* GetClassName() const override { return "TCredits"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&TCredits::GetCreator); }

    // Reads the style, lays the credits out and starts the redraw timer.
    void Init(const TStyle& style) override;
    void Draw() override;
    // Asks for a redraw; the timer keeps running.
    bool Update() override;

    // One part of a line as markup: trimmed of blanks and tabs, "[" and "]"
    // turned into a font tag of the header colour, ending in "\n".
    static TString TagPart(const char* begin, const char* end, const TString& headerColour);
    // The columns of a credits file, padded with `padLines` empty lines. A
    // file that does not open gives the padding only (logged).
    static Texts ReadTexts(const TString& file, const TString& headerColour, uint32_t padLines);
    // "rrggbbaa" of a colour, each channel x 255 truncated.
    static TString ColourText(const float rgba[4]);
    // The scroll position in lines at `elapsed` ms since the first drawing.
    float ScrollLines(uint32_t elapsed) const;

    const TTextLayout* GetLeft() const { return mLeft.get(); }
    const TTextLayout* GetRight() const { return mRight.get(); }
    const TTextLayout* GetFull() const { return mFull.get(); }
    int32_t GetHalfHeight() const { return mHalfHeight; }
    bool IsStarted() const { return mStarted; }
    uint32_t GetStartTime() const { return mStartTime; }

private:
    void ReadStyle(const TStyle& style);
    void BuildLayouts();
    void DrawColumn(TTextLayout* layout, int32_t left, int32_t right, float lines);

    std::unique_ptr<TTextLayout> mLeft, mRight, mFull;
    // Application time of the first drawing.
    uint32_t mStartTime = 0;
    bool mStarted = false;
    int32_t mHalfHeight = 0;
    TString mFont;
    int32_t mFontSize = kDefaultFontSize;
    int32_t mColumnGap = 0;
    int32_t mColumnWidth = 0;
    int32_t mTime = 0;
    int32_t mIntroPause = 0;
    float mFontColour[4] = {1, 1, 1, 1};
    float mHeaderColour[4] = {1, 1, 1, 1};
    TString mHeaderText;
    TString mFile;
};

// Makes "CreditsWindow" a window type of the manager's scripts; false
// without a manager or when the script refuses it.
bool RegisterCreditsWindow(TWindowManager* windows);
