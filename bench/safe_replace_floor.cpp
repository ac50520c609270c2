// The floor of a safe in-place rewrite: each file of a list rewritten with its own bytes as a new hidden file
// beside it, given the old file's mode, made durable (fdatasync) and renamed over the old one, one file after the
// other; then every folder touched synced once. No text work at all: what a run that replaces its files safely
// cannot go below on one thread.
//   safe_replace_floor LIST   (LIST: one path per line, relative to the current folder)
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void Fail(const std::string &what, const std::string &path)
{
    std::cerr << "safe_replace_floor: " << what << " " << path << ": " << std::generic_category().message(errno)
              << "\n";
    std::exit(1); // NOLINT(concurrency-mt-unsafe): one thread
}

std::string FolderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

void Rewrite(const std::string &path, std::vector<char> &buffer, unsigned long serial)
{
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        Fail("open", path);
    struct stat st
    {
    };
    if (::fstat(in, &st) != 0)
        Fail("stat", path);
    buffer.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t got = ::read(in, buffer.data() + done, buffer.size() - done);
        if (got <= 0)
            Fail("read", path);
        done += static_cast<std::size_t>(got);
    }
    ::close(in);
    const std::string temp = FolderOf(path) + "/.floor-" + std::to_string(::getpid()) + "-" + std::to_string(serial);
    const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0)
        Fail("create", temp);
    done = 0;
    while (done < buffer.size()) {
        const ssize_t put = ::write(out, buffer.data() + done, buffer.size() - done);
        if (put <= 0)
            Fail("write", temp);
        done += static_cast<std::size_t>(put);
    }
    if (::fchmod(out, st.st_mode & 07777) != 0)
        Fail("chmod", temp);
    if (::fdatasync(out) != 0)
        Fail("fdatasync", temp);
    if (::close(out) != 0)
        Fail("close", temp);
    if (::rename(temp.c_str(), path.c_str()) != 0)
        Fail("rename", path);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: safe_replace_floor LIST\n";
        return 2;
    }
    std::ifstream list(argv[1]);
    std::vector<char> buffer;
    std::set<std::string> folders;
    unsigned long serial = 0;
    for (std::string path; std::getline(list, path);) {
        if (path.empty())
            continue;
        Rewrite(path, buffer, serial++);
        folders.insert(FolderOf(path));
    }
    for (const std::string &folder : folders) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0)
            Fail("sync folder", folder);
        ::close(fd);
    }
    std::cout << serial << " files rewritten\n";
    return 0;
}
