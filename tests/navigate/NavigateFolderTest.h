#pragma once
// A fixture with a fresh, empty folder of its own for each test, removed afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

class CNavigateFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = std::filesystem::temp_directory_path() /
                   ("scrivel-nav-" + std::to_string(::getpid()) + "-" + test->test_suite_name() +
                    "-" + test->name());
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string Path(const std::string& name) const { return (m_folder / name).string(); }

    std::filesystem::path m_folder;
};
