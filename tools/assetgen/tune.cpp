// "Days": the music of a run. A 36-bar piece in D major at 126 beats per minute with drums,
// an octave-bouncing bass, off-beat chord stabs, a pad, a bell arpeggio and a pulse-wave
// lead. Everything is mixed into a circular buffer exactly one loop long, so the tails of
// the last bar ring on into the first and the loop has no seam. Encoded as Ogg Vorbis.
#include "tools/assetgen/art.h"
#include "tools/assetgen/dmath.h"
#include "tools/assetgen/synth.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

namespace hexwend::assetgen {

namespace {

constexpr int kStep = 5250; // samples per sixteenth note at 126 beats per minute
constexpr int kBar = 16 * kStep;
constexpr int kBars = 36;
constexpr int64_t kLength = static_cast<int64_t>(kBars) * kBar; // 68.57 seconds

struct Bus {
    std::vector<float> l = std::vector<float>(kLength, 0.0f), r = std::vector<float>(kLength, 0.0f);
    void add(int64_t at, float v, float pan) {
        int64_t i = ((at % kLength) + kLength) % kLength;
        l[i] += v * (1 - pan) * 0.5f * 1.41f;
        r[i] += v * (1 + pan) * 0.5f * 1.41f;
    }
};

// --- the score -------------------------------------------------------------------------

struct Chord {
    int root; // pitch class 0 … 11 (0 = C)
    bool minor;
};

// D A Bm G, the bridge G A F#m Bm; pitch classes: C=0 … B=11.
constexpr Chord D{2, false}, A{9, false}, Bm{11, true}, G{7, false}, Fsm{6, true};
const Chord kChords[kBars] = {
    D,  A, Bm,  G,                // intro
    D,  A, Bm,  G,  D,  A, Bm, G, // A
    Bm, G, D,   A,  Bm, G, D,  A, // B
    G,  A, Fsm, Bm, G,  A, D,  A, // bridge
    D,  A, Bm,  G,  D,  A, G,  A, // A again, ending on A to lead back to the start
};

enum Section { Intro, PartA, PartB, Bridge, PartA2 };
Section sectionOf(int bar) {
    if (bar < 4) return Intro;
    if (bar < 12) return PartA;
    if (bar < 20) return PartB;
    if (bar < 28) return Bridge;
    return PartA2;
}

struct Note {
    int64_t start; // samples
    int64_t length;
    int midi;
};

int noteNumber(const std::string& name) {
    static const int semis[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    int pc = semis[name[0] - 'A'];
    size_t i = 1;
    if (name[i] == '#') {
        ++pc;
        ++i;
    } else if (name[i] == 'b') {
        --pc;
        ++i;
    }
    int octave = name[i] - '0';
    return 12 * (octave + 1) + pc;
}

// Bars of "note:sixteenths" tokens ("r" rests), starting at `firstBar`.
std::vector<Note> melody(int firstBar, const std::vector<std::string>& bars) {
    std::vector<Note> out;
    for (size_t b = 0; b < bars.size(); ++b) {
        std::istringstream in(bars[b]);
        std::string tok;
        int step = 0;
        while (in >> tok) {
            size_t colon = tok.find(':');
            int len = std::stoi(tok.substr(colon + 1));
            std::string name = tok.substr(0, colon);
            if (name != "r")
                out.push_back(
                    {static_cast<int64_t>(firstBar + static_cast<int>(b)) * kBar + step * kStep,
                     static_cast<int64_t>(len) * kStep, noteNumber(name)});
            step += len;
        }
    }
    return out;
}

std::vector<Note> leadNotes() {
    const std::vector<std::string> a = {
        "F#5:4 A5:2 F#5:2 E5:2 D5:2 E5:4",       "C#5:2 E5:2 A5:4 G5:2 F#5:2 E5:4",
        "D5:2 F#5:2 B5:4 A5:2 F#5:2 D5:2 F#5:2", "G5:4 F#5:2 E5:2 D5:4 r:4",
        "F#5:4 A5:2 F#5:2 A5:2 B5:2 A5:4",       "E5:2 A5:2 C#6:4 B5:2 A5:2 G5:2 E5:2",
        "F#5:4 D5:2 F#5:2 B5:2 A5:2 F#5:4",      "G5:2 F#5:2 E5:2 D5:2 E5:8",
    };
    const std::vector<std::string> b = {
        "B5:3 A5:3 F#5:2 D5:2 F#5:2 A5:4", "B5:3 A5:3 G5:2 D5:4 E5:4",
        "F#5:3 E5:3 D5:2 A4:2 D5:2 F#5:4", "E5:6 C#5:2 E5:4 A5:4",
        "B5:3 A5:3 F#5:2 B5:2 D6:2 B5:4",  "D6:3 B5:3 G5:2 B5:2 A5:2 G5:4",
        "F#5:3 A5:3 D6:2 A5:2 F#5:2 D5:4", "E5:4 F#5:2 G5:2 A5:4 C#6:4",
    };
    const std::vector<std::string> c = {
        "B5:8 D6:4 B5:4",      "C#6:8 E6:4 C#6:4",     "A5:8 C#6:4 A5:4", "B5:12 r:4",
        "D6:4 B5:4 G5:4 B5:4", "C#6:4 A5:4 E5:4 A5:4", "F#5:4 A5:4 D6:8", "C#6:8 r:4 E5:2 F#5:2",
    };
    std::vector<std::string> a2 = a;
    a2[6] = "G5:4 B5:2 A5:2 G5:2 F#5:2 E5:4";
    a2[7] = "C#5:2 E5:2 A5:4 G5:2 E5:2 C#5:4";
    std::vector<Note> out = melody(4, a);
    for (const Note& n : melody(12, b)) out.push_back(n);
    for (const Note& n : melody(20, c)) out.push_back(n);
    for (const Note& n : melody(28, a2)) out.push_back(n);
    return out;
}

// Chord tones near `centre`, lowest first.
std::vector<int> voicing(const Chord& ch, int centre) {
    int third = ch.minor ? 3 : 4;
    std::vector<int> tones;
    for (int pc : {ch.root, (ch.root + third) % 12, (ch.root + 7) % 12}) {
        int n = centre - 6 + ((pc - (centre - 6)) % 12 + 12) % 12;
        tones.push_back(n);
    }
    std::sort(tones.begin(), tones.end());
    return tones;
}

// --- instruments -------------------------------------------------------------------------

void lead(Bus& bus, const Note& n, float gain) {
    double hz = midiHz(n.midi);
    Osc a(Osc::Pulse, hz, 0.5f), b(Osc::Pulse, hz * 1.004, 0.25f);
    Svf lp;
    lp.set(3800, 0.9);
    double gate = n.length / static_cast<double>(kRate) * 0.92;
    int64_t len = n.length + static_cast<int64_t>(0.12 * kRate);
    for (int64_t i = 0; i < len; ++i) {
        double t = static_cast<double>(i) / kRate;
        double vib = 1 + 0.006 * sine01(t * 5.8) * std::min(1.0, std::max(0.0, (t - 0.15) * 4));
        a.setHz(hz * vib);
        b.setHz(hz * 1.004 * vib);
        float env = adsr(t, 0.006, 0.12, 0.72f, 0.1, gate);
        float v = lp.low(0.55f * a.next() + 0.45f * b.next()) * env * gain;
        bus.add(n.start + i, v, 0.05f);
    }
}

void bass(Bus& bus, int64_t start, int64_t length, int midi, float gain) {
    double hz = midiHz(midi);
    Osc sq(Osc::Pulse, hz, 0.5f), sub(Osc::Sine, hz);
    Svf lp;
    double gate = length / static_cast<double>(kRate) * 0.8;
    int64_t len = length + static_cast<int64_t>(0.05 * kRate);
    for (int64_t i = 0; i < len; ++i) {
        double t = static_cast<double>(i) / kRate;
        lp.set(400 + 1400 * dexp(-t / 0.06), 1.2);
        float env = adsr(t, 0.004, 0.1, 0.7f, 0.04, gate);
        float v = (lp.low(sq.next()) * 0.6f + sub.next() * 0.7f) * env * gain;
        bus.add(start + i, v, 0);
    }
}

void pluck(Bus& bus, int64_t start, int midi, float gain, float pan) {
    double hz = midiHz(midi);
    Osc a(Osc::Saw, hz * 1.0035), b(Osc::Saw, hz * 0.9965);
    Svf lp;
    int64_t len = static_cast<int64_t>(0.32 * kRate);
    for (int64_t i = 0; i < len; ++i) {
        double t = static_cast<double>(i) / kRate;
        lp.set(700 + 4200 * dexp(-t / 0.07), 1.4);
        float env = decay(t, 0.003, 0.11);
        bus.add(start + i, lp.low(0.5f * (a.next() + b.next())) * env * gain, pan);
    }
}

void pad(Bus& bus, int64_t start, int64_t length, int midi, float gain, float pan) {
    double hz = midiHz(midi);
    Osc a(Osc::Saw, hz * 1.006), b(Osc::Saw, hz * 0.994), c(Osc::Triangle, hz * 2);
    Svf lp;
    lp.set(1300, 0.7);
    double gate = length / static_cast<double>(kRate);
    int64_t len = length + static_cast<int64_t>(0.4 * kRate);
    for (int64_t i = 0; i < len; ++i) {
        double t = static_cast<double>(i) / kRate;
        float env = adsr(t, 0.25, 0.4, 0.8f, 0.4, gate);
        float v = lp.low(0.5f * (a.next() + b.next()) + 0.2f * c.next()) * env * gain;
        bus.add(start + i, v, pan);
    }
}

void bell(Bus& bus, int64_t start, int midi, float gain, float pan) {
    double hz = midiHz(midi);
    double ph = 0, mph = 0;
    int64_t len = static_cast<int64_t>(0.45 * kRate);
    for (int64_t i = 0; i < len; ++i) {
        double t = static_cast<double>(i) / kRate;
        float env = decay(t, 0.002, 0.16);
        double mod = sine01(mph) * 1.1 * dexp(-t / 0.05);
        float v = sine01(ph + mod * 0.15) * env * gain;
        ph += hz / kRate;
        mph += hz * 3.0 / kRate;
        bus.add(start + i, v, pan);
    }
}

void kick(Bus& bus, int64_t start, float gain) {
    double ph = 0;
    int64_t len = static_cast<int64_t>(0.32 * kRate);
    for (int64_t i = 0; i < len; ++i) {
        double t = static_cast<double>(i) / kRate;
        double hz = 46 + 110 * dexp(-t / 0.035);
        ph += hz / kRate;
        float v =
            sine01(ph) * decay(t, 0.001, 0.14) + 0.3f * sine01(ph * 5) * decay(t, 0.0005, 0.005);
        bus.add(start + i, v * gain, 0);
    }
}

void snare(Bus& bus, int64_t start, float gain, uint32_t seed) {
    Noise n(seed);
    Svf bp;
    bp.set(2600, 0.8);
    double ph = 0;
    int64_t len = static_cast<int64_t>(0.25 * kRate);
    for (int64_t i = 0; i < len; ++i) {
        double t = static_cast<double>(i) / kRate;
        ph += (185 + 40 * dexp(-t / 0.02)) / kRate;
        float v = bp.band(n.next()) * decay(t, 0.001, 0.075) * 1.2f +
                  sine01(ph) * decay(t, 0.001, 0.045) * 0.6f;
        bus.add(start + i, v * gain, -0.05f);
    }
}

void clap(Bus& bus, int64_t start, float gain, uint32_t seed) {
    Noise n(seed);
    Svf bp;
    bp.set(1500, 1.5);
    int64_t len = static_cast<int64_t>(0.2 * kRate);
    for (int64_t i = 0; i < len; ++i) {
        double t = static_cast<double>(i) / kRate;
        float env = 0;
        for (int k = 0; k < 3; ++k) env = std::max(env, decay(t - 0.011 * k, 0.0005, 0.006));
        env = std::max(env, 0.6f * decay(t - 0.03, 0.001, 0.06));
        bus.add(start + i, bp.band(n.next()) * env * gain * 1.6f, 0.1f);
    }
}

void hat(Bus& bus, int64_t start, float gain, bool open, uint32_t seed) {
    Noise n(seed);
    OnePole hp1, hp2;
    hp1.lowpass(7000);
    hp2.lowpass(7000);
    int64_t len = static_cast<int64_t>((open ? 0.3 : 0.06) * kRate);
    for (int64_t i = 0; i < len; ++i) {
        double t = static_cast<double>(i) / kRate;
        float v = hp2.high(hp1.high(n.next())) * decay(t, 0.0005, open ? 0.11 : 0.018);
        bus.add(start + i, v * gain, 0.3f);
    }
}

void crash(Bus& bus, int64_t start, float gain, uint32_t seed) {
    Noise n(seed);
    OnePole hp;
    hp.lowpass(4500);
    int64_t len = static_cast<int64_t>(1.8 * kRate);
    for (int64_t i = 0; i < len; ++i) {
        double t = static_cast<double>(i) / kRate;
        float v = hp.high(n.next()) * decay(t, 0.002, 0.5);
        bus.add(start + i, v * gain, -0.25f);
    }
}

// A small stereo reverb (parallel combs and allpasses) run twice round the loop, so that
// its state where the loop starts is the state the end of the loop leaves behind.
void reverb(const Bus& in, Bus& out, float wet) {
    const int combs[4] = {1557, 1617, 1491, 1422}, allpasses[2] = {556, 441};
    for (int ch = 0; ch < 2; ++ch) {
        const std::vector<float>& src = ch ? in.r : in.l;
        std::vector<float>& dst = ch ? out.r : out.l;
        int spread = ch ? 23 : 0;
        std::vector<std::vector<float>> cb(4), ap(2);
        std::vector<size_t> ci(4, 0), ai(2, 0);
        std::vector<float> damp(4, 0);
        for (int k = 0; k < 4; ++k) cb[k].assign(combs[k] + spread, 0.0f);
        for (int k = 0; k < 2; ++k) ap[k].assign(allpasses[k] + spread, 0.0f);
        for (int pass = 0; pass < 2; ++pass)
            for (int64_t i = 0; i < kLength; ++i) {
                float x = src[i] * 0.3f, y = 0;
                for (int k = 0; k < 4; ++k) {
                    float o = cb[k][ci[k]];
                    damp[k] = o * 0.7f + damp[k] * 0.3f;
                    cb[k][ci[k]] = x + damp[k] * 0.8f;
                    ci[k] = (ci[k] + 1) % cb[k].size();
                    y += o;
                }
                for (int k = 0; k < 2; ++k) {
                    float b = ap[k][ai[k]];
                    ap[k][ai[k]] = y + b * 0.5f;
                    ai[k] = (ai[k] + 1) % ap[k].size();
                    y = b - y;
                }
                if (pass == 1) dst[i] += y * wet;
            }
    }
}

// A ping-pong echo of a dotted eighth, wrapped round the loop.
void echo(const Bus& in, Bus& out, float feedback) {
    const int64_t delay = 3 * kStep;
    float g = feedback;
    for (int k = 1; k <= 4; ++k, g *= feedback)
        for (int64_t i = 0; i < kLength; ++i) {
            int64_t j = (i + k * delay) % kLength;
            float v = (in.l[i] + in.r[i]) * 0.5f * g;
            (k % 2 ? out.r : out.l)[j] += v;
        }
}

void compose(Bus& out) {
    Bus drums, low, chords, leadBus, sparkle;
    std::vector<int64_t> kicks;
    uint32_t seed = 1;
    for (int bar = 0; bar < kBars; ++bar) {
        Section sec = sectionOf(bar);
        int64_t b0 = static_cast<int64_t>(bar) * kBar;
        const Chord& ch = kChords[bar];
        auto at = [&](int step) { return b0 + static_cast<int64_t>(step) * kStep; };

        // Drums.
        std::vector<int> kickSteps = {0, 4, 8, 12};
        if (sec == Bridge && bar < 24) kickSteps = {0, 6, 10};
        if (bar == kBars - 1) kickSteps = {0, 4, 8};
        for (int s : kickSteps) {
            kick(drums, at(s), 0.95f);
            kicks.push_back(at(s));
        }
        if (bar >= 2) {
            for (int s : {4, 12}) {
                snare(drums, at(s), 0.42f, ++seed);
                if (sec == PartB || sec == PartA2) clap(drums, at(s), 0.3f, ++seed);
            }
        }
        bool sixteenths = sec == PartB || sec == PartA2;
        for (int s = 0; s < 16; ++s) {
            if (!sixteenths && s % 4 != 2) continue;
            if (sixteenths && s == 14) {
                hat(drums, at(s), 0.26f, true, ++seed);
                continue;
            }
            float accent = (s % 4 == 2) ? 0.28f : 0.14f;
            hat(drums, at(s), accent, false, ++seed);
        }
        if (bar == 0 || bar == 4 || bar == 12 || bar == 20 || bar == 28)
            crash(drums, at(0), 0.16f, ++seed);
        if (bar == kBars - 1 || bar == 19 || bar == 11 || bar == 27)
            for (int s = 12; s < 16; ++s) snare(drums, at(s), 0.22f + 0.06f * (s - 12), ++seed);

        // Bass: octave bounce on eighths; long notes in the first half of the bridge.
        int root = 38 + ((ch.root - 2) % 12 + 12) % 12; // D2 … C#3
        if (root > 45) root -= 12;                      // keep it low: A1 … A2
        if (sec == Bridge && bar < 24) {
            bass(low, at(0), 6 * kStep, root, 0.5f);
            bass(low, at(8), 6 * kStep, root + 12, 0.42f);
        } else {
            for (int e = 0; e < 8; ++e)
                bass(low, at(2 * e), 2 * kStep, root + ((e % 2) ? 12 : 0), e % 2 ? 0.38f : 0.5f);
        }

        // Chords: off-beat stabs, syncopated in B, a pad from B on.
        std::vector<int> tones = voicing(ch, 67);
        std::vector<int> stabSteps = {2, 6, 10, 14};
        if (sec == PartB) stabSteps = {0, 3, 6, 8, 11, 14};
        if (sec == Bridge && bar < 24) stabSteps = {};
        for (int s : stabSteps)
            for (size_t k = 0; k < tones.size(); ++k)
                pluck(chords, at(s), tones[k], 0.16f, -0.35f + 0.35f * k);
        if (sec == PartB || sec == Bridge || sec == PartA2)
            for (size_t k = 0; k < tones.size(); ++k)
                pad(chords, at(0), kBar, tones[k] - 12, 0.09f, 0.4f - 0.4f * k);

        // Bell arpeggio: eighths in the intro, sixteenths in the bridge and the last part.
        std::vector<int> arp = voicing(ch, 79);
        arp.push_back(arp[0] + 12);
        if (sec == Intro)
            for (int e = 0; e < 8; ++e)
                bell(sparkle, at(2 * e), arp[e % 4], 0.22f, e % 2 ? 0.45f : -0.45f);
        if (sec == Bridge || sec == PartA2) {
            const int order[8] = {0, 1, 2, 3, 2, 1, 0, 1};
            for (int s = 0; s < 16; ++s)
                bell(sparkle, at(s), arp[order[s % 8]], s % 4 == 0 ? 0.15f : 0.1f,
                     s % 2 ? 0.5f : -0.5f);
        }
    }
    for (const Note& n : leadNotes()) {
        lead(leadBus, n, 0.3f);
        if (n.start >= static_cast<int64_t>(28) * kBar)
            lead(leadBus, {n.start, n.length, n.midi - 12}, 0.13f);
    }

    // Pump the chords with the kick.
    std::vector<float> duck(kLength, 1.0f);
    for (int64_t k : kicks)
        for (int64_t i = 0; i < static_cast<int64_t>(0.25 * kRate); ++i) {
            int64_t j = (k + i) % kLength;
            duck[j] = std::min(
                duck[j],
                1.0f - 0.45f * static_cast<float>(dexp(-static_cast<double>(i) / (0.07 * kRate))));
        }
    for (int64_t i = 0; i < kLength; ++i) {
        chords.l[i] *= duck[i];
        chords.r[i] *= duck[i];
    }

    Bus sends;
    for (int64_t i = 0; i < kLength; ++i) {
        sends.l[i] =
            chords.l[i] * 0.5f + leadBus.l[i] * 0.6f + sparkle.l[i] * 0.8f + drums.l[i] * 0.08f;
        sends.r[i] =
            chords.r[i] * 0.5f + leadBus.r[i] * 0.6f + sparkle.r[i] * 0.8f + drums.r[i] * 0.08f;
    }
    Bus wet;
    reverb(sends, wet, 0.22f);
    echo(leadBus, wet, 0.32f);
    for (int64_t i = 0; i < kLength; ++i) {
        out.l[i] = drums.l[i] + low.l[i] + chords.l[i] + leadBus.l[i] + sparkle.l[i] + wet.l[i];
        out.r[i] = drums.r[i] + low.r[i] + chords.r[i] + leadBus.r[i] + sparkle.r[i] + wet.r[i];
    }
}

bool encodeOgg(const Output& out, const std::string& path, const Bus& mix) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 2, kRate, 0.45f) != 0) {
        std::fprintf(stderr, "assetgen: the Vorbis encoder refused its settings\n");
        vorbis_info_clear(&vi);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", "Days");
    vorbis_comment_add_tag(&vc, "ARTIST", "Hexwend");
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 0x48657877); // a fixed serial number keeps the bytes stable

    std::vector<uint8_t> bytes;
    auto writePage = [&](const ogg_page& og) {
        bytes.insert(bytes.end(), og.header, og.header + og.header_len);
        bytes.insert(bytes.end(), og.body, og.body + og.body_len);
    };
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page og;
    while (ogg_stream_flush(&os, &og)) writePage(og);

    auto drain = [&] {
        ogg_packet op;
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og)) writePage(og);
            }
        }
    };
    const int64_t chunk = 4096;
    for (int64_t at = 0; at < kLength; at += chunk) {
        int n = static_cast<int>(std::min(chunk, kLength - at));
        float** buf = vorbis_analysis_buffer(&vd, n);
        for (int i = 0; i < n; ++i) {
            buf[0][i] = mix.l[at + i];
            buf[1][i] = mix.r[at + i];
        }
        vorbis_analysis_wrote(&vd, n);
        drain();
    }
    vorbis_analysis_wrote(&vd, 0);
    drain();
    while (ogg_stream_flush(&os, &og)) writePage(og);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out.file(path, bytes);
}

} // namespace

bool makeTune(const Output& out) {
    Bus mix;
    compose(mix);
    // Master level: peaks at −3 dBFS before encoding, leaving room for the codec's overshoot.
    float p = 0;
    for (int64_t i = 0; i < kLength; ++i)
        p = std::max({p, std::fabs(mix.l[i]), std::fabs(mix.r[i])});
    float g = p > 0 ? 0.708f / p : 1;
    for (int64_t i = 0; i < kLength; ++i) {
        mix.l[i] *= g;
        mix.r[i] *= g;
    }
    return encodeOgg(out, "506/sfx/Days.ogg", mix);
}

} // namespace hexwend::assetgen
