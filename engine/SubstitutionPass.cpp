#include "engine/SubstitutionPass.h"

#include "common/AsciiCase.h"
#include "common/Errors.h"
#include "common/FileIO.h"
#include "engine/BinaryFormToText.h"
#include "engine/DisplayFormat.h"
#include "engine/FastTime.h"
#include "engine/RunJournal.h"
#include "engine/Separator.h"
#include "repository/PairView.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <tuple>

namespace qvc {

namespace {

void KeepTexts(TPassReport &report, std::string_view readBytes, std::string_view text, const std::string &name,
    bool readFileRemoved)
{
    report.ReadBytes.assign(readBytes);
    report.ConvertedText.assign(text);
    report.ConvertedName = name;
    report.ReadFileRemoved = readFileRemoved;
}

std::string_view FolderPart(std::string_view path)
{
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

bool IsFormExtension(std::string_view extension)
{
    return AsciiEqualNoCase(extension, ".dfm") || AsciiEqualNoCase(extension, ".xfm");
}

bool IsTextFormStart(unsigned char byte)
{
    return byte == 'I' || byte == 'O' || byte == 'i' || byte == 'o';
}

} // namespace

int ApplyPairToLine(std::string &line, std::string_view find, std::string_view findLower, std::string_view replace,
    std::string &scratch)
{
    // A blank line cannot hold a find text that is not blank, so it needs no test of its own.
    int count = 0;
    for (;;) {
        scratch.resize(line.size());
        for (std::size_t k = 0; k < line.size(); ++k)
            scratch[k] = AsciiLowerChar(line[k]);
        const std::size_t p = std::string_view(scratch).find(findLower);
        if (p == std::string_view::npos)
            break;
        if (p > 0 && !IsSeparator(line[p - 1]))
            break;
        if (!replace.empty() && line.find(replace) != std::string::npos)
            break;
        const std::size_t end = p + find.size();
        const bool endsAtSeparator = end >= line.size() || IsSeparator(line[end]);
        if (!endsAtSeparator && line[end - 1] != '_')
            break;
        line.replace(p, find.size(), replace);
        ++count;
    }
    return count;
}

std::string NewNameFor(const std::string &targetName, std::string_view find, std::string_view replace)
{
    const std::string_view extension = FileExtension(targetName);
    const std::string_view name = NamePart(targetName);
    if (name.size() != find.size() + extension.size() || name.substr(0, find.size()) != find)
        return {};
    if (replace.find('{') != std::string_view::npos && replace.find('}') != std::string_view::npos)
        return {};
    if (IsBlankText(replace) || replace.find('/') != std::string_view::npos
        || replace.find('\0') != std::string_view::npos)
        return {};
    std::string out(FolderPart(targetName));
    out += replace;
    out += extension;
    return out;
}

int ApplyPair(std::vector<std::string> &lines, std::string_view find, std::string_view replace,
    const std::string &targetName, std::string &newName, TConversionResult &results)
{
    if (IsBlankText(find))
        return 0;
    const std::string findLower = AsciiLower(find);
    std::string scratch;
    int count = 0;
    for (auto &line : lines)
        count += ApplyPairToLine(line, find, findLower, replace, scratch);
    if (count > 0) {
        std::string entry(find);
        entry += '=';
        entry += replace;
        results.Record(entry, count);
        if (IsBlankText(newName)) {
            std::string formed = NewNameFor(targetName, find, replace);
            if (!formed.empty())
                newName = std::move(formed);
        }
    }
    return count;
}

namespace {

// Reads a file and tells its kind; `text` views the text to be split into lines: the bytes as read,
// or a binary form's text form (kept in `formText`). An unknown form gives no text.
TFileKind ReadWorkingText(const std::string &fileName, std::string &bytes, std::string &formText,
    std::string_view &text, TFileStamp *stamp = nullptr, const TRunOverlay *overlay = nullptr,
    std::string_view *raw = nullptr)
{
    const std::size_t length
        = overlay != nullptr ? overlay->ReadInto(fileName, bytes, stamp) : ReadFileInto(fileName, bytes, stamp);
    text = std::string_view(bytes.data(), length);
    if (raw != nullptr)
        *raw = text;
    if (!IsFormExtension(FileExtension(fileName)))
        return TFileKind::Text;
    const auto first = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
    // A text form saved with a UTF-8 byte-order mark is still a text form; the mark stays in its bytes.
    const bool markedText = text.size() > 3 && text.substr(0, 3) == "\xEF\xBB\xBF"
        && IsTextFormStart(static_cast<unsigned char>(text[3]));
    if (IsTextFormStart(first) || markedText)
        return TFileKind::TextForm;
    if (first == 0xFF) {
        formText.clear();
        BinaryFormToText(SkipResourceHeader(text), formText);
        text = formText;
        return TFileKind::BinaryForm;
    }
    text = {};
    return TFileKind::UnknownForm;
}

} // namespace

TFileKind ReadWorkingLines(const std::string &fileName, std::vector<std::string> &lines)
{
    std::string bytes;
    std::string formText;
    std::string_view text;
    const TFileKind kind = ReadWorkingText(fileName, bytes, formText, text);
    lines = SplitLines(text);
    return kind;
}

TSubstitutionPass::TSubstitutionPass(const std::vector<std::string> &repositoryLines)
    : m_pairs()
    , m_pairsOfPattern()
    , m_matcher([&] {
        // Pairs with the same find text (letter case aside) share one pattern of the automaton.
        std::map<std::string, std::uint32_t> patternOf;
        std::vector<std::string> patterns;
        m_pairs.reserve(repositoryLines.size());
        for (const auto &line : repositoryLines) {
            TPair pair;
            pair.Find = std::string(PairFind(line));
            pair.Replace = std::string(PairReplace(line));
            pair.FindLower = AsciiLower(pair.Find);
            pair.EntryText = pair.Find + "=" + pair.Replace;
            pair.Blank = IsBlankText(pair.Find);
            if (!pair.Blank) {
                const auto [it, added]
                    = patternOf.try_emplace(pair.FindLower, static_cast<std::uint32_t>(patterns.size()));
                if (added) {
                    patterns.push_back(pair.FindLower);
                    m_pairsOfPattern.emplace_back();
                }
                pair.Pattern = it->second;
                m_pairsOfPattern[it->second].push_back(static_cast<std::uint32_t>(m_pairs.size()));
            }
            m_pairs.push_back(std::move(pair));
        }
        return TPairMatcher(patterns);
    }())
{
    // The "Status" text after every pair is the same for every file.
    for (std::size_t done = 1; done <= m_pairs.size(); ++done)
        m_statusTexts.push_back(FormatPercent(static_cast<long long>(done), static_cast<long long>(m_pairs.size())));
    m_candidates.resize(m_pairs.size());
    m_seenInScan.assign(m_pairsOfPattern.size(), 0);
}

void TSubstitutionPass::MarkPattern(std::uint32_t line, std::uint32_t pattern, std::size_t afterPair)
{
    if (m_seenInScan[pattern] == m_scan)
        return;
    m_seenInScan[pattern] = m_scan;
    for (const std::uint32_t pair : m_pairsOfPattern[pattern])
        if (pair > afterPair || afterPair == SIZE_MAX)
            m_candidates[pair].push_back(line);
}

void TSubstitutionPass::MarkCandidates(std::uint32_t line, std::string_view text, std::size_t afterPair)
{
    ++m_scan;
    m_matcher.Scan(text, [&](std::uint32_t pattern) { MarkPattern(line, pattern, afterPair); });
}

bool TSubstitutionPass::FindCandidates(std::string_view text)
{
    BeginMisses(0, true);
    m_text = text;
    m_bounds.clear();
    m_lineCopy.clear();
    m_copiesUsed = 0;
    for (auto &candidates : m_candidates)
        candidates.clear();
    if (!m_matcher.Usable()) {
        // Without the automaton every line is a candidate for every pair: slow, but the same result.
        FindLineBounds(text, m_bounds);
        m_lineCopy.assign(m_bounds.size(), -1);
        for (std::size_t i = 0; i < m_pairs.size(); ++i)
            if (!m_pairs[i].Blank)
                for (std::uint32_t k = 0; k < m_bounds.size(); ++k)
                    m_candidates[i].push_back(k);
        m_missHead.assign(m_bounds.size(), -1);
        return true;
    }
    // One scan of the whole text instead of one per line: an occurrence of a find text lies within one
    // line (a find text holding a line break can never be replaced, as no line holds one), so it marks
    // that line as a candidate. A text in which no find text occurs at all needs no lines.
    for (auto &hits : m_hits)
        hits.clear();
    m_matcher.ScanPieces(text, [this](std::size_t piece, std::uint32_t pattern, std::size_t end) {
        m_hits[piece].push_back({ end, pattern });
    });
    bool anyHit = false;
    for (const auto &hits : m_hits)
        anyHit = anyHit || !hits.empty();
    if (!anyHit)
        return false;
    // Only the lines with an occurrence are looked for, numbered in the order of the text; the lines
    // between them stay in the text as they are. Pieces in order, occurrences within a piece in order.
    const auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
    m_bounds.clear();
    for (const auto &hits : m_hits) {
        for (const THit &hit : hits) {
            if (m_bounds.empty() || hit.End >= m_bounds.back().End) {
                // Only a find text holding a line break ends on one, and no line can hold it.
                if (isBreak(text[hit.End]))
                    continue;
                std::size_t start = hit.End;
                while (start > 0 && !isBreak(text[start - 1]))
                    --start;
                std::size_t end = hit.End + 1;
                while (end < text.size() && !isBreak(text[end]))
                    ++end;
                m_bounds.push_back({ start, end });
                ++m_scan;
            }
            MarkPattern(static_cast<std::uint32_t>(m_bounds.size() - 1), hit.Pattern, SIZE_MAX);
        }
    }
    m_lineCopy.assign(m_bounds.size(), -1);
    m_missHead.assign(m_bounds.size(), -1);
    return true;
}

std::string &TSubstitutionPass::TextLine(std::uint32_t k)
{
    std::int32_t &copy = m_lineCopy[k];
    if (copy < 0) {
        if (m_copiesUsed == m_copies.size())
            m_copies.emplace_back();
        copy = static_cast<std::int32_t>(m_copiesUsed++);
        const TLineBounds &bounds = m_bounds[k];
        m_copies[static_cast<std::size_t>(copy)].assign(m_text.substr(bounds.Start, bounds.End - bounds.Start));
    }
    return m_copies[static_cast<std::size_t>(copy)];
}

void TSubstitutionPass::JoinText(std::string &out) const
{
    // The lines looked at (m_bounds), changed or not, and the text between them, every line ending in
    // CR LF. A text already in that form goes over between those lines as it is.
    out.clear();
    out.reserve(m_text.size() + m_text.size() / 8 + 64);
    const bool crLf = IsCrLfText(m_text);
    const auto appendBetween = [&](std::size_t from, std::size_t to) {
        if (crLf) {
            out.append(m_text.substr(from, to - from));
            return;
        }
        for (std::size_t i = from; i < to; ++i) {
            const char c = m_text[i];
            if (c == '\r' || c == '\n') {
                out += "\r\n";
                if (c == '\r' && i + 1 < to && m_text[i + 1] == '\n')
                    ++i;
            } else {
                out += c;
            }
        }
    };
    std::size_t cursor = 0;
    for (std::size_t k = 0; k < m_bounds.size(); ++k) {
        appendBetween(cursor, m_bounds[k].Start);
        if (m_lineCopy[k] >= 0)
            out += m_copies[static_cast<std::size_t>(m_lineCopy[k])];
        else
            out.append(m_text.substr(m_bounds[k].Start, m_bounds[k].End - m_bounds[k].Start));
        cursor = m_bounds[k].End;
    }
    appendBetween(cursor, m_text.size());
    if (!crLf && !m_text.empty() && m_text.back() != '\r' && m_text.back() != '\n')
        out += "\r\n"; // the last line had no line break
}

void TSubstitutionPass::BeginLines(const std::vector<std::string> &lines)
{
    BeginMisses(lines.size(), false);
    for (auto &candidates : m_candidates)
        candidates.clear();
    if (!m_matcher.Usable()) {
        // Without the automaton every line is a candidate for every pair: slow, but the same result.
        for (std::size_t i = 0; i < m_pairs.size(); ++i)
            if (!m_pairs[i].Blank)
                for (std::uint32_t k = 0; k < lines.size(); ++k)
                    m_candidates[i].push_back(k);
        return;
    }
    for (std::uint32_t k = 0; k < lines.size(); ++k)
        MarkCandidates(k, lines[k], SIZE_MAX);
}

int TSubstitutionPass::ApplyPairAt(
    std::size_t i, TLineAccess lines, const std::string &targetName, std::string &newName, TConversionResult &results)
{
    const TPair &pair = m_pairs[i];
    if (pair.Blank)
        return 0;
    int count = 0;
    // Lines are independent of each other for one pair, so candidates need no particular order; a line
    // listed twice is harmless, as a second application of the same pair changes nothing.
    auto &candidates = m_candidates[i];
    for (std::size_t c = 0; c < candidates.size(); ++c) {
        const std::uint32_t k = candidates[c];
        std::string &line = lines.At(lines.Lines, k);
        const int made = ApplyPairToLine(line, pair.Find, pair.FindLower, pair.Replace, m_scratch);
        NoteMisses(i, k, line, made > 0);
        if (made > 0) {
            count += made;
            // The changed line may now hold find texts of later pairs, or no longer hold some.
            if (m_matcher.Usable())
                MarkCandidates(k, line, i);
        }
    }
    if (count > 0) {
        results.Record(pair.EntryText, count);
        if (IsBlankText(newName)) {
            std::string formed = NewNameFor(targetName, pair.Find, pair.Replace);
            if (!formed.empty())
                newName = std::move(formed);
        }
    }
    return count;
}

void TSubstitutionPass::BeginMisses(std::size_t lineCount, bool fromText)
{
    m_missRecords.clear();
    m_missHead.assign(lineCount, -1);
    m_missLinesFromText = fromText;
}

void TSubstitutionPass::NoteMisses(std::size_t i, std::uint32_t k, const std::string &line, bool replaced)
{
    // Every line a pair visits holds its find text or held it once; a miss needs it still there.
    const TPair &pair = m_pairs[i];
    const std::string_view lowerLine = m_scratch; // ApplyPairToLine leaves the line in lower case here
    const std::size_t first = lowerLine.find(pair.FindLower);
    std::int32_t &head = m_missHead[k];
    if (first == std::string_view::npos && head < 0)
        return;
    const auto pattern = static_cast<std::uint32_t>(pair.Pattern);
    const auto pairIndex = static_cast<std::uint32_t>(i);
    if (head >= 0) {
        // A line listed twice for this pair is visited again unchanged: what the first visit noted stands.
        for (std::int32_t r = head; r >= 0; r = m_missRecords[std::size_t(r)].Next)
            if (!m_missRecords[std::size_t(r)].Dropped && m_missRecords[std::size_t(r)].Pair == pairIndex)
                return;
        for (std::int32_t r = head; r >= 0; r = m_missRecords[std::size_t(r)].Next) {
            TMissRecord &record = m_missRecords[std::size_t(r)];
            if (record.Pattern == pattern)
                record.Dropped = true;
        }
    }
    if (first == std::string_view::npos)
        return;
    const bool holdsReplace = !replaced && !pair.Replace.empty() && line.find(pair.Replace) != std::string::npos;
    const TMissReason reason = MissReasonOf(pair.Replace.empty(), replaced, holdsReplace);
    ForEachStandaloneOccurrence(line, lowerLine, pair.FindLower, pair.Replace, first, [&](std::size_t q) {
        m_missRecords.push_back({ k, pattern, pairIndex, static_cast<std::uint32_t>(q + 1), head, reason, false });
        head = static_cast<std::int32_t>(m_missRecords.size() - 1);
    });
}

std::vector<std::uint32_t> TSubstitutionPass::LineNumbersOf(const std::vector<std::uint32_t> &ascending) const
{
    // Looked-at lines of a text are numbered by the line breaks before them (CR LF, lone CR, lone LF).
    std::vector<std::uint32_t> numbers;
    numbers.reserve(ascending.size());
    std::size_t position = 0;
    std::uint32_t line = 1;
    for (const std::uint32_t k : ascending) {
        if (!m_missLinesFromText) {
            numbers.push_back(k + 1);
            continue;
        }
        const std::size_t start = m_bounds[k].Start;
        for (; position < start; ++position) {
            const char c = m_text[position];
            if (c == '\n') {
                ++line;
            } else if (c == '\r') {
                ++line;
                if (position + 1 < m_text.size() && m_text[position + 1] == '\n')
                    ++position;
            }
        }
        numbers.push_back(line);
    }
    return numbers;
}

std::vector<TMissedOccurrence> TSubstitutionPass::MissedOccurrences() const
{
    std::vector<const TMissRecord *> kept;
    for (const TMissRecord &record : m_missRecords)
        if (!record.Dropped)
            kept.push_back(&record);
    if (kept.empty())
        return {};
    std::sort(kept.begin(), kept.end(), [](const TMissRecord *a, const TMissRecord *b) {
        return std::tie(a->K, a->Column, a->Pair) < std::tie(b->K, b->Column, b->Pair);
    });
    std::vector<std::uint32_t> lines;
    for (const TMissRecord *record : kept)
        if (lines.empty() || lines.back() != record->K)
            lines.push_back(record->K);
    const std::vector<std::uint32_t> numbers = LineNumbersOf(lines);
    std::vector<TMissedOccurrence> missed;
    missed.reserve(kept.size());
    std::size_t n = 0;
    for (const TMissRecord *record : kept) {
        while (lines[n] != record->K)
            ++n;
        missed.push_back({ numbers[n], record->Column, m_pairs[record->Pair].Find, record->Reason });
    }
    return missed;
}

void TSubstitutionPass::CollectChangedLines(TPassReport &report) const
{
    // A line a pair changed has a copy; the copy may still read as before (an empty replace text with a
    // find text that put itself back), which is no change.
    std::vector<std::uint32_t> changed;
    for (std::uint32_t k = 0; k < m_lineCopy.size(); ++k) {
        if (m_lineCopy[k] < 0)
            continue;
        const TLineBounds &bounds = m_bounds[k];
        if (m_copies[std::size_t(m_lineCopy[k])] == m_text.substr(bounds.Start, bounds.End - bounds.Start))
            continue;
        ++report.ChangedLineTotal;
        if (changed.size() < kKeptChangedLines)
            changed.push_back(k);
    }
    const std::vector<std::uint32_t> numbers = LineNumbersOf(changed);
    report.ChangedLines.reserve(changed.size());
    for (std::size_t n = 0; n < changed.size(); ++n) {
        const TLineBounds &bounds = m_bounds[changed[n]];
        report.ChangedLines.push_back({ numbers[n], std::string(m_text.substr(bounds.Start, bounds.End - bounds.Start)),
            m_copies[std::size_t(m_lineCopy[changed[n]])] });
    }
}

void TSubstitutionPass::ReleaseLargeBuffers()
{
    // The bytes of an unusually large file are not kept for the next one.
    constexpr std::size_t kKeptBuffer = std::size_t(4) << 20;
    for (std::string *buffer : { &m_bytes, &m_formText, &m_output })
        if (buffer->capacity() > kKeptBuffer)
            std::string().swap(*buffer);
    m_text = {};
}

int TSubstitutionPass::ConvertFile(int row, const std::string &fileName, const TPassOptions &options,
    TConversionResult &results, TWindowServices &services, TPassReport &report)
{
    report = TPassReport();
    // The text viewed by m_text lives in these buffers until the file is written.
    struct TRelease
    {
        TSubstitutionPass &Pass;
        ~TRelease() { Pass.ReleaseLargeBuffers(); }
    } release { *this };
    std::string targetName = fileName;
    std::string newName;
    TFileStamp readStamp;
    TContentSum readSum;
    std::string_view rawBytes;
    std::string_view readBytes; // the bytes read, once the pairs ran without a failure
    int count = 0;
    TFastTimer untilFailure;
    untilFailure.Start();
    try {
        std::string_view text;
        report.Kind = ReadWorkingText(
            fileName, m_bytes, m_formText, text, &readStamp, options.Simulate ? &m_overlay : nullptr, &rawBytes);
        if (m_journal != nullptr && !options.Simulate) {
            readSum = SumOf(std::string_view(m_bytes.data(), static_cast<std::size_t>(readStamp.Size)));
            m_journal->Record({ TStepKind::Read, row, fileName, {}, {}, readSum, {} });
        }
        if (report.Kind != TFileKind::Text)
            targetName = RenamedTarget(fileName, options.RenameMode);
        TFastTimer &timer = SharedTimer();
        timer.Start();
        const int n = static_cast<int>(m_pairs.size());
        services.SetProgress(0, 0, n);
        services.AdvanceRowImage(row, 0, false);
        const std::string *shown = nullptr;
        count = ApplyAllToText(text, targetName, newName, results, [&](std::size_t i) {
            services.SetProgress(static_cast<int>(i) + 1, -1, -1);
            const std::string &status = m_statusTexts[i];
            if (shown == nullptr || status != *shown) {
                // The cell would get the same text again; only a change needs the window.
                shown = &status;
                services.SetRowCell(row, TRowCell::Status, status);
            }
            services.AdvanceRowImage(row, 0, true);
        });
        if (shown != nullptr)
            report.Status = *shown;
        timer.Stop();
        report.Seconds = timer.ElapsedSeconds();
        report.Missed = MissedOccurrences();
        if (options.KeepChangedLines && count > 0)
            CollectChangedLines(report);
        readBytes = rawBytes;
    } catch (const std::exception &error) {
        untilFailure.Stop();
        count = -1;
        report.Seconds = untilFailure.ElapsedSeconds();
        report.FailureReason = MessageOf(error);
        results.Clear();
        report.Missed.clear();
        report.ChangedLines.clear();
        report.ChangedLineTotal = 0;
    }
    report.Count = count;
    services.AdvanceRowImage(row, count > 0 ? kImageChanged : count < 0 ? kImageFailed : kImageUnchanged, false);

    if (count > 0) {
        JoinText(m_output);
        TWriteRequest request;
        request.FileName = fileName;
        request.ReadStamp = readStamp;
        request.TargetName = targetName;
        request.NewName = newName;
        request.Backup = options.Backup;
        if (options.Simulate) {
            report.Plan = PlanConvertedFile(request, m_overlay);
            m_overlay.Apply(report.Plan, fileName, m_output);
            if (options.KeepTexts) {
                const bool renamed = !IsBlankText(newName);
                KeepTexts(report, readBytes, m_output, renamed ? newName : targetName, renamed);
            }
            return count;
        }
        try {
            report.Plan = PlanConvertedFile(request, TFileView());
            const TWriteOutcome outcome
                = ExecuteWritePlan(request, report.Plan, m_output, m_journal, row, m_journal ? &readSum : nullptr);
            report.WrittenName = outcome.WrittenName;
            report.BackupName = outcome.BackupName;
            if (options.KeepTexts)
                KeepTexts(report, readBytes, m_output, outcome.WrittenName, !IsBlankText(newName));
        } catch (const TChangedMeanwhile &error) {
            // Another program's text is kept: the file fails like one that could not be read.
            count = -1;
            report.Count = -1;
            report.FailureReason = MessageOf(error);
            report.Plan = TWritePlan();
            report.Missed.clear();
            report.ChangedLines.clear();
            report.ChangedLineTotal = 0;
            results.Clear();
            services.AdvanceRowImage(row, kImageFailed, false);
        }
    } else if (count == 0 && targetName != fileName
        && (report.Kind == TFileKind::TextForm || report.Kind == TFileKind::BinaryForm)) {
        // A form no pair changed is still wanted under its new extension, where the units of the run now
        // look for it; a form already there may hold the porter's own edits and is left alone.
        const TFileStamp absent;
        const TFileView fileSystem;
        const TFileView &view = options.Simulate ? static_cast<const TFileView &>(m_overlay) : fileSystem;
        if (!view.Stamp(targetName).Exists) {
            JoinText(m_output);
            if (options.Simulate) {
                report.Plan.WrittenName = targetName;
                m_overlay.Created(targetName, m_output);
                if (options.KeepTexts)
                    KeepTexts(report, readBytes, m_output, targetName, false);
                return count;
            }
            try {
                if (m_journal != nullptr)
                    m_journal->Record({ TStepKind::Write, row, targetName, {}, {}, std::nullopt, SumOf(m_output) });
                WriteFileReplacing(targetName, m_output, &absent);
                report.WrittenName = targetName;
                report.Plan.WrittenName = targetName;
                if (options.KeepTexts)
                    KeepTexts(report, readBytes, m_output, targetName, false);
            } catch (const TChangedMeanwhile &) {
                // Made by someone else meanwhile: theirs stays.
            }
        }
    }
    return count;
}

} // namespace qvc
