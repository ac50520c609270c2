#pragma once
// One scan of a text finds every find text that occurs in it: an Aho-Corasick automaton over the find
// texts in ASCII lower case, whose transitions fold "A" to "Z" as it reads, so the text is never copied.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

class TPairMatcher
{
public:
    /// Builds the automaton for `patterns` (already ASCII lower case, none empty). Returns a matcher
    /// that is not Usable() when the automaton would need more than `maxStates` states, so memory stays
    /// bounded for very large substitution lists (callers then treat every line as a candidate).
    explicit TPairMatcher(const std::vector<std::string> &patterns, std::size_t maxStates = 16384);

    /// False when the automaton was not built (too many states).
    bool Usable() const { return m_usable; }

    /// Calls found(patternIndex) for every occurrence of every pattern in `text`, letter case ignored
    /// for "A" to "Z" only. A pattern occurring several times is reported several times.
    template <typename TFound> void Scan(std::string_view text, TFound &&found) const
    {
        std::uint32_t state = 0;
        const std::uint32_t *delta = m_delta.data();
        const std::uint8_t *byteClass = m_class.data();
        for (const char c : text) {
            state = delta[state + byteClass[static_cast<unsigned char>(c)]];
            if (state >= m_firstOutput) [[unlikely]] {
                const std::uint32_t id = state / m_classCount;
                for (std::uint32_t k = m_outStart[id]; k < m_outStart[id + 1]; ++k)
                    found(m_outputs[k]);
            }
        }
    }

    /// The number of pieces ScanPieces cuts a text into.
    static constexpr std::size_t kPieces = 4;

    /// The occurrences Scan finds, found faster on a long text: the text is cut into up to kPieces
    /// pieces, each just after a line break ("\r" or "\n"), and the pieces are read side by side.
    /// Calls found(piece, patternIndex, end) with `end` an index into `text`; within a piece,
    /// occurrences come in the order of their ends, and all of piece k end before those of piece k + 1.
    /// An occurrence that holds a line break may be missed (no line ever holds one); no other is.
    template <typename TFound> void ScanPieces(std::string_view text, TFound &&found) const
    {
        if (!m_delta16.empty())
            ScanPiecesWith(m_delta16.data(), text, found);
        else
            ScanPiecesWith(m_delta.data(), text, found);
    }

private:
    template <typename TEntry, typename TFound>
    void ScanPiecesWith(const TEntry *delta, std::string_view text, TFound &found) const
    {
        const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
        const std::size_t size = text.size();
        std::array<std::size_t, kPieces + 1> cut {};
        cut[kPieces] = size;
        for (std::size_t k = 1; k < kPieces; ++k) {
            std::size_t i = std::max(size / kPieces * k, cut[k - 1]);
            while (i < size && bytes[i] != '\n' && bytes[i] != '\r')
                ++i;
            cut[k] = i < size ? i + 1 : size;
        }
        // Every piece starts the automaton afresh: starting just after a line break loses only the
        // occurrences that hold that break. The pieces are read in step, which keeps four independent
        // look-ups in flight.
        static_assert(kPieces == 4, "the loop below reads four pieces");
        const std::uint8_t *byteClass = m_class.data();
        std::size_t common = size;
        for (std::size_t k = 0; k < kPieces; ++k)
            common = std::min(common, cut[k + 1] - cut[k]);
        const auto report = [&](std::size_t piece, std::uint32_t state, std::size_t end) {
            const std::uint32_t id = state / m_classCount;
            for (std::uint32_t k = m_outStart[id]; k < m_outStart[id + 1]; ++k)
                found(piece, m_outputs[k], end);
        };
        std::uint32_t s0 = 0;
        std::uint32_t s1 = 0;
        std::uint32_t s2 = 0;
        std::uint32_t s3 = 0;
        const unsigned char *p0 = bytes + cut[0];
        const unsigned char *p1 = bytes + cut[1];
        const unsigned char *p2 = bytes + cut[2];
        const unsigned char *p3 = bytes + cut[3];
        for (std::size_t j = 0; j < common; ++j) {
            s0 = delta[s0 + byteClass[p0[j]]];
            s1 = delta[s1 + byteClass[p1[j]]];
            s2 = delta[s2 + byteClass[p2[j]]];
            s3 = delta[s3 + byteClass[p3[j]]];
            if ((s0 >= m_firstOutput) | (s1 >= m_firstOutput) | (s2 >= m_firstOutput) | (s3 >= m_firstOutput))
                [[unlikely]] {
                if (s0 >= m_firstOutput)
                    report(0, s0, cut[0] + j);
                if (s1 >= m_firstOutput)
                    report(1, s1, cut[1] + j);
                if (s2 >= m_firstOutput)
                    report(2, s2, cut[2] + j);
                if (s3 >= m_firstOutput)
                    report(3, s3, cut[3] + j);
            }
        }
        const std::array<std::uint32_t, kPieces> states { s0, s1, s2, s3 };
        for (std::size_t k = 0; k < kPieces; ++k) {
            std::uint32_t state = states[k];
            for (std::size_t i = cut[k] + common; i < cut[k + 1]; ++i) {
                state = delta[state + byteClass[bytes[i]]];
                if (state >= m_firstOutput) [[unlikely]]
                    report(k, state, i);
            }
        }
    }

    bool m_usable = false;
    // Bytes that act alike (letters of both cases, every byte no pattern holds) share a class, which
    // keeps the transition table small enough for the processor's caches.
    std::array<std::uint8_t, 256> m_class {};
    std::uint32_t m_classCount = 1;
    // Transitions, indexed by state * m_classCount + class; entries hold the next state already multiplied
    // by m_classCount. States with outputs are numbered last, so one comparison tells whether any pattern ends.
    std::vector<std::uint32_t> m_delta;
    // The same transitions in 16 bits when they fit, which halves the table the scan reads.
    std::vector<std::uint16_t> m_delta16;
    std::uint32_t m_firstOutput = 0;
    std::vector<std::uint32_t> m_outStart; // per state, into m_outputs; one extra element at the end
    std::vector<std::uint32_t> m_outputs;
};

} // namespace qvc
