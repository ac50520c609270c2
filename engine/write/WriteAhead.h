#pragma once
// A real run that writes its files while it goes on: a file that only replaces itself (under its own name,
// with its backups) is written as a new file beside it by a writer thread while the run converts the next
// files; the run's own thread then publishes the rows in row order, a batch at a time: the batch's journal
// lines made durable once, then for each row its last checks, its backups and the rename of its new file over
// the old one, then its outcome (count, time, results). What the pass tells of a row read ahead is held and
// told when the row is published, so that the observer learns of the rows one after the other. A row that renames,
// removes or makes another name, a file a row still to be published writes, and every row of a simulated run, a run
// that keeps texts for a diff or a run for Lazarus (whose files read their neighbours) wait until every earlier row is
// published and go as ConvertFile goes. Results, cells, journal steps per file and failures are those of a run that
// writes one file after the other: a write failure at a row ends the run there, every later row untouched on disk and
// never told to the observer, so that it stays as the run's start left it.
#include "engine/run/ConversionRun.h"
#include "engine/write/WriterPool.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace qvc {

class TWriteAhead
{
public:
    /// Rows published per batch (one sync of the journal each).
    static constexpr std::size_t kBatchRows = 16;

    /// Writes with `writers` threads (WriterCount() for a run); `parallel` false converts every row in turn.
    /// The rows are those of `files`, told to `observer`.
    TWriteAhead(TSubstitutionPass &pass, TRunObserver &observer, const std::vector<TRunFile> &files,
        std::size_t writers, bool parallel);
    /// Waits for the writer threads; the new files of rows not published are removed.
    ~TWriteAhead();
    TWriteAhead(const TWriteAhead &) = delete;
    TWriteAhead &operator=(const TWriteAhead &) = delete;
    TWriteAhead(TWriteAhead &&) = delete;
    TWriteAhead &operator=(TWriteAhead &&) = delete;

    /// Converts the row with `options`: at once, or read ahead, to be published with the rows before it.
    /// Throws the TError of a write failure of this row or of an earlier row published meanwhile.
    void Convert(int row, const TPassOptions &options);
    /// Publishes every row converted so far, in row order.
    void Flush();

private:
    struct TRow;

    bool WaitsForEarlierRows(const std::string &fileName) const;
    void PublishBatch(std::size_t rows);
    void Complete(int row, int count, TPassReport &report, TConversionResult &results);

    TSubstitutionPass &m_pass;
    TRunObserver &m_observer;
    const std::vector<TRunFile> &m_files;
    std::size_t m_writers;
    bool m_parallel;
    TConversionResult m_scratch; // the results of a row converted in turn
    TPassReport m_report;
    std::deque<std::unique_ptr<TRow>> m_rows; // read ahead, not yet published, in row order
    std::unique_ptr<TWriterPool> m_pool; // started with the first file written ahead
};

} // namespace qvc
