#include "engine/ConversionRun.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/TextFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace qvc {

namespace {

// Reads and converts the files of a run some files ahead of the thread that shows and writes them, on a
// thread of its own with a substitution pass of its own. It touches no window and writes no file; the
// run checks that a file prepared ahead is still the one its name leads to before using it. At most
// kSlots files, and beyond the first no more than kHeldBytes of converted text, wait to be taken. Each
// side wakes the other only once a few files are ready or a few slots free, not for every file.
class TReadAhead
{
public:
    TReadAhead(const std::vector<std::string> &repositoryLines, std::vector<std::string> fileNames, int renameMode)
        : m_pass(repositoryLines)
        , m_names(std::move(fileNames))
        , m_renameMode(renameMode)
    {
        if (m_names.size() < 2)
            return;
        try {
            m_thread = std::thread([this] { Work(); });
        } catch (const std::system_error &) {
            // Without a second thread the run converts every file when its turn comes.
        }
    }

    ~TReadAhead()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_free.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    TReadAhead(const TReadAhead &) = delete;
    TReadAhead &operator=(const TReadAhead &) = delete;

    /// The file of `index` prepared ahead, or null when none is (indexes are taken in increasing
    /// order; taking one gives back the slots of the ones before). Valid until the next call.
    TPreparedFile *Take(std::size_t index)
    {
        if (!m_thread.joinable() || index >= m_names.size())
            return nullptr;
        std::unique_lock lock(m_mutex);
        for (; m_taken < index; ++m_taken)
            m_held -= m_slotBytes[m_taken % kSlots];
        if (m_workerWaiting && CanPrepare(m_prepared)
            && (m_prepared <= index || m_prepared + kBatch <= m_taken + kSlots || m_held <= kHeldBytes / 2))
            m_free.notify_one();
        if (m_prepared <= index) {
            m_wanted = std::min(index + kBatch, m_names.size());
            m_ready.wait(lock, [&] { return m_prepared >= m_wanted || (m_prepared > index && m_workerWaiting); });
            m_wanted = 0;
        }
        return &m_slots[index % kSlots];
    }

private:
    static constexpr std::size_t kSlots = 16;
    static constexpr std::size_t kBatch = 4;
    static constexpr std::size_t kHeldBytes = std::size_t(64) << 20;

    // Whether file `index` may be prepared now (the lock held): its slot is free, and the text waiting
    // is within bounds unless the run waits for this very file.
    bool CanPrepare(std::size_t index) const
    {
        return index < m_taken + kSlots && (index == m_taken || m_held <= kHeldBytes);
    }

    void Work()
    {
        for (std::size_t index = 0; index < m_names.size(); ++index) {
            {
                std::unique_lock lock(m_mutex);
                while (!m_stop && !CanPrepare(index)) {
                    m_workerWaiting = true;
                    if (m_wanted != 0 && m_prepared > m_taken)
                        m_ready.notify_one();
                    m_free.wait(lock);
                }
                m_workerWaiting = false;
                if (m_stop)
                    return;
            }
            TPreparedFile &slot = m_slots[index % kSlots];
            try {
                m_pass.PrepareFile(m_names[index], m_renameMode, slot);
            } catch (...) {
                slot.Count = -1; // prepared again when its turn comes, where a failure can be reported
            }
            const std::lock_guard lock(m_mutex);
            m_prepared = index + 1;
            m_slotBytes[index % kSlots] = slot.Output.size();
            m_held += slot.Output.size();
            if (m_wanted != 0 && m_prepared >= m_wanted)
                m_ready.notify_one();
        }
    }

    TSubstitutionPass m_pass;
    const std::vector<std::string> m_names;
    const int m_renameMode;
    std::array<TPreparedFile, kSlots> m_slots;
    std::array<std::size_t, kSlots> m_slotBytes {};
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::condition_variable m_free;
    std::size_t m_prepared = 0; // files prepared so far
    std::size_t m_taken = 0; // the file the run works on; slots of earlier ones are free
    std::size_t m_held = 0; // bytes of converted text in slots not yet given back
    std::size_t m_wanted = 0; // while the run waits: the number of prepared files it waits for
    bool m_workerWaiting = false;
    bool m_stop = false;
    std::thread m_thread; // last, so that it starts once everything it uses is built
};

// Whether a file prepared ahead may stand for `fileName` now: read without failure, under that name,
// and the name still leading to the same, unchanged file. Anything the run did to it since (an earlier
// row's backup, new name or companion rename) or anyone else did changes its identity.
bool StillCurrent(const TPreparedFile &prepared, const std::string &fileName)
{
    TFileIdentity now;
    return prepared.Count >= 0 && prepared.FileName == fileName && CurrentFileIdentity(fileName, now)
        && now == prepared.Identity;
}

} // namespace

std::size_t ParseRowNumber(const std::string &text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    std::size_t value = 0;
    const char *first = text.data() + begin;
    const char *last = text.data() + end;
    const auto [stop, error] = std::from_chars(first, last, value);
    if (begin == end || error != std::errc() || stop != last)
        throw TError(FormatTemplate("'%s' is not a valid integer value", { text }));
    return value;
}

void RunConversion(TConversionView &view, const std::vector<std::string> &repositoryLines, int renameMode,
    TResultStore &store, const TDisplayLocale &locale)
{
    // Files the run replaces reuse the inodes of the files they displace; the last one kept goes at the end.
    const TSpareFileScope spareFiles;
    view.BeginRun();
    try {
        TSubstitutionPass pass(repositoryLines);
        TConversionResult scratch;
        TPassReport report;
        TPreparedFile preparedNow;
        std::vector<std::string> fileNames;
        fileNames.reserve(static_cast<std::size_t>(std::max(view.RowCount(), 0)));
        for (int row = 0; row < view.RowCount(); ++row)
            fileNames.push_back(view.RowFileName(row));
        TReadAhead ahead(repositoryLines, std::move(fileNames), renameMode);
        view.ShowReadyImage(false);
        view.ShowProgressMessage(true);
        view.SetProgress(0, -1, -1);
        for (int row = 0; row < view.RowCount(); ++row) {
            view.SetRowImage(row, kImageUnchanged);
            view.SetRowCell(row, TRowCell::Updates, "-");
            view.SetRowCell(row, TRowCell::Status, "-");
            view.SetRowCell(row, TRowCell::Time, "-");
        }
        view.ClearSelection();
        for (int row = 0; row < view.RowCount(); ++row) {
            scratch.Clear();
            view.SelectRow(row);
            TPassOptions options;
            options.RenameMode = renameMode;
            options.Backup = view.BackupChecked();
            options.Simulate = view.SimulateChecked();
            const std::string fileName = view.RowFileName(row);
            TPreparedFile *prepared = ahead.Take(static_cast<std::size_t>(row));
            if (prepared == nullptr || !StillCurrent(*prepared, fileName)) {
                pass.PrepareFile(fileName, renameMode, preparedNow);
                prepared = &preparedNow;
            }
            const int count = pass.FinishFile(row, *prepared, options, scratch, view, report);
            view.SetRowCell(row, TRowCell::Updates, FormatCount(count, locale.ThousandsSeparator));
            view.SetRowCell(row, TRowCell::Time, FormatElapsed(report.Seconds, locale.TimeSeparator));
            if (count > 0) {
                view.EnableSaveResult(true);
                store.Replace(ParseRowNumber(view.RowNumberText(row)), scratch);
            }
            view.FileConverted(row, report, scratch);
        }
        view.SetProgress(0, -1, -1);
        view.ShowProgressMessage(false);
        view.ShowReadyImage(true);
    } catch (...) {
        view.EndRun();
        throw;
    }
    view.EndRun();
}

} // namespace qvc
