#include "filelist/SearchFiles.h"

#include "common/AsciiCase.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

namespace fs = std::filesystem;
using qvc::TEntryKind;
using qvc::TFolderEntry;
using qvc::TFolderEntryHandler;
using qvc::TSearchFiles;

namespace {

// A listing made up in the test: entries in a chosen order, and a folder can fail after some entries.
struct TFakeFolder
{
    std::vector<std::pair<std::string, TEntryKind>> entries;
    int error = 0;
    std::size_t failAfter = 0; // entries yielded before the error
};

struct TFakeTree
{
    std::map<std::string, TFakeFolder> folders; // by prefix
    std::vector<std::string> listed;

    int operator()(const std::string &prefix, const TFolderEntryHandler &onEntry)
    {
        listed.push_back(prefix);
        const auto found = folders.find(prefix);
        if (found == folders.end())
            return ENOENT;
        const TFakeFolder &folder = found->second;
        for (std::size_t i = 0; i < folder.entries.size(); ++i) {
            if (folder.error != 0 && i == folder.failAfter)
                return folder.error;
            onEntry(TFolderEntry { folder.entries[i].first, folder.entries[i].second });
        }
        return folder.error;
    }
};

constexpr auto F = TEntryKind::File;
constexpr auto D = TEntryKind::Folder;

class SearchFilesFake : public ::testing::Test
{
protected:
    std::vector<std::string> Run(const std::string &root, bool expectedResult = true)
    {
        std::vector<std::string> found;
        search.SetRootDirectory(root);
        search.FileParams().SetMaskText("*.pas;*.dfm");
        search.SetFolderLister(
            [this](const std::string &prefix, const TFolderEntryHandler &onEntry) { return tree(prefix, onEntry); });
        search.SetOnFindFile([&found](const std::string &name) { found.push_back(name); });
        EXPECT_EQ(search.Search(), expectedResult);
        EXPECT_FALSE(search.InProgress());
        return found;
    }

    TFakeTree tree;
    TSearchFiles search;
};

TEST_F(SearchFilesFake, OwnFilesFirstThenEachSubfolderCompletely)
{
    tree.folders["R/"]
        = { { { ".", D }, { "..", D }, { "x", D }, { "b.pas", F }, { "y", D }, { "a.pas", F }, { "notes.txt", F } } };
    tree.folders["R/x/"] = { { { "x1.pas", F }, { "deeper", D } } };
    tree.folders["R/x/deeper/"] = { { { "d.DFM", F } } };
    tree.folders["R/y/"] = { { { "y1.pas", F } } };
    EXPECT_EQ(
        Run("R"), (std::vector<std::string> { "R/b.pas", "R/a.pas", "R/x/x1.pas", "R/x/deeper/d.DFM", "R/y/y1.pas" }));
    EXPECT_EQ(tree.listed, (std::vector<std::string> { "R/", "R/x/", "R/x/deeper/", "R/y/" }));
}

TEST_F(SearchFilesFake, DotFoldersAreNotEnteredButDotFilesAreFound)
{
    tree.folders["R/"] = { { { ".svn", D }, { ".pas", F }, { ".hidden", D }, { "src", D } } };
    tree.folders["R/src/"] = { { { "u.pas", F } } };
    EXPECT_EQ(Run("R"), (std::vector<std::string> { "R/.pas", "R/src/u.pas" }));
    EXPECT_EQ(tree.listed, (std::vector<std::string> { "R/", "R/src/" }));
}

TEST_F(SearchFilesFake, PrefixGainsASeparatorOnlyWhenMissing)
{
    for (const std::string root : { "R", "R/" }) {
        tree = {};
        tree.folders["R/"] = { { { "a.pas", F } } };
        EXPECT_EQ(Run(root), std::vector<std::string> { "R/a.pas" }) << root;
    }
    tree = {};
    tree.folders["/"] = { { { "a.pas", F } } };
    EXPECT_EQ(Run("/"), std::vector<std::string> { "/a.pas" });
}

TEST_F(SearchFilesFake, UnreadableFolderEndsTheWholeSearch)
{
    tree.folders["R/"] = { { { "b.pas", F }, { "w", D }, { "x", D }, { "y", D }, { "a.pas", F } } };
    tree.folders["R/w/"] = { { { "w1.pas", F } } };
    tree.folders["R/x/"] = { { { "x1.pas", F } }, EACCES, 0 };
    tree.folders["R/y/"] = { { { "y1.pas", F } } };
    EXPECT_EQ(Run("R", false), (std::vector<std::string> { "R/b.pas", "R/a.pas", "R/w/w1.pas" }));
    EXPECT_EQ(tree.listed.back(), "R/x/");
    EXPECT_EQ(search.FailedFolder(), "R/x");
    EXPECT_EQ(search.FailedErrorNumber(), EACCES);
    const std::string message = search.FailureMessage().Flat();
    EXPECT_NE(message.find("\"R/x\""), std::string::npos) << message;
    EXPECT_NE(message.find(std::strerror(EACCES)), std::string::npos) << message;
}

TEST_F(SearchFilesFake, ListingThatBreaksOffKeepsWhatItReported)
{
    tree.folders["R/"] = { { { "a.pas", F }, { "x", D }, { "b.pas", F }, { "c.pas", F } }, EIO, 3 };
    tree.folders["R/x/"] = { { { "x1.pas", F } } };
    EXPECT_EQ(Run("R", false), (std::vector<std::string> { "R/a.pas", "R/b.pas" }));
    EXPECT_EQ(search.FailedFolder(), "R");
    EXPECT_EQ(search.FailedErrorNumber(), EIO);
}

TEST_F(SearchFilesFake, MissingOrEmptyRootFindsNothing)
{
    EXPECT_TRUE(Run("nowhere", false).empty());
    EXPECT_EQ(search.FailedErrorNumber(), ENOENT);
    EXPECT_TRUE(Run("", false).empty());
    EXPECT_TRUE(tree.listed.size() == 1) << "an empty folder name must not list the file system root";
}

TEST_F(SearchFilesFake, SuccessClearsTheLastFailure)
{
    Run("nowhere", false);
    tree.folders["R/"] = { { { "a.pas", F } } };
    Run("R");
    EXPECT_TRUE(search.FailedFolder().empty());
    EXPECT_TRUE(search.FailureMessage().Empty());
    EXPECT_EQ(search.FailedErrorNumber(), 0);
}

TEST_F(SearchFilesFake, PendingEventOncePerEntryAndNoSecondSearchInside)
{
    tree.folders["R/"] = { { { ".", D }, { "..", D }, { "a.pas", F }, { "x", D } } };
    tree.folders["R/x/"] = { { { ".", D }, { "..", D }, { "b.txt", F } } };
    int events = 0;
    search.SetOnPendingEvent([this, &events] {
        ++events;
        EXPECT_TRUE(search.InProgress());
        EXPECT_FALSE(search.Search());
    });
    EXPECT_EQ(Run("R"), std::vector<std::string> { "R/a.pas" });
    EXPECT_EQ(events, 7);
}

TEST_F(SearchFilesFake, MasksChangedDuringTheSearchApplyFromThenOn)
{
    tree.folders["R/"] = { { { "a.txt", F }, { "b.txt", F } } };
    int events = 0;
    search.SetOnPendingEvent([this, &events] {
        if (++events == 2)
            search.FileParams().SetMaskText("*.txt");
    });
    EXPECT_EQ(Run("R"), std::vector<std::string> { "R/b.txt" });
}

TEST_F(SearchFilesFake, CallbackErrorPassesOnAndClearsTheMark)
{
    tree.folders["R/"] = { { { "a.pas", F }, { "b.pas", F } } };
    search.SetRootDirectory("R");
    search.SetFolderLister(
        [this](const std::string &prefix, const TFolderEntryHandler &onEntry) { return tree(prefix, onEntry); });
    search.FileParams().SetMaskText("*.pas");
    search.SetOnFindFile([](const std::string &) { throw std::runtime_error("stop"); });
    EXPECT_THROW(search.Search(), std::runtime_error);
    EXPECT_FALSE(search.InProgress());
    int found = 0;
    search.SetOnFindFile([&found](const std::string &) { ++found; });
    EXPECT_TRUE(search.Search());
    EXPECT_EQ(found, 2);
}

TEST_F(SearchFilesFake, LinksToFoldersAndOtherEntriesAreNeitherEnteredNorReported)
{
    tree.folders["R/"]
        = { { { "loop.pas", TEntryKind::FolderLink }, { "fifo.pas", TEntryKind::Other }, { "a.pas", F } } };
    tree.folders["R/loop.pas/"] = { { { "never.pas", F } } };
    EXPECT_EQ(Run("R"), std::vector<std::string> { "R/a.pas" });
    EXPECT_EQ(tree.listed, std::vector<std::string> { "R/" });
}

// The real file system: a temporary tree per test.
class SearchFilesDisk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "qvc-search-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    void Touch(const fs::path &relative)
    {
        fs::create_directories((root / relative).parent_path());
        std::ofstream(root / relative) << "unit";
    }
    std::vector<std::string> Run(TSearchFiles &search, bool expectedResult = true)
    {
        std::vector<std::string> found;
        search.SetOnFindFile([&found](const std::string &name) { found.push_back(name); });
        EXPECT_EQ(search.Search(), expectedResult);
        return found;
    }

    fs::path root;
};

// The expected walk, written independently: readdir order as directory_iterator yields it.
void ReferenceWalk(const fs::path &folder, std::vector<std::string> &out)
{
    std::vector<fs::path> subfolders;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_symlink() && entry.is_directory())
            continue;
        if (entry.is_directory()) {
            if (name[0] != '.')
                subfolders.push_back(entry.path());
            continue;
        }
        const std::string upper = qvc::AsciiUpper(name);
        if (upper.size() >= 4 && (upper.ends_with(".PAS") || upper.ends_with(".DFM")))
            out.push_back(folder.string() + "/" + name);
    }
    for (const fs::path &sub : subfolders)
        ReferenceWalk(sub, out);
}

TEST_F(SearchFilesDisk, FollowsThePlatformsListingOrder)
{
    for (const char *name : { "b.pas", "a.pas", "Z.PAS", "Makefile", ".hidden.pas", "x/x1.pas", "x/notes.txt",
             "x/deep/d.dfm", "y/y1.pas", "y/Form1.Dfm", ".svn/inner.pas", "m/n/o/p.pas", "e/f.pas", "e/g.pas" })
        Touch(name);
    std::vector<std::string> expected;
    ReferenceWalk(root, expected);
    ASSERT_EQ(expected.size(), 11u);

    TSearchFiles search;
    search.SetRootDirectory(root.string());
    search.FileParams().SetMaskText("*.pas;*.dfm");
    EXPECT_EQ(Run(search), expected);
}

TEST_F(SearchFilesDisk, FolderLinkLoopIsNotFollowed)
{
    Touch("sub/a.pas");
    fs::create_directory_symlink(root, root / "sub" / "loop");
    fs::create_symlink(root / "sub" / "a.pas", root / "link.pas");
    fs::create_symlink(root / "missing.pas", root / "dangling.pas");
    TSearchFiles search;
    search.SetRootDirectory(root.string() + "/");
    search.FileParams().SetMaskText("*.pas");
    std::vector<std::string> found = Run(search);
    std::sort(found.begin(), found.end());
    const std::string prefix = root.string() + "/";
    EXPECT_EQ(found, (std::vector<std::string> { prefix + "dangling.pas", prefix + "link.pas", prefix + "sub/a.pas" }));
}

TEST_F(SearchFilesDisk, FolderRemovedDuringTheWalkStopsTheSearch)
{
    Touch("f.pas");
    Touch("gone/g.pas");
    TSearchFiles search;
    search.SetRootDirectory(root.string());
    search.FileParams().SetMaskText("*.pas");
    search.SetOnFindFile([this](const std::string &) { fs::remove_all(root / "gone"); });
    EXPECT_FALSE(search.Search());
    EXPECT_EQ(search.FailedFolder(), (root / "gone").string());
    EXPECT_EQ(search.FailedErrorNumber(), ENOENT);
}

TEST_F(SearchFilesDisk, ListingReportsEveryEntryWithItsKind)
{
    Touch("dir/x.pas");
    Touch("file.pas");
    fs::create_directory_symlink(root / "dir", root / "dirlink");
    ASSERT_EQ(mkfifo((root / "pipe.pas").c_str(), 0600), 0);
    std::map<std::string, TEntryKind> kinds;
    EXPECT_EQ(qvc::ListFolderPosix(root.string() + "/",
                  [&kinds](const TFolderEntry &entry) { kinds[std::string(entry.Name)] = entry.Kind; }),
        0);
    EXPECT_EQ(kinds,
        (std::map<std::string, TEntryKind> { { ".", D }, { "..", D }, { "dir", D }, { "file.pas", F },
            { "dirlink", TEntryKind::FolderLink }, { "pipe.pas", TEntryKind::Other } }));
    EXPECT_EQ(qvc::ListFolderPosix((root / "absent/").string(), [](const TFolderEntry &) {}), ENOENT);
}

} // namespace
