// Versions as the update check reads and compares them.

#include <gtest/gtest.h>

#include "system/VersionInfo.h"

using namespace kalvero;

namespace {

TEST(VersionInfoTest, UpToFourNumbersMissingOnesCountingAsZero) {
    EXPECT_EQ(ParseVersion("4.0.0.1977"), (TVersionNumbers{4, 0, 0, 1977}));
    EXPECT_EQ(ParseVersion(" 5\r\n"), (TVersionNumbers{5, 0, 0, 0}));
    EXPECT_EQ(ParseVersion("0.1.0"), (TVersionNumbers{0, 1, 0, 0}));
    for (const char* bad :
         {"", "  ", "4..1", "4.0.", ".4", "4.0.0.0.1", "4.0a", "v4", "-1", "4 .0", "99999999999", "<html>"})
        EXPECT_FALSE(ParseVersion(bad).has_value()) << bad;
}

TEST(VersionInfoTest, LaterMeansLaterNumberByNumberFromTheLeft) {
    EXPECT_TRUE(IsNewerVersion("4.0.0.1977", "4.0.0.1976"));
    EXPECT_FALSE(IsNewerVersion("3.9.9.9999", "4.0.0.1976"));
    EXPECT_FALSE(IsNewerVersion("4.0.0.1976", "4.0.0.1976"));
    EXPECT_TRUE(IsNewerVersion("5.0.0.0", "4.9.9.9999"));
    EXPECT_TRUE(IsNewerVersion("4.10", "4.9.9"));  // numbers, not texts
    EXPECT_FALSE(IsNewerVersion("4.0", "4.0.0.0"));
    EXPECT_FALSE(IsNewerVersion("garbage", "1.0"));
    EXPECT_FALSE(IsNewerVersion("9.0", "garbage"));
}

}  // namespace
