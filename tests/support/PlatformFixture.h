// A test fixture that points the fake platform (hive, HOME, XDG folders, TMPDIR) at a
// fresh temporary folder.
#pragma once

#include "core/settings/SettingsStore.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tidorax::test {

class PlatformFixture : public ::testing::Test {
protected:
    void SetUp() override { fakePlatform().reset(tmp.path()); }
    void TearDown() override {
        // Close the hive before its folder goes.
        fakePlatform().reset(tmp.path());
    }

    FakePlatform& fake() { return fakePlatform(); }
    // Replaces the CleanPath settings by the words of flags: "Name" stores Yes, "Name=Value" the value.
    static void setCleanPath(const std::string& flags) {
        Settings.DeleteSetting("CleanPath", "");
        std::istringstream words(flags);
        for (std::string word; words >> word;) {
            const std::size_t is = word.find('=');
            Settings.SaveSetting("CleanPath", word.substr(0, is),
                                 is == std::string::npos ? "Yes" : word.substr(is + 1));
        }
    }

    TempDir tmp;
};

} // namespace tidorax::test
