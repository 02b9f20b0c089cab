// halcyra-motion: speaks Halcyra's hand-motion datagrams, for people without a hand tracker.
//   send    one datagram from 4 to 10 values
//   sweep   both hands move through slow figures, a stand-in for a tracker
//   replay  a motion log (CSV: time in ms, then the ten values), sent in real time

#include <juce_core/juce_core.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <iostream>
#include <thread>

namespace
{
const char* usage =
    "usage: halcyra-motion [--host H] [--port P] COMMAND ...\n"
    "  send V1 … V10          one datagram (4 to 10 values: L palmX lift pinch open gate, R …)\n"
    "  sweep [--rate HZ] [--seconds S] [--write FILE.csv]\n"
    "                         both hands move through smooth figures (default 30 Hz for 10 s);\n"
    "                         --write saves the figures as a motion log instead of sending\n"
    "  replay FILE.csv        send a motion log (time_ms, ten values per line) in real time\n"
    "  --host H               destination (default 127.0.0.1)\n"
    "  --port P               destination port (default 7001)\n";

int fail (const juce::String& message)
{
    std::cerr << "halcyra-motion: " << message << "\n";
    return 2;
}

struct Destination
{
    int fd = -1;
    sockaddr_storage address {};
    socklen_t length = 0;

    ~Destination() { if (fd >= 0) ::close (fd); }

    bool open (const juce::String& host, int port, juce::String& error)
    {
        addrinfo hints {};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_DGRAM;
        addrinfo* result = nullptr;
        if (::getaddrinfo (host.toRawUTF8(), juce::String (port).toRawUTF8(), &hints, &result) != 0 || result == nullptr)
        {
            error = "cannot resolve host '" + host + "'";
            return false;
        }
        std::memcpy (&address, result->ai_addr, result->ai_addrlen);
        length = (socklen_t) result->ai_addrlen;
        ::freeaddrinfo (result);

        // Not connected: a tracker stand-in keeps sending while the plug-in is not listening yet.
        fd = ::socket (AF_INET, SOCK_DGRAM, 0);
        if (fd < 0)
        {
            error = "cannot open a UDP socket";
            return false;
        }
        return true;
    }

    bool send (const juce::String& text) const
    {
        const auto* bytes = text.toRawUTF8();
        return ::sendto (fd, bytes, std::strlen (bytes), 0, reinterpret_cast<const sockaddr*> (&address), length)
               == (ssize_t) std::strlen (bytes);
    }
};

/** Values are 0 … 1 (gates 0 or 1); anything else is refused. */
bool parseValues (const juce::StringArray& tokens, juce::StringArray& out, juce::String& error)
{
    if (tokens.size() < 4 || tokens.size() > 10)
    {
        error = "a datagram takes 4 to 10 values, not " + juce::String (tokens.size());
        return false;
    }
    for (int i = 0; i < tokens.size(); ++i)
    {
        const auto t = tokens[i].trim();
        char* end = nullptr;
        const double v = std::strtod (t.toRawUTF8(), &end);
        const bool isGate = i % 5 == 4;
        if (t.isEmpty() || *end != '\0' || ! std::isfinite (v) || v < 0.0 || v > 1.0 || (isGate && v != 0.0 && v != 1.0))
        {
            error = "value " + juce::String (i + 1) + " ('" + t + "') must be " + (isGate ? "0 or 1" : "a number from 0 to 1");
            return false;
        }
        out.add (isGate ? juce::String ((int) v) : juce::String (v, 4));
    }
    return true;
}

/** Both hands at time t (seconds): slow, musical figures with a gate pulse. */
juce::String sweepFrame (double t)
{
    auto wave = [t] (double hz, double phase) { return 0.5 + 0.5 * std::sin (juce::MathConstants<double>::twoPi * hz * t + phase); };
    const double lx = wave (0.07, 0.0), ll = wave (0.11, 1.0), lp = wave (0.05, 2.0) * 0.8, lo = wave (0.13, 0.5);
    const double rx = wave (0.09, 2.5), rl = wave (0.06, 0.3), rp = wave (0.17, 1.7) * 0.6, ro = wave (0.04, 3.0);
    const int lg = std::fmod (t, 4.0) < 0.5 ? 1 : 0, rg = std::fmod (t + 2.0, 4.0) < 0.5 ? 1 : 0;
    juce::StringArray v { juce::String (lx, 4), juce::String (ll, 4), juce::String (lp, 4), juce::String (lo, 4), juce::String (lg),
                          juce::String (rx, 4), juce::String (rl, 4), juce::String (rp, 4), juce::String (ro, 4), juce::String (rg) };
    return v.joinIntoString (",");
}
}

int main (int argc, char** argv)
{
    juce::String host = "127.0.0.1";
    int port = 7001;
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
    {
        const juce::String a (argv[i]);
        if (a == "-h" || a == "--help") { std::cout << usage; return 0; }
        if (a == "--host" && i + 1 < argc) { host = argv[++i]; continue; }
        if (a == "--port" && i + 1 < argc)
        {
            port = juce::String (argv[++i]).getIntValue();
            if (port < 1 || port > 65535) return fail ("--port needs a number from 1 to 65535");
            continue;
        }
        args.add (a);
    }
    if (args.isEmpty()) { std::cerr << usage; return 2; }

    const auto command = args[0];
    args.remove (0);
    juce::String error;

    if (command == "sweep")
    {
        double rate = 30.0, seconds = 10.0;
        juce::String writePath;
        for (int i = 0; i < args.size(); ++i)
        {
            if (args[i] == "--rate" && i + 1 < args.size()) rate = args[++i].getDoubleValue();
            else if (args[i] == "--seconds" && i + 1 < args.size()) seconds = args[++i].getDoubleValue();
            else if (args[i] == "--write" && i + 1 < args.size()) writePath = args[++i];
            else return fail ("sweep: unknown option " + args[i]);
        }
        if (! (rate >= 1.0 && rate <= 1000.0)) return fail ("sweep: --rate needs 1 to 1000 Hz");
        if (! (seconds > 0.0 && seconds <= 86400.0)) return fail ("sweep: --seconds needs a positive time");

        const int frames = (int) std::floor (seconds * rate) + 1;
        if (writePath.isNotEmpty())
        {
            juce::String csv = "# time_ms,lPalmX,lLift,lPinch,lOpen,lGate,rPalmX,rLift,rPinch,rOpen,rGate\n";
            for (int f = 0; f < frames; ++f)
                csv << juce::String (juce::roundToInt (1000.0 * f / rate)) << "," << sweepFrame (f / rate) << "\n";
            const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (writePath);
            if (! file.replaceWithText (csv)) return fail ("cannot write " + file.getFullPathName());
            std::cout << "wrote " << frames << " frames to " << file.getFullPathName() << "\n";
            return 0;
        }

        Destination d;
        if (! d.open (host, port, error)) return fail (error);
        const auto start = std::chrono::steady_clock::now();
        for (int f = 0; f < frames; ++f)
        {
            std::this_thread::sleep_until (start + std::chrono::microseconds ((long long) (1.0e6 * f / rate)));
            if (! d.send (sweepFrame (f / rate))) return fail ("sending to " + host + ":" + juce::String (port) + " failed");
        }
        std::cout << "sent " << frames << " datagrams to " << host << ":" << port << "\n";
        return 0;
    }

    if (command == "send")
    {
        juce::StringArray tokens;
        for (const auto& a : args)
            tokens.addTokens (a, ",", "");
        tokens.removeEmptyStrings();
        juce::StringArray values;
        if (! parseValues (tokens, values, error)) return fail (error);
        Destination d;
        if (! d.open (host, port, error)) return fail (error);
        if (! d.send (values.joinIntoString (","))) return fail ("sending to " + host + ":" + juce::String (port) + " failed");
        std::cout << values.joinIntoString (",") << " -> " << host << ":" << port << "\n";
        return 0;
    }

    if (command == "replay")
    {
        if (args.size() != 1) return fail ("replay needs one motion log file");
        const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (args[0]);
        if (! file.existsAsFile()) return fail ("motion log not found: " + file.getFullPathName());
        juce::StringArray lines;
        file.readLines (lines);

        std::vector<std::pair<double, juce::String>> frames;
        for (int n = 0; n < lines.size(); ++n)
        {
            const auto line = lines[n].trim();
            if (line.isEmpty() || line.startsWithChar ('#') || ! (juce::CharacterFunctions::isDigit (line[0]) || line[0] == '.'))
                continue;
            juce::StringArray tokens;
            tokens.addTokens (line, ",", "");
            const double ms = tokens[0].getDoubleValue();
            tokens.remove (0);
            juce::StringArray values;
            if (! parseValues (tokens, values, error) || ! (ms >= 0.0))
                return fail (file.getFileName() + " line " + juce::String (n + 1) + ": " + (error.isEmpty() ? "bad time" : error));
            frames.emplace_back (ms, values.joinIntoString (","));
        }
        if (frames.empty()) return fail ("motion log has no frames: " + file.getFullPathName());

        Destination d;
        if (! d.open (host, port, error)) return fail (error);
        const auto start = std::chrono::steady_clock::now();
        for (const auto& [ms, text] : frames)
        {
            std::this_thread::sleep_until (start + std::chrono::microseconds ((long long) (ms * 1000.0)));
            if (! d.send (text)) return fail ("sending to " + host + ":" + juce::String (port) + " failed");
        }
        std::cout << "replayed " << frames.size() << " frames to " << host << ":" << port << "\n";
        return 0;
    }

    std::cerr << usage;
    return fail ("unknown command '" + command + "'");
}
