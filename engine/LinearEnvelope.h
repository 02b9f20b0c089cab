#pragma once

namespace velmora
{

/** Four-stage envelope with straight-line segments. Rates are per sample and are recomputed
    whenever settings are applied, so a running segment follows new times from the next call on. */
class LinearEnvelope
{
public:
    enum class Stage { idle, attack, decay, sustain, release };

    struct Settings
    {
        float attack = 0.1f, decay = 0.1f, sustain = 1.0f, release = 0.1f;   // seconds, level
    };

    void setSampleRate (double newRate) noexcept { sampleRate = newRate; }

    void applySettings (const Settings& s) noexcept
    {
        settings = s;
        const auto sr = (float) sampleRate;
        attackRate  = s.attack  > 0.0f ? 1.0f / (s.attack * sr) : -1.0f;
        decayRate   = s.decay   > 0.0f ? (1.0f - s.sustain) / (s.decay * sr) : -1.0f;
        releaseRate = s.release > 0.0f ? s.sustain / (s.release * sr) : -1.0f;

        if (stage == Stage::attack && attackRate <= 0.0f)
            endAttack();
        else if (stage == Stage::decay && (decayRate <= 0.0f || level <= settings.sustain))
            stage = Stage::sustain;
        else if (stage == Stage::release && releaseRate <= 0.0f)
            reset();
    }

    void noteOn() noexcept
    {
        if (attackRate > 0.0f)
        {
            stage = Stage::attack;   // rises from wherever the level is
        }
        else if (decayRate > 0.0f)
        {
            level = 1.0f;
            stage = Stage::decay;
        }
        else
        {
            level = settings.sustain;
            stage = Stage::sustain;
        }
    }

    void noteOff() noexcept
    {
        if (stage == Stage::idle)
            return;

        if (settings.release > 0.0f)
        {
            releaseRate = level / (settings.release * (float) sampleRate);
            stage = Stage::release;
        }
        else
        {
            reset();
        }
    }

    void reset() noexcept
    {
        stage = Stage::idle;
        level = 0.0f;
    }

    float nextSample() noexcept
    {
        switch (stage)
        {
            case Stage::idle:
                return 0.0f;

            case Stage::attack:
                level += attackRate;
                if (level >= 1.0f)
                {
                    level = 1.0f;
                    endAttack();
                }
                break;

            case Stage::decay:
                level -= decayRate;
                if (level <= settings.sustain)
                {
                    level = settings.sustain;
                    stage = Stage::sustain;
                }
                break;

            case Stage::sustain:
                level = settings.sustain;
                break;

            case Stage::release:
                level -= releaseRate;
                if (level <= 0.0f)
                    reset();
                break;
        }

        return level;
    }

    Stage getStage() const noexcept   { return stage; }
    float getLevel() const noexcept   { return level; }
    bool isIdle() const noexcept      { return stage == Stage::idle; }

private:
    void endAttack() noexcept { stage = decayRate > 0.0f ? Stage::decay : Stage::sustain; }

    Stage stage = Stage::idle;
    float level = 0.0f;
    double sampleRate = 44100.0;
    Settings settings;
    float attackRate = -1.0f, decayRate = -1.0f, releaseRate = -1.0f;
};

} // namespace velmora
