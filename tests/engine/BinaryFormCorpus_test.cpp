// Every real binary form of the shared corpus, and every binary form of a generated tree, must give exactly the
// text stored beside it.
#include "EngineFixture.h"
#include "GeneratedTree.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "engine/forms/BinaryFormToText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kCorpus = fs::path(QVC_SHARED_DIR) / "corpus" / "forms";

struct TCorpusSet
{
    const char *binaryFolder;
    const char *textFolder;
};

// Converts every file under binaryFolder and compares it with its twin under textFolder; returns the
// number of files checked and adds the paths that differ to `mismatches`.
std::size_t CheckSet(const TCorpusSet &set, std::vector<std::string> &mismatches)
{
    const fs::path binaryRoot = kCorpus / set.binaryFolder;
    const fs::path textRoot = kCorpus / set.textFolder;
    std::size_t checked = 0;
    for (const auto &entry : fs::recursive_directory_iterator(binaryRoot)) {
        if (!entry.is_regular_file())
            continue;
        const fs::path relative = fs::relative(entry.path(), binaryRoot);
        ++checked;
        std::string text;
        try {
            const std::string bytes = qvc::ReadFileBytes(entry.path().string());
            qvc::BinaryFormToText(qvc::SkipResourceHeader(bytes), text);
        } catch (const qvc::TError &error) {
            mismatches.push_back((fs::path(set.binaryFolder) / relative).string() + ": " + error.what());
            continue;
        }
        const std::string expected = qvc::ReadFileBytes((textRoot / relative).string());
        if (text != expected) {
            std::size_t at = 0;
            while (at < text.size() && at < expected.size() && text[at] == expected[at])
                ++at;
            mismatches.push_back(
                (fs::path(set.binaryFolder) / relative).string() + ": differs at byte " + std::to_string(at));
        }
    }
    return checked;
}

TEST(BinaryFormCorpus, EveryBinaryGivesItsTextTwin)
{
    if (!fs::is_directory(kCorpus))
        GTEST_SKIP() << "skipped: the real form corpus " << kCorpus.string() << " is absent";
    const TCorpusSet sets[] = { { "binary", "text" }, { "delphi/binary", "delphi/text" } };
    std::vector<std::string> mismatches;
    std::size_t checked = 0;
    for (const TCorpusSet &set : sets)
        checked += CheckSet(set, mismatches);
    EXPECT_EQ(checked, 789u);
    std::string list;
    for (const std::string &path : mismatches)
        list += path + "\n";
    EXPECT_TRUE(mismatches.empty()) << mismatches.size() << " of " << checked << " files differ:\n" << list;
}

class GeneratedForms : public TEngineFolderTest
{
};

TEST_F(GeneratedForms, EveryBinaryGivesItsTextTwin)
{
    if (!CanGenerateTrees())
        GTEST_SKIP() << "skipped: python3, which runs the tree generator, is missing";
    ASSERT_EQ(GenerateTree(Path("tree"), 120, 23, "--forms-ratio 0.8 --twins '" + Path("twins") + "'"), 0);
    std::size_t checked = 0;
    for (const auto &entry : fs::recursive_directory_iterator(Path("twins"))) {
        if (!entry.is_regular_file())
            continue;
        const fs::path binary = Path("tree") / fs::relative(entry.path(), Path("twins"));
        const std::string bytes = qvc::ReadFileBytes(binary.string());
        ASSERT_EQ(static_cast<unsigned char>(bytes.at(0)), 0xFF) << binary;
        std::string text;
        ASSERT_NO_THROW(qvc::BinaryFormToText(qvc::SkipResourceHeader(bytes), text)) << binary;
        EXPECT_EQ(text, qvc::ReadFileBytes(entry.path().string())) << binary;
        ++checked;
    }
    EXPECT_GT(checked, 20u);
}

} // namespace
