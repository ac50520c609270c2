#pragma once
// One scan of a text finds every find text that occurs in it: an Aho-Corasick automaton over the find
// texts in ASCII lower case, whose transitions fold "A" to "Z" as it reads, so the text is never copied.
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

private:
    bool m_usable = false;
    // Bytes that act alike (letters of both cases, every byte no pattern holds) share a class, which
    // keeps the transition table small enough for the processor's caches.
    std::array<std::uint8_t, 256> m_class {};
    std::uint32_t m_classCount = 1;
    // Transitions, indexed by state * m_classCount + class; entries hold the next state already multiplied
    // by m_classCount. States with outputs are numbered last, so one comparison tells whether any pattern ends.
    std::vector<std::uint32_t> m_delta;
    std::uint32_t m_firstOutput = 0;
    std::vector<std::uint32_t> m_outStart; // per state, into m_outputs; one extra element at the end
    std::vector<std::uint32_t> m_outputs;
};

} // namespace qvc
