#include "TestHelpers.h"
#include "motion/MotionDatagram.h"
#include "motion/MotionSources.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace velmora;

namespace
{
/** Sends datagrams to 127.0.0.1 over a real socket. */
struct UdpSender
{
    UdpSender() : fd (::socket (AF_INET, SOCK_DGRAM, 0)) {}
    ~UdpSender() { ::close (fd); }

    void send (int port, const std::string& text) const
    {
        sockaddr_in to {};
        to.sin_family = AF_INET;
        to.sin_port = htons ((uint16_t) port);
        to.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
        ASSERT_EQ (::sendto (fd, text.data(), text.size(), 0, reinterpret_cast<const sockaddr*> (&to), sizeof (to)),
                   (ssize_t) text.size());
    }

    int fd;
};

/** A UDP port nobody holds right now (the kernel picks it). */
int freePort()
{
    const int fd = ::socket (AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
    ::bind (fd, reinterpret_cast<const sockaddr*> (&a), sizeof (a));
    socklen_t len = sizeof (a);
    ::getsockname (fd, reinterpret_cast<sockaddr*> (&a), &len);
    ::close (fd);
    return ntohs (a.sin_port);
}

void settle() { juce::Thread::sleep (20); }   // loopback delivery is quick but not instantaneous

juce::uint32 fakeNow = 0;
juce::uint32 fakeClock() { return fakeNow; }

struct Expected { float lx, ll, lp, lo; bool lg; float rx, rl, rp, ro; bool rg; };

void expectState (const MotionState& m, const Expected& e)
{
    EXPECT_FLOAT_EQ (m.left.palmX, e.lx);  EXPECT_FLOAT_EQ (m.left.lift, e.ll);
    EXPECT_FLOAT_EQ (m.left.pinch, e.lp);  EXPECT_FLOAT_EQ (m.left.open, e.lo);
    EXPECT_EQ (m.left.gate, e.lg);
    EXPECT_FLOAT_EQ (m.right.palmX, e.rx); EXPECT_FLOAT_EQ (m.right.lift, e.rl);
    EXPECT_FLOAT_EQ (m.right.pinch, e.rp); EXPECT_FLOAT_EQ (m.right.open, e.ro);
    EXPECT_EQ (m.right.gate, e.rg);
}
}

TEST (MotionDatagram, TableOfTexts)
{
    // Each case starts from a record whose left gate is on and right hand is away from rest.
    struct Case { const char* text; bool applied; Expected e; };
    const Case cases[] = {
        { "0.2,0.3,0.4,0.5", true, { 0.2f, 0.3f, 0.4f, 0.5f, true, 0.5f, 0.5f, 0, 0, false } },
        { "0.2,0.3,0.4,0.5,0", true, { 0.2f, 0.3f, 0.4f, 0.5f, false, 0.5f, 0.5f, 0, 0, false } },
        { "1.7,-3,abc,0.5,0,0.1,0.2,0.3,0.4,2", true, { 1, 0, 0, 0.5f, false, 0.1f, 0.2f, 0.3f, 0.4f, true } },
        { " 0.5 , 0.5 , 0.5 , 0.5 ", true, { 0.5f, 0.5f, 0.5f, 0.5f, true, 0.5f, 0.5f, 0, 0, false } },
        { "0.5,0.5,0.5", false, { 0.9f, 0.9f, 0.9f, 0.9f, true, 0.9f, 0.9f, 0.9f, 0.9f, true } },
        { "", false, { 0.9f, 0.9f, 0.9f, 0.9f, true, 0.9f, 0.9f, 0.9f, 0.9f, true } },
        { ",,,", true, { 0, 0, 0, 0, true, 0.5f, 0.5f, 0, 0, false } },                  // empty tokens read 0
        { "nan,inf,-inf,NaN,1", true, { 0.5f, 1, 0, 0, true, 0.5f, 0.5f, 0, 0, false } }, // NaN gives the rest value
        { "0,0,0,0,1.0,0,0,0,0,0.9", true, { 0, 0, 0, 0, true, 0, 0, 0, 0, false } },      // gates read like atoi
        { "0,0,0,0,-2,1,1,1,1, 7", true, { 0, 0, 0, 0, true, 1, 1, 1, 1, true } },
        { "0.1,0.2,0.3,0.4,1,0.5,0.6,0.7,0.8,1,0.99,junk", true, { 0.1f, 0.2f, 0.3f, 0.4f, true, 0.5f, 0.6f, 0.7f, 0.8f, true } },
        { "1e-1,2E-1,.3,+0.4,99999999999999999999", true, { 0.1f, 0.2f, 0.3f, 0.4f, true, 0.5f, 0.5f, 0, 0, false } },
        { "0.25x,0.5;,0.75 0.1,1", true, { 0.25f, 0.5f, 0.75f, 1, true, 0.5f, 0.5f, 0, 0, false } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        AtomicMotionState record;
        record.store ({ { 0.9f, 0.9f, 0.9f, 0.9f, true }, { 0.9f, 0.9f, 0.9f, 0.9f, true } });
        EXPECT_EQ (applyMotionDatagram (c.text, std::strlen (c.text), record), c.applied);
        expectState (record.load(), c.e);
    }
}

TEST (MotionDatagram, HostileTextIsSafe)
{
    AtomicMotionState record;
    std::string longText (5000, ',');
    EXPECT_TRUE (applyMotionDatagram (longText.c_str(), longText.size(), record));
    std::string binary ("\x01\xff\x80,\x00,1,1", 8);
    EXPECT_FALSE (applyMotionDatagram (binary.c_str(), binary.size(), record));   // stops at the NUL
    const std::string huge = "1" + std::string (600, '0') + ",0.5,0.5,0.5";
    EXPECT_TRUE (applyMotionDatagram (huge.c_str(), huge.size(), record));
    EXPECT_FLOAT_EQ (record.load().left.palmX, 1.0f);
    EXPECT_FALSE (applyMotionDatagram (nullptr, 10, record));
}

TEST (MotionReceiver, LoopbackDatagramsLastWinsAndEmptyEndsTheBlock)
{
    const int port = freePort();
    MotionReceiver receiver (port);
    ASSERT_TRUE (receiver.openSocket());
    EXPECT_TRUE (receiver.openSocket());   // already open

    UdpSender sender;
    sender.send (port, "0.1,0.1,0.1,0.1,1,0.1,0.1,0.1,0.1,1");
    sender.send (port, "0.2,0.2,0.2,0.2,0,0.2,0.2,0.2,0.2,0");
    sender.send (port, "0.3,0.4,0.5,0.6,1,0.7,0.8,0.9,1,1");
    settle();
    EXPECT_FLOAT_EQ (receiver.getReceived().left.palmX, 0.5f);   // nothing is read before a poll
    receiver.pollDatagrams();
    expectState (receiver.getReceived(), { 0.3f, 0.4f, 0.5f, 0.6f, true, 0.7f, 0.8f, 0.9f, 1, true });

    sender.send (port, "0.11,0.11,0.11,0.11");
    sender.send (port, "");
    sender.send (port, "0.22,0.22,0.22,0.22");
    settle();
    receiver.pollDatagrams();
    EXPECT_FLOAT_EQ (receiver.getReceived().left.palmX, 0.11f);   // the empty datagram ended this read
    receiver.pollDatagrams();
    EXPECT_FLOAT_EQ (receiver.getReceived().left.palmX, 0.22f);   // the next one continues

    MotionReceiver second (port);
    EXPECT_FALSE (second.openSocket());
    EXPECT_FALSE (second.isOpen());
}

TEST (MotionSources, ControllersTakeOverForTwoSecondsThenTheNetworkReturns)
{
    const int port = freePort();
    MotionSources sources (port);
    sources.setClock (&fakeClock);
    fakeNow = 100000;

    UdpSender sender;
    sources.pollNetwork();
    sender.send (port, "0.9,0.5,0,0,0");
    settle();
    sources.pollNetwork();
    EXPECT_FLOAT_EQ (sources.choose().left.palmX, 0.9f);

    juce::MidiBuffer cc;
    cc.addEvent (juce::MidiMessage::controllerEvent (3, 20, 0), 10);
    cc.addEvent (juce::MidiMessage::controllerEvent (16, 24, 63), 11);
    cc.addEvent (juce::MidiMessage::controllerEvent (1, 29, 64), 12);
    cc.addEvent (juce::MidiMessage::controllerEvent (1, 30, 127), 13);   // not a motion controller
    sources.readControllers (cc);
    EXPECT_EQ (cc.getNumEvents(), 4);   // the messages stay in the stream
    EXPECT_EQ (sources.lastMotionControllerMillis, 100000u);

    const auto controlled = sources.choose();
    EXPECT_FLOAT_EQ (controlled.left.palmX, 0.0f);
    EXPECT_FALSE (controlled.left.gate);   // 63 is below the middle
    EXPECT_TRUE (controlled.right.gate);   // 64 is above it

    sender.send (port, "0.7,0.5,0,0,0");   // still read, not in effect
    settle();
    sources.pollNetwork();
    fakeNow = 100000 + 1999;
    EXPECT_FLOAT_EQ (sources.choose().left.palmX, 0.0f);
    fakeNow = 100000 + 2000;
    EXPECT_FLOAT_EQ (sources.choose().left.palmX, 0.7f);

    // The counter wraps after 49.7 days; the unsigned difference still measures the gap.
    fakeNow = 0xffffff00u;
    sources.readControllers (cc);
    fakeNow = 0x00000100u;
    EXPECT_FLOAT_EQ (sources.choose().left.palmX, 0.0f);
}

//==============================================================================
// These bind the product's own port 7001 and run alone (see tests/CMakeLists.txt).

TEST (Port7001, ProcessorReadsDatagramsInTheNextBlock)
{
    testsupport::ProcessorRig rig;
    ASSERT_TRUE (rig.proc.getMotionSources().motionReceiver.isOpen())
        << "port 7001 is held by another program: this test needs it";
    ASSERT_EQ (rig.proc.getMotionSources().motionReceiver.getPort(), 7001);

    UdpSender sender;
    sender.send (7001, "0.25,0.75,0.5,1,1,0.1,0.2,0.3,0.4,0");
    settle();
    rig.block();
    expectState (rig.proc.getDisplayMotion(), { 0.25f, 0.75f, 0.5f, 1, true, 0.1f, 0.2f, 0.3f, 0.4f, false });
}

TEST (Port7001, SecondInstanceCannotBindAndKeepsWorkingFromControllers)
{
    testsupport::ProcessorRig first;
    ASSERT_TRUE (first.proc.getMotionSources().motionReceiver.isOpen())
        << "port 7001 is held by another program: this test needs it";

    testsupport::ProcessorRig second;
    EXPECT_FALSE (second.proc.getMotionSources().motionReceiver.isOpen());

    juce::MidiBuffer cc;
    cc.addEvent (juce::MidiMessage::controllerEvent (1, 20, 127), 0);
    second.block (cc);
    EXPECT_FALSE (second.proc.getMotionSources().motionReceiver.isOpen());   // retried, still held
    EXPECT_FLOAT_EQ (second.proc.getDisplayMotion().left.palmX, 1.0f);
}
