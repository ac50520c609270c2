#pragma once
// A fresh folder per test under the system's temporary folder, removed afterwards.
#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

class TTempFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("qvc-test-") + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-"
            + info->name();
        // All lower case, so a test can tell a lower-cased path from the one it gave.
        for (char &c : name)
            c = c == '/' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        m_dir = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string Path(const std::string &name) const { return (m_dir / name).string(); }
    std::filesystem::path m_dir;
};
