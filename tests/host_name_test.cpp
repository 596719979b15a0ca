#include "platform/linux/host_name.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

using namespace std::literals;
using platform::readComputerName;

std::filesystem::path machine(const std::string& name)
{
    return std::filesystem::path(TEST_FIXTURES_DIR) / "machines" / name;
}

TEST(ComputerNameTest, FixtureMachines)
{
    EXPECT_EQ(readComputerName(machine("laptop-charging"), false), "Giulia's ThinkPad");
    EXPECT_EQ(readComputerName(machine("laptop-discharging"), false), "studio.local");
    EXPECT_EQ(readComputerName(machine("two-batteries"), false), "Office T480");
    EXPECT_EQ(readComputerName(machine("desktop"), false), "workstation");
    EXPECT_EQ(readComputerName(machine("arm-dead-battery"), false), "Kai's PinePhone");
    // Binary machine-info is ignored; hostname's comment and blank line are skipped.
    EXPECT_EQ(readComputerName(machine("garbled"), false), "garbled-box");
}

TEST(ComputerNameTest, KernelIsAskedOnlyWhenAllowedAndFilesSayNothing)
{
    EXPECT_EQ(readComputerName(machine("empty"), false), std::nullopt);
    EXPECT_EQ(readComputerName(machine("laptop-charging"), true), "Giulia's ThinkPad");

    char kernelName[HOST_NAME_MAX + 1] = {};
    ASSERT_EQ(gethostname(kernelName, sizeof kernelName - 1), 0);
    if (std::string(kernelName).empty() || std::string(kernelName) == "(none)")
        GTEST_SKIP() << "this machine's kernel has no host name";
    EXPECT_EQ(readComputerName(machine("empty"), true), std::string(kernelName));
}

// A machine-info file's bytes and the name expected from them.
using Case = std::pair<std::string_view, const char*>;

// machine-info files with shell quoting, each written to a scratch root that also has
// /etc/hostname, so a value that must be rejected shows up as "fallback-name".
class MachineInfoQuotingTest : public testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        root_ = std::filesystem::path(testing::TempDir()) /
                ("machine-info-" + std::to_string(getpid()) + "-" +
                 std::to_string(testing::UnitTest::GetInstance()->random_seed()));
        std::filesystem::create_directories(root_ / "etc");
        std::ofstream(root_ / "etc/hostname") << "fallback-name\n";
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    std::filesystem::path root_;
};

TEST_P(MachineInfoQuotingTest, YieldsThePrettyName)
{
    const auto [contents, expected] = GetParam();
    std::ofstream(root_ / "etc/machine-info", std::ios::binary).write(contents.data(), contents.size());
    EXPECT_EQ(readComputerName(root_, false), expected) << contents;
}

INSTANTIATE_TEST_SUITE_P(
    ShellRules, MachineInfoQuotingTest,
    testing::Values(
        Case{R"(PRETTY_HOSTNAME="A \"quoted\" \\ \$ \` name")", R"(A "quoted" \ $ ` name)"},
        Case{R"(PRETTY_HOSTNAME="keeps \n and \t")", R"(keeps \n and \t)"},
        Case{R"(PRETTY_HOSTNAME='single \ "literal"')", R"(single \ "literal")"},
        Case{"PRETTY_HOSTNAME=plain\\ words\\\"  \n", "plain words\""},
        Case{R"(PRETTY_HOSTNAME="Lab"' 'Box)", "Lab Box"},
        Case{"PRETTY_HOSTNAME=it's \"fine\"\n", "it's \"fine\""},
        Case{"PRETTY_HOSTNAME=one\\\ntwo\n", "onetwo"},
        Case{"PRETTY_HOSTNAME=\"one\\\ntwo\"\n", "onetwo"},
        Case{"PRETTY_HOSTNAME=\"open to the end", "open to the end"},
        Case{"  PRETTY_HOSTNAME =   spaced  out  \n", "spaced  out"},
        Case{"PRETTY_HOSTNAME=Windows line\r\nCHASSIS=desktop\r\n", "Windows line"},
        Case{"PRETTY_HOSTNAME=Caff\xc3\xa8 Nero\n", "Caff\xc3\xa8 Nero"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Assignments, MachineInfoQuotingTest,
    testing::Values(
        Case{"PRETTY_HOSTNAME=first\nPRETTY_HOSTNAME=second\n", "second"},
        Case{"# PRETTY_HOSTNAME=commented\n  ; PRETTY_HOSTNAME=also\nPRETTY_HOSTNAME=real\n", "real"},
        Case{"# comment ending in a backslash \\\nPRETTY_HOSTNAME=after\n", "after"},
        Case{"PRETTY_HOSTNAME\nPRETTY_HOSTNAME=after a bare key\n", "after a bare key"},
        Case{"PRETTY_HOSTNAME=first\nPRETTY_HOSTNAME=\n", "fallback-name"},
        Case{"PRETTY_HOSTNAME=\"\"\n", "fallback-name"},
        Case{"MY_PRETTY_HOSTNAME=other key\nPRETTY_HOSTNAME_2=another\n", "fallback-name"},
        Case{"PRETTY_HOSTNAME=bad \xff\xfe bytes\n", "fallback-name"},
        Case{"PRETTY_HOSTNAME=\"bell\a\"\n", "fallback-name"},
        Case{"PRETTY_HOSTNAME=seen\n\0PRETTY_HOSTNAME=past a NUL\n"sv, "seen"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

} // namespace
