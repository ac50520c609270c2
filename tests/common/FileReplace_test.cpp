// The one way files are replaced, backups, and what a failure or a kill at any step leaves behind.
#include "SystemFaults.h"
#include "TempFolder.h"
#include "common/Backups.h"
#include "common/Errors.h"
#include "common/FileIO.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <set>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct stat StatOf(const std::string &path)
{
    struct stat st
    {
    };
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

std::string Xattr(const std::string &path, const char *name)
{
    char value[256];
    const ssize_t got = ::getxattr(path.c_str(), name, value, sizeof value);
    return got < 0 ? std::string("<none>") : std::string(value, static_cast<std::size_t>(got));
}

// A POSIX access ACL as the kernel stores it: owner rw, user `user` rw, group r, mask rw, others none.
std::string AccessAcl(std::uint32_t user)
{
    std::string blob;
    const auto put32 = [&](std::uint32_t v) {
        for (int k = 0; k < 4; ++k)
            blob += static_cast<char>((v >> (8 * k)) & 0xFF);
    };
    const auto entry = [&](std::uint16_t tag, std::uint16_t perm, std::uint32_t id) {
        blob += static_cast<char>(tag & 0xFF);
        blob += static_cast<char>(tag >> 8);
        blob += static_cast<char>(perm & 0xFF);
        blob += static_cast<char>(perm >> 8);
        put32(id);
    };
    put32(2);
    entry(0x01, 6, 0xFFFFFFFF);
    entry(0x02, 6, user);
    entry(0x04, 4, 0xFFFFFFFF);
    entry(0x10, 6, 0xFFFFFFFF);
    entry(0x20, 0, 0xFFFFFFFF);
    return blob;
}

class FileReplaceTest : public TTempFolderTest
{
protected:
    void TearDown() override
    {
        qvc::SetFaultHook({});
        TTempFolderTest::TearDown();
    }
    std::string Put(const std::string &name, const std::string &bytes)
    {
        std::string path = Path(name);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path;
    }
    std::string Get(const std::string &name) const { return qvc::ReadFileBytes(Path(name)); }
    // The names in the folder, hidden ones included.
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto &entry : fs::directory_iterator(m_dir))
            names.insert(entry.path().filename().string());
        return names;
    }
    bool OnlyHiddenTemporariesBesides(const std::set<std::string> &expected) const
    {
        for (const std::string &name : Names())
            if (!expected.contains(name) && name.rfind(".qvConvertFiles-", 0) != 0)
                return false;
        return true;
    }
};

TEST_F(FileReplaceTest, ReplacementKeepsModeOwnerGroupAclsAndExtendedAttributes)
{
    const std::string path = Put("unit.pas", "old text");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path.c_str(), 1234, 5678), 0);
    }
    const bool xattrs = ::setxattr(path.c_str(), "user.origin", "delphi", 6, 0) == 0;
    const std::string acl = AccessAcl(4321);
    const bool acls = ::setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
    const std::string aclBefore = Xattr(path, "system.posix_acl_access");
    const struct stat before = StatOf(path);

    qvc::WriteFileReplacing(path, "new text");

    const struct stat after = StatOf(path);
    EXPECT_EQ(Get("unit.pas"), "new text");
    EXPECT_NE(after.st_ino, before.st_ino) << "the new text is a new file";
    EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    if (xattrs) {
        EXPECT_EQ(Xattr(path, "user.origin"), "delphi");
    }
    if (acls) {
        EXPECT_EQ(Xattr(path, "system.posix_acl_access"), aclBefore) << "user 4321 keeps exactly its access";
    }
    EXPECT_EQ(Names(), std::set<std::string> { "unit.pas" });
}

TEST_F(FileReplaceTest, ANewFileGetsTheUsualModeAndNoOtherFilesMetadata)
{
    const std::string other = Put("other.pas", "x");
    ASSERT_EQ(::chmod(other.c_str(), 0600), 0);
    (void)::setxattr(other.c_str(), "user.secret", "1", 1, 0);
    const mode_t mask = ::umask(022);
    qvc::WriteFileReplacing(Path("new.pas"), "text");
    ::umask(mask);
    EXPECT_EQ(StatOf(Path("new.pas")).st_mode & 07777, 0644u);
    EXPECT_EQ(Xattr(Path("new.pas"), "user.secret"), "<none>");
}

TEST_F(FileReplaceTest, SymbolicLinkStaysALinkAndOtherHardLinksKeepTheOldText)
{
    fs::create_directories(m_dir / "real");
    const std::string target = Put("real/unit.pas", "old");
    fs::create_symlink("real/unit.pas", m_dir / "link.pas");
    ASSERT_EQ(::link(target.c_str(), Path("hard.pas").c_str()), 0);

    qvc::WriteFileReplacing(Path("link.pas"), "new");

    EXPECT_TRUE(fs::is_symlink(m_dir / "link.pas"));
    EXPECT_EQ(Get("real/unit.pas"), "new");
    EXPECT_EQ(Get("hard.pas"), "old") << "like sed -i: only the name given gets the new text";
}

TEST_F(FileReplaceTest, FilesWithoutOwnerWritePermissionAreRefused)
{
    for (const mode_t mode : { 0444, 0555, 0044 }) {
        const std::string path = Put("ro.pas", "kept");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        try {
            qvc::WriteFileReplacing(path, "new");
            ADD_FAILURE() << "mode " << std::oct << mode << " was replaced";
        } catch (const qvc::TError &error) {
            EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + path + "\". Permission denied");
            EXPECT_EQ(error.Path(), path);
        }
        EXPECT_EQ(Get("ro.pas"), "kept");
        ::chmod(path.c_str(), 0644);
        fs::remove(path);
    }
}

TEST_F(FileReplaceTest, FilesWhoseOwnerCannotBeKeptAreRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a file of another user needs root";
    // A file of root's, writable by anyone, in a folder anyone may write: another user could write into
    // it, but a replacement would change its owner, so it is refused.
    const std::string path = Put("shared.pas", "root's");
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(m_dir.c_str(), 0777), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setegid(65534) != 0 || ::seteuid(65534) != 0)
            ::_exit(3);
        try {
            qvc::WriteFileReplacing(path, "nobody's");
        } catch (const qvc::TError &error) {
            ::_exit(error.Reason() == std::errc::operation_not_permitted ? 0 : 2);
        }
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: replaced, 2: refused for another reason, 3: no such user";
    EXPECT_EQ(Get("shared.pas"), "root's");
    EXPECT_EQ(StatOf(path).st_uid, 0u);
}

TEST_F(FileReplaceTest, AFailureAtEveryStepKeepsTheOldFileAndLeavesNothing)
{
    for (const bool existing : { true, false }) {
        const std::string path = Path("unit.pas");
        const auto reset = [&] {
            fs::remove(path);
            if (existing) {
                Put("unit.pas", "old");
                (void)::setxattr(path.c_str(), "user.origin", "delphi", 6, 0);
            }
        };
        reset();
        int calls = 0;
        {
            const TFaultScope count;
            qvc::WriteFileReplacing(path, "new");
            calls = count.Calls();
        }
        ASSERT_GE(calls, 4) << "create, write, metadata, link or rename at least";
        for (int failAt = 1; failAt <= calls; ++failAt) {
            reset();
            {
                const TFaultScope fault(failAt, ENOSPC);
                EXPECT_THROW(qvc::WriteFileReplacing(path, "new"), qvc::TError) << "step " << failAt;
            }
            if (existing)
                EXPECT_EQ(Get("unit.pas"), "old") << "step " << failAt;
            else
                EXPECT_FALSE(fs::exists(path)) << "step " << failAt;
            EXPECT_EQ(Names(), existing ? std::set<std::string> { "unit.pas" } : std::set<std::string> {})
                << "step " << failAt;
        }
    }
}

TEST_F(FileReplaceTest, AKillAtEveryStepLeavesOldOrNewTextAndHiddenFilesThatALaterRunRemoves)
{
    const std::string path = Path("unit.pas");
    bool killed = true;
    for (int killAt = 1; killed; ++killAt) {
        Put("unit.pas", "old");
        killed = RunKilledAt(killAt, [&] { qvc::WriteFileReplacing(path, "new"); });
        const std::string text = Get("unit.pas");
        EXPECT_TRUE(text == "old" || text == "new") << "kill at " << killAt << ": " << text;
        EXPECT_EQ(text, killed ? "old" : "new") << "the rename is the last step";
        EXPECT_TRUE(OnlyHiddenTemporariesBesides({ "unit.pas" })) << "kill at " << killAt;
        qvc::SweepStaleTemporaries(m_dir.string());
        EXPECT_EQ(Names(), std::set<std::string> { "unit.pas" }) << "kill at " << killAt;
        ASSERT_LT(killAt, 50);
    }
}

// Each way a file gets new bytes under a name: the bytes reach the disk (a sync of the open file) after the
// last write and before the rename that names them; a file saved on its own has its folder synced after.
TEST_F(FileReplaceTest, NewBytesReachTheDiskBeforeTheirNameAndTheFolderAfterIt)
{
    const struct
    {
        const char *name;
        std::function<void()> operation;
        std::string refusedLink; // a hard link to this name fails as across file systems
        bool folderSynced;
    } cases[] = {
        { "ReplacedFile", [&] { qvc::WriteFileReplacing(Path("unit.pas"), "new"); }, {}, false },
        { "NewFile", [&] { qvc::WriteFileReplacing(Path("new.pas"), "new"); }, {}, false },
        { "CopiedFile", [&] { qvc::CopyFileNoReplace(Path("unit.pas"), Path("copy.pas")); }, {}, false },
        { "BackupCopiedWhereNoLinkIsPossible", [&] { qvc::TBackup::Make(Path("unit.pas"), Path("unit.~pas")); },
            Path("unit.~pas"), false },
        { "FileSavedOnItsOwn", [&] { qvc::WriteFileReplacingSynced(Path("unit.pas"), "new"); }, {}, true },
    };
    for (const auto &c : cases) {
        for (const std::string &name : Names())
            fs::remove(m_dir / name);
        Put("unit.pas", "old");
        std::vector<TSeenCall> seen;
        qvc::SetFaultHook([&](qvc::TSysCall call, std::string_view path) {
            seen.push_back({ call, std::string(path) });
            return call == qvc::TSysCall::Link && path == c.refusedLink ? EXDEV : 0;
        });
        c.operation();
        qvc::SetFaultHook({});
        // The first or last call of a kind; a sync of an open file or a folder is told by its path.
        const auto at = [&](qvc::TSysCall call, bool onFile, bool last) {
            std::ptrdiff_t found = -1;
            for (std::size_t k = 0; k < seen.size(); ++k)
                if (seen[k].Call == call && seen[k].Path.empty() == onFile && (found < 0 || last))
                    found = static_cast<std::ptrdiff_t>(k);
            return found;
        };
        const std::ptrdiff_t lastWrite = at(qvc::TSysCall::Write, true, true);
        const std::ptrdiff_t dataSync = at(qvc::TSysCall::Sync, true, false);
        const std::ptrdiff_t rename = at(qvc::TSysCall::Rename, false, true);
        const std::ptrdiff_t folderSync = at(qvc::TSysCall::Sync, false, false);
        ASSERT_GE(lastWrite, 0) << c.name;
        ASSERT_GE(rename, 0) << c.name;
        EXPECT_LT(lastWrite, dataSync) << c.name;
        EXPECT_LT(dataSync, rename) << c.name;
        if (c.folderSynced) {
            EXPECT_GT(folderSync, rename) << c.name;
            EXPECT_EQ(seen.at(static_cast<std::size_t>(folderSync)).Path, m_dir.string()) << c.name;
        } else {
            EXPECT_EQ(folderSync, -1) << c.name << ": the caller syncs the folder";
        }
    }
}

TEST_F(FileReplaceTest, AFailedSyncIsAFailedWriteNamingTheFileWithTheSystemsReason)
{
    const struct
    {
        const char *name;
        int syncToFail; // 1: the file's bytes, 2: its folder
        std::function<void()> operation;
        std::string shown; // the path the message names
        std::set<std::string> names; // the folder afterwards
        std::string text; // what unit.pas holds afterwards
    } cases[] = {
        { "ReplacedFileBytes", 1, [&] { qvc::WriteFileReplacing(Path("unit.pas"), "new"); }, Path("unit.pas"),
            { "unit.pas" }, "old" },
        { "CopiedFileBytes", 1, [&] { qvc::CopyFileNoReplace(Path("unit.pas"), Path("copy.pas")); }, Path("copy.pas"),
            { "unit.pas" }, "old" },
        { "SavedFileBytes", 1, [&] { qvc::WriteFileReplacingSynced(Path("unit.pas"), "new"); }, Path("unit.pas"),
            { "unit.pas" }, "old" },
        // The rename is done: the file holds the new text, which the failure says may not be on the disk.
        { "SavedFilesFolder", 2, [&] { qvc::WriteFileReplacingSynced(Path("unit.pas"), "new"); }, Path("unit.pas"),
            { "unit.pas" }, "new" },
    };
    for (const auto &c : cases) {
        for (const std::string &name : Names())
            fs::remove(m_dir / name);
        Put("unit.pas", "old");
        {
            const TFaultScope fault(c.syncToFail, EIO, qvc::TSysCall::Sync);
            try {
                c.operation();
                ADD_FAILURE() << c.name << ": no failure";
            } catch (const qvc::TError &error) {
                EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + c.shown + "\". Input/output error")
                    << c.name;
                EXPECT_EQ(error.Reason(), std::errc::io_error) << c.name;
            }
        }
        EXPECT_EQ(Names(), c.names) << c.name;
        EXPECT_EQ(Get("unit.pas"), c.text) << c.name;
    }
}

TEST_F(FileReplaceTest, ChangedFoldersAreSyncedOnceEachAndAFailureNamesItsFolder)
{
    fs::create_directories(m_dir / "a");
    fs::create_directories(m_dir / "b");
    fs::create_directories(m_dir / "c");
    qvc::TChangedFolders changed;
    for (const char *folder : { "b", "a", "b", "c", "a" })
        changed.Add(Path(folder));
    std::vector<std::string> synced;
    qvc::SetFaultHook([&](qvc::TSysCall call, std::string_view path) {
        if (call != qvc::TSysCall::Sync)
            return 0;
        synced.emplace_back(path);
        return path == Path("a") ? EIO : 0;
    });
    try {
        changed.SyncAll();
        ADD_FAILURE() << "no failure";
    } catch (const qvc::TError &error) {
        EXPECT_EQ(std::string(error.what()),
            "Cannot save the changes in folder \"" + Path("a") + "\" to disk. Input/output error");
        EXPECT_EQ(error.Path(), Path("a"));
    }
    qvc::SetFaultHook({});
    EXPECT_EQ(synced, (std::vector<std::string> { Path("b"), Path("a"), Path("c") })) << "each once, every one tried";
    EXPECT_TRUE(changed.Empty());
    changed.Add(Path("c"));
    EXPECT_NO_THROW(changed.SyncAll());
}

// A batch: three files of two folders made ready, one sync, then put in place in order.
TEST_F(FileReplaceTest, SweepingKeepsTheTemporariesOfARunStillGoingOn)
{
    Put("unit.pas", "old");
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        // Stops just before the rename, its hidden file in place, until told to go on.
        qvc::SetFaultHook([&](qvc::TSysCall call, std::string_view) {
            if (call == qvc::TSysCall::Rename) {
                char c = 0;
                (void)!::write(ready[1], "r", 1);
                (void)!::read(release[0], &c, 1);
            }
            return 0;
        });
        qvc::WriteFileReplacing(Path("unit.pas"), "new");
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(Names().size(), 2u) << "the other run's hidden file";
    qvc::SweepStaleTemporaries(m_dir.string());
    EXPECT_EQ(Names().size(), 2u) << "a running process's file is not removed";
    ASSERT_EQ(::write(release[1], "g", 1), 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(Get("unit.pas"), "new");
    EXPECT_EQ(Names(), std::set<std::string> { "unit.pas" });
    for (int fd : { ready[0], ready[1], release[0], release[1] })
        ::close(fd);
}

TEST_F(FileReplaceTest, SweepingRemovesOnlyTheUsersOwnFilesOfEndedProcesses)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::string ended = std::to_string(child);
    Put(".qvConvertFiles-" + ended + "-12345-0.tmp", "left by a kill");
    Put(".qvtmp" + ended + "-3", "left by an earlier version");
    Put(".qvConvertFiles-" + ended + "-12345-0.tmp.keep", "not ours: another name");
    Put(".qvConvertFiles-notanumber.tmp", "not ours");
    std::set<std::string> kept { ".qvConvertFiles-" + ended + "-12345-0.tmp.keep", ".qvConvertFiles-notanumber.tmp" };
    if (::geteuid() == 0) {
        const std::string foreign = Put(".qvConvertFiles-" + ended + "-12345-1.tmp", "another user's");
        ASSERT_EQ(::chown(foreign.c_str(), 1234, 1234), 0);
        kept.insert(".qvConvertFiles-" + ended + "-12345-1.tmp");
    }
    qvc::SweepStaleTemporaries(m_dir.string());
    EXPECT_EQ(Names(), kept);
}

// The folders a series of writes swept belong to that series: another series (another run, on any thread)
// sweeps them again, and a file written on its own always sweeps its folder.
TEST_F(FileReplaceTest, EachSeriesOfWritesSweepsAFolderOnceAndApartFromTheOthers)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::string stale = ".qvConvertFiles-" + std::to_string(child) + "-12345-0.tmp";
    const auto staleLeft = [&] { return Names().count(stale) == 1; };
    qvc::TChangedFolders first;
    qvc::TChangedFolders second;
    Put(stale, "left by a kill");
    qvc::WriteFileReplacing(Path("a.pas"), "a", nullptr, &first);
    EXPECT_FALSE(staleLeft()) << "the first write of a series sweeps its folder";
    Put(stale, "left by a kill");
    qvc::WriteFileReplacing(Path("b.pas"), "b", nullptr, &first);
    EXPECT_TRUE(staleLeft()) << "the series swept that folder already";
    first.SyncAll();
    qvc::WriteFileReplacing(Path("c.pas"), "c", nullptr, &first);
    EXPECT_TRUE(staleLeft()) << "a sync does not make the series sweep again";
    qvc::WriteFileReplacing(Path("d.pas"), "d", nullptr, &second);
    EXPECT_FALSE(staleLeft()) << "another series sweeps on its own";
    Put(stale, "left by a kill");
    qvc::WriteFileReplacing(Path("e.pas"), "e");
    EXPECT_FALSE(staleLeft()) << "a file written on its own sweeps its folder";
}

TEST_F(FileReplaceTest, AFileChangedSinceItWasReadIsNotReplaced)
{
    const std::string path = Put("unit.pas", "as read");
    qvc::TFileStamp stamp;
    std::string buffer;
    qvc::ReadFileInto(path, buffer, &stamp);
    Put("unit.pas", "another program's text");
    EXPECT_THROW(qvc::WriteFileReplacing(path, "converted", &stamp), qvc::TChangedMeanwhile);
    EXPECT_EQ(Get("unit.pas"), "another program's text");

    // The change comes while the new text is being written: the last look before the rename sees it.
    Put("unit.pas", "as read");
    qvc::ReadFileInto(path, buffer, &stamp);
    qvc::SetFaultHook([&](qvc::TSysCall call, std::string_view) {
        if (call == qvc::TSysCall::Link || call == qvc::TSysCall::Close)
            std::ofstream(path, std::ios::binary | std::ios::app) << " and a line appended meanwhile";
        return 0;
    });
    EXPECT_THROW(qvc::WriteFileReplacing(path, "converted", &stamp), qvc::TChangedMeanwhile);
    qvc::SetFaultHook({});
    EXPECT_EQ(Get("unit.pas").rfind("as read and a line appended meanwhile", 0), 0u);
    EXPECT_EQ(Names(), std::set<std::string> { "unit.pas" });
}

TEST_F(FileReplaceTest, OnlyRegularFilesAreRead)
{
    ASSERT_EQ(::mkfifo(Path("pipe.pas").c_str(), 0600), 0);
    fs::create_directories(m_dir / "folder.pas");
    const struct
    {
        std::string path;
        std::string reason;
    } cases[] = {
        { Path("pipe.pas"), "Not a regular file." },
        { "/dev/zero", "Not a regular file." },
        { Path("folder.pas"), "Is a directory" },
    };
    for (const auto &c : cases) {
        try {
            qvc::ReadFileBytes(c.path);
            ADD_FAILURE() << c.path << " was read";
        } catch (const qvc::TError &error) {
            EXPECT_EQ(std::string(error.what()), "Cannot open file \"" + c.path + "\". " + c.reason);
        }
    }
}

TEST_F(FileReplaceTest, BackupIsAHardLinkAndOlderBackupsMoveToNumberedNames)
{
    const std::string path = Put("Unit1.pas", "first");
    const std::string backup = Path("Unit1.~pas");
    for (const char *text : { "second", "third", "fourth" }) {
        const qvc::TBackup made = qvc::TBackup::Make(path, backup);
        EXPECT_EQ(made.Name(), backup);
        EXPECT_EQ(StatOf(backup).st_ino, StatOf(path).st_ino) << "a link costs nothing";
        qvc::WriteFileReplacing(path, text);
    }
    EXPECT_EQ(Get("Unit1.~pas.~1~"), "first") << "the text from before the first run survives";
    EXPECT_EQ(Get("Unit1.~pas.~2~"), "second");
    EXPECT_EQ(Get("Unit1.~pas"), "third");
    EXPECT_EQ(Get("Unit1.pas"), "fourth");

    Put("Unit1.~pas.~9~", "a gap in the numbers");
    EXPECT_EQ(qvc::NextNumberedBackupName(backup), backup + ".~10~");
}

TEST_F(FileReplaceTest, BackupIsACopyWithTheFilesMetadataWhereLinkingFails)
{
    const std::string path = Put("Unit1.pas", "old");
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    const bool xattrs = ::setxattr(path.c_str(), "user.origin", "delphi", 6, 0) == 0;
    {
        const TFaultScope crossDevice(1, EXDEV, qvc::TSysCall::Link);
        qvc::TBackup::Make(path, Path("Unit1.~pas"));
    }
    EXPECT_NE(StatOf(Path("Unit1.~pas")).st_ino, StatOf(path).st_ino);
    EXPECT_EQ(Get("Unit1.~pas"), "old");
    EXPECT_EQ(StatOf(Path("Unit1.~pas")).st_mode & 07777, 0600u);
    if (xattrs) {
        EXPECT_EQ(Xattr(Path("Unit1.~pas"), "user.origin"), "delphi");
    }
}

TEST_F(FileReplaceTest, AFailedOrUndoneBackupPutsTheOlderBackupBack)
{
    const std::string path = Put("Unit1.pas", "current");
    const std::string backup = Put("Unit1.~pas", "older backup");
    qvc::TBackup made = qvc::TBackup::Make(path, backup);
    made.Undo();
    EXPECT_EQ(Get("Unit1.~pas"), "older backup");
    EXPECT_EQ(Get("Unit1.pas"), "current");
    EXPECT_EQ(Names(), (std::set<std::string> { "Unit1.pas", "Unit1.~pas" }));

    int calls = 0;
    {
        const TFaultScope count;
        qvc::TBackup::Make(path, backup).Undo();
        calls = count.Calls();
    }
    for (int failAt = 1; failAt <= calls; ++failAt) {
        const auto texts = [&] {
            std::multiset<std::string> all;
            for (const std::string &name : Names())
                all.insert(Get(name));
            return all;
        };
        {
            // A failure while the backup is made, or while it is taken back: no text is lost.
            const TFaultScope fault(failAt, EIO);
            try {
                qvc::TBackup::Make(path, backup).Undo();
            } catch (const qvc::TError &) {
            }
        }
        EXPECT_EQ(Get("Unit1.pas"), "current") << "step " << failAt;
        EXPECT_EQ(texts().count("older backup"), 1u) << "step " << failAt;
        for (const std::string &name : Names())
            fs::remove(m_dir / name);
        Put("Unit1.pas", "current");
        Put("Unit1.~pas", "older backup");
    }
    // A backup that cannot be linked leaves the older backup under its own name.
    for (const int reason : { EIO, ENOSPC }) {
        const TFaultScope fault(1, reason, qvc::TSysCall::Link);
        EXPECT_THROW(qvc::TBackup::Make(path, backup), qvc::TError);
        EXPECT_EQ(Get("Unit1.~pas"), "older backup");
        EXPECT_EQ(Names(), (std::set<std::string> { "Unit1.pas", "Unit1.~pas" }));
    }
}

TEST(BackupNames, AreToldApartFromOtherNames)
{
    const struct
    {
        const char *name;
        bool backup;
    } cases[] = {
        { "Unit1.~pas", true },
        { "Unit1.~pas.~1~", true },
        { "Unit1.~dfm.~12~", true },
        { "Unit1.pas", false },
        { "Unit1.dfm", false },
        { "Unit1.pas~", false },
        { "Unit1.pas.~x~", false },
    };
    for (const auto &c : cases)
        EXPECT_EQ(qvc::IsBackupName(c.name), c.backup) << c.name;
}

} // namespace
