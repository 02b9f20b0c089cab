#include "MotionSources.h"

namespace velmora
{

void MotionSources::readControllers (const juce::MidiBuffer& midi) noexcept
{
    bool any = false;
    for (const auto meta : midi)
    {
        const auto* d = meta.data;
        if (meta.numBytes < 3 || (d[0] & 0xf0) != 0xb0 || d[1] < 20 || d[1] > 29)
            continue;

        const float v = juce::jmin (1.0f, (float) d[2] / 127.0f);
        auto& hand = d[1] < 25 ? controllerMotion.left : controllerMotion.right;
        switch ((d[1] - 20) % 5)
        {
            case 0:  hand.palmX = v; break;
            case 1:  hand.lift = v; break;
            case 2:  hand.pinch = v; break;
            case 3:  hand.open = v; break;
            default: hand.gate = v > 0.5f; break;
        }
        any = true;
    }

    if (any)
        lastMotionControllerMillis = clock();
}

void MotionSources::pollNetwork() noexcept
{
    if (motionReceiver.openSocket())
        motionReceiver.pollDatagrams();
}

MotionState MotionSources::choose() const noexcept
{
    const juce::uint32 elapsed = clock() - lastMotionControllerMillis;
    return elapsed < controllerHoldMillis ? controllerMotion : motionReceiver.getReceived();
}

} // namespace velmora
