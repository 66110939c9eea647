#include "scriptgen/phpline.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

namespace scriptgen {

namespace {

// What a character needs inside a single-quoted PHP literal.
enum Treatment : unsigned char { kAsIs, kBackslash, kChr };

constexpr std::array<Treatment, 256> MakeTreatments()
{
    std::array<Treatment, 256> treatments{};
    for (int c = 0; c < 0x20; ++c)
        treatments[c] = c == '\t' ? kAsIs : kChr;
    treatments[0x7f] = kChr;
    treatments['\\'] = kBackslash;
    treatments['\''] = kBackslash;
    return treatments;
}
constexpr std::array<Treatment, 256> kTreatments = MakeTreatments();

Treatment TreatmentOf(char c)
{
    return kTreatments[static_cast<unsigned char>(c)];
}

// Whether a byte of the eight in `word` is below `n` (n at most 0x80), or
// equal to `byte`: word-at-a-time tests without false alarms.
constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

bool HasByteBelow(std::uint64_t word, unsigned n)
{
    return ((word - kOnes * n) & ~word & kHighBits) != 0;
}

bool HasByte(std::uint64_t word, unsigned char byte)
{
    return HasByteBelow(word ^ (kOnes * byte), 1);
}

// The length of the text's first run that stands in a literal as it is. Most
// texts are one such run, so eight bytes at a time are looked at first.
std::size_t PlainRun(std::string_view text)
{
    std::size_t at = 0;
    for (std::uint64_t word; at + 8 <= text.size(); at += 8) {
        std::memcpy(&word, text.data() + at, 8);
        if (HasByteBelow(word, 0x20) || HasByte(word, 0x7f) || HasByte(word, '\'') || HasByte(word, '\\'))
            break;
    }
    while (at < text.size() && TreatmentOf(text[at]) == kAsIs)
        ++at;
    return at;
}

// The buffers of the lines under construction, innermost last.
thread_local std::vector<std::unique_ptr<std::string>> tLineBuffers;
thread_local std::size_t tOpenLines = 0;

} // namespace

PhpLine::PhpLine(std::string_view indent)
    : line_([]() -> std::string& {
          if (tOpenLines == tLineBuffers.size())
              tLineBuffers.push_back(std::make_unique<std::string>());
          return *tLineBuffers[tOpenLines++];
      }())
{
    line_.assign(indent);
}

PhpLine::~PhpLine()
{
    --tOpenLines;
}

void AppendPhpString(std::string& out, std::string_view text)
{
    if (PlainRun(text) == text.size()) {
        // Most texts: the quotes and the text in one copy.
        const std::size_t at = out.size();
        out.resize(at + text.size() + 2);
        char* to = out.data() + at;
        *to = '\'';
        if (!text.empty())
            std::memcpy(to + 1, text.data(), text.size());
        to[text.size() + 1] = '\'';
        return;
    }
    // Runs of characters become quoted literals, joined with " . " to a chr()
    // call for each control character. Plain runs are copied whole.
    out.reserve(out.size() + text.size() + 16);
    bool inLiteral = false;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t plain = PlainRun(text.substr(at));
        if (plain > 0 || TreatmentOf(text[at]) == kBackslash) {
            if (!inLiteral) {
                if (at != 0)
                    out.append(" . ");
                out += '\'';
                inLiteral = true;
            }
            out.append(text.substr(at, plain));
            at += plain;
            if (at < text.size() && TreatmentOf(text[at]) == kBackslash) {
                out += '\\';
                out += text[at++];
            }
            continue;
        }
        if (inLiteral)
            out += '\'';
        if (at != 0)
            out.append(" . ");
        out.append("chr(").append(std::to_string(static_cast<unsigned char>(text[at++]))).append(")");
        inLiteral = false;
    }
    if (inLiteral)
        out += '\'';
}

std::string PhpString(std::string_view text)
{
    std::string out;
    AppendPhpString(out, text);
    return out;
}

void AppendSqlName(std::string& out, std::string_view name)
{
    out += '`';
    for (std::size_t at = 0; at <= name.size();) {
        const std::size_t quote = std::min(name.find('`', at), name.size());
        out.append(name.substr(at, quote - at));
        if (quote == name.size())
            break;
        out += "``";
        at = quote + 1;
    }
    out += '`';
}

std::string SqlName(std::string_view name)
{
    std::string out;
    AppendSqlName(out, name);
    return out;
}

} // namespace scriptgen
