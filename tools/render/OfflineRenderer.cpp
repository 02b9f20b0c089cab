#include "OfflineRenderer.h"

#include "plugin/PluginProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <array>

namespace halcyra
{

RenderStats measure (const juce::AudioBuffer<float>& audio, double sampleRate)
{
    RenderStats s;
    s.seconds = sampleRate > 0 ? (double) audio.getNumSamples() / sampleRate : 0.0;

    double sumSquares = 0.0;
    for (int ch = 0; ch < audio.getNumChannels(); ++ch)
    {
        const float* d = audio.getReadPointer (ch);
        for (int i = 0; i < audio.getNumSamples(); ++i)
        {
            if (! std::isfinite (d[i]))
            {
                s.finite = false;
                continue;
            }
            s.peak = std::max (s.peak, std::abs (d[i]));
            sumSquares += (double) d[i] * d[i];
        }
    }

    const auto count = (double) audio.getNumSamples() * audio.getNumChannels();
    s.rms = count > 0 ? (float) std::sqrt (sumSquares / count) : 0.0f;
    return s;
}

bool readMidiFile (const juce::File& file, double sampleRate, std::vector<TimedMidi>& events, juce::String& error)
{
    if (! file.existsAsFile())
    {
        error = "MIDI file not found: " + file.getFullPathName();
        return false;
    }

    juce::FileInputStream in (file);
    juce::MidiFile midi;
    if (! in.openedOk() || ! midi.readFrom (in))
    {
        error = "not a readable Standard MIDI File: " + file.getFullPathName();
        return false;
    }

    midi.convertTimestampTicksToSeconds();

    events.clear();
    for (int t = 0; t < midi.getNumTracks(); ++t)
        for (const auto* e : *midi.getTrack (t))
            if (! e->message.isMetaEvent() && ! e->message.isSysEx())
                events.push_back ({ (juce::int64) std::llround (e->message.getTimeStamp() * sampleRate), e->message });

    std::stable_sort (events.begin(), events.end(), [] (const TimedMidi& a, const TimedMidi& b) { return a.sample < b.sample; });
    return true;
}

bool readMotionLog (const juce::File& file, double sampleRate, juce::int64 untilSample,
                    std::vector<TimedMidi>& events, juce::String& error)
{
    if (! file.existsAsFile())
    {
        error = "motion log not found: " + file.getFullPathName();
        return false;
    }

    juce::StringArray lines;
    file.readLines (lines);
    std::vector<std::pair<juce::int64, std::array<int, 10>>> rows;

    for (int n = 0; n < lines.size(); ++n)
    {
        const auto line = lines[n].trim();
        if (line.isEmpty() || line.startsWithChar ('#') || ! juce::CharacterFunctions::isDigit (line[0]))
            continue;

        juce::StringArray t;
        t.addTokens (line, ",", "");
        if (t.size() != 11)
        {
            error = file.getFileName() + " line " + juce::String (n + 1) + ": needs a time and ten values";
            return false;
        }

        std::array<int, 10> cc {};
        for (int i = 0; i < 10; ++i)
        {
            const double v = t[i + 1].trim().getDoubleValue();
            if (! std::isfinite (v) || v < 0.0 || v > 1.0)
            {
                error = file.getFileName() + " line " + juce::String (n + 1) + ": value " + juce::String (i + 1) + " is not within 0 … 1";
                return false;
            }
            cc[(size_t) i] = i % 5 == 4 ? (v > 0.5 ? 127 : 0) : juce::roundToInt (v * 127.0);
        }
        rows.emplace_back ((juce::int64) std::llround (t[0].getDoubleValue() * 0.001 * sampleRate), cc);
    }

    if (rows.empty())
    {
        error = "motion log has no rows: " + file.getFullPathName();
        return false;
    }

    const auto holdStep = (juce::int64) (0.5 * sampleRate);
    for (size_t r = 0; r < rows.size(); ++r)
    {
        const auto end = r + 1 < rows.size() ? rows[r + 1].first : juce::jmax (untilSample, rows[r].first + 1);
        for (auto at = rows[r].first; at < end; at += holdStep)
            for (int i = 0; i < 10; ++i)
                events.push_back ({ at, juce::MidiMessage::controllerEvent (1, 20 + i, rows[r].second[(size_t) i]) });
    }

    std::stable_sort (events.begin(), events.end(), [] (const TimedMidi& a, const TimedMidi& b) { return a.sample < b.sample; });
    return true;
}

//==============================================================================
namespace
{
    // The processor's motion clock follows the render position, so controller holds are
    // measured in rendered time, not in the time the render takes.
    std::atomic<juce::uint32> renderMillis { 0 };
    juce::uint32 renderClock() { return renderMillis.load(); }
    constexpr juce::uint32 clockOrigin = 1000000;   // far from the "never received" value 0
}

OfflineRenderer::OfflineRenderer (double rate, int block, int channels)
    : sampleRate (rate), blockSize (block), numChannels (channels),
      proc (std::make_unique<VelmoraSynthAudioProcessor>())
{
    const auto layout = channels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
    proc->setBusesLayout ({ {}, { layout } });
    proc->setRateAndBufferSizeDetails (sampleRate, blockSize);
    proc->setNonRealtime (true);
    proc->prepareToPlay (sampleRate, blockSize);
    proc->getMotionSources().setClock (&renderClock);
    renderMillis = clockOrigin;
}

OfflineRenderer::~OfflineRenderer()
{
    proc->releaseResources();
    proc->setPlayHead (nullptr);
}

void OfflineRenderer::seedRandomSources (juce::int64 seed)
{
    for (auto* synth : { &proc->getPolySynth(), &proc->getMonoSynth() })
        for (int i = 0; i < synth->getNumVoices(); ++i)
            if (auto* voice = dynamic_cast<velmora::PadSynthVoice*> (synth->getVoice (i)))
                voice->setRandomSeed (seed + 101 * i + (synth == &proc->getMonoSynth() ? 7919 : 0));
    proc->getArpeggiator().setRandomSeed (seed + 1);
    proc->getHumanizer().setRandomSeed (seed + 2);
}

juce::Optional<juce::AudioPlayHead::PositionInfo> OfflineRenderer::RenderPlayHead::getPosition() const
{
    PositionInfo info;
    info.setBpm (bpm);
    info.setTimeInSamples (position);
    info.setTimeInSeconds ((double) position / sampleRate);
    info.setPpqPosition ((double) position / sampleRate * bpm / 60.0);
    info.setTimeSignature (juce::AudioPlayHead::TimeSignature {});
    info.setIsPlaying (true);
    return info;
}

void OfflineRenderer::setTempo (double bpm)
{
    if (playHead == nullptr)
        playHead = std::make_unique<RenderPlayHead>();
    playHead->bpm = bpm;
    playHead->sampleRate = sampleRate;
    proc->setPlayHead (playHead.get());
}

bool OfflineRenderer::setParameter (const juce::String& id, const juce::String& valueText, juce::String& error)
{
    auto* p = proc->getParameterState().getParameter (id);
    if (p == nullptr)
    {
        error = "unknown parameter ID '" + id + "'";
        return false;
    }

    const auto text = valueText.trim();
    float value = 0.0f;

    if (auto* choice = dynamic_cast<juce::AudioParameterChoice*> (p); choice != nullptr && choice->choices.contains (text))
    {
        value = (float) choice->choices.indexOf (text);
    }
    else if (dynamic_cast<juce::AudioParameterBool*> (p) != nullptr && (text.equalsIgnoreCase ("on") || text.equalsIgnoreCase ("true")))
    {
        value = 1.0f;
    }
    else if (dynamic_cast<juce::AudioParameterBool*> (p) != nullptr && (text.equalsIgnoreCase ("off") || text.equalsIgnoreCase ("false")))
    {
        value = 0.0f;
    }
    else
    {
        const auto chars = text.toRawUTF8();
        char* end = nullptr;
        value = std::strtof (chars, &end);
        if (text.isEmpty() || end == chars || *end != '\0' || ! std::isfinite (value))
        {
            error = "value '" + valueText + "' for " + id + " is not a number";
            return false;
        }
    }

    const auto& range = p->getNormalisableRange();
    if (value < range.start || value > range.end)
    {
        error = "value " + juce::String (value) + " for " + id + " is outside its range "
              + juce::String (range.start) + " … " + juce::String (range.end);
        return false;
    }

    p->beginChangeGesture();
    p->setValueNotifyingHost (p->convertTo0to1 (value));
    p->endChangeGesture();
    return true;
}

juce::AudioBuffer<float> OfflineRenderer::render (std::vector<TimedMidi> events, double tailSeconds)
{
    const juce::int64 lastEvent = events.empty() ? 0 : events.back().sample;
    const auto total = lastEvent + (juce::int64) std::llround (juce::jmax (0.0, tailSeconds) * sampleRate);
    return renderSamples (std::move (events), juce::jmax ((juce::int64) 1, total));
}

juce::AudioBuffer<float> OfflineRenderer::renderSamples (std::vector<TimedMidi> events, juce::int64 totalSamples)
{
    juce::AudioBuffer<float> out (numChannels, (int) totalSamples);
    juce::AudioBuffer<float> block (numChannels, blockSize);
    juce::MidiBuffer midi;

    size_t next = 0;
    for (juce::int64 pos = 0; pos < totalSamples; pos += blockSize)
    {
        const int n = (int) juce::jmin ((juce::int64) blockSize, totalSamples - pos);
        block.setSize (numChannels, n, false, false, true);

        midi.clear();
        while (next < events.size() && events[next].sample < pos + n)
        {
            const auto at = (int) juce::jmax ((juce::int64) 0, events[next].sample - pos);
            midi.addEvent (events[next].message, at);
            ++next;
        }

        renderMillis = clockOrigin + (juce::uint32) ((double) pos * 1000.0 / sampleRate);
        if (playHead != nullptr)
            playHead->position = pos;
        proc->processBlock (block, midi);

        for (int ch = 0; ch < numChannels; ++ch)
            out.copyFrom (ch, (int) pos, block, ch, 0, n);
    }

    return out;
}

bool writeWav (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate, juce::String& error)
{
    const auto parent = file.getParentDirectory();
    if (! parent.isDirectory())
    {
        error = "cannot write " + file.getFullPathName() + ": folder does not exist";
        return false;
    }

    // Write beside the target and move into place, so a failed render never leaves half a file.
    const juce::TemporaryFile temp (file);
    {
        auto stream = std::make_unique<juce::FileOutputStream> (temp.getFile());
        if (! stream->openedOk())
        {
            error = "cannot write " + file.getFullPathName() + ": " + stream->getStatus().getErrorMessage();
            return false;
        }

        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), sampleRate,
                                                                              (unsigned int) audio.getNumChannels(),
                                                                              32, {}, 0));
        if (writer == nullptr)
        {
            error = "cannot create a WAV writer for " + file.getFullPathName();
            return false;
        }
        stream.release();   // the writer owns it now

        if (! writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()))
        {
            error = "writing " + file.getFullPathName() + " failed";
            return false;
        }
    }

    if (! temp.overwriteTargetFileWithTemporary())
    {
        error = "cannot replace " + file.getFullPathName();
        return false;
    }
    return true;
}

} // namespace halcyra
