#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "ui/dirpath.h"

namespace {

const int kDriveC = 3;

std::string Normalise(const std::string &typed, const char *current, int drive)
{
    char result[128];
    memset(result, 'x', sizeof result);
    DirectoryNormalise(typed.c_str(), current, drive, result, sizeof result);
    EXPECT_NE(nullptr, memchr(result, '\0', sizeof result));
    return result;
}

}  // namespace

TEST(DirectoryNormalise, TheThreeFormsWithAKnownCurrentDirectory)
{
    const struct { const char *typed, *expected; } cases[] = {
        { "D:\\Prog\\Ed", "D:\\Prog\\Ed" },
        { "D:Prog", "D:\\Prog" },
        { "D:", "D:\\" },
        { "\\Prog", "C:\\Prog" },
        { "\\\\serveur\\part", "C:\\\\serveur\\part" },
        { "Prog", "C:\\W\\Prog" },
        { "", "C:\\W\\" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.expected, Normalise(c.typed, "C:\\W", kDriveC)) << c.typed;
    EXPECT_EQ("C:\\Prog", Normalise("Prog", "C:\\", kDriveC));
}

TEST(DirectoryNormalise, NoDriveLetter)
{
    /* rooted form on a network share: the share's root goes in front */
    EXPECT_EQ("\\\\srv\\part\\Prog", Normalise("\\Prog", "\\\\srv\\part\\w", 0));
    EXPECT_EQ("\\\\srv\\part\\Prog", Normalise("\\Prog", "\\\\srv\\part", 0));
    /* nothing known to put in front: the typed path alone */
    EXPECT_EQ("\\Prog", Normalise("\\Prog", "\\\\srv", 0));
    EXPECT_EQ("\\Prog", Normalise("\\Prog", nullptr, 0));
    EXPECT_EQ("Prog", Normalise("Prog", nullptr, 0));
    EXPECT_EQ("\\\\srv\\part\\w\\Prog", Normalise("Prog", "\\\\srv\\part\\w", 0));
}

TEST(DirectoryNormalise, LongResultsAreCutTo127)
{
    std::string longTyped = "D:\\" + std::string(300, 'a');
    EXPECT_EQ(longTyped.substr(0, 127), Normalise(longTyped, "C:\\W", kDriveC));
    std::string longCurrent = "C:\\" + std::string(200, 'c');
    std::string result = Normalise("Prog", longCurrent.c_str(), kDriveC);
    EXPECT_EQ(longCurrent.substr(0, 127), result);
    EXPECT_EQ(127u, Normalise("\\" + std::string(200, 'r'), "C:\\W", kDriveC).size());
}

TEST(DirectoryNormalise, TheProposalAndTheSizeShown)
{
    char proposal[128];
    DirectoryProposal("C:\\Program Files", "Tavelin", proposal, sizeof proposal);
    EXPECT_STREQ("C:\\Program Files\\Tavelin", proposal);
    DirectoryProposal("C:\\Program Files", "", proposal, sizeof proposal);
    EXPECT_STREQ("C:\\Program Files\\", proposal) << "an empty name leaves the backslash";
    std::string longName(200, 'n');
    DirectoryProposal("C:\\P", longName.c_str(), proposal, sizeof proposal);
    EXPECT_EQ("C:\\P\\" + longName.substr(0, 122), std::string(proposal));

    const struct { long long bytes, kilobytes; } sizes[] = {
        { 0, 0 }, { 1, 1 }, { 1024, 1 }, { 1025, 2 }, { 3LL << 30, 3LL << 20 },
        { 0x7fffffffLL * 1024, 0x7fffffffLL }, { 0x7fffffffLL * 1024 + 1, 0x7fffffffLL },
        { 3LL << 40, DIRECTORY_KILOBYTES_MOST },
    };
    for (const auto &s : sizes)
        EXPECT_EQ(s.kilobytes, DirectorySizeKilobytes(s.bytes)) << s.bytes;
}
