#pragma once
// A temporary folder per test, with helpers to write and read files in it.
#include "common/FileIO.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <unistd.h>

class TEngineFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name();
        for (char &c : name)
            if (c == '/')
                c = '_';
        m_dir = std::filesystem::temp_directory_path() / ("qvc-engine-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string Path(const std::string &name) const { return (m_dir / name).string(); }
    std::string Write(const std::string &name, const std::string &bytes) const
    {
        std::string path = Path(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        qvc::WriteFileReplacing(path, bytes);
        return path;
    }
    std::string Read(const std::string &name) const { return qvc::ReadFileBytes(Path(name)); }
    /// Empties the folder and writes `files` (name relative to it, bytes) into it.
    void Lay(const std::map<std::string, std::string> &files) const
    {
        for (const auto &entry : std::filesystem::directory_iterator(m_dir))
            std::filesystem::remove_all(entry.path());
        for (const auto &[name, bytes] : files)
            Write(name, bytes);
    }
    bool Exists(const std::string &name) const { return std::filesystem::exists(Path(name)); }
    std::size_t EntryCount() const
    {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto &entry : std::filesystem::recursive_directory_iterator(m_dir))
            ++n;
        return n;
    }

    std::filesystem::path m_dir;
};
