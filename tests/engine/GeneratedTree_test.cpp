// The tree generator the differential tests stand on: the same seed gives the same bytes, and a tree holds
// everything those tests count on meeting.
#include "EngineFixture.h"
#include "GeneratedTree.h"

#include <map>

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> ReadTree(const fs::path &root)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).string()] = qvc::ReadFileBytes(entry.path().string());
    return files;
}

class GeneratedTree : public TEngineFolderTest
{
};

TEST_F(GeneratedTree, SameSeedSameBytesAndEveryKindOfFile)
{
    if (!CanGenerateTrees())
        GTEST_SKIP() << "skipped: python3, which runs the tree generator, is missing";
    ASSERT_EQ(GenerateTree(Path("a"), 40, 9), 0);
    ASSERT_EQ(GenerateTree(Path("b"), 40, 9), 0);
    ASSERT_EQ(GenerateTree(Path("c"), 40, 10), 0);
    const auto a = ReadTree(Path("a"));
    EXPECT_EQ(a, ReadTree(Path("b")));
    EXPECT_NE(a, ReadTree(Path("c")));

    int units = 0;
    int binaryForms = 0;
    int textForms = 0;
    int projects = 0;
    int crlf = 0;
    int lf = 0;
    int cr = 0;
    int mixed = 0;
    int cp1252 = 0;
    for (const auto &[name, bytes] : a) {
        const std::string extension = fs::path(name).extension().string();
        units += extension == ".pas";
        projects += extension == ".dpr";
        if (extension == ".dfm") {
            const bool binary = bytes.compare(0, 3, "\xFF\x0A\x00", 3) == 0 && bytes.find("TPF0") != std::string::npos;
            binaryForms += binary;
            textForms += bytes.compare(0, 7, "object ") == 0 || bytes.compare(0, 10, "inherited ") == 0;
            if (binary)
                continue;
        }
        bool hasCrLf = false;
        bool hasLf = false;
        bool hasCr = false;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                hasCrLf = true;
                ++i;
            } else if (bytes[i] == '\r')
                hasCr = true;
            else if (bytes[i] == '\n')
                hasLf = true;
        }
        crlf += hasCrLf && !hasLf && !hasCr;
        lf += hasLf && !hasCrLf && !hasCr;
        cr += hasCr && !hasCrLf && !hasLf;
        mixed += int(hasCrLf) + int(hasLf) + int(hasCr) > 1;
        cp1252 += bytes.find('\xE7') != std::string::npos || bytes.find('\xE3') != std::string::npos; // ç, ã
    }
    EXPECT_EQ(units, 40);
    EXPECT_EQ(projects, 1);
    EXPECT_GT(binaryForms, 0);
    EXPECT_GT(textForms, 0);
    EXPECT_GT(crlf, 0);
    EXPECT_GT(lf, 0);
    EXPECT_GT(cr, 0);
    EXPECT_GT(mixed, 0);
    EXPECT_GT(cp1252, 0);
    // The project file lists the units with their paths, the way Delphi writes it.
    EXPECT_NE(a.at("Projeto.dpr").find(" in 'src\\"), std::string::npos);
}

} // namespace
