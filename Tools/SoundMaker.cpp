// SoundMaker synthesises the game's 36 sound effects and writes them as Ogg
// Vorbis files under the names the game looks for.  Every effect is built
// from oscillators, filtered noise and envelopes driven by a seeded random
// generator, and encoded with fixed settings and stream serial numbers, so
// each run writes the same files.
//
// Usage: SoundMaker <output folder>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <vorbis/vorbisenc.h>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 44100;

// xorshift64*: small, fast and the same everywhere.
struct Random {
    uint64_t s;
    explicit Random(uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint64_t next()
    {
        s ^= s >> 12;
        s ^= s << 25;
        s ^= s >> 27;
        return s * 2685821657736338717ull;
    }
    double uniform() { return double(next() >> 11) / double(1ull << 53); } // 0..1
    double range(double a, double b) { return a + (b - a) * uniform(); }
    double noise() { return uniform() * 2 - 1; }
};

// A sound: one or two channels of samples at kRate.
struct Sound {
    std::vector<double> l, r;
    bool stereo = false;
    explicit Sound(double seconds, bool twoChannels = false)
        : l(size_t(seconds * kRate), 0.0), r(twoChannels ? size_t(seconds * kRate) : 0, 0.0), stereo(twoChannels)
    {
    }
    size_t size() const { return l.size(); }
    // Adds a mono signal at a pan position (-1 left .. 1 right).
    void add(const std::vector<double> &signal, size_t start, double gain = 1, double pan = 0)
    {
        double gl = stereo ? std::cos((pan + 1) * kPi / 4) * std::sqrt(2.0) : 1;
        double gr = stereo ? std::sin((pan + 1) * kPi / 4) * std::sqrt(2.0) : 1;
        for (size_t i = 0; i < signal.size() && start + i < size(); i++) {
            l[start + i] += signal[i] * gain * gl;
            if (stereo)
                r[start + i] += signal[i] * gain * gr;
        }
    }
};

size_t at(double seconds) { return size_t(std::max(0.0, seconds) * kRate); }

// ---------------------------------------------------------------- filters

// Biquad filters after the well-known audio cookbook formulas.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    void set(double nb0, double nb1, double nb2, double a0, double na1, double na2)
    {
        b0 = nb0 / a0, b1 = nb1 / a0, b2 = nb2 / a0, a1 = na1 / a0, a2 = na2 / a0;
    }
    void lowpass(double f, double q)
    {
        double w = 2 * kPi * f / kRate, c = std::cos(w), al = std::sin(w) / (2 * q);
        set((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + al, -2 * c, 1 - al);
    }
    void highpass(double f, double q)
    {
        double w = 2 * kPi * f / kRate, c = std::cos(w), al = std::sin(w) / (2 * q);
        set((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + al, -2 * c, 1 - al);
    }
    void bandpass(double f, double q) // peak gain 1
    {
        double w = 2 * kPi * f / kRate, c = std::cos(w), al = std::sin(w) / (2 * q);
        set(al, 0, -al, 1 + al, -2 * c, 1 - al);
    }
    double run(double x)
    {
        double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        return y;
    }
};

// ------------------------------------------------------------ generators

using Curve = double (*)(double);

// Exponential decay envelope with a short attack.
double env(double t, double attack, double decay)
{
    if (t < 0)
        return 0;
    if (t < attack)
        return t / attack;
    return std::exp(-(t - attack) / decay);
}

// A bell-like tone: inharmonic partials, higher ones dying sooner.
std::vector<double> bell(double freq, double seconds, double decay, double brightness = 1)
{
    static const double ratios[] = {1.0, 2.0, 2.76, 4.07, 5.4};
    static const double gains[] = {1.0, 0.45, 0.3, 0.16, 0.1};
    std::vector<double> out(at(seconds));
    for (size_t i = 0; i < out.size(); i++) {
        double t = double(i) / kRate, v = 0;
        for (int p = 0; p < 5; p++) {
            if (freq * ratios[p] > 16000)
                continue;
            v += gains[p] * (p ? brightness : 1) * std::sin(2 * kPi * freq * ratios[p] * t) *
                 env(t, 0.002, decay / (1 + p * 0.6));
        }
        out[i] = v;
    }
    return out;
}

// A soft, round tone: fundamental with a few odd harmonics.
std::vector<double> softTone(double freq, double seconds, double attack, double release, double vibrato = 0)
{
    std::vector<double> out(at(seconds));
    double phase = 0;
    for (size_t i = 0; i < out.size(); i++) {
        double t = double(i) / kRate;
        double f = freq * (1 + vibrato * std::sin(2 * kPi * 5.5 * t) * std::min(1.0, t / 0.3));
        phase += 2 * kPi * f / kRate;
        double v = std::sin(phase) + 0.25 * std::sin(3 * phase) + 0.1 * std::sin(5 * phase) + 0.2 * std::sin(2 * phase);
        double e = std::min(1.0, t / attack) * std::min(1.0, std::max(0.0, (seconds - t) / release));
        out[i] = v * e * 0.7;
    }
    return out;
}

// A brassy tone: band-limited sawtooth through a lowpass that opens with the
// attack.
std::vector<double> brass(double freq, double seconds, double vibrato = 0.004)
{
    std::vector<double> out(at(seconds));
    Biquad lp;
    double phase = 0;
    for (size_t i = 0; i < out.size(); i++) {
        double t = double(i) / kRate;
        double f = freq * (1 + vibrato * std::sin(2 * kPi * 5 * t) * std::min(1.0, t / 0.25));
        phase += 2 * kPi * f / kRate;
        double v = 0;
        for (int h = 1; h <= 12 && h * f < 12000; h++)
            v += std::sin(h * phase) / h;
        double open = 600 + 2400 * std::min(1.0, t / 0.06) * std::exp(-t / 1.5);
        lp.lowpass(open, 0.9);
        double e = std::min(1.0, t / 0.025) * std::min(1.0, std::max(0.0, (seconds - t) / 0.12));
        out[i] = lp.run(v) * e * 0.5;
    }
    return out;
}

// Noise through a band-pass whose centre moves from f0 to f1.
std::vector<double> sweptNoise(Random &rng, double seconds, double f0, double f1, double q, double attack,
                               double release)
{
    std::vector<double> out(at(seconds));
    Biquad bp;
    for (size_t i = 0; i < out.size(); i++) {
        double t = double(i) / kRate, k = t / seconds;
        if (i % 32 == 0)
            bp.bandpass(f0 * std::pow(f1 / f0, k), q);
        double e = std::min(1.0, t / attack) * std::min(1.0, std::max(0.0, (seconds - t) / release));
        out[i] = bp.run(rng.noise()) * e;
    }
    return out;
}

// A struck resonator: an impulse of noise ringing at freq.
std::vector<double> knock(Random &rng, double freq, double q, double seconds, double decay)
{
    std::vector<double> out(at(seconds));
    Biquad bp;
    bp.bandpass(freq, q);
    for (size_t i = 0; i < out.size(); i++) {
        double t = double(i) / kRate;
        double excite = t < 0.003 ? rng.noise() * (1 - t / 0.003) : 0;
        out[i] = bp.run(excite) * 12 * std::exp(-t / decay);
    }
    return out;
}

// A low thump whose pitch drops.
std::vector<double> thump(double f0, double f1, double seconds, double decay)
{
    std::vector<double> out(at(seconds));
    double phase = 0;
    for (size_t i = 0; i < out.size(); i++) {
        double t = double(i) / kRate;
        double f = f1 + (f0 - f1) * std::exp(-t / 0.03);
        phase += 2 * kPi * f / kRate;
        out[i] = std::sin(phase) * env(t, 0.002, decay);
    }
    return out;
}

// Short filtered noise burst (a footfall's scuff or a click).
std::vector<double> burst(Random &rng, double seconds, double lowCut, double highCut, double decay)
{
    std::vector<double> out(at(seconds));
    Biquad hp, lp;
    hp.highpass(lowCut, 0.7);
    lp.lowpass(highCut, 0.7);
    for (size_t i = 0; i < out.size(); i++) {
        double t = double(i) / kRate;
        out[i] = lp.run(hp.run(rng.noise())) * env(t, 0.001, decay);
    }
    return out;
}

// A voiced sound: a gliding pulse train through three vowel formants.
std::vector<double> voice(Random &rng, double seconds, double f0, double f1, double formant1, double formant2,
                          double formant3, double breath)
{
    std::vector<double> out(at(seconds));
    Biquad b1, b2, b3;
    b1.bandpass(formant1, 6);
    b2.bandpass(formant2, 8);
    b3.bandpass(formant3, 10);
    double phase = 0;
    for (size_t i = 0; i < out.size(); i++) {
        double t = double(i) / kRate, k = t / seconds;
        double f = (f0 + (f1 - f0) * k) * (1 + 0.02 * std::sin(2 * kPi * 6 * t));
        phase += f / kRate;
        if (phase >= 1)
            phase -= 1;
        double source = (phase < 0.5 ? phase * 2 : 2 - phase * 2) * 2 - 1; // triangle-ish glottal
        source = source * source * source + breath * rng.noise();
        double v = b1.run(source) * 1.0 + b2.run(source) * 0.6 + b3.run(source) * 0.25;
        double e = std::min(1.0, t / 0.03) * std::min(1.0, std::max(0.0, (seconds - t) / 0.2));
        out[i] = v * e * 3;
    }
    return out;
}

double midi(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// A small room: four feedback combs and two all-passes per channel.
void reverb(Sound &s, double mix, double roomSize)
{
    auto process = [&](std::vector<double> &ch, int offset) {
        const int combs[4] = {1116 + offset, 1188 + offset, 1277 + offset, 1356 + offset};
        const int passes[2] = {556 + offset, 441 + offset};
        std::vector<double> wet(ch.size(), 0.0);
        for (int c : combs) {
            std::vector<double> buf(size_t(c), 0.0);
            size_t p = 0;
            double lowState = 0;
            for (size_t i = 0; i < ch.size(); i++) {
                double y = buf[p];
                lowState = y * 0.8 + lowState * 0.2;
                buf[p] = ch[i] + lowState * roomSize;
                wet[i] += y * 0.25;
                p = (p + 1) % buf.size();
            }
        }
        for (int a : passes) {
            std::vector<double> buf(size_t(a), 0.0);
            size_t p = 0;
            for (size_t i = 0; i < ch.size(); i++) {
                double b = buf[p];
                double y = -wet[i] + b;
                buf[p] = wet[i] + b * 0.5;
                wet[i] = y;
                p = (p + 1) % buf.size();
            }
        }
        for (size_t i = 0; i < ch.size(); i++)
            ch[i] = ch[i] * (1 - mix) + wet[i] * mix;
    };
    process(s.l, 0);
    if (s.stereo)
        process(s.r, 23);
}

// Scales to the given peak, with short fades at both ends so nothing clicks.
void finish(Sound &s, double peak)
{
    double m = 1e-9;
    for (size_t i = 0; i < s.size(); i++) {
        m = std::max(m, std::fabs(s.l[i]));
        if (s.stereo)
            m = std::max(m, std::fabs(s.r[i]));
    }
    double g = peak / m;
    size_t fadeIn = at(0.002), fadeOut = at(0.02);
    for (size_t i = 0; i < s.size(); i++) {
        double f = 1;
        if (i < fadeIn)
            f = double(i) / fadeIn;
        if (i + fadeOut > s.size())
            f = std::min(f, double(s.size() - i) / fadeOut);
        s.l[i] *= g * f;
        if (s.stereo)
            s.r[i] *= g * f;
    }
}

// ----------------------------------------------------------------- sounds

Sound gem()
{
    Sound s(0.8);
    Random rng(1);
    s.add(bell(midi(88), 0.8, 0.35), 0, 0.8);
    s.add(bell(midi(95), 0.7, 0.45), at(0.07), 1.0);
    for (int i = 0; i < 6; i++)
        s.add(bell(rng.range(4000, 7000), 0.08, 0.02, 0.3), at(0.08 + i * 0.05), 0.15);
    reverb(s, 0.15, 0.7);
    finish(s, 0.7);
    return s;
}

Sound feather()
{
    Sound s(0.9);
    Random rng(2);
    s.add(sweptNoise(rng, 0.6, 500, 3500, 1.5, 0.2, 0.3), 0, 0.5);
    std::vector<double> glide(at(0.7));
    double phase = 0;
    for (size_t i = 0; i < glide.size(); i++) {
        double t = double(i) / kRate;
        phase += 2 * kPi * (700 * std::pow(2.0, t / 0.6) * (1 + 0.01 * std::sin(2 * kPi * 7 * t))) / kRate;
        glide[i] = std::sin(phase) * std::sin(kPi * t / 0.7) * 0.5;
    }
    s.add(glide, at(0.05));
    s.add(bell(midi(96), 0.4, 0.2, 0.5), at(0.5), 0.4);
    reverb(s, 0.2, 0.7);
    finish(s, 0.6);
    return s;
}

Sound keyJingle()
{
    Sound s(0.65);
    Random rng(3);
    double t = 0;
    for (int i = 0; i < 5; i++) {
        std::vector<double> clink(at(0.25));
        double f[4] = {rng.range(2100, 2600), rng.range(3300, 3800), rng.range(4700, 5300), rng.range(6200, 7000)};
        for (size_t k = 0; k < clink.size(); k++) {
            double tt = double(k) / kRate, v = 0;
            for (int p = 0; p < 4; p++)
                v += std::sin(2 * kPi * f[p] * tt) * env(tt, 0.0005, 0.05 / (1 + p * 0.5)) / (1 + p * 0.4);
            clink[k] = v;
        }
        s.add(clink, at(t), rng.range(0.6, 1.0));
        t += rng.range(0.05, 0.09);
    }
    reverb(s, 0.12, 0.6);
    finish(s, 0.6);
    return s;
}

Sound unlock()
{
    Sound s(0.55);
    Random rng(4);
    s.add(burst(rng, 0.02, 2000, 9000, 0.003), 0, 0.8);
    s.add(knock(rng, 1800, 15, 0.1, 0.03), at(0.07), 0.8);
    s.add(sweptNoise(rng, 0.12, 900, 600, 2, 0.02, 0.05), at(0.12), 0.3);
    s.add(thump(220, 120, 0.25, 0.08), at(0.26), 0.9);
    s.add(knock(rng, 700, 10, 0.2, 0.06), at(0.26), 0.7);
    finish(s, 0.7);
    return s;
}

Sound extraLife()
{
    Sound s(1.2, true);
    const int notes[] = {72, 76, 79, 84, 88};
    for (int i = 0; i < 5; i++) {
        double len = i == 4 ? 0.7 : 0.2;
        s.add(softTone(midi(notes[i]), len, 0.01, len * 0.6), at(i * 0.09), 0.6, i % 2 ? 0.5 : -0.5);
        s.add(bell(midi(notes[i] + 12), 0.4, 0.15, 0.4), at(i * 0.09), 0.25, i % 2 ? -0.3 : 0.3);
    }
    reverb(s, 0.2, 0.75);
    finish(s, 0.7);
    return s;
}

Sound breath()
{
    Sound s(0.7);
    Random rng(5);
    std::vector<double> air(at(0.65));
    Biquad b1, b2, hp;
    b1.bandpass(1100, 1.2);
    b2.bandpass(2600, 2.5);
    hp.highpass(300, 0.7);
    for (size_t i = 0; i < air.size(); i++) {
        double t = double(i) / kRate;
        double e = std::min(1.0, t / 0.06) * (t < 0.3 ? 1 : std::exp(-(t - 0.3) / 0.12));
        double n = hp.run(rng.noise());
        air[i] = (b1.run(n) + 0.5 * b2.run(n)) * e;
    }
    s.add(air, 0);
    s.add(voice(rng, 0.18, 190, 230, 800, 1300, 2500, 0.6), at(0.01), 0.15);
    finish(s, 0.55);
    return s;
}

Sound switchClick()
{
    Sound s(0.18);
    Random rng(6);
    s.add(burst(rng, 0.01, 3000, 12000, 0.0015), 0, 0.7);
    s.add(knock(rng, 2600, 20, 0.06, 0.012), 0, 0.8);
    s.add(burst(rng, 0.01, 2000, 9000, 0.002), at(0.025), 0.5);
    s.add(knock(rng, 1500, 18, 0.08, 0.02), at(0.025), 0.9);
    s.add(thump(320, 200, 0.08, 0.02), at(0.025), 0.4);
    finish(s, 0.65);
    return s;
}

Sound yell()
{
    Sound s(0.85);
    Random rng(7);
    s.add(voice(rng, 0.8, 440, 250, 760, 1250, 2650, 0.15), 0);
    reverb(s, 0.12, 0.6);
    finish(s, 0.75);
    return s;
}

Sound drown()
{
    Sound s(1.6);
    Random rng(8);
    // Bubbles: short sine chirps rising in pitch, thinning out over time.
    double t = 0;
    while (t < 1.35) {
        double f0 = rng.range(250, 750), len = rng.range(0.02, 0.06);
        std::vector<double> bubble(at(len * 1.5));
        double phase = 0;
        for (size_t i = 0; i < bubble.size(); i++) {
            double tt = double(i) / kRate;
            phase += 2 * kPi * f0 * (1 + 4 * tt / len) / kRate;
            bubble[i] = std::sin(phase) * env(tt, 0.002, len / 2.5);
        }
        s.add(bubble, at(t), rng.range(0.3, 0.8) * (1.2 - t / 1.6));
        t += rng.range(0.02, 0.05) + t * 0.06;
    }
    // A low, muffled gurgle beneath.
    std::vector<double> rumble(at(1.5));
    Biquad lp;
    lp.lowpass(260, 2.5);
    for (size_t i = 0; i < rumble.size(); i++) {
        double tt = double(i) / kRate;
        double wobble = 0.6 + 0.4 * std::sin(2 * kPi * 9 * tt) * std::sin(2 * kPi * 2.3 * tt);
        rumble[i] = lp.run(rng.noise()) * wobble * std::min(1.0, tt / 0.1) * std::exp(-tt / 0.7);
    }
    s.add(rumble, 0, 2.0);
    s.add(voice(rng, 0.5, 180, 110, 400, 800, 2000, 0.2), at(0.05), 0.25);
    finish(s, 0.7);
    return s;
}

// Footfalls: `foot` 0 or 1 (the two feet sound slightly different) and a
// variant 0 to 2.
Sound walkStep(int foot, int variant)
{
    Sound s(0.2);
    Random rng(100 + foot * 3 + variant);
    double pitch = (foot ? 1.08 : 0.94) * rng.range(0.95, 1.05);
    s.add(thump(130 * pitch, 75 * pitch, 0.15, 0.04), 0, 0.9);
    s.add(burst(rng, 0.12, 60, 700 * pitch, 0.035), 0, 1.3);
    s.add(burst(rng, 0.08, 1500, 6000, 0.015), at(rng.range(0.01, 0.03)), 0.2);
    finish(s, 0.42);
    return s;
}

Sound runStep(int foot, int variant)
{
    Sound s(0.17);
    Random rng(200 + foot * 3 + variant);
    double pitch = (foot ? 1.07 : 0.95) * rng.range(0.95, 1.05);
    s.add(thump(160 * pitch, 90 * pitch, 0.12, 0.03), 0, 0.8);
    s.add(burst(rng, 0.1, 150, 1800 * pitch, 0.025), 0, 1.2);
    // Grit under the sole.
    for (int i = 0; i < 6; i++)
        s.add(burst(rng, 0.01, 2500, 9000, 0.002), at(rng.range(0.0, 0.06)), rng.range(0.15, 0.35));
    finish(s, 0.5);
    return s;
}

Sound ladderStep(int foot, int variant)
{
    Sound s(0.22);
    Random rng(300 + foot * 3 + variant);
    double f = (foot ? 470 : 400) * rng.range(0.95, 1.06);
    s.add(knock(rng, f, 14, 0.2, 0.09), 0, 1.0);
    s.add(knock(rng, f * 2.7, 16, 0.1, 0.03), 0, 0.4);
    s.add(thump(f * 0.45, f * 0.3, 0.15, 0.04), 0, 0.5);
    s.add(burst(rng, 0.02, 1200, 5000, 0.004), 0, 0.3);
    finish(s, 0.45);
    return s;
}

Sound jump()
{
    Sound s(0.32);
    Random rng(9);
    s.add(sweptNoise(rng, 0.25, 500, 2000, 1.4, 0.03, 0.15), 0, 0.8);
    s.add(voice(rng, 0.13, 230, 300, 650, 1100, 2500, 0.2), 0, 0.5);
    s.add(burst(rng, 0.05, 200, 2000, 0.01), 0, 0.4);
    finish(s, 0.55);
    return s;
}

Sound land()
{
    Sound s(0.35);
    Random rng(10);
    s.add(thump(90, 45, 0.3, 0.08), 0, 1.0);
    s.add(burst(rng, 0.2, 50, 500, 0.05), 0, 1.4);
    s.add(burst(rng, 0.1, 1200, 5000, 0.02), at(0.01), 0.25);
    finish(s, 0.6);
    return s;
}

Sound grabLadder()
{
    Sound s(0.26);
    Random rng(11);
    s.add(burst(rng, 0.03, 1500, 6000, 0.006), 0, 0.6);
    s.add(knock(rng, 430, 12, 0.22, 0.07), at(0.005), 1.0);
    s.add(knock(rng, 1150, 14, 0.1, 0.03), at(0.005), 0.35);
    s.add(knock(rng, 520, 12, 0.15, 0.05), at(0.06), 0.5);
    s.add(thump(200, 110, 0.15, 0.05), at(0.005), 0.6);
    finish(s, 0.55);
    return s;
}

Sound levelComplete()
{
    Sound s(1.8, true);
    const int run[] = {67, 72, 76, 79};
    for (int i = 0; i < 4; i++) {
        s.add(softTone(midi(run[i]), 0.18, 0.01, 0.1), at(i * 0.11), 0.5, -0.4 + i * 0.27);
        s.add(bell(midi(run[i] + 12), 0.4, 0.2, 0.5), at(i * 0.11), 0.25, 0.4 - i * 0.27);
    }
    const int chord[] = {72, 76, 79, 84};
    for (int i = 0; i < 4; i++) {
        s.add(softTone(midi(chord[i]), 0.95, 0.02, 0.5, 0.004), at(0.46), 0.35, -0.5 + i * 0.33);
        s.add(bell(midi(chord[i] + 12), 0.9, 0.4, 0.5), at(0.46 + i * 0.015), 0.15, 0.5 - i * 0.33);
    }
    reverb(s, 0.25, 0.8);
    finish(s, 0.7);
    return s;
}

Sound levelSetComplete()
{
    Sound s(2.7, true);
    struct Note {
        double t;
        int n;
        double len;
    };
    const Note melody[] = {{0, 67, 0.12},    {0.13, 67, 0.12}, {0.26, 67, 0.12}, {0.39, 72, 0.36},
                           {0.78, 71, 0.12}, {0.91, 72, 0.12}, {1.04, 74, 0.12}, {1.17, 76, 1.2}};
    for (const Note &n : melody) {
        s.add(brass(midi(n.n), n.len + 0.05), at(n.t), 0.6, 0.15);
        s.add(bell(midi(n.n + 12), 0.5, 0.2, 0.4), at(n.t), 0.15, -0.3);
    }
    const int chord[] = {60, 64, 67, 72};
    for (int i = 0; i < 4; i++)
        s.add(brass(midi(chord[i]), 1.25, 0.003), at(1.17), 0.35, -0.6 + i * 0.4);
    const int sparkle[] = {84, 88, 91, 96, 100};
    for (int i = 0; i < 5; i++)
        s.add(bell(midi(sparkle[i]), 0.6, 0.25, 0.3), at(1.2 + i * 0.08), 0.15, -0.8 + i * 0.4);
    reverb(s, 0.25, 0.82);
    finish(s, 0.72);
    return s;
}

Sound gameOver()
{
    Sound s(2.6, true);
    const int notes[] = {67, 66, 65, 64};
    for (int i = 0; i < 4; i++) {
        double len = i == 3 ? 1.2 : 0.42;
        s.add(brass(midi(notes[i] - 12), len, i == 3 ? 0.012 : 0.004), at(i * 0.45), 0.7, -0.2 + 0.13 * i);
        s.add(softTone(midi(notes[i] - 24), len, 0.03, 0.2), at(i * 0.45), 0.35, 0.2);
    }
    reverb(s, 0.22, 0.8);
    finish(s, 0.7);
    return s;
}

Sound teleport()
{
    Sound s(1.1, true);
    Random rng(12);
    for (int p = 0; p < 14; p++) {
        double f = rng.range(700, 4200), rate = rng.range(8, 22), start = rng.range(0, 0.25);
        std::vector<double> partial(at(0.85));
        double phase = 0;
        for (size_t i = 0; i < partial.size(); i++) {
            double t = double(i) / kRate;
            phase += 2 * kPi * f * std::pow(1.6, t / 0.85) / kRate;
            double trem = 0.6 + 0.4 * std::sin(2 * kPi * rate * t);
            partial[i] = std::sin(phase) * trem * std::sin(kPi * t / 0.85);
        }
        s.add(partial, at(start), 0.15, rng.range(-0.9, 0.9));
    }
    s.add(sweptNoise(rng, 0.9, 3000, 9000, 3, 0.3, 0.4), 0, 0.4);
    reverb(s, 0.3, 0.8);
    finish(s, 0.65);
    return s;
}

Sound phase()
{
    Sound s(0.55);
    std::vector<double> hum(at(0.55));
    Biquad lp;
    lp.lowpass(900, 0.8);
    for (size_t i = 0; i < hum.size(); i++) {
        double t = double(i) / kRate;
        double v = std::sin(2 * kPi * 110 * t) + 0.6 * std::sin(2 * kPi * 112.5 * t) +
                   0.35 * std::sin(2 * kPi * 220 * t) + 0.25 * std::sin(2 * kPi * 330.7 * t) +
                   0.15 * std::sin(2 * kPi * 551 * t);
        double am = 0.7 + 0.3 * std::sin(2 * kPi * 14 * t);
        double e = std::min(1.0, t / 0.06) * std::min(1.0, (0.55 - t) / 0.25);
        hum[i] = lp.run(v) * am * std::max(0.0, e);
    }
    s.add(hum, 0);
    finish(s, 0.5);
    return s;
}

Sound blockToggle()
{
    Sound s(0.32);
    Random rng(13);
    s.add(thump(180, 85, 0.3, 0.07), 0, 1.0);
    s.add(knock(rng, 320, 6, 0.2, 0.05), 0, 0.8);
    s.add(burst(rng, 0.02, 800, 4000, 0.004), 0, 0.3);
    finish(s, 0.6);
    return s;
}

// ----------------------------------------------------------------- output

std::filesystem::path outputFolder;

bool writeOgg(const std::string &name, const Sound &s, int serial)
{
    std::string path = (outputFolder / name).string();
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "SoundMaker: cannot write %s\n", path.c_str());
        return false;
    }
    int channels = s.stereo ? 2 : 1;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, kRate, 0.4f) != 0) {
        vorbis_info_clear(&vi);
        std::fclose(file);
        std::fprintf(stderr, "SoundMaker: the encoder refused its settings\n");
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", name.substr(0, name.size() - 4).c_str());
    vorbis_comment_add_tag(&vc, "ALBUM", "Brimhold");
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

    bool ok = true;
    auto writePage = [&](const ogg_page &og) {
        if (std::fwrite(og.header, 1, size_t(og.header_len), file) != size_t(og.header_len) ||
            std::fwrite(og.body, 1, size_t(og.body_len), file) != size_t(og.body_len))
            ok = false;
    };
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page og;
    while (ogg_stream_flush(&os, &og) != 0)
        writePage(og);

    auto drain = [&]() {
        ogg_packet op;
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og) != 0)
                    writePage(og);
            }
        }
    };
    const size_t chunk = 1024;
    for (size_t start = 0; start < s.size(); start += chunk) {
        size_t n = std::min(chunk, s.size() - start);
        float **buffer = vorbis_analysis_buffer(&vd, int(n));
        for (size_t i = 0; i < n; i++) {
            buffer[0][i] = float(std::clamp(s.l[start + i], -1.0, 1.0));
            if (s.stereo)
                buffer[1][i] = float(std::clamp(s.r[start + i], -1.0, 1.0));
        }
        vorbis_analysis_wrote(&vd, int(n));
        drain();
    }
    vorbis_analysis_wrote(&vd, 0);
    drain();
    while (ogg_stream_flush(&os, &og) != 0)
        writePage(og);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    if (std::fclose(file) != 0)
        ok = false;
    if (!ok)
        std::fprintf(stderr, "SoundMaker: failed writing %s\n", path.c_str());
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: SoundMaker <output folder>\n");
        return 2;
    }
    outputFolder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(outputFolder, error);
    if (error) {
        std::fprintf(stderr, "SoundMaker: cannot create %s\n", argv[1]);
        return 1;
    }
    // In the order of the game's sound table.
    std::vector<std::pair<std::string, Sound>> table;
    table.emplace_back("Gem.ogg", gem());
    table.emplace_back("Feather.ogg", feather());
    table.emplace_back("Key.ogg", keyJingle());
    table.emplace_back("Unlock.ogg", unlock());
    table.emplace_back("Extra life.ogg", extraLife());
    table.emplace_back("Breath.ogg", breath());
    table.emplace_back("Switch.ogg", switchClick());
    table.emplace_back("Yell.ogg", yell());
    table.emplace_back("Drown.ogg", drown());
    // Steps: even numbers are one foot, odd numbers the other, three variants each.
    for (int i = 0; i < 6; i++)
        table.emplace_back("WalkStep" + std::to_string(i) + ".ogg", walkStep(i % 2, i / 2));
    for (int i = 0; i < 6; i++)
        table.emplace_back("RunStep" + std::to_string(i) + ".ogg", runStep(i % 2, i / 2));
    for (int i = 0; i < 6; i++)
        table.emplace_back("LadderStep" + std::to_string(i) + ".ogg", ladderStep(i % 2, i / 2));
    table.emplace_back("Jump.ogg", jump());
    table.emplace_back("Land.ogg", land());
    table.emplace_back("GrabLadder.ogg", grabLadder());
    table.emplace_back("LevelComplete.ogg", levelComplete());
    table.emplace_back("LevelSetComplete.ogg", levelSetComplete());
    table.emplace_back("GameOver.ogg", gameOver());
    table.emplace_back("Teleport.ogg", teleport());
    table.emplace_back("Phase.ogg", phase());
    table.emplace_back("BlockToggle.ogg", blockToggle());

    int serial = 0x42524d00;
    for (auto &[name, sound] : table)
        if (!writeOgg(name, sound, serial++))
            return 1;
    std::printf("SoundMaker: %zu files\n", table.size());
    return 0;
}
