#include "tools/assetgen/synth.h"
#include "tools/assetgen/dmath.h"

#include <algorithm>
#include <cmath>

namespace hexwend::assetgen {

namespace {

constexpr int kTable = 8192;

const std::vector<float>& sineTable() {
    static const std::vector<float> table = [] {
        std::vector<float> t(kTable + 1);
        for (int i = 0; i <= kTable; ++i)
            t[i] = static_cast<float>(dsin(2.0 * 3.14159265358979323846 * i / kTable));
        return t;
    }();
    return table;
}

float polyBlep(double t, double dt) {
    if (t < dt) {
        double x = t / dt;
        return static_cast<float>(x + x - x * x - 1.0);
    }
    if (t > 1.0 - dt) {
        double x = (t - 1.0) / dt;
        return static_cast<float>(x * x + x + x + 1.0);
    }
    return 0;
}

} // namespace

float sine01(double phase) {
    double p = phase - std::floor(phase);
    double x = p * kTable;
    int i = static_cast<int>(x);
    float f = static_cast<float>(x - i);
    const std::vector<float>& t = sineTable();
    return t[i] + (t[i + 1] - t[i]) * f;
}

double midiHz(double note) {
    return 440.0 * dexp2((note - 69.0) / 12.0);
}

float Osc::next() {
    double dt = hz_ / kRate;
    float out = 0;
    switch (shape_) {
    case Sine:
        out = sine01(phase_);
        break;
    case Saw:
        out = static_cast<float>(2.0 * phase_ - 1.0) - polyBlep(phase_, dt);
        break;
    case Pulse: {
        double p2 = phase_ + (1.0 - duty_);
        p2 -= std::floor(p2);
        // Minus the mean, so that narrow pulses carry no DC offset.
        out = (phase_ < duty_ ? 1.0f : -1.0f) + polyBlep(phase_, dt) - polyBlep(p2, dt) -
              (2 * duty_ - 1);
        break;
    }
    case Triangle:
        out = static_cast<float>(4.0 * std::fabs(phase_ - 0.5) - 1.0);
        break;
    }
    phase_ += dt;
    if (phase_ >= 1.0) phase_ -= std::floor(phase_);
    return out;
}

float adsr(double t, double a, double d, float s, double r, double gate) {
    auto level = [&](double x) -> float {
        if (x < 0) return 0;
        if (x < a) return static_cast<float>(x / a);
        if (x < a + d) return static_cast<float>(1.0 - (1.0 - s) * (x - a) / d);
        return s;
    };
    if (t < gate) return level(t);
    double rel = (t - gate) / r;
    if (rel >= 1) return 0;
    return level(gate) * static_cast<float>(1.0 - rel);
}

float decay(double t, double attack, double tau) {
    if (t < 0) return 0;
    if (t < attack) return static_cast<float>(t / attack);
    return static_cast<float>(dexp(-(t - attack) / tau));
}

void Svf::set(double cutoffHz, double q) {
    double c = std::min(cutoffHz, kRate / 6.0);
    f_ = static_cast<float>(2.0 * dsin(3.14159265358979323846 * c / kRate));
    q_ = static_cast<float>(1.0 / std::max(0.5, q));
}

void OnePole::lowpass(double hz) {
    a_ = static_cast<float>(1.0 - dexp(-2.0 * 3.14159265358979323846 * hz / kRate));
}

float peak(const Signal& s) {
    float p = 0;
    for (float v : s) p = std::max(p, std::fabs(v));
    return p;
}

float loudestRms(const Signal& s, double windowSeconds) {
    size_t w = std::max<size_t>(1, static_cast<size_t>(windowSeconds * kRate));
    double sum = 0, best = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        sum += static_cast<double>(s[i]) * s[i];
        if (i >= w) sum -= static_cast<double>(s[i - w]) * s[i - w];
        best = std::max(best, sum);
    }
    return static_cast<float>(
        std::sqrt(best / static_cast<double>(std::min(w, s.size() ? s.size() : 1))));
}

void fadeEdges(Signal& s, double fadeIn, double fadeOut) {
    size_t in = std::min(s.size(), static_cast<size_t>(fadeIn * kRate));
    size_t out = std::min(s.size(), static_cast<size_t>(fadeOut * kRate));
    for (size_t i = 0; i < in; ++i) s[i] *= static_cast<float>(i) / in;
    for (size_t i = 0; i < out; ++i) s[s.size() - 1 - i] *= static_cast<float>(i) / out;
}

void normalise(Signal& s, float targetRms, float maxPeak) {
    float r = loudestRms(s, 0.05);
    if (r <= 0) return;
    float g = targetRms / r;
    float p = peak(s) * g;
    if (p > maxPeak) g *= maxPeak / p;
    for (float& v : s) v *= g;
}

std::vector<int16_t> toPcm16(const Signal& s) {
    std::vector<int16_t> out(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        float v = std::clamp(s[i], -1.0f, 1.0f) * 32767.0f;
        out[i] = static_cast<int16_t>(std::lround(v));
    }
    return out;
}

} // namespace hexwend::assetgen
