// gen_audio - composes Data/Sound (16-bit WAV effects) and Data/Music (looping Ogg Vorbis tunes) from code.
// Usage: gen_audio <DataDir>
#include "Synth.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

void Put16(std::ofstream& out, uint16_t v) { out.put(char(v & 255)).put(char(v >> 8)); }
void Put32(std::ofstream& out, uint32_t v) { for (int i = 0; i < 4; ++i) out.put(char((v >> (8 * i)) & 255)); }

bool WriteWav(const std::filesystem::path& path, const std::vector<float>& samples, int rate)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    out.write("RIFF", 4);
    Put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    Put32(out, 16);
    Put16(out, 1);          // PCM
    Put16(out, 1);          // mono
    Put32(out, uint32_t(rate));
    Put32(out, uint32_t(rate * 2));
    Put16(out, 2);
    Put16(out, 16);
    out.write("data", 4);
    Put32(out, dataBytes);
    for (float s : samples)
        Put16(out, uint16_t(int16_t(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f))));
    return bool(out);
}

bool WriteVorbis(const std::filesystem::path& path, const synth::TBuffer& buffer, uint32_t serial)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    vorbis_info vi;
    vorbis_info_init(&vi);
    // Quality 0.3 (about 80 kbit/s stereo) is plenty for synthetic tunes and keeps the build quick.
    if (vorbis_encode_init_vbr(&vi, 2, buffer.rate, 0.3f) != 0) {
        vorbis_info_clear(&vi);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "ENCODER", "gen_audio");
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, int(serial));

    ogg_page og;
    ogg_packet op;
    auto writePage = [&] {
        out.write(reinterpret_cast<const char*>(og.header), og.header_len);
        out.write(reinterpret_cast<const char*>(og.body), og.body_len);
    };
    {
        ogg_packet header, comment, code;
        vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
        ogg_stream_packetin(&os, &header);
        ogg_stream_packetin(&os, &comment);
        ogg_stream_packetin(&os, &code);
        while (ogg_stream_flush(&os, &og))
            writePage();
    }

    const size_t n = buffer.Size();
    const size_t chunk = 4096;
    for (size_t at = 0;; at += chunk) {
        const size_t count = std::min(chunk, n - std::min(n, at));
        if (count == 0) {
            vorbis_analysis_wrote(&vd, 0);   // end of stream
        } else {
            float** in = vorbis_analysis_buffer(&vd, int(count));
            std::copy_n(buffer.left.begin() + at, count, in[0]);
            std::copy_n(buffer.right.begin() + at, count, in[1]);
            vorbis_analysis_wrote(&vd, int(count));
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og))
                    writePage();
            }
        }
        if (count == 0)
            break;
    }
    while (ogg_stream_flush(&os, &og))
        writePage();

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return bool(out);
}

float PeakOf(const std::vector<float>& v)
{
    float p = 0.0f;
    for (float x : v)
        p = std::max(p, std::fabs(x));
    return p;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_audio <DataDir>\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const std::filesystem::path data = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(data / "Sound", ec);
    std::filesystem::create_directories(data / "Music", ec);

    struct TEffect { const char* name; std::vector<float> (*make)(); };
    const TEffect effects[] = {
        {"select", synth::MakeSelect}, {"correct", synth::MakeCorrect}, {"explosion", synth::MakeExplosion},
        {"typing", synth::MakeTyping}, {"accelerate", synth::MakeAccelerate}, {"success", synth::MakeSuccess},
        {"timeup", synth::MakeTimeUp},
    };
    bool ok = true;
    for (const auto& e : effects) {
        const auto samples = e.make();
        ok &= WriteWav(data / "Sound" / (std::string(e.name) + ".wav"), samples, synth::EFFECT_RATE);
        std::printf("Sound/%s.wav  %.3f s  peak %.2f\n", e.name, double(samples.size()) / synth::EFFECT_RATE,
                    PeakOf(samples));
    }

    struct TTune { const char* name; synth::TBuffer (*compose)(); };
    const TTune tunes[] = {
        {"title", synth::ComposeTitle}, {"game", synth::ComposeGame},
        {"levelcomplete", synth::ComposeLevelComplete}, {"gameover", synth::ComposeGameOver},
    };
    // The tunes are independent: compose and encode them side by side.
    struct TResult { bool ok = false; double seconds = 0, peak = 0, compose = 0, encode = 0; };
    std::vector<TResult> results(std::size(tunes));
    std::vector<std::thread> workers;
    for (size_t i = 0; i < std::size(tunes); ++i)
        workers.emplace_back([&, i] {
            const auto t0 = std::chrono::steady_clock::now();
            const auto buffer = tunes[i].compose();
            const auto t1 = std::chrono::steady_clock::now();
            // A fixed serial per tune keeps the files byte-identical between builds.
            results[i].ok = WriteVorbis(data / "Music" / (std::string(tunes[i].name) + ".ogg"), buffer,
                                        0xCA1C1u + uint32_t(i));
            const auto t2 = std::chrono::steady_clock::now();
            results[i].seconds = double(buffer.Size()) / buffer.rate;
            results[i].peak = buffer.Peak();
            results[i].compose = std::chrono::duration<double>(t1 - t0).count();
            results[i].encode = std::chrono::duration<double>(t2 - t1).count();
        });
    for (auto& w : workers)
        w.join();
    for (size_t i = 0; i < std::size(tunes); ++i) {
        const auto& r = results[i];
        ok &= r.ok;
        std::printf("Music/%s.ogg  %.2f s  peak %.2f  (composed in %.2f s, encoded in %.2f s)\n", tunes[i].name,
                    r.seconds, r.peak, r.compose, r.encode);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("gen_audio: done in %.2f s\n", seconds);
    if (!ok)
        std::fprintf(stderr, "gen_audio: could not write every file under %s\n", argv[1]);
    return ok ? 0 : 1;
}
