// The decoders on every file of Data/ and on damaged ones, and the load cache.
#include "platform/sound/Sound.h"
#include "platform/sound/SoundTesting.h"
#include "platform/Background.h"
#include "platform/Preload.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>

namespace {

std::vector<unsigned char> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string WriteTemp(const std::string& name, const std::vector<unsigned char>& bytes)
{
    const std::string path = testing::TempDir() + "calcadia_sound_" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return path;
}

void Put32(std::vector<unsigned char>& b, uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 255); }
void Put16(std::vector<unsigned char>& b, uint16_t v) { b.push_back(v & 255); b.push_back(v >> 8); }

// A PCM WAV whose data chunk header may claim a size other than the bytes that follow it.
std::vector<unsigned char> MakeWav(int rate, int channels, int bits, const std::vector<unsigned char>& data, uint32_t claimedData)
{
    std::vector<unsigned char> b;
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    Put32(b, uint32_t(36 + data.size()));
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(b, 16);
    Put16(b, 1);
    Put16(b, uint16_t(channels));
    Put32(b, uint32_t(rate));
    Put32(b, uint32_t(rate * channels * bits / 8));
    Put16(b, uint16_t(channels * bits / 8));
    Put16(b, uint16_t(bits));
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    Put32(b, claimedData);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

float Peak(const TSound& s)
{
    float p = 0;
    for (size_t i = 0; i < s.samples.size(); ++i)
        p = std::max(p, std::fabs(s.Sample(i)));
    return p;
}

double Rms(const TSound& s, int channel)
{
    double sum = 0;
    for (int i = 0; i < s.FrameCount(); ++i)
        sum += std::pow(double(s.Sample(size_t(i) * s.channels + channel)), 2);
    return s.FrameCount() ? std::sqrt(sum / s.FrameCount()) : 0.0;
}

// An Ogg Vorbis stream of `frames` frames whose channel c holds wave(i, c).
std::vector<unsigned char> EncodeVorbis(int channels, int rate, int frames, const std::function<float(int, int)>& wave)
{
    std::vector<unsigned char> bytes;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.5f) != 0) {
        vorbis_info_clear(&vi);
        return bytes;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);
    ogg_page og;
    ogg_packet op;
    auto append = [&] {
        bytes.insert(bytes.end(), og.header, og.header + og.header_len);
        bytes.insert(bytes.end(), og.body, og.body + og.body_len);
    };
    ogg_packet header, comment, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comment);
    ogg_stream_packetin(&os, &code);
    while (ogg_stream_flush(&os, &og))
        append();
    for (int at = 0;; at += 4096) {
        const int count = std::min(4096, frames - at);
        if (count > 0) {
            float** in = vorbis_analysis_buffer(&vd, count);
            for (int c = 0; c < channels; ++c)
                for (int i = 0; i < count; ++i)
                    in[c][i] = wave(at + i, c);
        }
        vorbis_analysis_wrote(&vd, std::max(count, 0));   // 0 ends the stream
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og))
                    append();
            }
        }
        if (count <= 0)
            break;
    }
    while (ogg_stream_flush(&os, &og))
        append();
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return bytes;
}

// What libvorbisfile itself decodes from a file, channel by channel, before any conversion of ours.
std::vector<std::vector<float>> DecodeReference(const std::string& path)
{
    std::vector<std::vector<float>> channels;
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0)
        return channels;
    channels.resize(size_t(ov_info(&vf, -1)->channels));
    float** pcm = nullptr;
    int section = 0;
    for (long got; (got = ov_read_float(&vf, &pcm, 4096, &section)) != 0;)
        if (got > 0)
            for (size_t c = 0; c < channels.size(); ++c)
                channels[c].insert(channels[c].end(), pcm[c], pcm[c] + got);
    ov_clear(&vf);
    return channels;
}

const char* const EFFECTS[] = {"select", "correct", "explosion", "typing", "accelerate", "success", "timeup"};
const char* const MUSIC[] = {"title", "game", "levelcomplete", "gameover"};

TEST(SoundLoader, GeneratedEffectsAndMusicDecode)
{
    for (const char* name : EFFECTS) {
        SCOPED_TRACE(name);
        auto s = LoadSoundFile(std::string("Data/Sound/") + name + ".wav", 0);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->sampleRate, 44100);
        EXPECT_FALSE(s->loop);
        EXPECT_GT(s->LengthSeconds(), 0.02);
        EXPECT_LT(s->LengthSeconds(), 1.5);
        EXPECT_GT(Peak(*s), 0.1f);
        EXPECT_LT(Peak(*s), 0.99f);
    }
    // As start-up loads the title's music: read on the preload thread, the rest of it decoded beside.
    ClearSoundCache();
    PreloadSound(std::string("Data/Music/") + MUSIC[0] + ".ogg");
    StartPreloading();
    for (const char* name : MUSIC) {
        SCOPED_TRACE(name);
        auto s = LoadSoundFile(std::string("Data/Music/") + name + ".ogg", SOUND_LOOP);
        ASSERT_NE(s, nullptr);
        s->WaitUntilDecoded();
        EXPECT_TRUE(s->loop);
        EXPECT_GE(s->LengthSeconds(), 15.0);
        EXPECT_LE(s->LengthSeconds(), 40.0);
        EXPECT_GT(Peak(*s), 0.2f);
        EXPECT_LT(Peak(*s), 0.99f);
        // The loop point joins: the last frame leads into the first without a jump.
        const int n = s->FrameCount(), ch = s->channels;
        for (int c = 0; c < ch; ++c)
            EXPECT_LT(std::fabs(s->Sample(size_t(n - 1) * ch + c) - s->Sample(c)), 0.1f);
    }
    FinishPreloading();
}

TEST(SoundLoader, WavFormatsConvertTo16Bit)
{
    // 8-bit unsigned stereo at 22050 Hz: 128 is silence, 0 and 255 the extremes.
    auto s8 = LoadSoundFile(WriteTemp("u8.wav", MakeWav(22050, 2, 8, {128, 0, 255, 128, 192, 64}, 6)), 0);
    ASSERT_NE(s8, nullptr);
    EXPECT_EQ(s8->sampleRate, 22050);
    ASSERT_EQ(s8->channels, 2);
    ASSERT_EQ(s8->FrameCount(), 3);
    EXPECT_NEAR(s8->Sample(0), 0.0f, 1e-6f);
    EXPECT_NEAR(s8->Sample(1), -1.0f, 1e-6f);
    EXPECT_NEAR(s8->Sample(2), 1.0f, 0.01f);
    EXPECT_NEAR(s8->Sample(4), 0.5f, 0.01f);
    EXPECT_NEAR(s8->Sample(5), -0.5f, 0.01f);

    // 16-bit mono at 48000 Hz.
    std::vector<unsigned char> pcm;
    for (int16_t v : {0, 16384, -32768, 32767})
        Put16(pcm, uint16_t(v));
    auto s16 = LoadSoundFile(WriteTemp("s16.wav", MakeWav(48000, 1, 16, pcm, uint32_t(pcm.size()))), SOUND_LOOP);
    ASSERT_NE(s16, nullptr);
    EXPECT_TRUE(s16->loop);
    EXPECT_EQ(s16->sampleRate, 48000);
    ASSERT_EQ(s16->FrameCount(), 4);
    EXPECT_NEAR(s16->Sample(1), 0.5f, 1e-4f);
    EXPECT_NEAR(s16->Sample(2), -1.0f, 1e-4f);

    // A data chunk that claims far more than the file holds keeps what is really there.
    std::vector<unsigned char> many;
    for (int i = 0; i < 1000; ++i)
        Put16(many, uint16_t(int16_t(i * 30)));
    auto lying = LoadSoundFile(WriteTemp("lying.wav", MakeWav(44100, 1, 16, many, 0x7FFFFFF0u)), 0);
    ASSERT_NE(lying, nullptr);
    ASSERT_EQ(lying->FrameCount(), 1000);
    for (int i = 0; i < lying->FrameCount(); ++i)
        ASSERT_EQ(lying->samples[i], i * 30);
#if !defined(__SANITIZE_ADDRESS__)   // the sanitizer reserves terabytes of address space up front
    // ...without reserving what the header claims: with 256 MiB of address space to spare, a load that
    // asked for the claimed 4 GiB first would fail.
    const std::string hugeClaim = WriteTemp("lying_limited.wav", MakeWav(44100, 1, 16, many, 0xFFFFFFF0u));
    const pid_t child = fork();
    if (child == 0) {
        long pages = 0;
        FILE* statm = std::fopen("/proc/self/statm", "r");
        if (!statm || std::fscanf(statm, "%ld", &pages) != 1)
            _exit(2);
        std::fclose(statm);
        const rlim_t room = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(256) << 20);
        const struct rlimit limit{room, room};
        setrlimit(RLIMIT_AS, &limit);
        const TSoundPtr s = LoadSoundFile(hugeClaim, 0);
        _exit(s && s->FrameCount() == 1000 ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
#endif
    // One that claims less is read as far as it claims.
    auto shortClaim = LoadSoundFile(WriteTemp("short.wav", MakeWav(44100, 1, 16, many, 200)), 0);
    ASSERT_NE(shortClaim, nullptr);
    EXPECT_EQ(shortClaim->FrameCount(), 100);
}

TEST(SoundLoader, Pcm16KeepsItsExactValuesAtTwoBytesASample)
{
    ClearSoundCache();
    const std::vector<int16_t> values = {32767, -32768, 1, -1, 12345, 0, -12345, -32767};
    std::vector<unsigned char> pcm;
    for (int16_t v : values)
        Put16(pcm, uint16_t(v));
    auto mono = LoadSoundFile(WriteTemp("exact_mono.wav", MakeWav(44100, 1, 16, pcm, uint32_t(pcm.size()))), 0);
    auto stereo = LoadSoundFile(WriteTemp("exact_stereo.wav", MakeWav(22050, 2, 16, pcm, uint32_t(pcm.size()))), 0);
    ASSERT_NE(mono, nullptr);
    ASSERT_NE(stereo, nullptr);
    EXPECT_EQ(mono->samples, values);
    EXPECT_EQ(stereo->samples, values);
    EXPECT_EQ(stereo->FrameCount(), 4);
    // Full scale reads as exactly 1 and -1, the one value beyond it too.
    EXPECT_EQ(mono->Sample(0), 1.0f);
    EXPECT_EQ(mono->Sample(1), -1.0f);
    EXPECT_EQ(mono->Sample(7), -1.0f);
    EXPECT_EQ(SoundCacheBytes(), 2 * 2 * values.size());

    // Music decoding in the background is counted at its whole length from the start.
    auto music = LoadSoundFile("Data/Music/title.ogg", SOUND_LOOP);
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(SoundCacheBytes(), 2 * (2 * values.size() + size_t(music->FrameCount()) * music->channels));
    music->WaitUntilDecoded();
    ClearSoundCache();
    EXPECT_EQ(SoundCacheBytes(), 0u);
}

TEST(SoundSamples, FloatConversionRoundsClipsAndRoundTrips)
{
    for (int v = -32767; v <= 32767; ++v)
        ASSERT_EQ(TSound::FromFloat(TSound::ToFloat(int16_t(v))), v);
    const float step = 1.0f / 32767;
    EXPECT_EQ(TSound::FromFloat(0.4f * step), 0);
    EXPECT_EQ(TSound::FromFloat(0.6f * step), 1);
    EXPECT_EQ(TSound::FromFloat(-0.4f * step), 0);
    EXPECT_EQ(TSound::FromFloat(-0.6f * step), -1);
    EXPECT_EQ(TSound::FromFloat(1.0f - 0.4f * step), 32767);
    // Beyond full scale clips rather than wrapping round to the other sign.
    EXPECT_EQ(TSound::FromFloat(1.09f), 32767);
    EXPECT_EQ(TSound::FromFloat(-1.09f), -32767);
    EXPECT_EQ(TSound::FromFloat(1e30f), 32767);
    EXPECT_EQ(TSound::FromFloat(-INFINITY), -32767);
    EXPECT_EQ(TSound::FromFloat(NAN), 0);
}

TEST(SoundLoader, VorbisMatchesTheDecoderWithinHalfAStepAndClipsItsOvershoot)
{
    // A full-scale square wave: the codec's band limit rings past full scale at every edge.
    const std::string path = WriteTemp("square.ogg", EncodeVorbis(1, 44100, 22050, [](int i, int) {
        return (i / 100) % 2 ? -1.0f : 1.0f;
    }));
    const auto reference = DecodeReference(path);
    ASSERT_EQ(reference.size(), 1u);
    auto s = LoadSoundFile(path, 0);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->channels, 1);
    ASSERT_EQ(size_t(s->FrameCount()), reference[0].size());
    int beyond = 0;
    for (size_t i = 0; i < reference[0].size(); ++i) {
        const float x = reference[0][i];
        beyond += std::fabs(x) > 1.0f;
        ASSERT_NEAR(s->samples[i], std::clamp(x, -1.0f, 1.0f) * 32767.0f, 0.5f) << i << ": " << x;
    }
    EXPECT_GT(beyond, 100);   // the clipping was put to the test
}

TEST(SoundLoader, VorbisWithMoreThanTwoChannelsKeepsItsFrontPair)
{
    // Vorbis orders channels FL C FR for three, FL FR RL RR for four, FL C FR RL RR LFE for six.
    struct TLayout { int channels; int right; };
    for (TLayout layout : {TLayout{3, 2}, TLayout{4, 1}, TLayout{6, 2}}) {
        SCOPED_TRACE(testing::Message() << layout.channels << " channels");
        // A tone of its own on every channel; the front right one is the loudest.
        const std::string path = WriteTemp("layout" + std::to_string(layout.channels) + ".ogg",
            EncodeVorbis(layout.channels, 44100, 8820, [&](int i, int c) {
                const float amplitude = c == layout.right ? 0.6f : 0.1f + 0.05f * c;
                return amplitude * float(std::sin(2 * 3.14159265 * (300 + 100 * c) * i / 44100));
            }));
        const auto reference = DecodeReference(path);
        ASSERT_EQ(reference.size(), size_t(layout.channels));
        auto s = LoadSoundFile(path, 0);
        ASSERT_NE(s, nullptr);
        ASSERT_EQ(s->channels, 2);
        ASSERT_EQ(size_t(s->FrameCount()), reference[0].size());
        for (size_t i = 0; i < reference[0].size(); ++i) {
            ASSERT_NEAR(s->samples[2 * i], reference[0][i] * 32767.0f, 0.5f) << i;
            ASSERT_NEAR(s->samples[2 * i + 1], reference[size_t(layout.right)][i] * 32767.0f, 0.5f) << i;
        }
        EXPECT_NEAR(Rms(*s, 1), 0.6 / std::sqrt(2.0), 0.05);
    }
}

TEST(SoundLoader, DamagedFilesGiveNullOrTheirIntactPart)
{
    EXPECT_EQ(LoadSoundFile("Data/Sound/does-not-exist.wav", 0), nullptr);
    EXPECT_EQ(LoadSoundFile("", 0), nullptr);
    EXPECT_EQ(LoadSoundFile("Data/Sound", 0), nullptr);   // a folder
    EXPECT_EQ(LoadSoundFile(WriteTemp("empty.ogg", {}), 0), nullptr);

    std::mt19937 rng(7);
    for (int i = 0; i < 20; ++i) {
        std::vector<unsigned char> junk(64 + rng() % 4096);
        for (auto& b : junk)
            b = rng() & 255;
        // Also behind the signatures, so the decoders themselves see the garbage.
        if (i % 3 == 1)
            std::copy_n("OggS", 4, junk.begin());
        if (i % 3 == 2) {
            std::copy_n("RIFF", 4, junk.begin());
            std::copy_n("WAVE", 4, junk.begin() + 8);
        }
        auto s = LoadSoundFile(WriteTemp("junk" + std::to_string(i), junk), 0);
        if (s) {
            EXPECT_LE(Peak(*s), 1.0f);
        }
    }

    for (std::string path : {"Data/Sound/explosion.wav", "Data/Music/levelcomplete.ogg"}) {
        const auto whole = ReadBytes(path);
        ASSERT_GT(whole.size(), 1000u) << path;
        auto full = LoadSoundFile(path, 0);
        ASSERT_NE(full, nullptr);
        full->WaitUntilDecoded();
        const bool isWav = path.ends_with(".wav");
        for (size_t cut : {size_t(3), size_t(11), size_t(40), size_t(44), size_t(300), whole.size() / 3,
                           whole.size() / 2, whole.size() - 1}) {
            SCOPED_TRACE(path + " cut at " + std::to_string(cut));
            auto s = LoadSoundFile(WriteTemp("cut" + std::to_string(cut) + (isWav ? ".wav" : ".ogg"),
                                             {whole.begin(), whole.begin() + cut}), 0);
            if (!s)
                continue;
            s->WaitUntilDecoded();
            // What decodes is the start of the intact sound (exact for PCM; the codec may
            // differ in the last partial packet).
            EXPECT_EQ(s->channels, full->channels);
            ASSERT_LE(s->FrameCount(), full->FrameCount());
            const size_t check = isWav ? s->samples.size() : std::min(s->samples.size(), size_t(2048));
            for (size_t k = 0; k < check; ++k)
                ASSERT_NEAR(s->samples[k], full->samples[k], isWav ? 0 : 3) << k;
        }
        // Corrupted bytes anywhere, headers included: whatever decodes stays within range.
        for (int variant = 0; variant < 12; ++variant) {
            auto bytes = whole;
            const size_t span = variant % 2 ? 64 : bytes.size();
            for (int k = 0; k < 16; ++k)
                bytes[rng() % span] = uint8_t(rng());
            auto s = LoadSoundFile(WriteTemp("flip" + std::to_string(variant) + (isWav ? ".wav" : ".ogg"), bytes), 0);
            if (s) {
                s->WaitUntilDecoded();
                EXPECT_LE(Peak(*s), 1.0f);
                EXPECT_TRUE(s->channels == 1 || s->channels == 2);
            }
        }
    }
}

TEST(SoundLoader, SecondLoadIsCachedUntilTheFileChanges)
{
    const std::string path = testing::TempDir() + "calcadia_sound_cached.ogg";
    const auto bytes = ReadBytes("Data/Music/game.ogg");
    ASSERT_FALSE(bytes.empty());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());

    auto first = LoadSoundFile(path, SOUND_LOOP);
    ASSERT_NE(first, nullptr);
    // The very same decoded sound comes back: nothing was read or decoded again (its cost is the
    // benchmark's to report).
    auto second = LoadSoundFile(path, SOUND_LOOP);
    EXPECT_EQ(second, first);
    // Loaded without the loop flag it is a sound of its own, so the looping one is not changed.
    auto once = LoadSoundFile(path, 0);
    ASSERT_NE(once, nullptr);
    EXPECT_FALSE(once->loop);
    EXPECT_TRUE(first->loop);

    // Replaced on disk by another file: decoded again.
    const auto other = ReadBytes("Data/Music/gameover.ogg");
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(other.data()), other.size());
    auto third = LoadSoundFile(path, SOUND_LOOP);
    ASSERT_NE(third, nullptr);
    EXPECT_NE(third, first);
    EXPECT_NE(third->FrameCount(), first->FrameCount());
    std::remove(path.c_str());
    EXPECT_EQ(LoadSoundFile(path, SOUND_LOOP), nullptr);
}

} // namespace
