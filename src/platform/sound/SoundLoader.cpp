// SoundLoader - decodes WAV (SDL's loader) and Ogg Vorbis (libvorbisfile) into float samples, with a
// cache so a file that is loaded again unchanged (music at every screen start) costs a stat call.
#include "platform/sound/Sound.h"

#include <SDL.h>
#include <vorbis/vorbisfile.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <list>

namespace {

// Larger files are refused rather than read: no sound of this game comes near it.
constexpr long long MAX_FILE_BYTES = 256LL << 20;
// Decoded data kept beyond that is dropped, least recently used first.
constexpr size_t CACHE_BYTES = 192u << 20;
// A stream that claims more than this is treated as lying: decoding stops there.
constexpr long long MAX_DECODED_FRAMES = 48000LL * 60 * 10;

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = ok && size > 0 && size <= MAX_FILE_BYTES && std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(size_t(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
    }
    std::fclose(f);
    return ok;
}

TSoundPtr DecodeWav(const std::vector<unsigned char>& bytes)
{
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
    if (!rw)
        return nullptr;
    SDL_AudioSpec spec{};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    // SDL's loader checks the chunks and, by default, keeps the whole blocks of a truncated data
    // chunk or one whose header claims more than the file holds.
    if (!SDL_LoadWAV_RW(rw, 1, &spec, &buffer, &length))
        return nullptr;

    const int outChannels = spec.channels >= 2 ? 2 : 1;
    SDL_AudioCVT cvt;
    const int built = SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq,
                                        AUDIO_F32SYS, Uint8(outChannels), spec.freq);
    if (built < 0 || spec.freq <= 0 || spec.channels == 0) {
        SDL_FreeWAV(buffer);
        return nullptr;
    }
    std::vector<Uint8> work(size_t(length) * (built ? cvt.len_mult : 1));
    if (length)
        std::memcpy(work.data(), buffer, length);
    SDL_FreeWAV(buffer);
    int converted = int(length);
    if (built) {
        cvt.buf = work.data();
        cvt.len = int(length);
        if (SDL_ConvertAudio(&cvt) != 0)
            return nullptr;
        converted = cvt.len_cvt;
    }

    const size_t frames = size_t(converted) / (sizeof(float) * outChannels);
    if (frames == 0)
        return nullptr;
    auto sound = std::make_shared<TSound>();
    sound->sampleRate = spec.freq;
    sound->channels = outChannels;
    sound->samples.resize(frames * outChannels);
    std::memcpy(sound->samples.data(), work.data(), sound->samples.size() * sizeof(float));
    return sound;
}

// libvorbisfile reads from the bytes already in memory.
struct TMemoryStream {
    const unsigned char* data;
    size_t size;
    size_t pos;
};

size_t MemRead(void* ptr, size_t size, size_t count, void* source)
{
    auto* s = static_cast<TMemoryStream*>(source);
    if (size == 0)
        return 0;
    const size_t items = std::min(count, (s->size - s->pos) / size);
    std::memcpy(ptr, s->data + s->pos, items * size);
    s->pos += items * size;
    return items;
}

int MemSeek(void* source, ogg_int64_t offset, int whence)
{
    auto* s = static_cast<TMemoryStream*>(source);
    long long base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? (long long)s->pos : (long long)s->size;
    const long long target = base + offset;
    if (target < 0 || target > (long long)s->size)
        return -1;
    s->pos = size_t(target);
    return 0;
}

long MemTell(void* source) { return long(static_cast<TMemoryStream*>(source)->pos); }

TSoundPtr DecodeVorbis(const std::vector<unsigned char>& bytes)
{
    TMemoryStream stream{bytes.data(), bytes.size(), 0};
    ov_callbacks callbacks{MemRead, MemSeek, nullptr, MemTell};
    OggVorbis_File vf;
    if (ov_open_callbacks(&stream, &vf, nullptr, 0, callbacks) != 0)
        return nullptr;
    vorbis_info* info = ov_info(&vf, -1);
    if (!info || info->channels <= 0 || info->rate <= 0) {
        ov_clear(&vf);
        return nullptr;
    }
    const int srcChannels = info->channels;
    const int outChannels = srcChannels >= 2 ? 2 : 1;
    auto sound = std::make_shared<TSound>();
    sound->sampleRate = int(info->rate);
    sound->channels = outChannels;
    const ogg_int64_t total = ov_pcm_total(&vf, -1);
    if (total > 0 && total < MAX_DECODED_FRAMES)
        sound->samples.reserve(size_t(total) * outChannels);

    int section = 0;
    const int firstSection = -2;
    int seenSection = firstSection;
    for (;;) {
        float** pcm = nullptr;
        const long got = ov_read_float(&vf, &pcm, 4096, &section);
        if (got == OV_HOLE)
            continue;   // a gap in the stream: go on after it
        if (got <= 0)
            break;      // end, or damage we cannot decode past: keep what came before
        if (section != seenSection) {
            // A chained stream may change its layout; only the first one's is kept.
            vorbis_info* now = ov_info(&vf, section);
            if (seenSection != firstSection && (!now || now->channels != srcChannels || now->rate != info->rate))
                break;
            seenSection = section;
        }
        if ((long long)(sound->samples.size() / outChannels) + got > MAX_DECODED_FRAMES)
            break;
        for (long i = 0; i < got; ++i) {
            if (outChannels == 1) {
                sound->samples.push_back(pcm[0][i]);
            } else {
                sound->samples.push_back(pcm[0][i]);
                sound->samples.push_back(pcm[1][i]);
            }
        }
    }
    ov_clear(&vf);
    if (sound->samples.empty())
        return nullptr;
    for (float& s : sound->samples)
        s = std::max(-1.0f, std::min(1.0f, s));
    return sound;
}

struct TCacheEntry {
    std::string path;
    int flags;
    long long size;
    long long mtimeNs;
    TSoundPtr sound;
};

std::list<TCacheEntry>& Cache()   // most recently used first
{
    static std::list<TCacheEntry> cache;
    return cache;
}

size_t BytesOf(const TSoundPtr& sound) { return sound->samples.size() * sizeof(float); }

} // namespace

TSoundPtr LoadSoundFile(const std::string& path, int flags)
{
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return nullptr;
    const long long size = st.st_size;
    const long long mtimeNs = (long long)st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
    const int loopFlag = flags & SOUND_LOOP;

    auto& cache = Cache();
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if (it->path != path || it->flags != loopFlag)
            continue;
        if (it->size == size && it->mtimeNs == mtimeNs) {
            cache.splice(cache.begin(), cache, it);
            return it->sound;
        }
        cache.erase(it);   // the file changed on disk
        break;
    }

    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(path, bytes) || bytes.size() < 4)
        return nullptr;
    TSoundPtr sound;
    if (std::memcmp(bytes.data(), "OggS", 4) == 0)
        sound = DecodeVorbis(bytes);
    else if (bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 && std::memcmp(bytes.data() + 8, "WAVE", 4) == 0)
        sound = DecodeWav(bytes);
    if (!sound)
        return nullptr;
    sound->loop = loopFlag != 0;

    cache.push_front({path, loopFlag, size, mtimeNs, sound});
    size_t total = 0;
    for (auto it = cache.begin(); it != cache.end();) {
        total += BytesOf(it->sound);
        if (total > CACHE_BYTES && it != cache.begin())
            it = cache.erase(it);
        else
            ++it;
    }
    return sound;
}

void ClearSoundCache() { Cache().clear(); }

size_t SoundCacheBytes()
{
    size_t total = 0;
    for (const auto& e : Cache())
        total += BytesOf(e.sound);
    return total;
}
