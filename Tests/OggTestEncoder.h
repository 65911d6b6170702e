// Writes small Ogg Vorbis files (a sine tone) with libvorbisenc, for the
// sound tests and benchmarks.
#pragma once

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace oggtest {

inline void WritePage(FILE *out, const ogg_page &page)
{
    std::fwrite(page.header, 1, size_t(page.header_len), out);
    std::fwrite(page.body, 1, size_t(page.body_len), out);
}

// frames samples per channel at rate Hz; false when encoding fails.
inline bool WriteTone(const std::filesystem::path &file, int channels, long rate, int frames)
{
    FILE *out = std::fopen(file.c_str(), "wb");
    if (!out)
        return false;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, 0.1f) != 0) {
        vorbis_info_clear(&info);
        std::fclose(out);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1234);
    ogg_packet headers[3];
    vorbis_analysis_headerout(&dsp, &comment, &headers[0], &headers[1], &headers[2]);
    for (ogg_packet &header : headers)
        ogg_stream_packetin(&stream, &header);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        WritePage(out, page);

    const int chunk = 1024;
    int written = 0;
    bool ended = false;
    while (!ended) {
        int n = frames - written < chunk ? frames - written : chunk;
        if (n > 0) {
            float **buffer = vorbis_analysis_buffer(&dsp, n);
            for (int i = 0; i < n; i++)
                for (int c = 0; c < channels; c++)
                    buffer[c][i] = 0.25f * std::sin(float(written + i) * 0.05f * float(c + 1));
            vorbis_analysis_wrote(&dsp, n);
            written += n;
        } else {
            vorbis_analysis_wrote(&dsp, 0);
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    WritePage(out, page);
                    if (ogg_page_eos(&page))
                        ended = true;
                }
            }
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    std::fclose(out);
    return true;
}

} // namespace oggtest
