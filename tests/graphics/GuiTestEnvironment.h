#pragma once
// The graphical application object of a drawing test program: created before the first test on
// the offscreen platform, destroyed after the last one, so that the toolkit releases its fonts
// before the process ends.

#include <gtest/gtest.h>

#include "graphics/GuiRuntime.h"

namespace kalvero::test {

class TGuiTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override { fScope = std::make_unique<TGuiApplicationScope>(); }
    void TearDown() override { fScope.reset(); }

private:
    std::unique_ptr<TGuiApplicationScope> fScope;
};

inline ::testing::Environment* const gGuiTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new TGuiTestEnvironment);

}  // namespace kalvero::test
