// The run journal reader takes any bytes: a journal comes out, or "journal empty or damaged"; every step it
// keeps names a file, and a write step what was written.
#include "engine/journal/RunJournal.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    try {
        const qvc::TJournal journal = qvc::ParseJournal(bytes, "/nonexistent/20261210T000000.000000000Z-1.jsonl");
        for (const auto &step : journal.Steps) {
            if (step.Path.empty())
                std::abort();
            if (step.Kind == qvc::TStepKind::Write ? !step.After : !step.Before)
                std::abort();
        }
        if (journal.Version != 1 && journal.Version != 2)
            std::abort();
    } catch (const qvc::TJournalRefused &) {
    }
    return 0;
}
