#include "game/show/screens/Credits.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/File.h"
#include "platform/Log.h"
#include "platform/Timer.h"
#include "render/Renderer.h"
#include "render/TextLayout.h"
#include "ui/WindowManager.h"
#include "ui/WindowStyle.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Colours come only from script styles, which carry lists.
void ReadColour(const TStyle& style, const char* key, float rgba[4])
{
    if (const auto* script = dynamic_cast<const TWindowStyle*>(&style))
        script->GetRect(TString(key), rgba);
}

// A credits line without its line end, split into the three columns.
void AddLine(const char* line, const TString& header, std::string& left, std::string& right,
             std::string& full)
{
    const char* end = line + std::strlen(line);
    const char* bar = std::strchr(line, '|');
    if (bar) {
        left += TCredits::TagPart(line, bar, header).c_str();
        right += TCredits::TagPart(bar + 1, end, header).c_str();
        full += '\n';
    } else {
        left += '\n';
        right += '\n';
        full += TCredits::TagPart(line, end, header).c_str();
    }
}

} // namespace

bool RegisterCreditsWindow(TWindowManager* windows)
{
    return windows && windows->RegisterWindowType(TString("CreditsWindow"), &TCredits::GetCreator);
}

TWindow* TCredits::GetCreator()
{
    return new TCredits();
}

TCredits::TCredits() = default;
TCredits::~TCredits() = default;

TString TCredits::TagPart(const char* begin, const char* end, const TString& headerColour)
{
    while (begin < end && IsBlank(*begin))
        ++begin;
    while (end > begin && IsBlank(end[-1]))
        --end;
    std::string text;
    for (const char* c = begin; c < end; ++c) {
        if (*c == '[')
            text += std::string("<font color='") + headerColour.c_str() + "'>";
        else if (*c == ']')
            text += "</font>";
        else
            text += *c;
    }
    text += '\n';
    return TString(text.c_str(), uint32_t(text.size()));
}

TCredits::Texts TCredits::ReadTexts(const TString& file, const TString& headerColour, uint32_t padLines)
{
    std::string left = "\n", right = "\n", full = "\n";
    TFileHandle* in = OpenAssetFile(file, kFileReadText);
    if (!in)
        WriteLog("TCredits: credits file \"%s\" does not open; no credits shown", file.c_str());
    char buffer[kLineBuffer];
    while (in) {
        char* end = FileGets(in, buffer, kLineBuffer);
        if (!end)
            break;
        // Drops the line end (or, for a line cut at the buffer's size, its
        // last character).
        if (end > buffer)
            end[-1] = '\0';
        AddLine(buffer, headerColour, left, right, full);
    }
    FileClose(in);
    for (std::string* text : {&left, &right, &full})
        text->append(padLines, '\n');
    return {TString(left.c_str(), uint32_t(left.size())), TString(right.c_str(), uint32_t(right.size())),
            TString(full.c_str(), uint32_t(full.size()))};
}

TString TCredits::ColourText(const float rgba[4])
{
    unsigned channel[4];
    for (int i = 0; i < 4; ++i) {
        const float value = rgba[i] * 255.0f;
        // Out-of-range colours are held to a byte so the tag stays valid.
        channel[i] = value >= 255.0f ? 255u : value > 0.0f ? unsigned(value) : 0u;
    }
    return StrFormat("%02x%02x%02x%02x", channel[0], channel[1], channel[2], channel[3]);
}

void TCredits::Init(const TStyle& style)
{
    TWindow::Init(style);
    ReadStyle(style);
    BuildLayouts();
    SetTimer(kRedrawMs, true, true, false);
}

void TCredits::ReadStyle(const TStyle& style)
{
    mFont = style.GetString(TString("font"), TString());
    mFontSize = style.GetInt(TString("fontsize"), kDefaultFontSize);
    if (mFontSize <= 0) {
        WriteLog("TCredits: font size %d; %d used", mFontSize, kDefaultFontSize);
        mFontSize = kDefaultFontSize;
    }
    mColumnGap = style.GetInt(TString("columngap"), 0);
    mColumnWidth = style.GetInt(TString("columnwidth"), 0);
    if (mColumnGap < 0 || mColumnWidth < 0) {
        WriteLog("TCredits: column gap %d, width %d; negatives read as 0", mColumnGap, mColumnWidth);
        mColumnGap = std::max(mColumnGap, 0);
        mColumnWidth = std::max(mColumnWidth, 0);
    }
    mTime = style.GetInt(TString("time"), 0);
    if (mTime <= 0)
        WriteLog("TCredits: scroll time %d ms; the credits stand still", mTime);
    mIntroPause = style.GetInt(TString("intropause"), 0);
    ReadColour(style, "fontcolor", mFontColour);
    ReadColour(style, "headercolor", mHeaderColour);
    mHeaderText = ColourText(mHeaderColour);
    mFile = style.GetString(TString("file"), TString());
}

void TCredits::BuildLayouts()
{
    const int32_t height = GetHeight();
    const uint32_t pad = height > 0 ? uint32_t(height) / uint32_t(mFontSize) : 0;
    const Texts texts = ReadTexts(mFile, mHeaderText, pad);
    const char* font = mFont.c_str();
    // Each layout holds its text twice, so the jump back by one copy at the
    // end of a pass does not show.
    mLeft = TTextLayout::Create(texts.left + texts.left, mColumnWidth, height, TTextLayout::kCentre, font,
                                mFontSize, mFontColour);
    mRight = TTextLayout::Create(texts.right + texts.right, mColumnWidth, height, TTextLayout::kCentre, font,
                                 mFontSize, mFontColour);
    mFull = TTextLayout::Create(texts.full + texts.full, mColumnGap + 2 * mColumnWidth, height,
                                TTextLayout::kCentre, font, mFontSize, mFontColour);
    TRect bounds;
    if (mLeft)
        mLeft->GetBounds(bounds);
    mHalfHeight = bounds.bottom / 2;
}

float TCredits::ScrollLines(uint32_t elapsed) const
{
    if (mTime <= 0)
        return 0.0f;
    const uint32_t pause = mIntroPause > 0 ? uint32_t(mIntroPause) : 0u;
    const uint32_t scrolled = elapsed < pause ? 0u : elapsed - pause;
    const int64_t phase = int64_t(scrolled % uint32_t(mTime));
    const int64_t pixels = int64_t(mHalfHeight) * phase / mTime;
    return float(pixels) / float(mFontSize);
}

bool TCredits::Update()
{
    if (TWindowManager* manager = GetWindowManager())
        manager->Invalidate();
    return true;
}

void TCredits::Draw()
{
    const uint32_t now = GetTimer();
    if (!mStarted) {
        mStarted = true;
        mStartTime = now;
    }
    const float lines = ScrollLines(now - mStartTime);
    const int32_t width = GetWidth();
    T2dGuard pass;
    if (!pass.Begin2d())
        return;
    DrawColumn(mLeft.get(), mColumnGap, width / 2 - mColumnGap / 2, lines);
    DrawColumn(mRight.get(), width / 2 + mColumnGap / 2, width - mColumnGap, lines);
    DrawColumn(mFull.get(), mColumnGap, width - mColumnGap, lines);
}

void TCredits::DrawColumn(TTextLayout* layout, int32_t left, int32_t right, float lines)
{
    if (!layout)
        return;
    layout->SetFirstVisibleLine(lines);
    const TRect box(left, -mFontSize, right, GetHeight() + 2 * mFontSize);
    layout->Draw(box, 1.0f, 0, 1.0f, TTextureRef());
}
