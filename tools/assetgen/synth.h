// Small sound synthesis kit: oscillators, envelopes, filters, noise and level tools.
// Everything is deterministic: phases are accumulated in double precision, noise comes from a
// seeded generator and the sine is a fixed table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hexwend::assetgen {

constexpr int kRate = 44100;

using Signal = std::vector<float>;

float sine01(double phase); // sin(2π·phase) from a table
double midiHz(double note); // MIDI note number to Hz (69 = A 440)

class Noise {
  public:
    explicit Noise(uint32_t seed) : state_(seed ? seed : 1) {}
    float next() { // −1 … 1
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<float>(state_ & 0xFFFFFF) / 8388608.0f - 1.0f;
    }

  private:
    uint32_t state_;
};

// Oscillators; saw and pulse are band-limited with polyBLEP.
class Osc {
  public:
    enum Shape { Sine, Saw, Pulse, Triangle };
    Osc(Shape shape, double hz, float duty = 0.5f) : shape_(shape), hz_(hz), duty_(duty) {}
    void setHz(double hz) { hz_ = hz; }
    float next();

  private:
    Shape shape_;
    double hz_;
    float duty_;
    double phase_ = 0;
};

// Attack, decay to sustain, release after `gateSeconds`; times in seconds.
float adsr(double t, double attack, double decay, float sustain, double release,
           double gateSeconds);
// Exponential decay from 1 with the given time constant, after a short linear attack.
float decay(double t, double attack, double tau);

// Chamberlin state-variable filter (low-pass and band-pass outputs).
class Svf {
  public:
    void set(double cutoffHz, double q);
    float low(float in) {
        step(in);
        return low_;
    }
    float band(float in) {
        step(in);
        return band_;
    }
    float high(float in) {
        step(in);
        return in - low_ - q_ * band_;
    }

  private:
    void step(float in) {
        low_ += f_ * band_;
        float high = in - low_ - q_ * band_;
        band_ += f_ * high;
    }
    float f_ = 0.1f, q_ = 1, low_ = 0, band_ = 0;
};

class OnePole {
  public:
    void lowpass(double hz);
    float low(float in) { return z_ += a_ * (in - z_); }
    float high(float in) { return in - low(in); }

  private:
    float a_ = 1, z_ = 0;
};

// Level tools for finished effects.
float peak(const Signal& s);
// RMS of the loudest window of `windowSeconds`.
float loudestRms(const Signal& s, double windowSeconds);
void fadeEdges(Signal& s, double fadeIn, double fadeOut);
// Scales to the target short-term loudness, then lowers if the peak would pass `maxPeak`.
void normalise(Signal& s, float targetRms, float maxPeak);
std::vector<int16_t> toPcm16(const Signal& s);

} // namespace hexwend::assetgen
