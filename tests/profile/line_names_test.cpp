// Line names read back from manhole labels.

#include <gtest/gtest.h>

#include "profile/profile.h"

namespace {

TEST(LineNames, TheDelimiterIsTheFirstOfItsOrderThatTheLabelHolds) {
    fluvanet::Profile profile;
    EXPECT_EQ(profile.GetManholeLabelDelimiter("MH.1-2"), ".");
    EXPECT_EQ(profile.GetManholeLabelDelimiter("MH-1.2"), ".");
    EXPECT_EQ(profile.GetManholeLabelDelimiter("B/3-7"), "-");
    EXPECT_EQ(profile.GetManholeLabelDelimiter("B/3"), "/");
    EXPECT_EQ(profile.GetManholeLabelDelimiter("A_B"), "_");
    EXPECT_EQ(profile.GetManholeLabelDelimiter("-"), "-");
    EXPECT_EQ(profile.GetManholeLabelDelimiter("AB"), "");
    EXPECT_EQ(profile.GetManholeLabelDelimiter(""), "");
    auto late = std::make_shared<fluvanet::Profile>();
    EXPECT_EQ(vb::CallByName(late, "GetManholeLabelDelimiter", com::CallType::Method, "N_1"), com::Variant("_"));
}

}  // namespace
