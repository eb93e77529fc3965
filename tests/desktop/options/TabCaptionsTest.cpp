#include "desktop/options/TabCaptions.h"

#include <gtest/gtest.h>

namespace tidorax {
namespace {

TEST(TabCaptionsTest, CountLinesOfTheCleaningTabs) {
    const struct {
        std::string (*caption)(std::size_t);
        std::size_t count;
        std::string expected;
    } cases[] = {
        {InternetFolderCaption, 3, "Temporary Internet Folder Contains 3 Files"},
        {TempFolderCaption, 0, "Temp Folder Contains 0 Files"},
        {TempInUseCaption, 2, "The 2 Files Remaining Are In Use"},
        {CookieFolderCaption, 3, "Cookie Folder Contains 2 Cookies"},
        {CookieFolderCaption, 1, "Cookie Folder Contains 0 Cookies"},
        {CookieFolderCaption, 0, "Cookie Folder Contains 0 Cookies"},
        {SavedCookiesCaption, 4, "You Have 4 Cookies Saved"},
        {SavedCookiesCaption, 70000, "You Have 70000 Cookies Saved"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.caption(c.count), c.expected);
    }
}

} // namespace
} // namespace tidorax
