#pragma once

#include "MotionState.h"

namespace velmora
{

/** The UDP input of the hand tracker: an IPv4 datagram socket bound to the motion port on every
    local address, non-blocking, read on the audio thread once per block. */
class MotionReceiver
{
public:
    static constexpr int defaultPort = 7001;
    static constexpr int maxDatagramsPerBlock = 1024;   // a flood never holds the audio thread

    /** The product always listens on 7001; tests may name another port. */
    explicit MotionReceiver (int portToBind = defaultPort) noexcept : port (portToBind) {}
    ~MotionReceiver();

    /** True when a socket is open (already, or now). A failure leaves no socket open. */
    bool openSocket() noexcept;

    /** Reads and parses every datagram waiting, in arrival order; an empty datagram or any
        receive error ends the reading until the next call. */
    void pollDatagrams() noexcept;

    bool isOpen() const noexcept   { return socketDescriptor >= 0; }
    int getPort() const noexcept   { return port; }

    /** The received record, as the network last set it. */
    MotionState getReceived() const noexcept { return received.load(); }
    AtomicMotionState& getReceivedRecord() noexcept { return received; }

private:
    const int port;
    int socketDescriptor = -1;
    AtomicMotionState received;
    char buffer[512] {};

    MotionReceiver (const MotionReceiver&) = delete;
    MotionReceiver& operator= (const MotionReceiver&) = delete;
};

} // namespace velmora
