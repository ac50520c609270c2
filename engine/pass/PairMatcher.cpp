#include "engine/pass/PairMatcher.h"

#include "common/AsciiCase.h"

#include <array>

namespace qvc {

TPairMatcher::TPairMatcher(const std::vector<std::string> &patterns, std::size_t maxStates)
{
    std::size_t bound = 1;
    for (const auto &pattern : patterns)
        bound += pattern.size();
    if (bound > maxStates)
        return;

    // The trie, then the failure links turning it into a complete automaton (breadth first).
    // Room for every state at once: growing would copy the tables made so far again and again.
    std::vector<std::array<std::int32_t, 256>> next(1);
    next.reserve(bound);
    next[0].fill(-1);
    std::vector<std::vector<std::uint32_t>> outputs(1);
    outputs.reserve(bound);
    for (std::uint32_t id = 0; id < patterns.size(); ++id) {
        std::int32_t state = 0;
        for (const char c : patterns[id]) {
            const auto b = static_cast<unsigned char>(AsciiLowerChar(c));
            if (next[state][b] < 0) {
                next[state][b] = static_cast<std::int32_t>(next.size());
                next.emplace_back().fill(-1);
                outputs.emplace_back();
            }
            state = next[state][b];
        }
        outputs[state].push_back(id);
    }
    const std::size_t count = next.size();
    std::vector<std::int32_t> fail(count, 0);
    std::vector<std::int32_t> queue;
    queue.reserve(count);
    for (int b = 0; b < 256; ++b) {
        if (next[0][b] < 0) {
            next[0][b] = 0;
        } else {
            fail[next[0][b]] = 0;
            queue.push_back(next[0][b]);
        }
    }
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const std::int32_t u = queue[head];
        auto &inherited = outputs[fail[u]];
        outputs[u].insert(outputs[u].end(), inherited.begin(), inherited.end());
        for (int b = 0; b < 256; ++b) {
            const std::int32_t v = next[u][b];
            if (v < 0) {
                next[u][b] = next[fail[u]][b];
            } else {
                fail[v] = next[fail[u]][b];
                queue.push_back(v);
            }
        }
    }
    // Reading "A" to "Z" is reading "a" to "z": the patterns hold no capital letters.
    for (auto &row : next)
        for (int b = 'A'; b <= 'Z'; ++b)
            row[b] = row[b + ('a' - 'A')];

    // Byte classes: 0 for every byte that no pattern holds; capital letters join their small letter.
    for (const auto &pattern : patterns) {
        for (const char c : pattern) {
            const auto b = static_cast<unsigned char>(AsciiLowerChar(c));
            if (m_class[b] == 0)
                m_class[b] = static_cast<std::uint8_t>(m_classCount++);
        }
    }
    // At most 230 bytes are left once capitals fold, so the classes always fit in a byte.
    constexpr std::size_t kToSmall = 'a' - 'A';
    for (std::size_t b = 'A'; b <= 'Z'; ++b)
        m_class[b] = m_class[b + kToSmall];
    std::vector<int> representative(m_classCount, 0);
    for (int b = 255; b >= 0; --b)
        representative[m_class[static_cast<std::size_t>(b)]] = b;

    // Number the states without outputs first.
    std::vector<std::uint32_t> order(count);
    std::uint32_t index = 0;
    for (std::size_t s = 0; s < count; ++s)
        if (outputs[s].empty())
            order[s] = index++;
    m_firstOutput = index * m_classCount;
    for (std::size_t s = 0; s < count; ++s)
        if (!outputs[s].empty())
            order[s] = index++;
    m_delta.assign(count * m_classCount, 0);
    m_outStart.assign(count + 1, 0);
    std::vector<std::size_t> byNumber(count);
    for (std::size_t s = 0; s < count; ++s)
        byNumber[order[s]] = s;
    for (std::size_t n = 0; n < count; ++n) {
        const std::size_t s = byNumber[n];
        for (std::uint32_t k = 0; k < m_classCount; ++k)
            m_delta[n * m_classCount + k] = order[static_cast<std::size_t>(next[s][representative[k]])] * m_classCount;
        m_outStart[n] = static_cast<std::uint32_t>(m_outputs.size());
        m_outputs.insert(m_outputs.end(), outputs[s].begin(), outputs[s].end());
    }
    m_outStart[count] = static_cast<std::uint32_t>(m_outputs.size());
    if (m_delta.size() <= 65536)
        m_delta16.assign(m_delta.begin(), m_delta.end());
    m_usable = true;
}

} // namespace qvc
