#include <gtest/gtest.h>

#include <cstring>

#include "SoundTestSupport.h"
#include "sound/MemSpooler.h"
#include "sound/SoundData.h"

namespace {

using SoundData = SoundFixture;

std::vector<uint8_t> Bytes(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

TEST_F(SoundData, ShortSoundsAreDecodedWholeLongerOnesOnDemand)
{
    struct Case {
        double seconds;
        int rate;
        int channels;
        bool whole;
    };
    const Case cases[] = {
        {1.5, 44100, 2, true},
        {2.0, 44100, 2, true}, // exactly the limit is still decoded whole
        {2.0, 22050, 1, true},
        {3.0, 44100, 2, false},
        {2.5, 22050, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.seconds << " s " << c.rate << " Hz x" << c.channels);
        std::vector<uint8_t> ogg = EncodeOgg(MakeSine(c.rate, c.channels, c.seconds));
        AddFile("sfx/case.ogg", ogg);
        std::shared_ptr<TSound> sound = TSound::Create("sfx/case.ogg", true, -1);
        ASSERT_TRUE(sound);
        const TSoundData& data = *sound->GetData();
        EXPECT_EQ(data.GetRate(), c.rate);
        EXPECT_EQ(data.GetChannels(), c.channels);
        EXPECT_DOUBLE_EQ(data.GetLength(), c.seconds);
        EXPECT_EQ(data.IsDecoded(), c.whole);
        EXPECT_EQ(data.GetDecoder() == nullptr, c.whole);
        if (!c.whole)
            continue;
        EXPECT_EQ(data.GetCapacity(), int32_t(2.0 * (c.seconds + double(0.1f)) * c.channels * c.rate));
        std::vector<uint8_t> direct = Bytes(DecodeDirect(ogg));
        ASSERT_EQ(size_t(data.GetSize()), direct.size());
        EXPECT_EQ(std::memcmp(data.GetPcm(), direct.data(), direct.size()), 0);
    }
}

TEST_F(SoundData, FillFromDecodedPcm)
{
    auto data = std::make_shared<TSoundData>();
    std::vector<uint8_t> pcm = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    data->SetPcm(pcm, 44100, 1);

    struct Step {
        int32_t delivered;
        bool more;
        std::vector<uint8_t> bytes;
    };
    // Without loop: the last short copy ends it, the rest is zeros; a
    // copy that takes the very last byte is not the end yet.
    {
        TMemSpooler spooler(data);
        const Step steps[] = {
            {4, true, {1, 2, 3, 4}}, {4, true, {5, 6, 7, 8}}, {2, false, {9, 10, 0, 0}}, {0, false, {0, 0, 0, 0}}};
        for (const Step& step : steps) {
            uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
            int32_t delivered = -1;
            EXPECT_EQ(spooler.Fill(4, out, &delivered, false), step.more);
            EXPECT_EQ(delivered, step.delivered);
            EXPECT_EQ(std::vector<uint8_t>(out, out + 4), step.bytes);
        }
        TMemSpooler exact(data);
        uint8_t out[10];
        int32_t delivered = 0;
        EXPECT_TRUE(exact.Fill(10, out, &delivered, false)) << "exactly the whole sound is not cut short";
        EXPECT_FALSE(exact.Fill(10, out, &delivered, false));
        EXPECT_EQ(delivered, 0);
    }
    // With loop: the wrap continues in the same fill without a gap.
    {
        TMemSpooler spooler(data);
        const Step steps[] = {{4, true, {1, 2, 3, 4}}, {4, true, {5, 6, 7, 8}}, {4, true, {9, 10, 1, 2}},
                              {4, true, {3, 4, 5, 6}}};
        for (const Step& step : steps) {
            uint8_t out[4];
            int32_t delivered = 0;
            EXPECT_EQ(spooler.Fill(4, out, &delivered, true), step.more);
            EXPECT_EQ(delivered, step.delivered);
            EXPECT_EQ(std::vector<uint8_t>(out, out + 4), step.bytes);
        }
        // A fill longer than the sound tiles it.
        uint8_t out[25];
        int32_t delivered = 0;
        TMemSpooler tile(data);
        EXPECT_TRUE(tile.Fill(25, out, &delivered, true));
        EXPECT_EQ(delivered, 25);
        for (int i = 0; i < 25; ++i)
            EXPECT_EQ(out[i], pcm[size_t(i % 10)]) << i;
    }
}

TEST_F(SoundData, EmptyOrGoneSourcesEnd)
{
    auto data = std::make_shared<TSoundData>();
    data->SetPcm({}, 44100, 2);
    TMemSpooler spooler(data);
    uint8_t out[8];
    int32_t delivered = -1;
    // With loop an empty sound would wrap forever.
    EXPECT_FALSE(spooler.Fill(8, out, &delivered, true));
    EXPECT_EQ(delivered, 0);

    data.reset();
    std::memset(out, 0xEE, sizeof out);
    EXPECT_FALSE(spooler.Fill(8, out, &delivered, true)) << "the sound's data is gone";
    EXPECT_EQ(delivered, 0);
}

TEST_F(SoundData, VoicesShareTheDecoderEachFromItsOwnPosition)
{
    std::vector<uint8_t> ogg = EncodeOgg(MakeSine(44100, 2, 3.0));
    AddFile("music/long.ogg", ogg);
    std::shared_ptr<TSound> sound = TSound::Create("music/long.ogg", true, -1);
    ASSERT_TRUE(sound && sound->GetData()->GetDecoder());
    std::vector<uint8_t> direct = Bytes(DecodeDirect(ogg));
    ASSERT_EQ(direct.size(), size_t(3 * 44100 * 4));

    TMemSpooler first(sound->GetData()), second(sound->GetData());
    const int32_t n = 176400; // one half of a 2-second buffer
    std::vector<uint8_t> a(n), b(n);
    int32_t delivered = 0;
    EXPECT_TRUE(first.Fill(n, a.data(), &delivered, false));
    EXPECT_EQ(delivered, n);
    EXPECT_TRUE(second.Fill(n, b.data(), &delivered, false));
    EXPECT_EQ(a, b);
    EXPECT_EQ(0, std::memcmp(a.data(), direct.data(), n));
    EXPECT_TRUE(first.Fill(n, a.data(), &delivered, false));
    EXPECT_EQ(0, std::memcmp(a.data(), direct.data() + n, n)) << "the first voice went on from its own position";
    EXPECT_TRUE(first.Fill(n, a.data(), &delivered, false)) << "exactly the rest: not the end yet";
    EXPECT_EQ(0, std::memcmp(a.data(), direct.data() + 2 * n, n));
    EXPECT_FALSE(first.Fill(n, a.data(), &delivered, false));
    EXPECT_EQ(delivered, 0);

    // Looping wraps within the fill.
    EXPECT_TRUE(first.Fill(n, a.data(), &delivered, true));
    EXPECT_EQ(delivered, n);
    EXPECT_EQ(0, std::memcmp(a.data(), direct.data(), n));
    first.Rewind();
    EXPECT_EQ(first.GetPosition(), 0);
    first.SeekTime(1.0f);
    EXPECT_EQ(first.GetPosition(), 44100);
}

TEST_F(SoundData, StreamingFromTheFileHandleDecodesTheSame)
{
    std::vector<uint8_t> ogg = EncodeOgg(MakeSine(22050, 1, 1.0));
    AddFile("sfx/handle.ogg", ogg);
    std::shared_ptr<TSound> sound = TSound::Create("sfx/handle.ogg", false, -1);
    ASSERT_TRUE(sound);
    ASSERT_TRUE(sound->GetData()->GetDecoder()) << "a sound read from its file decodes while it plays";
    TMemSpooler spooler(sound->GetData());
    std::vector<uint8_t> direct = Bytes(DecodeDirect(ogg));
    std::vector<uint8_t> out(direct.size() + 100);
    int32_t delivered = 0;
    EXPECT_FALSE(spooler.Fill(int32_t(out.size()), out.data(), &delivered, false));
    ASSERT_EQ(size_t(delivered), direct.size());
    EXPECT_EQ(0, std::memcmp(out.data(), direct.data(), direct.size()));
}

TEST_F(SoundData, BadFilesGiveALogLineAndAnEmptySound)
{
    TTempLogFolder log("sound-bad");
    std::vector<uint8_t> good = EncodeOgg(MakeSine(44100, 2, 1.0));
    std::vector<uint8_t> noise(3000);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = uint8_t(i * 7919 >> 3);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"bad/one-byte.ogg", {0x4F}},
        {"bad/noise.ogg", noise},
        {"bad/headers-only.ogg", std::vector<uint8_t>(good.begin(), good.begin() + 40)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.Restart();
        AddFile(c.name, c.bytes);
        EXPECT_FALSE(TSound::Create(c.name, true, -1));
        EXPECT_EQ(log.Count("OGG file could not be opened"), 1);
    }
    log.Restart();
    EXPECT_FALSE(TSound::Create("bad/missing.ogg?group=1000", true, -1));
    EXPECT_EQ(log.Count("OGG file not found: bad/missing.ogg"), 1);
}

TEST_F(SoundData, DamagedAudioEndsWithoutHanging)
{
    TTempLogFolder log("sound-damaged");
    std::vector<uint8_t> good = EncodeOgg(MakeSine(44100, 2, 3.0, 440.0, 0.8), 0.1f);
    std::vector<uint8_t> truncated(good.begin(), good.begin() + long(good.size() * 6 / 10));
    std::vector<uint8_t> scribbled = good;
    // Audio pages overwritten after the headers: lost pages and bad packets.
    for (size_t i = scribbled.size() / 3; i < scribbled.size() / 2; i += 3)
        scribbled[i] = uint8_t(scribbled[i] * 31 + 17);
    for (const auto& bytes : {truncated, scribbled}) {
        AddFile("bad/damaged.ogg", bytes);
        std::shared_ptr<TSound> sound = TSound::Create("bad/damaged.ogg", true, -1);
        if (!sound)
            continue; // refused at the start: also fine
        TMemSpooler spooler(sound->GetData());
        std::vector<uint8_t> out(176400);
        int32_t delivered = 0;
        int fills = 0;
        while (spooler.Fill(int32_t(out.size()), out.data(), &delivered, false) && fills < 100)
            ++fills;
        EXPECT_LT(fills, 10) << "the data ends";
        // Looping over damaged data still returns from each fill.
        TMemSpooler looping(sound->GetData());
        for (int i = 0; i < 5; ++i)
            looping.Fill(int32_t(out.size()), out.data(), &delivered, true);
    }
}

} // namespace
