#include "tools/assetgen/art.h"
#include "tools/assetgen/dmath.h"
#include "tools/assetgen/synth.h"

#include <cmath>

namespace hexwend::assetgen {

namespace {

Signal silence(double seconds) {
    return Signal(static_cast<size_t>(seconds * kRate), 0.0f);
}

double timeOf(size_t i) {
    return static_cast<double>(i) / kRate;
}

// A bell-like tone: a sine with a decaying frequency-modulated shimmer.
void addBell(Signal& s, double start, double hz, float gain, double tau, double ratio = 3.5,
             double index = 1.2) {
    size_t from = static_cast<size_t>(start * kRate);
    double ph = 0, mph = 0;
    for (size_t i = from; i < s.size(); ++i) {
        double t = timeOf(i - from);
        float env = decay(t, 0.003, tau);
        double mod = sine01(mph) * index * dexp(-t / (tau * 0.35));
        s[i] += gain * env *
                (sine01(ph + mod * 0.16) * 0.8f + sine01(ph * 2) * 0.2f * dexp(-t / 0.08f));
        ph += hz / kRate;
        mph += hz * ratio / kRate;
    }
}

// Taking a hex from a pile: a quick rising bloop.
Signal takeHex() {
    Signal s = silence(0.22);
    Osc tri(Osc::Triangle, 400);
    double ph = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        double t = timeOf(i);
        double hz = 420 + 520 * (1 - dexp(-t / 0.04));
        tri.setHz(hz);
        ph += hz / kRate;
        float env = decay(t, 0.004, 0.05);
        s[i] = env * (0.7f * sine01(ph) + 0.45f * tri.next());
    }
    return s;
}

// A hex popping: a bubbly blip that lands on a clear tone, so that the rising chain of
// playback rates sounds like a scale.
Signal pop() {
    Signal s = silence(0.36);
    double ph = 0;
    Noise n(7);
    Svf bp;
    bp.set(3200, 2.5);
    for (size_t i = 0; i < s.size(); ++i) {
        double t = timeOf(i);
        double hz = 587.33 + 900 * dexp(-t / 0.012);
        ph += hz / kRate;
        float env = decay(t, 0.002, 0.09);
        float body =
            sine01(ph) * 0.85f + sine01(ph * 2) * 0.18f * dexp(static_cast<float>(-t / 0.03));
        float click = bp.band(n.next()) * decay(t, 0.0005, 0.006);
        s[i] = env * body + 0.6f * click;
    }
    addBell(s, 0.012, 1174.66, 0.22f, 0.08);
    return s;
}

// Hexes falling off the field: a tumbling descending whistle over a soft whoosh.
Signal fallOff() {
    Signal s = silence(0.75);
    Noise n(11);
    Svf bp;
    double ph = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        double t = timeOf(i);
        double sweep = dexp(-t / 0.35);
        bp.set(300 + 2200 * sweep, 3.0);
        float whoosh = bp.band(n.next()) * adsr(t, 0.05, 0.2, 0.6f, 0.3, 0.35) * 0.5f;
        double hz = (180 + 620 * sweep) * (1 + 0.06 * sine01(t * 14));
        ph += hz / kRate;
        float tone =
            (sine01(ph) * 0.7f + sine01(ph * 3) * 0.12f) * adsr(t, 0.01, 0.1, 0.7f, 0.35, 0.38);
        s[i] = whoosh + tone * 0.6f;
    }
    return s;
}

// Placing a hex: a firm wooden clack.
Signal place() {
    Signal s = silence(0.2);
    Noise n(5);
    Svf bp;
    bp.set(2400, 4);
    double ph = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        double t = timeOf(i);
        double hz = 170 + 260 * dexp(-t / 0.015);
        ph += hz / kRate;
        float thump = sine01(ph) * decay(t, 0.001, 0.045);
        float knock = bp.band(n.next()) * decay(t, 0.0005, 0.012) * 1.6f;
        float wood = sine01(ph * 4.2) * decay(t, 0.001, 0.02) * 0.35f;
        s[i] = thump + knock + wood;
    }
    return s;
}

// Losing: four falling notes, the last one long and wobbling.
Signal lose() {
    Signal s = silence(1.45);
    const double notes[4] = {67, 66, 65, 64}; // G4 F#4 F4 E4
    const double starts[4] = {0, 0.22, 0.44, 0.66};
    for (int k = 0; k < 4; ++k) {
        size_t from = static_cast<size_t>(starts[k] * kRate);
        double len = k == 3 ? 0.7 : 0.2;
        Osc sq(Osc::Pulse, midiHz(notes[k]), 0.5f);
        Osc tri(Osc::Triangle, midiHz(notes[k]));
        OnePole lp;
        lp.lowpass(1400);
        for (size_t i = from; i < s.size(); ++i) {
            double t = timeOf(i - from);
            double vib = k == 3 ? 1 + 0.012 * sine01(t * 5.5) : 1;
            double bend = k == 3 ? dexp2(-std::max(0.0, t - 0.35) * 0.5 / 12.0 * 4) : 1;
            sq.setHz(midiHz(notes[k]) * vib * bend);
            tri.setHz(midiHz(notes[k]) * vib * bend);
            float env = adsr(t, 0.01, 0.08, 0.75f, 0.12, len);
            s[i] += env * lp.low(0.3f * sq.next() + 0.7f * tri.next());
        }
    }
    return s;
}

// End of a game: a bright rising arpeggio into a major chord.
Signal jingle() {
    Signal s = silence(2.3);
    const double arp[5] = {72, 76, 79, 84, 88}; // C5 E5 G5 C6 E6
    for (int k = 0; k < 5; ++k) addBell(s, 0.11 * k, midiHz(arp[k]), 0.35f, 0.35, 2.0, 0.8);
    const double chord[4] = {60, 64, 67, 72};
    for (int k = 0; k < 4; ++k) {
        size_t from = static_cast<size_t>(0.55 * kRate);
        Osc a(Osc::Saw, midiHz(chord[k]) * 1.003), b(Osc::Saw, midiHz(chord[k]) * 0.997);
        Svf lp;
        for (size_t i = from; i < s.size(); ++i) {
            double t = timeOf(i - from);
            lp.set(900 + 2200 * dexp(-t / 0.4), 0.8);
            float env = adsr(t, 0.02, 0.3, 0.55f, 0.6, 1.1);
            s[i] += 0.12f * env * lp.low(a.next() + b.next());
        }
    }
    addBell(s, 0.55, midiHz(96), 0.18f, 0.6, 2.0, 0.5);
    return s;
}

// Moving a menu highlight: a soft short tick.
Signal menuMove() {
    Signal s = silence(0.08);
    double ph = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        double t = timeOf(i);
        ph += (1500 - 500 * std::min(1.0, t / 0.03)) / kRate;
        s[i] = sine01(ph) * decay(t, 0.001, 0.018);
    }
    return s;
}

// Choosing a menu entry: two chiming notes.
Signal menuChoose() {
    Signal s = silence(0.5);
    addBell(s, 0.0, midiHz(76), 0.5f, 0.12, 3.0, 0.9);   // E5
    addBell(s, 0.07, midiHz(83), 0.55f, 0.18, 3.0, 0.9); // B5
    return s;
}

bool writeEffect(const Output& out, const std::string& path, Signal s) {
    fadeEdges(s, 0.002, 0.012);
    normalise(s, 0.16f, 0.84f); // about −16 dBFS short-term, peaks at most −1.5 dBFS
    s.front() = 0;
    s.back() = 0;
    return out.wav(path, toPcm16(s), kRate);
}

} // namespace

bool makeSounds(const Output& out) {
    bool ok = writeEffect(out, "506/sfx/001.wav", takeHex());
    ok = writeEffect(out, "506/sfx/002.wav", pop()) && ok;
    ok = writeEffect(out, "506/sfx/003.wav", fallOff()) && ok;
    ok = writeEffect(out, "506/sfx/004.wav", place()) && ok;
    ok = writeEffect(out, "506/sfx/005.wav", lose()) && ok;
    ok = writeEffect(out, "common/096.wav", jingle()) && ok;
    ok = writeEffect(out, "common/098.wav", menuMove()) && ok;
    ok = writeEffect(out, "common/099.wav", menuChoose()) && ok;
    return ok;
}

} // namespace hexwend::assetgen
