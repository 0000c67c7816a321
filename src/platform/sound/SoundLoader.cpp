// SoundLoader - decodes WAV (SDL's loader) and Ogg Vorbis (libvorbisfile) into 16-bit samples, with a
// cache so a file that is loaded again unchanged (music at every screen start) costs a stat call.
#include "platform/sound/Sound.h"
#include "platform/sound/SoundTesting.h"

#include "platform/Background.h"
#include "platform/sys/FileRead.h"
#include "platform/Preload.h"

#include <SDL.h>
#include <vorbis/vorbisfile.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <list>
#include <thread>

namespace {

// Larger files are refused rather than read: no sound of this game comes near it.
constexpr size_t MAX_FILE_BYTES = size_t(256) << 20;
// Decoded data kept beyond that is dropped, least recently used first.
constexpr size_t CACHE_BYTES = 192u << 20;
// A stream that claims more than this is treated as lying: decoding stops there.
constexpr long long MAX_DECODED_FRAMES = 48000LL * 60 * 10;

// A data chunk whose header claims more than the file holds is cut to what is there: SDL's loader
// would otherwise allocate the claimed size (up to 4 GiB for a 34 KB file) before finding the end.
void ClampDataChunk(std::vector<unsigned char>& bytes)
{
    auto read32 = [&](size_t at) {
        return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
               uint32_t(bytes[at + 3]) << 24;
    };
    size_t at = 12;   // after "RIFF", its size and "WAVE"
    while (at + 8 <= bytes.size()) {
        const uint32_t size = read32(at + 4);
        const size_t left = bytes.size() - (at + 8);
        if (std::memcmp(&bytes[at], "data", 4) == 0) {
            if (size > left)
                for (int i = 0; i < 4; ++i)
                    bytes[at + 4 + i] = uint8_t(left >> (8 * i));
            return;
        }
        if (size > left)
            return;
        at += 8 + size + (size & 1);   // chunks are padded to even lengths
    }
}

TSoundPtr DecodeWav(std::vector<unsigned char>& bytes)
{
    ClampDataChunk(bytes);
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
                                        AUDIO_S16SYS, Uint8(outChannels), spec.freq);
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

    const size_t frames = size_t(converted) / (sizeof(int16_t) * outChannels);
    if (frames == 0)
        return nullptr;
    auto sound = std::make_shared<TSound>();
    sound->sampleRate = spec.freq;
    sound->channels = outChannels;
    sound->samples.resize(frames * outChannels);
    std::memcpy(sound->samples.data(), work.data(), sound->samples.size() * sizeof(int16_t));
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

// A Vorbis stream being decoded; owns the file's bytes, which libvorbisfile reads in place.
struct TVorbisJob {
    std::vector<unsigned char> bytes;
    TMemoryStream stream{nullptr, 0, 0};
    OggVorbis_File vf;
    bool open = false;
    int srcChannels = 0;
    long rate = 0;
    int outChannels = 1;
    TSoundPtr sound;
    bool presized = false;     // samples already hold the whole length; frames are written in place
    size_t written = 0;        // frames
    int seenSection = -1;

    ~TVorbisJob()
    {
        if (open)
            ov_clear(&vf);
    }

    // The source channel heard on the right. With more than two channels only the front pair is kept,
    // and Vorbis puts the centre between them in every layout that has one (3 and 5 to 8 channels).
    int RightChannel() const
    {
        if (srcChannels < 2)
            return 0;
        return srcChannels == 3 || (srcChannels >= 5 && srcChannels <= 8) ? 2 : 1;
    }

    // Decodes until `until` frames are in place; false once the stream has nothing more to give.
    bool DecodeUntil(size_t until)
    {
        const size_t capacity = presized ? sound->samples.size() / outChannels : size_t(MAX_DECODED_FRAMES);
        while (written < until) {
            if (written >= capacity)
                return false;
            float** pcm = nullptr;
            int section = 0;
            const int want = int(std::min<size_t>(4096, capacity - written));
            long got = ov_read_float(&vf, &pcm, want, &section);
            if (got == OV_HOLE)
                continue;   // a gap in the stream: go on after it
            if (got <= 0)
                return false;   // the end, or damage we cannot decode past: keep what came before
            if (section != seenSection) {
                // A chained stream may change its layout; only the first one's is kept.
                vorbis_info* now = ov_info(&vf, section);
                if (seenSection != -1 && (!now || now->channels != srcChannels || now->rate != rate))
                    return false;
                seenSection = section;
            }
            got = std::min<long>(got, long(capacity - written));
            if (!presized)
                sound->samples.resize((written + size_t(got)) * outChannels);
            int16_t* out = sound->samples.data() + written * outChannels;
            // The decoder's output may overshoot full scale (loud content, damaged packets): it clips.
            const float* left = pcm[0];
            const float* right = pcm[RightChannel()];
            if (outChannels == 2) {
                for (long i = 0; i < got; ++i) {
                    *out++ = TSound::FromFloat(left[i]);
                    *out++ = TSound::FromFloat(right[i]);
                }
            } else {
                for (long i = 0; i < got; ++i)
                    *out++ = TSound::FromFloat(left[i]);
            }
            written += size_t(got);
        }
        return true;
    }
};

// Music longer than this decodes its start at once and the rest on a thread of its own.
constexpr double BACKGROUND_SECONDS = 2.0;
// The part decoded before LoadSoundFile returns: enough to know the stream decodes, and ahead of what
// the mixer plays before the thread catches up. More would only hold up the screen that loads it.
constexpr double FOREGROUND_SECONDS = 0.1;

TSoundPtr DecodeVorbis(std::vector<unsigned char>&& bytes)
{
    auto job = std::make_unique<TVorbisJob>();
    job->bytes = std::move(bytes);
    job->stream = {job->bytes.data(), job->bytes.size(), 0};
    const ov_callbacks callbacks{MemRead, MemSeek, nullptr, MemTell};
    if (ov_open_callbacks(&job->stream, &job->vf, nullptr, 0, callbacks) != 0)
        return nullptr;
    job->open = true;
    const vorbis_info* info = ov_info(&job->vf, -1);
    if (!info || info->channels <= 0 || info->rate <= 0)
        return nullptr;
    job->srcChannels = info->channels;
    job->rate = info->rate;
    job->outChannels = info->channels >= 2 ? 2 : 1;
    job->sound = std::make_shared<TSound>();
    job->sound->sampleRate = int(info->rate);
    job->sound->channels = job->outChannels;

    const ogg_int64_t total = ov_pcm_total(&job->vf, -1);
    const bool background = total > BACKGROUND_SECONDS * info->rate && total < MAX_DECODED_FRAMES;
    if (!background) {
        if (total > 0 && total < MAX_DECODED_FRAMES)
            job->sound->samples.reserve(size_t(total) * job->outChannels);
        job->DecodeUntil(size_t(MAX_DECODED_FRAMES));
        return job->written ? job->sound : nullptr;
    }

    job->presized = true;
    job->sound->samples.assign(size_t(total) * job->outChannels, 0);
    const bool more = job->DecodeUntil(size_t(FOREGROUND_SECONDS * info->rate));
    if (job->written == 0)
        return nullptr;
    TSoundPtr sound = job->sound;
    auto progress = std::make_shared<TDecodeProgress>();
    progress->frames.store(int(job->written), std::memory_order_release);
    if (!more) {
        progress->done.store(true, std::memory_order_release);
        sound->progress = progress;
        return sound;
    }
    sound->progress = progress;
    std::shared_ptr<TVorbisJob> shared = std::move(job);
    RunInBackground([job = std::move(shared), progress] {
        // A second of sound at a time is published to the mixer.
        if (job->DecodeUntil(job->written + size_t(job->rate))) {
            progress->frames.store(int(job->written), std::memory_order_release);
            return true;
        }
        // Whatever a damaged stream could not give stays silent.
        progress->frames.store(int(job->sound->samples.size() / job->outChannels), std::memory_order_release);
        progress->done.store(true, std::memory_order_release);
        return false;
    });
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

size_t BytesOf(const TSoundPtr& sound) { return sound->samples.size() * sizeof(sound->samples[0]); }

std::string PreloadKey(const std::string& path) { return "sound " + path; }

// The file decoded, or its start with the rest on a thread of its own; null when it is neither kind.
TSoundPtr ReadSound(const std::string& path)
{
    std::vector<unsigned char> bytes;
    if (ReadRegularFile(path, MAX_FILE_BYTES, bytes) != TFileStatus::Ok || bytes.size() < 4)
        return nullptr;
    if (std::memcmp(bytes.data(), "OggS", 4) == 0)
        return DecodeVorbis(std::move(bytes));
    if (bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 && std::memcmp(bytes.data() + 8, "WAVE", 4) == 0)
        return DecodeWav(bytes);
    return nullptr;
}

} // namespace

void PreloadSound(const std::string& path)
{
    QueuePreload(PreloadKey(path), [path]() -> TPreloaded { return ReadSound(path); });
}

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

    TSoundPtr sound = std::static_pointer_cast<TSound>(TakePreloaded(PreloadKey(path)));
    if (!sound)
        sound = ReadSound(path);
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

void TSound::WaitUntilDecoded() const
{
    // Where the steps take turns with the frames (the browser), waiting for them means running them.
    while (!Decoded()) {
        RunBackgroundSteps();
        if (!Decoded())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void ClearSoundCache() { Cache().clear(); }

size_t SoundCacheBytes()
{
    size_t total = 0;
    for (const auto& e : Cache())
        total += BytesOf(e.sound);
    return total;
}
