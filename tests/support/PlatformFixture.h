// A test fixture that points the fake platform (hive, HOME, XDG folders, TMPDIR) at a
// fresh temporary folder.
#pragma once

#include "platform/fake/FakePlatform.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace tidorax::test {

class PlatformFixture : public ::testing::Test {
protected:
    void SetUp() override { fakePlatform().reset(tmp.path()); }
    void TearDown() override {
        // Close the hive before its folder goes.
        fakePlatform().reset(tmp.path());
    }

    FakePlatform& fake() { return fakePlatform(); }

    TempDir tmp;
};

} // namespace tidorax::test
