#include "MotionDatagram.h"

#include <juce_core/juce_core.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace velmora
{
namespace
{
    constexpr std::size_t maxText = 512;
    constexpr int maxTokens = 10;   // tokens beyond the tenth are never read

    struct Token { std::size_t start, length; };

    // The token copied into a terminated scratch buffer, so a reader never runs into the next one.
    struct TokenText
    {
        char chars[maxText];

        TokenText (const char* text, Token t) noexcept
        {
            const auto n = std::min (t.length, maxText - 1);
            std::memcpy (chars, text + t.start, n);
            chars[n] = '\0';
        }
    };

    // Reads a number the way juce::String::getDoubleValue does; NaN gives the rest value.
    float readLevel (const char* text, Token t, float restValue) noexcept
    {
        const TokenText token (text, t);
        const double v = juce::CharacterFunctions::getDoubleValue (juce::CharPointer_UTF8 (token.chars));
        if (std::isnan (v))
            return restValue;
        return (float) juce::jlimit (0.0, 1.0, v);
    }

    // atoi's reading (white space, sign, digits), without its undefined overflow.
    bool readGate (const char* text, Token t) noexcept
    {
        const TokenText token (text, t);
        return std::strtol (token.chars, nullptr, 10) != 0;
    }

    bool isSpace (char c) noexcept { return std::isspace ((unsigned char) c) != 0; }
}

bool applyMotionDatagram (const char* text, std::size_t length, AtomicMotionState& record) noexcept
{
    if (text == nullptr)
        return false;

    length = std::min (length, std::strlen (text));
    std::size_t begin = 0, end = length;
    while (begin < end && isSpace (text[begin])) ++begin;
    while (end > begin && isSpace (text[end - 1])) --end;

    Token tokens[maxTokens];
    int count = 0;   // all tokens, so that "too few" is judged on the real number
    std::size_t tokenStart = begin;
    for (std::size_t i = begin; i <= end; ++i)
    {
        if (i == end || text[i] == ',')
        {
            if (count < maxTokens)
                tokens[count] = { tokenStart, i - tokenStart };
            ++count;
            tokenStart = i + 1;
        }
    }

    if (count < 4)
        return false;

    const HandMotion rest;
    auto& left = record.left;
    left.palmX.store (readLevel (text, tokens[0], rest.palmX));
    left.lift.store  (readLevel (text, tokens[1], rest.lift));
    left.pinch.store (readLevel (text, tokens[2], rest.pinch));
    left.open.store  (readLevel (text, tokens[3], rest.open));
    if (count >= 5)
        left.gate.store (readGate (text, tokens[4]));

    if (count >= 10)
    {
        auto& right = record.right;
        right.palmX.store (readLevel (text, tokens[5], rest.palmX));
        right.lift.store  (readLevel (text, tokens[6], rest.lift));
        right.pinch.store (readLevel (text, tokens[7], rest.pinch));
        right.open.store  (readLevel (text, tokens[8], rest.open));
        right.gate.store  (readGate (text, tokens[9]));
    }
    else
    {
        record.right.store (rest);
    }

    return true;
}

} // namespace velmora
