// The decoders on every file of Data/ and on damaged ones, and the load cache.
#include "platform/sound/Sound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
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
    for (float x : s.samples)
        p = std::max(p, std::fabs(x));
    return p;
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
            EXPECT_LT(std::fabs(s->samples[size_t(n - 1) * ch + c] - s->samples[c]), 0.1f);
    }
}

TEST(SoundLoader, WavFormatsConvertToFloat)
{
    // 8-bit unsigned stereo at 22050 Hz: 128 is silence, 0 and 255 the extremes.
    auto s8 = LoadSoundFile(WriteTemp("u8.wav", MakeWav(22050, 2, 8, {128, 0, 255, 128, 192, 64}, 6)), 0);
    ASSERT_NE(s8, nullptr);
    EXPECT_EQ(s8->sampleRate, 22050);
    ASSERT_EQ(s8->channels, 2);
    ASSERT_EQ(s8->FrameCount(), 3);
    EXPECT_NEAR(s8->samples[0], 0.0f, 1e-6f);
    EXPECT_NEAR(s8->samples[1], -1.0f, 1e-6f);
    EXPECT_NEAR(s8->samples[2], 1.0f, 0.01f);
    EXPECT_NEAR(s8->samples[4], 0.5f, 0.01f);
    EXPECT_NEAR(s8->samples[5], -0.5f, 0.01f);

    // 16-bit mono at 48000 Hz.
    std::vector<unsigned char> pcm;
    for (int16_t v : {0, 16384, -32768, 32767})
        Put16(pcm, uint16_t(v));
    auto s16 = LoadSoundFile(WriteTemp("s16.wav", MakeWav(48000, 1, 16, pcm, uint32_t(pcm.size()))), SOUND_LOOP);
    ASSERT_NE(s16, nullptr);
    EXPECT_TRUE(s16->loop);
    EXPECT_EQ(s16->sampleRate, 48000);
    ASSERT_EQ(s16->FrameCount(), 4);
    EXPECT_NEAR(s16->samples[1], 0.5f, 1e-4f);
    EXPECT_NEAR(s16->samples[2], -1.0f, 1e-4f);

    // A data chunk that claims far more than the file holds keeps what is really there.
    std::vector<unsigned char> many;
    for (int i = 0; i < 1000; ++i)
        Put16(many, uint16_t(int16_t(i * 30)));
    auto lying = LoadSoundFile(WriteTemp("lying.wav", MakeWav(44100, 1, 16, many, 0x7FFFFFF0u)), 0);
    ASSERT_NE(lying, nullptr);
    ASSERT_EQ(lying->FrameCount(), 1000);
    for (int i = 0; i < lying->FrameCount(); ++i)
        ASSERT_NEAR(lying->samples[i], i * 30 / 32768.0f, 1e-4f);
    // One that claims less is read as far as it claims.
    auto shortClaim = LoadSoundFile(WriteTemp("short.wav", MakeWav(44100, 1, 16, many, 200)), 0);
    ASSERT_NE(shortClaim, nullptr);
    EXPECT_EQ(shortClaim->FrameCount(), 100);
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
                ASSERT_NEAR(s->samples[k], full->samples[k], 1e-4f) << k;
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
