#pragma once

#include "MotionReceiver.h"

#include <juce_audio_basics/juce_audio_basics.h>

namespace velmora
{

/** The two ways hand motion arrives — MIDI controllers 20–29 and UDP datagrams — and the choice
    between them: controllers win for two seconds after their last message. */
class MotionSources
{
public:
    using Clock = juce::uint32 (*)();
    static constexpr juce::uint32 controllerHoldMillis = 2000;

    explicit MotionSources (int port = MotionReceiver::defaultPort) noexcept : motionReceiver (port) {}

    /** Replaces the millisecond clock (tests and offline renders drive their own time). */
    void setClock (Clock newClock) noexcept { clock = newClock != nullptr ? newClock : &juce::Time::getMillisecondCounter; }

    /** Controllers 20–29 on any channel update the controller record; the messages stay put. */
    void readControllers (const juce::MidiBuffer& midi) noexcept;

    /** Opens the socket if it is not open yet (one attempt), then reads what is waiting. */
    void pollNetwork() noexcept;

    /** The record in effect for this block. */
    MotionState choose() const noexcept;

    MotionReceiver motionReceiver;
    MotionState controllerMotion;
    juce::uint32 lastMotionControllerMillis = 0;

private:
    Clock clock = &juce::Time::getMillisecondCounter;
};

} // namespace velmora
