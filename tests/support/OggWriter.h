#pragma once
// Ogg Vorbis files made at test time with libvorbisenc, from known signals.

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

// Interleaved 16-bit samples, channels 1 or 2.
struct TPcm16 {
    int rate = 44100;
    int channels = 2;
    std::vector<int16_t> samples;

    size_t Frames() const { return samples.size() / size_t(channels); }
};

// A sine of `hz` at `amplitude` (0..1) for `seconds`; the second channel, if
// any, at 1.5 times the frequency so that a channel swap shows.
inline TPcm16 MakeSine(int rate, int channels, double seconds, double hz = 440.0, double amplitude = 0.5)
{
    TPcm16 pcm;
    pcm.rate = rate;
    pcm.channels = channels;
    size_t frames = size_t(std::llround(seconds * rate));
    pcm.samples.resize(frames * size_t(channels));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            double f = hz * (c == 0 ? 1.0 : 1.5);
            double v = amplitude * std::sin(2.0 * M_PI * f * double(i) / rate);
            pcm.samples[i * size_t(channels) + size_t(c)] = int16_t(std::lround(v * 32767.0));
        }
    return pcm;
}

// Encodes at VBR `quality` (-0.1..1). Empty on an encoder failure.
inline std::vector<uint8_t> EncodeOgg(const TPcm16& pcm, float quality = 0.3f, int serial = 1)
{
    std::vector<uint8_t> out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, pcm.channels, pcm.rate, quality) != 0) {
        vorbis_info_clear(&info);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);

    auto append = [&out](const ogg_page& page) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    ogg_packet header, commentPacket, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentPacket, &codebooks);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentPacket);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page))
        append(page);

    const size_t frames = pcm.Frames();
    const size_t chunk = 1024;
    bool done = false;
    for (size_t at = 0; !done;) {
        size_t n = frames - at < chunk ? frames - at : chunk;
        if (n == 0) {
            vorbis_analysis_wrote(&dsp, 0); // end of stream
        } else {
            float** channels = vorbis_analysis_buffer(&dsp, int(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < pcm.channels; ++c)
                    channels[c][i] = float(pcm.samples[(at + i) * size_t(pcm.channels) + size_t(c)]) / 32768.0f;
            vorbis_analysis_wrote(&dsp, int(n));
            at += n;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page))
                    append(page);
                if (packet.e_o_s)
                    done = true;
            }
        }
    }
    while (ogg_stream_flush(&stream, &page))
        append(page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}
