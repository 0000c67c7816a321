// view_audio - draws a sound file's waveform and spectrogram into a PNG, so a generated sound can be
// checked by eye: clipping, clicks, seams, pitch sweeps and the balance of the mix all show.
// Usage: view_audio <out.png> <sound file> [seconds to show, default all] [top frequency in Hz, default Nyquist]
#include "platform/sound/Sound.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int WIDTH = 1200, WAVE_H = 240, SPEC_H = 256, HEIGHT = WAVE_H + SPEC_H;
constexpr int FFT = 1024;

void Fft(std::vector<std::complex<float>>& a)
{
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const float ang = -2.0f * float(M_PI) / float(len);
        const std::complex<float> w(std::cos(ang), std::sin(ang));
        for (size_t i = 0; i < n; i += len) {
            std::complex<float> wk(1.0f);
            for (size_t k = 0; k < len / 2; ++k, wk *= w) {
                const auto u = a[i + k], v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

bool WritePng(const std::string& path, const std::vector<unsigned char>& rgb)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, WIDTH, HEIGHT, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < HEIGHT; ++y)
        png_write_row(png, const_cast<png_bytep>(&rgb[size_t(y) * WIDTH * 3]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: view_audio <out.png> <sound file> [seconds] [top Hz]\n");
        return 2;
    }
    auto sound = LoadSoundFile(argv[2], 0);
    if (!sound) {
        std::fprintf(stderr, "view_audio: cannot decode %s\n", argv[2]);
        return 1;
    }
    sound->WaitUntilDecoded();
    const int ch = sound->channels;
    int frames = sound->FrameCount();
    if (argc > 3 && std::atof(argv[3]) > 0)
        frames = std::min(frames, int(std::atof(argv[3]) * sound->sampleRate));
    const double nyquist = sound->sampleRate / 2.0;
    const double topHz = argc > 4 ? std::clamp(std::atof(argv[4]), 100.0, nyquist) : nyquist;
    std::vector<float> mono(frames);
    float peak = 0.0f;
    for (int i = 0; i < frames; ++i) {
        float s = 0.0f;
        for (int c = 0; c < ch; ++c) {
            const float v = sound->Sample(size_t(i) * ch + c);
            s += v;
            peak = std::max(peak, std::fabs(v));
        }
        mono[i] = s / ch;
    }

    std::vector<unsigned char> rgb(size_t(WIDTH) * HEIGHT * 3, 0);
    auto set = [&](int x, int y, unsigned char r, unsigned char g, unsigned char b) {
        unsigned char* p = &rgb[(size_t(y) * WIDTH + x) * 3];
        p[0] = r, p[1] = g, p[2] = b;
    };
    // Waveform: the min..max of each column, full scale at the edges, with lines at +-1 and 0.
    for (int x = 0; x < WIDTH; ++x) {
        const int a = int(int64_t(x) * frames / WIDTH), b = std::max(a + 1, int(int64_t(x + 1) * frames / WIDTH));
        float lo = 1.0f, hi = -1.0f;
        for (int i = a; i < std::min(b, frames); ++i)
            lo = std::min(lo, mono[i]), hi = std::max(hi, mono[i]);
        const auto row = [](float v) { return std::clamp(int((1.0f - v) * 0.5f * (WAVE_H - 1)), 0, WAVE_H - 1); };
        for (int y = row(hi); y <= row(lo); ++y)
            set(x, y, 90, 220, 120);
        set(x, WAVE_H / 2, 70, 70, 70);
        set(x, row(0.99f), 200, 60, 60);
        set(x, row(-0.99f), 200, 60, 60);
    }
    // Spectrogram: linear frequency up to the top frequency, decibels from -90 to 0 as dark to bright.
    std::vector<std::complex<float>> buf(FFT);
    for (int x = 0; x < WIDTH; ++x) {
        const int centre = int(int64_t(x) * frames / WIDTH);
        for (int k = 0; k < FFT; ++k) {
            const int i = centre - FFT / 2 + k;
            const float w = 0.5f - 0.5f * std::cos(2.0f * float(M_PI) * k / (FFT - 1));
            buf[k] = (i >= 0 && i < frames) ? mono[i] * w : 0.0f;
        }
        Fft(buf);
        for (int y = 0; y < SPEC_H; ++y) {
            const int bin = int((SPEC_H - 1 - y) * (FFT / 2) * (topHz / nyquist) / SPEC_H);
            const float db = 20.0f * std::log10(std::abs(buf[bin]) / (FFT / 4) + 1e-9f);
            const float v = std::clamp((db + 90.0f) / 90.0f, 0.0f, 1.0f);
            set(x, WAVE_H + y, (unsigned char)(255 * std::pow(v, 1.5f)), (unsigned char)(255 * v * v * v),
                (unsigned char)(120 * v + 60 * (1 - v) * v));
        }
    }
    double energy = 0.0;
    for (float v : mono)
        energy += double(v) * v;
    std::printf("%s: %d Hz, %d ch, %.3f s, peak %.3f, rms %.3f\n", argv[2], sound->sampleRate, ch,
                sound->LengthSeconds(), peak, frames ? std::sqrt(energy / frames) : 0.0);
    return WritePng(argv[1], rgb) ? 0 : 1;
}
