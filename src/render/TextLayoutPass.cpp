// The layout pass: reads the marked-up text once, from scratch, into lines
// and runs. Horizontal arithmetic is in quarter pixels.
#include <algorithm>
#include <cmath>

#include "platform/Log.h"
#include "render/FontCache.h"
#include "render/TextChars.h"
#include "render/TextLayout.h"
#include "render/TextMath.h"
#include "render/TextServices.h"
#include "render/VecFont.h"

class TLayoutPass {
public:
    explicit TLayoutPass(TTextLayout& layout)
        : L(layout), S(layout.mState), mText(layout.mText.c_str()), mLength(layout.mText.Length()),
          mCache(GetFontCache())
    {
    }
    void Run();

private:
    // The last space of the line: where a wrap goes back to.
    struct Space {
        bool set = false;
        size_t at = 0, next = 0; // the space's bytes
        double pen = 0;
        int32_t runChars = 0;
        bool hasGlyph = false;
        double firstAdd = 0;
        float firstOutline = 0, lastOutline = 0;
        // Taken when a run closes after the space: what to restore.
        bool saved = false;
        size_t runCount = 0;
        TTextRun run;
        TMarkupState state;
    };

    void StartLine();
    void EndLine();
    void Break(size_t resumeAt);
    TVecFont* FaceFont();
    void OpenRun(size_t at, TVecFont* font, TVecFont* markupFont);
    void CloseRun(size_t end, bool countsAsChar);
    void SaveAtSpace();

    size_t Tag(size_t at, size_t end);
    bool AlignmentTag();
    void StyleTag();
    size_t Char(size_t at, size_t next, uint32_t code);
    int32_t FindGlyphSwitching(size_t at, uint32_t code);
    size_t WrapAtSpace();

    TTextLayout& L;
    TMarkupState& S;
    const char* mText;
    size_t mLength;
    TFontCache* mCache;
    TVecFont* mFallback = nullptr;
    TString mFaceName;
    TVecFont* mFaceFont = nullptr;
    bool mFaceLooked = false;
    bool mLoggedMissing = false;
    TMarkupTag mTag;

    std::shared_ptr<TTextLine> mLine;
    double mPen = 0, mHold = 0;
    bool mHasGlyph = false;
    double mFirstAdd = 0;
    float mFirstOutline = 0, mLastOutline = 0;
    bool mPrevItalic = false;
    bool mAlignTag = false;
    int32_t mPad = 0;
    int32_t mOverride = -1;
    int64_t mTotal = 0;
    Space mSpace;

    TTextRun mRun;
    int32_t mRunChars = 0;
};

void TTextLayout::Layout()
{
    TLayoutPass(*this).Run();
}

void TLayoutPass::Run()
{
    L.mLines.clear();
    float colour[4] = {L.mColour.x, L.mColour.y, L.mColour.z, L.mColour.w};
    S.Reset(L.mFontName, L.mFontSize, colour);
    L.mTotalHeight = 0;
    L.mOriginY = 0;
    L.mYOffset = 0;
    if (mLength == 0)
        return;
    mFallback = mCache ? mCache->Lookup(TString(TFontCache::kFallbackName)) : nullptr;
    StartLine();
    OpenRun(0, FaceFont(), nullptr);
    const size_t lastClose = TMarkupTag::LastClose(mText, mLength);
    size_t pos = 0;
    while (pos < mLength) {
        size_t end = 0;
        if (mText[pos] == '<' && mTag.Read(mText, mLength, pos, lastClose, end)) {
            pos = Tag(pos, end);
            continue;
        }
        size_t next = pos;
        uint32_t code = 0;
        bool escaped = false;
        if (!ReadTextChar(mText, mLength, next, code, escaped)) {
            pos = next; // a trailing backslash
            continue;
        }
        pos = Char(pos, next, code);
    }
    CloseRun(mLength, false);
    EndLine();
    L.mTotalHeight = int32_t(std::min<int64_t>(mTotal, INT32_MAX));
    if (L.mFlags & TTextLayout::kMiddle) {
        L.mOriginY = L.mBoxHeight / 2;
        L.mYOffset = -float(L.mTotalHeight) / 2;
    } else if (L.mFlags & TTextLayout::kBottom) {
        L.mOriginY = L.mBoxHeight;
        L.mYOffset = -float(L.mTotalHeight);
    }
}

void TLayoutPass::StartLine()
{
    mLine = std::make_shared<TTextLine>();
    mPen = mHold = 0;
    mHasGlyph = false;
    mFirstAdd = 0;
    mFirstOutline = mLastOutline = 0;
    mPrevItalic = false;
    mAlignTag = false;
    mPad = 0;
    mSpace.set = false;
}

void TLayoutPass::EndLine()
{
    TTextLine& line = *mLine;
    line.height += mPad;
    int64_t width = NearestQuarter(mPen) / 4;
    int32_t mode = mOverride;
    if (mode < 0)
        mode = (L.mFlags & TTextLayout::kCentre) ? 1 : (L.mFlags & TTextLayout::kRight) ? 2 : 0;
    if (mode == 1) {
        line.x = L.mBoxWidth / 2;
        line.xOffset = -float(width) * 0.5f;
    } else if (mode == 2) {
        line.x = int32_t(std::clamp<int64_t>(int64_t(L.mBoxWidth) - NearestQuarter(mLastOutline) - 1,
                                             INT32_MIN, INT32_MAX));
        line.xOffset = -float(width);
    } else {
        line.x = int32_t(NearestQuarter(mFirstOutline));
        line.xOffset = 0;
    }
    line.xOffset += float((mHasGlyph ? mFirstAdd : 0) / 4 + 0.5);
    if (mAlignTag)
        mOverride = S.Alignment();
    mTotal += line.height;
    L.mLines.push_back(mLine);
}

// Ends the line (the open run already closed) and opens the next at resumeAt.
void TLayoutPass::Break(size_t resumeAt)
{
    EndLine();
    StartLine();
    OpenRun(resumeAt, FaceFont(), nullptr);
}

TVecFont* TLayoutPass::FaceFont()
{
    const TString& face = S.Font().face;
    if (!mFaceLooked || face != mFaceName) {
        mFaceName = face;
        mFaceFont = mCache ? mCache->Lookup(face) : nullptr;
        mFaceLooked = true;
    }
    return mFaceFont;
}

void TLayoutPass::OpenRun(size_t at, TVecFont* font, TVecFont* markupFont)
{
    TTextRun& run = mRun;
    run = TTextRun();
    const TFontState& f = S.Font();
    run.font = font;
    run.markupFont = markupFont;
    run.size = f.size;
    std::copy(f.colour, f.colour + 4, run.colour);
    run.bold = S.bold;
    run.italic = S.italic;
    run.underline = S.underline;
    run.linkId = S.linkId;
    std::copy(S.linkColour, S.linkColour + 4, run.linkColour);
    run.outlineSize = S.outlineSize;
    std::copy(S.outlineColour, S.outlineColour + 4, run.outlineColour);
    run.first = int32_t(std::min<size_t>(at, INT32_MAX));
    if (font) {
        run.scale = RunScale(*font, run.size);
        run.baseline = int32_t((font->GetAscent() + font->GetTopMargin()) * run.scale);
        if (bool(run.italic) != mPrevItalic)
            mPen += ItalicShift(*font, run.scale, run.italic);
    }
    mPrevItalic = run.italic;
    run.xStart = int32_t(NearestQuarter(mPen) / 4);
    mRunChars = 0;
}

// Before anything after the last space changes the line: what a wrap at
// that space restores.
void TLayoutPass::SaveAtSpace()
{
    if (mSpace.set && !mSpace.saved) {
        mSpace.saved = true;
        mSpace.runCount = mLine->runs.size();
        mSpace.run = mRun;
        mSpace.state = S;
    }
}

void TLayoutPass::CloseRun(size_t end, bool countsAsChar)
{
    SaveAtSpace();
    TTextRun& run = mRun;
    run.last = int32_t(std::min<size_t>(end, INT32_MAX)) - 1;
    if (mRunChars == 0 && !countsAsChar)
        run.size = run.baseline = 0;
    run.xEnd = int32_t(NearestQuarter(mPen) / 4);
    mLine->height = std::max(mLine->height, run.size);
    mLine->baseline = std::max(mLine->baseline, run.baseline);
    mLine->runs.push_back(std::move(run));
    mRunChars = 0;
}

// Tag names are matched as prefixes of the tag text ("bold" acts as "b",
// "/br" as "/b"). Of the names only "b" is a prefix of another, "br",
// which is tried first; otherwise the order of the tests is free.
size_t TLayoutPass::Tag(size_t at, size_t end)
{
    const TMarkupTag& tag = mTag;
    SaveAtSpace();
    if (tag.StartsWith("br") || tag.StartsWith("/p")) {
        if (tag.StartsWith("br"))
            mPad = tag.Number("pad", 0, 0, TTextLayout::kMaxPad);
        CloseRun(at, true);
        Break(end);
        return end;
    }
    if (tag.StartsWith("tab")) {
        const int32_t pos = tag.Number("pos", 0, 0, TTextLayout::kMaxTab);
        mRun.tabPosition = 4 * pos;
        CloseRun(at, false);
        if (pos != 0) {
            mPen = 4.0 * pos;
            mHold = 0;
        }
        OpenRun(end, FaceFont(), nullptr);
        return end;
    }
    const bool cursor = tag.StartsWith("cursor");
    if (cursor)
        mRun.cursor = 1;
    CloseRun(at, cursor);
    if (AlignmentTag()) {
        mAlignTag = true;
        Break(end);
        return end;
    }
    StyleTag();
    OpenRun(end, FaceFont(), nullptr);
    return end;
}

// Pushes or pops the alignment stack for an alignment tag; false for
// any other tag.
bool TLayoutPass::AlignmentTag()
{
    const TMarkupTag& tag = mTag;
    if (tag.StartsWith("center") || tag.StartsWith("left") || tag.StartsWith("right")) {
        S.PushAlignment(tag.Text()[0] == 'c' ? 1 : tag.Text()[0] == 'l' ? 0 : 2);
        return true;
    }
    if (tag.StartsWith("/center") || tag.StartsWith("/left") || tag.StartsWith("/right")) {
        S.PopAlignment();
        return true;
    }
    return false;
}

// Links, bold, italic, underline, fonts and outlines; any other tag has no
// effect.
void TLayoutPass::StyleTag()
{
    const TMarkupTag& tag = mTag;
    TString value;
    if (tag.StartsWith("a")) {
        if (tag.Attribute("id", value))
            S.linkId = value;
        if (tag.Attribute("color", value))
            ParseMarkupColour(value, false, S.linkColour);
        else
            std::copy(S.Font().colour, S.Font().colour + 4, S.linkColour);
    } else if (tag.StartsWith("/a")) {
        S.linkId = TString();
        std::copy(S.Font().colour, S.Font().colour + 4, S.linkColour);
    } else if (tag.StartsWith("b") || tag.StartsWith("/b")) {
        S.bold = tag.Text()[0] == 'b';
    } else if (tag.StartsWith("i") || tag.StartsWith("/i")) {
        S.italic = tag.Text()[0] == 'i';
    } else if (tag.StartsWith("u") || tag.StartsWith("/u")) {
        S.underline = tag.Text()[0] == 'u';
    } else if (tag.StartsWith("font")) {
        if (S.PushFont()) {
            TFontState& f = S.Font();
            f.size = tag.Number("size", f.size, 0, TTextLayout::kMaxFontSize);
            if (tag.Attribute("color", value))
                ParseMarkupColour(value, true, f.colour);
            if (tag.Attribute("face", value))
                f.face = value;
        }
    } else if (tag.StartsWith("/font")) {
        S.PopFont();
    } else if (tag.StartsWith("outline")) {
        if (tag.Attribute("color", value))
            ParseMarkupColour(value, false, S.outlineColour);
        S.outlineSize = float(tag.Number("size", 2, 0, TTextLayout::kMaxOutline));
    } else if (tag.StartsWith("/outline")) {
        S.outlineSize = 0;
        std::fill(S.outlineColour, S.outlineColour + 4, 0.0f);
    }
}

// The glyph of code in the open run's font, switching between the face and
// the fallback font as the glyph requires; -1 when neither has it.
int32_t TLayoutPass::FindGlyphSwitching(size_t at, uint32_t code)
{
    if (TVecFont* face = mRun.markupFont) {
        int32_t g = face->FindGlyph(code);
        if (g >= 0) {
            CloseRun(at, false);
            OpenRun(at, face, nullptr);
            return g;
        }
        return mRun.font->FindGlyph(code);
    }
    int32_t g = mRun.font->FindGlyph(code);
    if (g < 0 && mFallback && mFallback != mRun.font) {
        int32_t fg = mFallback->FindGlyph(code);
        if (fg >= 0) {
            TVecFont* face = mRun.font;
            CloseRun(at, false);
            OpenRun(at, mFallback, face);
            return fg;
        }
    }
    return g;
}

size_t TLayoutPass::Char(size_t at, size_t next, uint32_t code)
{
    if (code == '\n') {
        ++mRunChars;
        CloseRun(next, true);
        Break(next);
        return next;
    }
    if (!mRun.font) {
        if (!mLoggedMissing) {
            WriteLog("ERROR: FONT missing in text when attempting to render string %s.", mText);
            mLoggedMissing = true;
        }
        ++mRunChars;
        return next;
    }
    int32_t glyph = FindGlyphSwitching(at, code);
    if (glyph < 0) {
        ++mRunChars;
        return next;
    }
    if (code == ' ') {
        // (the saved run and state are written only when needed)
        mSpace.set = true;
        mSpace.saved = false;
        mSpace.at = at;
        mSpace.next = next;
        mSpace.pen = mPen;
        mSpace.runChars = mRunChars;
        mSpace.hasGlyph = mHasGlyph;
        mSpace.firstAdd = mFirstAdd;
        mSpace.firstOutline = mFirstOutline;
        mSpace.lastOutline = mLastOutline;
    }
    const TVecFont& font = *mRun.font;
    const double s = mRun.scale;
    const double advance = font.GetAdvance(glyph), right = font.GetRight(glyph);
    double pen = mPen + mHold, hold = 0, add = 0;
    if (right > advance) {
        pen += right * s;
        hold = (advance - right) * s;
    } else {
        pen += advance * s;
    }
    if (!mHasGlyph) {
        add = 4 - font.GetLeft(glyph) * s;
        pen += add;
    }
    const double firstOutline = mHasGlyph ? mFirstOutline : mRun.outlineSize;
    const bool overflow = NearestQuarter((firstOutline + 1 + mRun.outlineSize) * 4 + pen) > int64_t(L.mBoxWidth) * 4;
    if (overflow && mSpace.set && mSpace.pen != 0)
        return WrapAtSpace();
    if (overflow && mHasGlyph) {
        // No space to break at: the character starts the next line.
        CloseRun(at, false);
        Break(at);
        return at;
    }
    mPen = pen;
    mHold = hold;
    if (!mHasGlyph) {
        mHasGlyph = true;
        mFirstAdd = add;
        mFirstOutline = mRun.outlineSize;
    }
    mLastOutline = mRun.outlineSize;
    // A glyph wider than the box on its own stays: the next one overflows
    // and starts the next line.
    ++mRunChars;
    return next;
}

// Ends the line before the last space and reads on after it; tags read
// since the space are read again.
size_t TLayoutPass::WrapAtSpace()
{
    Space space = std::move(mSpace);
    mSpace.set = false;
    if (space.saved) {
        mLine->runs.resize(space.runCount);
        mRun = std::move(space.run);
        S = space.state;
    }
    mRunChars = space.runChars;
    mPen = space.pen;
    mHasGlyph = space.hasGlyph;
    mFirstAdd = space.firstAdd;
    mFirstOutline = space.firstOutline;
    mLastOutline = space.lastOutline;
    CloseRun(space.at, false);
    Break(space.next);
    return space.next;
}
