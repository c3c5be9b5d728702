#include "render/GlyphSpanCache.h"

#include <cstring>

namespace {

constexpr size_t kBlockBytes = TGlyphSpanCache::kBlockSpans * sizeof(TGlyphSpan);

uint32_t BucketOf(const TGlyphCacheKey& key)
{
    return uint32_t(key.glyph % TGlyphSpanCache::kBuckets);
}

} // namespace

TGlyphSpanCache::TGlyphSpanCache(size_t capBytes) : mCap(capBytes), mBuckets(kBuckets, -1) {}

// Entries take at most a quarter of the cap.
size_t TGlyphSpanCache::MaxEntries() const
{
    return mCap / 4 / sizeof(Entry);
}

int32_t TGlyphSpanCache::Find(const TGlyphCacheKey& key) const
{
    for (int32_t e = mBuckets[BucketOf(key)]; e >= 0; e = mEntries[size_t(e)].next) {
        if (e != mRecording && std::memcmp(&mEntries[size_t(e)].key, &key, sizeof key) == 0)
            return e;
    }
    return -1;
}

const std::vector<TGlyphColour>& TGlyphSpanCache::GetColours(int32_t entry) const
{
    static const std::vector<TGlyphColour> none;
    return entry >= 0 && size_t(entry) < mEntries.size() ? mEntries[size_t(entry)].colours : none;
}

void TGlyphSpanCache::Begin(const TGlyphCacheKey& key, const std::vector<TGlyphColour>& colours)
{
    if (mRecording >= 0)
        Abandon();
    if (mFull || mEntries.size() >= MaxEntries()) {
        Clear();
        ++mClears;
    }
    if (mEntries.capacity() == mEntries.size())
        mEntries.reserve(std::min(MaxEntries(), std::max<size_t>(64, mEntries.size() * 2)));
    const uint32_t bucket = BucketOf(key);
    mEntries.push_back({key, mSpanCount, mBuckets[bucket], colours});
    mRecording = int32_t(mEntries.size() - 1);
    mBuckets[bucket] = mRecording;
}

bool TGlyphSpanCache::Append(const TGlyphSpan& span)
{
    if (mSpanCount == mBlocks.size() * kBlockSpans) {
        if (GetBytes() + kBlockBytes > mCap)
            return false;
        mBlocks.emplace_back(new TGlyphSpan[kBlockSpans]);
    }
    mBlocks[mSpanCount / kBlockSpans][mSpanCount % kBlockSpans] = span;
    ++mSpanCount;
    return true;
}

void TGlyphSpanCache::Add(const TGlyphSpan& span)
{
    if (mRecording >= 0 && !Append(span))
        Abandon();
}

void TGlyphSpanCache::End()
{
    if (mRecording < 0)
        return;
    if (!Append({0, 0, 0, 255, 0})) {
        Abandon();
        return;
    }
    mRecording = -1;
}

void TGlyphSpanCache::Abandon()
{
    if (mRecording < 0)
        return;
    const Entry& e = mEntries[size_t(mRecording)];
    mBuckets[BucketOf(e.key)] = e.next;
    mSpanCount = e.firstSpan;
    mEntries.pop_back();
    mRecording = -1;
    mFull = true;
}

void TGlyphSpanCache::Clear()
{
    mBuckets.assign(kBuckets, -1);
    mEntries = std::vector<Entry>();
    mBlocks.clear();
    mSpanCount = 0;
    mRecording = -1;
    mFull = false;
}

size_t TGlyphSpanCache::GetBytes() const
{
    size_t bytes = mBlocks.size() * kBlockBytes + mEntries.capacity() * sizeof(Entry);
    for (const Entry& e : mEntries)
        bytes += e.colours.capacity() * sizeof(TGlyphColour);
    return bytes;
}
