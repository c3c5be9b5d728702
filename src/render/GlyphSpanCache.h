#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "render/GlyphScan.h"

// The spans of rasterised glyphs, so that text drawn again replays them
// instead of scanning its outlines. Keyed by the glyph's cache key, its
// sub-pixel position and everything that changes its shape; spans live in
// blocks of 8,192 records. The cache holds at most its byte cap: when a
// new glyph finds it full, everything is dropped and filling starts again.

// Everything that makes a glyph's spans; compared byte for byte.
struct TGlyphCacheKey {
    uint64_t glyph = 0; // TGlyphCommands::key
    int32_t subX = 0, subY = 0;
    float scaleX = 0, scaleY = 0;
    float strokes[2] = {0, 0};
    float cosine = 0, sine = 0;
    int32_t italic = 0;
    int32_t unused = 0;
};
static_assert(sizeof(TGlyphCacheKey) == 48, "the key is compared as bytes");

// One recorded run, relative to the glyph's whole-pixel origin.
struct TGlyphSpan {
    int16_t x0, x1, row;
    uint8_t coverage; // 1..254; 255 ends a glyph
    uint8_t layer;
};

class TGlyphSpanCache {
public:
    static constexpr size_t kDefaultCap = size_t(4) << 20;
    static constexpr size_t kBlockSpans = 8192;
    static constexpr uint32_t kBuckets = 2039;

    explicit TGlyphSpanCache(size_t capBytes = kDefaultCap);

    // The recorded glyph of key, or -1.
    int32_t Find(const TGlyphCacheKey& key) const;
    // The glyph's colour definitions and spans, in recording order.
    const std::vector<TGlyphColour>& GetColours(int32_t entry) const;
    template <class F>
    void ForEachSpan(int32_t entry, F f) const;

    // Recording a glyph: Begin, one Add per span, then End; or Abandon.
    // A span that does not fit under the cap abandons the recording (the
    // next Begin empties the cache).
    void Begin(const TGlyphCacheKey& key, const std::vector<TGlyphColour>& colours);
    void Add(const TGlyphSpan& span);
    void End();
    void Abandon();
    bool IsRecording() const { return mRecording >= 0; }

    void Clear();
    // Bytes held by span blocks and entries.
    size_t GetBytes() const;
    size_t GetCap() const { return mCap; }
    size_t GetEntryCount() const { return mEntries.size(); }
    // How often the cache was emptied because it was full.
    uint32_t GetClearCount() const { return mClears; }

private:
    struct Entry {
        TGlyphCacheKey key;
        uint32_t firstSpan;
        int32_t next; // in the bucket
        std::vector<TGlyphColour> colours;
    };

    bool Append(const TGlyphSpan& span);
    const TGlyphSpan& SpanAt(uint32_t index) const { return mBlocks[index / kBlockSpans][index % kBlockSpans]; }
    size_t MaxEntries() const;

    size_t mCap;
    std::vector<int32_t> mBuckets;
    std::vector<Entry> mEntries;
    std::vector<std::unique_ptr<TGlyphSpan[]>> mBlocks;
    uint32_t mSpanCount = 0;
    int32_t mRecording = -1;
    bool mFull = false;
    uint32_t mClears = 0;
};

template <class F>
void TGlyphSpanCache::ForEachSpan(int32_t entry, F f) const
{
    if (entry < 0 || size_t(entry) >= mEntries.size())
        return;
    for (uint32_t i = mEntries[size_t(entry)].firstSpan; i < mSpanCount; ++i) {
        const TGlyphSpan& span = SpanAt(i);
        if (span.coverage == 255)
            return;
        f(span);
    }
}
