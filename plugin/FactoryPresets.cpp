#include "FactoryPresets.h"

#include <initializer_list>

namespace velmora
{
namespace
{
using Ids = std::vector<const char*>;

Ids concat (std::initializer_list<Ids> parts)
{
    Ids all;
    for (const auto& p : parts)
        all.insert (all.end(), p.begin(), p.end());
    return all;
}

const Ids core { "masterVolume", "masterTune", "a4Hz", "spectralTilt", "shimmer", "movement", "spread", "noiseMix" };
const Ids effects { "delayTimeMs", "delayFeedback", "delayMix", "reverbSize", "reverbDecay", "reverbMix", "reverbPreDelayMs" };
const Ids lofi { "bitDepth", "sampleRateReduce" };

// Which parameters each group of presets lists, in stored order.
const Ids mirrorCoreColumns = concat ({ core, { "attack", "release", "cutoff", "resonance", "arpEnabled", "arpRate",
                                                "arpPattern", "arpOctaves", "arpGate", "arpSwing", "mirrorEnabled" },
                                        effects, lofi });
const Ids padColumns = concat ({ core, { "attack", "release", "cutoff", "resonance", "arpEnabled", "arpRate", "arpOctaves", "arpGate" },
                                 effects, lofi });
const Ids morphColumns = concat ({ core, { "attack", "release", "cutoff", "resonance", "filterMorph", "filterDrive", "fmAmount",
                                           "fmRatio", "arpEnabled", "arpRate", "arpOctaves", "arpGate" },
                                   effects, lofi });
const Ids oscHead = concat ({ core, { "padCoreMix", "oscAShape", "oscALevel", "oscBShape", "oscBLevel", "attack", "release",
                                      "cutoff", "resonance", "filterMorph", "filterDrive", "fmAmount", "fmRatio", "arpEnabled" } });
const Ids oscColumns = concat ({ oscHead, effects });
const Ids oscArpColumns = concat ({ oscHead, { "arpRate", "arpOctaves", "arpGate" }, effects });
const Ids oscArpLofiColumns = concat ({ oscArpColumns, lofi });
const Ids oscLofiColumns = concat ({ oscColumns, lofi });
const Ids fullColumns = concat ({ core, { "padCoreMix", "oscAShape", "oscALevel", "oscBShape", "oscBLevel", "subShape", "subLevel",
                                          "fatAmount", "attack", "release", "cutoff", "resonance", "filterMorph", "filterDrive",
                                          "filterEnvAmount", "velocityFilterAmount", "filterKeytrack", "fmAmount", "fmRatio",
                                          "ringModAmount", "pwmAmount", "oscSync", "arpEnabled", "arpRate", "arpPattern",
                                          "arpOctaves", "arpGate", "arpSwing", "humanizeAmount", "delayTimeMs", "delayFeedback",
                                          "delayTone", "delayMix", "reverbSize", "reverbDecay", "reverbMix", "reverbPreDelayMs",
                                          "tapeWow", "tapeFlutter", "outputSaturation" },
                                  lofi });

Ids withLfos (const Ids& base, std::initializer_list<int> lfos)
{
    static const char* const rates[] = { "lfo1Rate", "lfo2Rate", "lfo3Rate", "lfo4Rate", "lfo5Rate", "lfo6Rate", "lfo7Rate", "lfo8Rate" };
    static const char* const depths[] = { "lfo1Depth", "lfo2Depth", "lfo3Depth", "lfo4Depth", "lfo5Depth", "lfo6Depth", "lfo7Depth", "lfo8Depth" };
    Ids ids = base;
    for (int n : lfos)
    {
        ids.push_back (rates[n - 1]);
        ids.push_back (depths[n - 1]);
    }
    return ids;
}

FactoryPreset make (const char* name, const char* bank, const Ids& columns, std::initializer_list<float> values)
{
    jassert (columns.size() == values.size());   // a row must fill its group's columns exactly
    FactoryPreset p { name, bank, {} };
    auto v = values.begin();
    for (size_t i = 0; i < columns.size() && v != values.end(); ++i, ++v)
        p.values.emplace_back (columns[i], *v);
    return p;
}

std::vector<FactoryPreset> buildFactoryPresets()
{
    const auto& A = "A";
    const auto& B = "B";
    std::vector<FactoryPreset> p;
    p.reserve (52);

    // Bank A ------------------------------------------------------------------------------------
    p.push_back (make ("Mirror Core", A, mirrorCoreColumns,
        { -5, 0, 440, 0.61f, 0.7f, 1, 0.94f, 0.08f,   1.8f, 9.5f, 7200, 0.18f,   1, 2, 1, 2, 0.42f, 0, 1,
          390, 0.26f, 0.16f, 0.64f, 0.67f, 0.24f, 36,   16, 1 }));

    // core | attack release cutoff resonance | arp on, rate, octaves, gate | delay, reverb | bits, rate reduction
    p.push_back (make ("Halcyra 432 Drift", A, padColumns,
        { -5.5f, 0, 432, 0.58f, 0.62f, 0.78f, 0.86f, 0.1f,   2.4f, 8.5f, 3600, 0.2f,   0, 2, 2, 0.68f,   480, 0.3f, 0.18f, 0.7f, 0.72f, 0.28f, 40,   16, 1 }));
    p.push_back (make ("Halcyra Choir Glass", A, padColumns,
        { -6, 3, 440, 0.38f, 0.88f, 0.56f, 0.9f, 0.14f,   1.6f, 7, 6800, 0.34f,   0, 2, 2, 0.68f,   360, 0.24f, 0.14f, 0.76f, 0.7f, 0.3f, 32,   16, 1 }));
    p.push_back (make ("Halcyra Deep Shrine", A, padColumns,
        { -4.5f, -6, 438, 0.82f, 0.32f, 0.44f, 0.72f, 0.06f,   3.2f, 11, 1400, 0.28f,   0, 2, 2, 0.68f,   620, 0.32f, 0.16f, 0.86f, 0.84f, 0.34f, 60,   16, 1 }));
    p.push_back (make ("Halcyra Brass Halo", A, padColumns,
        { -5, 0, 440, 0.3f, 0.54f, 0.36f, 0.64f, 0.05f,   0.35f, 3.8f, 3000, 0.46f,   0, 2, 2, 0.68f,   300, 0.2f, 0.1f, 0.5f, 0.46f, 0.18f, 18,   16, 1 }));
    p.push_back (make ("Halcyra Night Rain", A, padColumns,
        { -6.5f, 0, 440, 0.52f, 0.72f, 0.9f, 0.96f, 0.32f,   1.2f, 9, 5200, 0.24f,   0, 2, 2, 0.68f,   540, 0.38f, 0.22f, 0.8f, 0.76f, 0.32f, 44,   16, 1 }));
    p.push_back (make ("Halcyra Dust Relay", A, padColumns,
        { -5.5f, 0, 440, 0.66f, 0.42f, 0.6f, 0.7f, 0.26f,   0.9f, 5.5f, 2600, 0.3f,   0, 2, 2, 0.68f,   410, 0.42f, 0.24f, 0.6f, 0.5f, 0.2f, 24,   12, 2 }));
    p.push_back (make ("Halcyra Solar Arp", A, padColumns,
        { -5, 0, 440, 0.32f, 0.76f, 0.5f, 0.84f, 0.04f,   0.02f, 1.1f, 7600, 0.38f,   1, 2, 3, 0.46f,   250, 0.3f, 0.2f, 0.46f, 0.4f, 0.16f, 12,   16, 1 }));
    p.push_back (make ("Halcyra Aurora Veil", A, padColumns,
        { -6, 2, 440, 0.44f, 0.92f, 0.84f, 1, 0.12f,   3.6f, 12, 8400, 0.18f,   0, 2, 2, 0.68f,   700, 0.36f, 0.2f, 0.9f, 0.86f, 0.38f, 70,   16, 1 }));
    p.push_back (make ("Halcyra Blackwater Choir", A, padColumns,
        { -4.8f, -4, 436, 0.9f, 0.5f, 0.62f, 0.76f, 0.08f,   2.8f, 10, 1100, 0.42f,   0, 2, 2, 0.68f,   580, 0.3f, 0.14f, 0.82f, 0.8f, 0.3f, 52,   16, 1 }));
    p.push_back (make ("Halcyra Harmonic Array", A, padColumns,
        { -5.5f, 0, 440, 0.12f, 0.66f, 0.3f, 0.58f, 0.03f,   0.8f, 6, 9800, 0.3f,   0, 2, 2, 0.68f,   330, 0.22f, 0.12f, 0.56f, 0.5f, 0.2f, 20,   16, 1 }));
    p.push_back (make ("Halcyra Ember Tape", A, padColumns,
        { -5, -8, 440, 0.7f, 0.46f, 0.7f, 0.66f, 0.18f,   1.4f, 7.5f, 2200, 0.36f,   0, 2, 2, 0.68f,   440, 0.44f, 0.2f, 0.6f, 0.56f, 0.22f, 30,   13, 2 }));
    p.push_back (make ("Halcyra Polar Glass", A, padColumns,
        { -6.5f, 5, 442, 0.2f, 1, 0.64f, 0.92f, 0.2f,   1, 8, 12000, 0.26f,   0, 2, 2, 0.68f,   380, 0.3f, 0.18f, 0.74f, 0.66f, 0.3f, 26,   16, 1 }));
    p.push_back (make ("Halcyra Sub Cathedral", A, padColumns,
        { -4, 0, 440, 1, 0.26f, 0.34f, 0.6f, 0.04f,   2.2f, 13, 700, 0.3f,   0, 2, 2, 0.68f,   760, 0.34f, 0.12f, 0.94f, 0.9f, 0.36f, 80,   16, 1 }));
    p.push_back (make ("Halcyra Orbit Bloom", A, padColumns,
        { -5.8f, 0, 440, 0.48f, 0.8f, 0.96f, 0.88f, 0.1f,   2, 9.5f, 5600, 0.3f,   0, 2, 2, 0.68f,   520, 0.34f, 0.2f, 0.72f, 0.68f, 0.28f, 36,   16, 1 }));
    p.push_back (make ("Halcyra Rain Pulse", A, padColumns,
        { -5.2f, 0, 440, 0.4f, 0.58f, 0.72f, 0.9f, 0.22f,   0.05f, 2.4f, 4800, 0.32f,   1, 3, 2, 0.36f,   300, 0.4f, 0.24f, 0.5f, 0.44f, 0.2f, 14,   16, 1 }));
    p.push_back (make ("Halcyra Meridian Haze", A, padColumns,
        { -6.2f, 1, 440, 0.56f, 0.8f, 0.66f, 0.94f, 0.28f,   2.6f, 10.5f, 4200, 0.2f,   0, 2, 2, 0.68f,   650, 0.36f, 0.2f, 0.84f, 0.78f, 0.34f, 48,   16, 1 }));
    p.push_back (make ("Halcyra Neon Cinder", A, padColumns,
        { -5, 0, 440, 0.22f, 0.52f, 0.8f, 0.7f, 0.16f,   0.4f, 4.2f, 6200, 0.62f,   0, 2, 2, 0.68f,   280, 0.3f, 0.16f, 0.44f, 0.4f, 0.14f, 10,   11, 3 }));
    p.push_back (make ("Halcyra Hollow Orbit", A, padColumns,
        { -6, -3, 440, 0.8f, 0.38f, 0.88f, 0.98f, 0.2f,   1.2f, 9, 1500, 0.62f,   0, 2, 2, 0.68f,   560, 0.3f, 0.16f, 0.78f, 0.7f, 0.3f, 56,   16, 1 }));
    p.push_back (make ("Halcyra Tidal Organ", A, padColumns,
        { -5.4f, 0, 440, 0.28f, 0.3f, 0.24f, 0.62f, 0.02f,   0.12f, 2.8f, 5000, 0.22f,   0, 2, 2, 0.68f,   340, 0.2f, 0.1f, 0.5f, 0.44f, 0.16f, 16,   16, 1 }));
    p.push_back (make ("Halcyra Bronze Bloom", A, padColumns,
        { -5, 0, 440, 0.36f, 0.6f, 0.5f, 0.74f, 0.07f,   1.1f, 6.5f, 3900, 0.4f,   0, 2, 2, 0.68f,   420, 0.28f, 0.14f, 0.62f, 0.58f, 0.22f, 28,   16, 1 }));
    p.push_back (make ("Halcyra Ghost Current", A, padColumns,
        { -6.8f, 0, 440, 0.56f, 0.84f, 1, 1, 0.4f,   3, 12.5f, 4400, 0.16f,   0, 2, 2, 0.68f,   680, 0.4f, 0.22f, 0.88f, 0.82f, 0.36f, 64,   16, 1 }));
    p.push_back (make ("Halcyra Velvet Array", A, padColumns,
        { -5.6f, 0, 440, 0.6f, 0.48f, 0.4f, 0.8f, 0.09f,   1.8f, 8, 2900, 0.24f,   0, 2, 2, 0.68f,   460, 0.26f, 0.14f, 0.66f, 0.62f, 0.24f, 34,   16, 1 }));
    p.push_back (make ("Halcyra Prism Choir", A, padColumns,
        { -6, 4, 440, 0.26f, 0.96f, 0.6f, 0.94f, 0.16f,   1.5f, 8.5f, 9000, 0.3f,   0, 2, 2, 0.68f,   400, 0.28f, 0.16f, 0.74f, 0.7f, 0.3f, 30,   16, 1 }));
    p.push_back (make ("Halcyra Chapel Dust", A, padColumns,
        { -5.5f, -2, 440, 0.78f, 0.44f, 0.5f, 0.68f, 0.3f,   2.2f, 10, 1700, 0.26f,   0, 2, 2, 0.68f,   500, 0.32f, 0.18f, 0.8f, 0.74f, 0.3f, 42,   14, 2 }));

    // core | attack release cutoff resonance morph drive fm ratio | arp | delay, reverb | lo-fi | three LFOs
    p.push_back (make ("Halcyra Shard Arp", A, withLfos (morphColumns, { 1, 6, 7 }),
        { -4.2f, 4, 444, 0.24f, 0.86f, 0.82f, 0.92f, 0.04f,   0.01f, 0.84f, 9800, 0.34f, 0.48f, 0.34f, 0.42f, 3.2f,
          1, 3, 3, 0.34f,   180, 0.24f, 0.16f, 0.28f, 0.24f, 0.08f, 6,   9, 6,   2.2f, 0.18f, 1.6f, 0.22f, 0.8f, 0.2f }));
    p.push_back (make ("Halcyra Relay Stab", A, withLfos (morphColumns, { 1, 3, 5 }),
        { -4.6f, 0, 440, 0.3f, 0.62f, 0.56f, 0.8f, 0.05f,   0.01f, 0.45f, 6400, 0.4f, 0.3f, 0.3f, 0.3f, 2,
          1, 2, 1, 0.28f,   220, 0.3f, 0.18f, 0.32f, 0.3f, 0.1f, 8,   12, 3,   1.2f, 0.16f, 0.5f, 0.2f, 3, 0.14f }));
    p.push_back (make ("Halcyra Fracture Bloom", A, withLfos (morphColumns, { 2, 6, 7 }),
        { -5, 0, 440, 0.46f, 0.8f, 0.9f, 0.9f, 0.1f,   0.8f, 6, 5200, 0.36f, 0.62f, 0.4f, 0.46f, 3.5f,
          0, 2, 2, 0.68f,   460, 0.34f, 0.2f, 0.7f, 0.66f, 0.26f, 30,   10, 4,   0.3f, 0.22f, 0.9f, 0.3f, 0.16f, 0.26f }));
    p.push_back (make ("Halcyra Glass Trigger", A, withLfos (morphColumns, { 1, 4, 8 }),
        { -4.8f, 6, 440, 0.18f, 0.94f, 0.7f, 0.86f, 0.06f,   0.01f, 0.3f, 10500, 0.34f, 0.4f, 0.22f, 0.36f, 4,
          1, 4, 2, 0.3f,   200, 0.26f, 0.2f, 0.36f, 0.3f, 0.12f, 6,   16, 1,   2.6f, 0.14f, 1.8f, 0.12f, 0.4f, 0.2f }));
    p.push_back (make ("Halcyra Tape Sparks", A, withLfos (morphColumns, { 3, 5, 7 }),
        { -5.2f, -5, 440, 0.5f, 0.54f, 0.76f, 0.78f, 0.24f,   0.05f, 0.7f, 4600, 0.4f, 0.5f, 0.4f, 0.3f, 1.5f,
          1, 3, 2, 0.42f,   330, 0.46f, 0.26f, 0.48f, 0.4f, 0.16f, 14,   9, 5,   0.7f, 0.3f, 5.5f, 0.34f, 0.25f, 0.24f }));
    p.push_back (make ("Halcyra Orbit Chime", A, withLfos (morphColumns, { 2, 6, 8 }),
        { -5.4f, 0, 440, 0.16f, 0.86f, 0.6f, 0.92f, 0.04f,   0.01f, 3.2f, 8800, 0.3f, 0.2f, 0.18f, 0.58f, 3.5f,
          1, 0, 2, 0.6f,   360, 0.3f, 0.22f, 0.66f, 0.62f, 0.28f, 24,   16, 1,   0.12f, 0.2f, 0.6f, 0.3f, 0.25f, 0.4f }));

    // core | core mix, osc A shape/level, osc B shape/level | envelope, filter, fm | arp [rate octaves gate] | delay, reverb [| lo-fi]
    p.push_back (make ("Halcyra Saw Halo", A, oscColumns,
        { -6.5f, 0, 440, 0.4f, 0.56f, 0.62f, 0.9f, 0.06f,   0.4f, 2, 0.62f, 2, 0.4f,
          0.9f, 7, 3800, 0.32f, 0.1f, 0.3f, 0, 2,   0,   420, 0.28f, 0.14f, 0.7f, 0.64f, 0.26f, 30 }));
    p.push_back (make ("Halcyra Square Choir", A, oscColumns,
        { -6.5f, 0, 440, 0.5f, 0.66f, 0.5f, 0.86f, 0.08f,   0.5f, 3, 0.5f, 3, 0.3f,
          1.4f, 8, 2800, 0.4f, 0.24f, 0.26f, 0, 2,   0,   480, 0.3f, 0.16f, 0.76f, 0.7f, 0.28f, 36 }));
    p.push_back (make ("Halcyra Pulse Atlas", A, oscArpColumns,
        { -5.4f, 0, 440, 0.3f, 0.6f, 0.54f, 0.84f, 0.05f,   0.35f, 4, 0.6f, 4, 0.42f,
          0.02f, 0.7f, 5200, 0.44f, 0.26f, 0.3f, 0.18f, 2,   1, 2, 2, 0.5f,   310, 0.34f, 0.2f, 0.44f, 0.4f, 0.16f, 12 }));
    p.push_back (make ("Halcyra Noise Bloom", A, oscColumns,
        { -6, 0, 440, 0.6f, 0.7f, 0.9f, 0.96f, 0.5f,   0.6f, 5, 0.18f, 1, 0.2f,
          2.6f, 11, 5400, 0.3f, 0.4f, 0.2f, 0, 2,   0,   600, 0.36f, 0.2f, 0.86f, 0.8f, 0.34f, 50 }));
    p.push_back (make ("Halcyra Twin Triangle", A, oscColumns,
        { -5.8f, 0, 440, 0.34f, 0.5f, 0.46f, 0.8f, 0.04f,   0.45f, 1, 0.6f, 1, 0.56f,
          0.5f, 5, 4800, 0.28f, 0.12f, 0.16f, 0.12f, 2,   0,   380, 0.24f, 0.14f, 0.6f, 0.56f, 0.22f, 24 }));
    p.push_back (make ("Halcyra Wave Engine", A, oscArpColumns,
        { -5.6f, 0, 440, 0.28f, 0.64f, 0.7f, 0.88f, 0.06f,   0.4f, 2, 0.5f, 4, 0.5f,
          0.05f, 0.8f, 6600, 0.38f, 0.46f, 0.26f, 0.4f, 1.5f,   1, 1, 3, 0.56f,   340, 0.3f, 0.18f, 0.5f, 0.46f, 0.2f, 16 }));
    p.push_back (make ("Halcyra Mono Shard", A, oscArpColumns,
        { -5, 0, 440, 0.24f, 0.5f, 0.4f, 0.5f, 0.03f,   0.25f, 2, 0.5f, 4, 0.36f,
          0.01f, 0.5f, 5600, 0.56f, 0.36f, 0.36f, 0.34f, 3,   1, 4, 1, 0.3f,   280, 0.3f, 0.12f, 0.34f, 0.3f, 0.1f, 8 }));
    p.push_back (make ("Halcyra Hollow Tape", A, oscColumns,
        { -6, -6, 440, 0.64f, 0.42f, 0.8f, 0.84f, 0.2f,   0.6f, 1, 0.3f, 1, 0.3f,
          1.8f, 9, 2400, 0.46f, 0.3f, 0.4f, 0, 2,   0,   520, 0.42f, 0.2f, 0.7f, 0.64f, 0.26f, 40 }));
    p.push_back (make ("Halcyra Celestial Chimes", A, oscArpLofiColumns,
        { -5.6f, 7, 440, 0.14f, 0.98f, 0.64f, 0.94f, 0.08f,   0.5f, 0, 0.5f, 1, 0.4f,
          0.01f, 4.5f, 11000, 0.28f, 0.3f, 0.14f, 0.52f, 3.5f,   1, 3, 2, 0.7f,   380, 0.34f, 0.24f, 0.74f, 0.7f, 0.32f, 28,   16, 1 }));
    p.push_back (make ("Halcyra Temple Bowl", A, oscLofiColumns,
        { -5.2f, 0, 440, 0.2f, 0.74f, 0.32f, 0.7f, 0.03f,   0.7f, 0, 0.5f, 0, 0.3f,
          0.03f, 9, 7000, 0.5f, 0.5f, 0.1f, 0.44f, 2.76f,   0,   560, 0.3f, 0.16f, 0.84f, 0.8f, 0.34f, 46,   16, 1 }));
    p.push_back (make ("Halcyra Mellotron Haze", A, oscLofiColumns,
        { -5.8f, -10, 440, 0.58f, 0.46f, 0.72f, 0.74f, 0.16f,   0.3f, 2, 0.5f, 1, 0.4f,
          0.3f, 3.5f, 3000, 0.3f, 0.16f, 0.3f, 0, 2,   0,   440, 0.36f, 0.18f, 0.58f, 0.52f, 0.22f, 30,   12, 2 }));
    p.push_back (make ("Halcyra Chamber Strings", A, oscLofiColumns,
        { -6, 0, 440, 0.42f, 0.58f, 0.6f, 0.88f, 0.06f,   0.2f, 2, 0.72f, 2, 0.5f,
          0.7f, 4.5f, 4200, 0.26f, 0.18f, 0.24f, 0, 2,   0,   400, 0.24f, 0.12f, 0.68f, 0.62f, 0.26f, 26,   16, 1 }));
    p.push_back (make ("Halcyra Tape Ensemble", A, oscLofiColumns,
        { -5.6f, -4, 440, 0.5f, 0.52f, 0.84f, 0.94f, 0.14f,   0.35f, 2, 0.6f, 3, 0.35f,
          0.5f, 5.5f, 3400, 0.3f, 0.22f, 0.36f, 0, 2,   0,   470, 0.4f, 0.2f, 0.64f, 0.58f, 0.24f, 32,   13, 2 }));

    // Bank B: every voice parameter listed.
    // core | core mix, A, B, sub, fat | envelope, filter, filter envelope, fm, ring, pwm, sync |
    // arp on rate pattern octaves gate swing, humanize | delay, reverb | tape wow flutter saturation | lo-fi
    p.push_back (make ("Rored Odudovi Ember Weave", B, fullColumns,
        { -4.9f, 0, 440, 0.34f, 0.62f, 0.74f, 0.88f, 0.07f,   0.18f, 2, 0.56f, 4, 0.34f, 3, 0.12f, 0.18f,
          0.02f, 1.8f, 7800, 0.44f, 0.38f, 0.42f, 0.52f, 0.4f, 0.36f, 0.36f, 3.6f, 0.2f, 0.64f, 1,
          1, 3, 4, 2, 0.34f, 0.1f, 0.08f,   170, 0.18f, 0.42f, 0, 0.24f, 0.22f, 0, 8,   0.04f, 0.06f, 0.2f,   13, 2.6f }));
    p.push_back (make ("Rored Odudovi Glass Relay", B, fullColumns,
        { -5.2f, 3, 440, 0.2f, 0.84f, 0.6f, 0.9f, 0.06f,   0.4f, 0, 0.4f, 4, 0.3f, 0, 0.08f, 0.06f,
          0.01f, 1.6f, 9200, 0.34f, 0.3f, 0.2f, 0.6f, 0.5f, 0.5f, 0.38f, 3.5f, 0.12f, 0.5f, 0,
          1, 2, 2, 2, 0.4f, 0.08f, 0.06f,   240, 0.3f, 0.7f, 0.2f, 0.4f, 0.36f, 0.14f, 10,   0.03f, 0.05f, 0.14f,   16, 1 }));
    p.push_back (make ("Rored Odudovi Pulse Spores", B, fullColumns,
        { -5.4f, 0, 440, 0.36f, 0.5f, 0.8f, 0.8f, 0.16f,   0.2f, 4, 0.36f, 4, 0.2f, 3, 0.1f, 0.04f,
          0.02f, 0.3f, 3600, 0.4f, 0.2f, 0.28f, 0.7f, 0.5f, 0.3f, 0.2f, 2, 0.1f, 0.8f, 0,
          1, 3, 3, 2, 0.3f, 0.18f, 0.12f,   180, 0.4f, 0.5f, 0.24f, 0.3f, 0.3f, 0.1f, 6,   0.06f, 0.12f, 0.3f,   12, 3 }));
    p.push_back (make ("Rored Odudovi Smoked Bell Grid", B, fullColumns,
        { -5, -2, 440, 0.24f, 0.7f, 0.5f, 0.86f, 0.08f,   0.5f, 0, 0.3f, 1, 0.36f, 0, 0.1f, 0,
          0.01f, 3.8f, 7000, 0.3f, 0.4f, 0.24f, 0.4f, 0.4f, 0.4f, 0.52f, 2.76f, 0.34f, 0.5f, 0,
          1, 4, 4, 1, 0.5f, 0.12f, 0.04f,   300, 0.34f, 0.5f, 0.2f, 0.56f, 0.5f, 0.18f, 18,   0.05f, 0.04f, 0.22f,   14, 1.8f }));
    p.push_back (make ("Rored Odudovi Wormhole Lattice", B, fullColumns,
        { -5.8f, 0, 440, 0.5f, 0.76f, 0.96f, 1, 0.22f,   0.3f, 2, 0.44f, 2, 0.44f, 3, 0.14f, 0.2f,
          1.6f, 8.5f, 4200, 0.44f, 0.6f, 0.3f, 0.3f, 0.3f, 0.2f, 0.6f, 1.5f, 0.16f, 0.5f, 1,
          0, 2, 0, 2, 0.68f, 0, 0,   520, 0.4f, 0.5f, 0.2f, 0.8f, 0.76f, 0.3f, 40,   0.18f, 0.14f, 0.22f,   16, 1 }));
    p.push_back (make ("Rored Odudovi Fossil Sweep", B, fullColumns,
        { -5.2f, -3, 440, 0.44f, 0.54f, 0.7f, 0.84f, 0.12f,   0.2f, 2, 0.66f, 2, 0.4f, 3, 0.22f, 0.24f,
          0.6f, 5.5f, 1500, 0.58f, 0.24f, 0.44f, 0.86f, 0.6f, 0.5f, 0.1f, 2, 0.08f, 0.5f, 1,
          0, 2, 0, 2, 0.68f, 0, 0,   420, 0.3f, 0.4f, 0.16f, 0.62f, 0.58f, 0.2f, 26,   0.12f, 0.1f, 0.34f,   16, 1 }));
    p.push_back (make ("Rored Odudovi Acid Lantern", B, fullColumns,
        { -5.4f, 0, 440, 0.3f, 0.44f, 0.6f, 0.7f, 0.05f,   0.1f, 2, 0.8f, 4, 0.26f, 3, 0.3f, 0.16f,
          0.01f, 0.7f, 1300, 0.82f, 0.1f, 0.62f, 0.92f, 0.8f, 0.3f, 0.16f, 2, 0.06f, 0.36f, 1,
          1, 2, 0, 1, 0.38f, 0.16f, 0.04f,   260, 0.36f, 0.6f, 0.22f, 0.3f, 0.3f, 0.08f, 6,   0.04f, 0.06f, 0.42f,   16, 1 }));
    p.push_back (make ("Rored Odudovi Murk Bloom", B, fullColumns,
        { -5, -7, 440, 0.76f, 0.4f, 0.84f, 0.9f, 0.26f,   0.6f, 3, 0.3f, 1, 0.3f, 0, 0.3f, 0.3f,
          2.4f, 10, 1200, 0.36f, 0.44f, 0.5f, 0.5f, 0.4f, 0.4f, 0.25f, 1.25f, 0.1f, 0.5f, 0,
          0, 2, 0, 2, 0.68f, 0, 0,   640, 0.38f, 0.3f, 0.18f, 0.84f, 0.8f, 0.32f, 56,   0.2f, 0.16f, 0.4f,   11, 2 }));

    jassert (p.size() == 52);
    return p;
}

const std::vector<FactoryBankDefinition> factoryBankDefinitions {
    { "A", "Bank A | Halcyra Core" }, { "B", "Bank B | Rored Odudovi" }, { "C", "Bank C | Open" },
    { "D", "Bank D | Open" },         { "E", "Bank E | Open" },          { "F", "Bank F | Open" },
    { "G", "Bank G | Open" },
};
}

const std::vector<FactoryPreset>& getFactoryPresets()
{
    static const std::vector<FactoryPreset> presets = buildFactoryPresets();   // thread-safe once
    return presets;
}

const std::vector<FactoryBankDefinition>& getFactoryBankDefinitions()
{
    return factoryBankDefinitions;
}

juce::String sanitiseFactoryBankId (juce::String id)
{
    id = id.trim().toUpperCase();
    for (const auto& bank : factoryBankDefinitions)
        if (id == bank.id)
            return id;
    return "A";
}

} // namespace velmora
