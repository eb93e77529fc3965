#include "engine/FolderCleaning.h"

#include "engine/FileWalk.h"
#include "engine/InternetCommand.h"
#include "engine/WorkingLists.h"
#include "platform/FakePlatform.h"
#include "startup/CRegSettings.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tidorax {
namespace {

using test::ChildHoldingFile;
using test::exists;
using test::makeDirs;
using test::TempDir;
using test::treeEntries;
using test::writeFile;

using Tree = std::map<std::string, std::string>;

FileList sorted(FileList list) {
    std::sort(list.begin(), list.end());
    return list;
}

FileList prefixed(const std::string& folder, FileList names) {
    for (std::string& name : names) {
        name = folder + "/" + name;
    }
    return sorted(names);
}

class FolderCleaningTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakePlatform().reset(dir.path());
        Form1Lists() = MainWindowLists{};
        Form2Lists() = OptionsWindowLists{};
        temp = dir / "tmp";
        cache = dir / "cache";
        makeDirs(temp);
        makeDirs(cache);
    }

    TempDir dir;
    std::string temp;
    std::string cache;
};

TEST_F(FolderCleaningTest, TempFolderComesFromTheFirstVariableThatIsSet) {
    const struct {
        std::optional<std::string> Temp, TEMP, TMPDIR;
        std::string expected;
    } cases[] = {
        {"/a", "/b", "/c", "/a"},
        {std::nullopt, "/b", "/c", "/b"},
        {std::nullopt, std::nullopt, "/c", "/c"},
        {std::nullopt, std::nullopt, std::nullopt, "/tmp"},
        {"", "/b", "/c", ""},
    };
    for (const auto& c : cases) {
        auto& env = fakePlatform().env;
        env.erase("Temp");
        env.erase("TEMP");
        env.erase("TMPDIR");
        if (c.Temp) {
            env["Temp"] = *c.Temp;
        }
        if (c.TEMP) {
            env["TEMP"] = *c.TEMP;
        }
        if (c.TMPDIR) {
            env["TMPDIR"] = *c.TMPDIR;
        }
        EXPECT_EQ(TempFolderPath(), c.expected);
    }
}

TEST_F(FolderCleaningTest, TempCleaningEmptiesTheFolderButKeepsIt) {
    writeFile(temp + "/a.txt");
    writeFile(temp + "/.dotfile");
    writeFile(temp + "/readonly.txt");
    ::chmod((temp + "/readonly.txt").c_str(), 0444);
    writeFile(temp + "/sub/b.txt");
    writeFile(temp + "/sub/.hiddenfolder/c.txt"); // removed, though no walk lists it
    writeFile(temp + "/ro-folder/d.txt");
    ::chmod((temp + "/ro-folder").c_str(), 0555);
    makeDirs(temp + "/empty");
    Form2Lists().Label5 = "untouched";

    CleanTempFiles("Form1");

    EXPECT_EQ(sorted(Form1Lists().List7),
              prefixed(temp, {"a.txt", ".dotfile", "readonly.txt", "sub/b.txt", "ro-folder/d.txt"}));
    EXPECT_EQ(Form1Lists().List6, FileList{});
    EXPECT_TRUE(exists(temp));
    EXPECT_EQ(treeEntries(temp), Tree{});
    EXPECT_EQ(SearchFolder, temp + "/");
    EXPECT_EQ(Form2Lists().Label5, "untouched") << "only \"Form2\" refreshes the options window";
}

TEST_F(FolderCleaningTest, TempFilesInUseStayAreCountedAndDoNotStopLaterFolders) {
    writeFile(temp + "/first/held.txt", "held");
    writeFile(temp + "/first/free.txt");
    writeFile(temp + "/second/one.txt");
    writeFile(temp + "/second/two.txt");
    ChildHoldingFile holder(temp + "/first/held.txt", ChildHoldingFile::Hold::Open);
    ASSERT_TRUE(holder.holding());

    CleanTempFiles("Form2");

    EXPECT_EQ(Form1Lists().List7.size(), 4u);
    EXPECT_EQ(Form1Lists().List6, FileList{temp + "/first/held.txt"});
    EXPECT_EQ(treeEntries(temp), (Tree{{"first", "d"}, {"first/held.txt", "f:held"}}));
    EXPECT_EQ(Form2Lists().List2, FileList{temp + "/first/held.txt"});
    EXPECT_EQ(Form2Lists().Label5, "Temp Folder Contains 1 Files");
    EXPECT_EQ(Form2Lists().Label6, "The 1 Files Remaining Are In Use");
}

TEST_F(FolderCleaningTest, AnEmptyOrRootTempNameCleansAndListsNothing) {
    writeFile(dir / "work/file.txt");
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir((dir / "work").c_str()), 0);
    for (const std::string name : {"", "/", " ", "relative"}) {
        fakePlatform().env["Temp"] = name;
        Form1Lists() = MainWindowLists{};
        CleanTempFiles("Form2");
        EXPECT_EQ(Form1Lists().List7, FileList{}) << "'" << name << "'";
        EXPECT_EQ(Form1Lists().List6, FileList{}) << "'" << name << "'";
        EXPECT_EQ(Form2Lists().Label5, "Temp Folder Contains 0 Files");
    }
    ASSERT_EQ(::chdir(previous), 0);
    EXPECT_TRUE(exists(dir / "work/file.txt"));
}

TEST_F(FolderCleaningTest, InternetFilesOnLinuxLoseEveryFileButKeepTheirFolders) {
    writeFile(cache + "/a.bin");
    writeFile(cache + "/site/b.bin");
    writeFile(cache + "/site/deep/c.bin", "held");
    writeFile(cache + "/.hidden/d.bin");
    ChildHoldingFile holder(cache + "/site/deep/c.bin", ChildHoldingFile::Hold::Open);
    ASSERT_TRUE(holder.holding());

    CleanInternetFiles("Form2");

    EXPECT_EQ(sorted(Form1Lists().List7), prefixed(cache, {"a.bin", "site/b.bin", "site/deep/c.bin"}));
    EXPECT_EQ(Form1Lists().List6, FileList{cache + "/site/deep/c.bin"});
    EXPECT_EQ(treeEntries(cache),
              (Tree{{".hidden", "d"}, {"site", "d"}, {"site/deep", "d"}, {"site/deep/c.bin", "f:held"}}));
    EXPECT_EQ(Form2Lists().List1, FileList{cache + "/site/deep/c.bin"});
    EXPECT_EQ(Form2Lists().Label1, "Temporary Internet Folder Contains 1 Files");
    EXPECT_TRUE(fakePlatform().startedProcesses.empty());
    EXPECT_TRUE(fakePlatform().shownBoxes.empty());
}

OsVersionInfo versionRecord(std::uint32_t major, std::uint32_t minor, std::uint32_t platformId) {
    OsVersionInfo v;
    v.dwMajorVersion = major;
    v.dwMinorVersion = minor;
    v.dwPlatformId = platformId;
    return v;
}

TEST_F(FolderCleaningTest, WindowsVersionsChooseTheirCommandLine) {
    const std::string deltree = "C:\\WINDOWS\\COMMAND.COM /c Deltree /Y \"" + cache + "/\"";
    const std::string del = "C:\\WINDOWS\\COMMAND.COM /c DEL /q /s /f /a :R \"" + cache + "/*.*\"";
    const struct {
        const char* name;
        OsVersionInfo version;
        std::optional<std::string> command;
    } cases[] = {
        {"98", versionRecord(4, 10, VER_PLATFORM_WIN32_WINDOWS), deltree},
        {"ME", versionRecord(4, 90, VER_PLATFORM_WIN32_WINDOWS), deltree},
        {"2000", versionRecord(5, 0, VER_PLATFORM_WIN32_NT), del},
        {"XP", versionRecord(5, 1, VER_PLATFORM_WIN32_NT), del},
        {"2003", versionRecord(5, 2, VER_PLATFORM_WIN32_NT), del},
        {"95", versionRecord(4, 0, VER_PLATFORM_WIN32_WINDOWS), std::nullopt},
        {"NT 4", versionRecord(4, 0, VER_PLATFORM_WIN32_NT), std::nullopt},
        {"Vista", versionRecord(6, 0, VER_PLATFORM_WIN32_NT), std::nullopt},
    };
    for (const auto& c : cases) {
        fakePlatform().reset(dir.path());
        fakePlatform().env["comspec"] = "C:\\WINDOWS\\COMMAND.COM";
        fakePlatform().version = c.version;
        Form1Lists() = MainWindowLists{};
        writeFile(cache + "/page.html");

        CleanInternetFiles("Form1");

        EXPECT_EQ(InternetFilesCommandLine(c.version, "C:\\WINDOWS\\COMMAND.COM", cache + "/"), c.command)
            << c.name;
        if (c.command) {
            EXPECT_EQ(fakePlatform().startedProcesses, std::vector<std::string>{*c.command}) << c.name;
            EXPECT_EQ(fakePlatform().waitedProcesses, std::vector<std::uint32_t>{4200}) << c.name;
            EXPECT_TRUE(fakePlatform().shownBoxes.empty()) << c.name;
        } else {
            EXPECT_TRUE(fakePlatform().startedProcesses.empty()) << c.name;
            ASSERT_EQ(fakePlatform().shownBoxes.size(), 1u) << c.name;
            EXPECT_EQ(fakePlatform().shownBoxes[0].prompt, "Error Running Command, Files Not Cleaned");
            EXPECT_EQ(fakePlatform().shownBoxes[0].buttons, 64);
            EXPECT_EQ(fakePlatform().shownBoxes[0].title, "Quillon Info.....");
        }
        // The program itself deletes nothing on Windows; what stayed is listed after.
        EXPECT_TRUE(exists(cache + "/page.html")) << c.name;
        EXPECT_EQ(Form1Lists().List7, FileList{cache + "/page.html"}) << c.name;
        EXPECT_EQ(Form1Lists().List6, FileList{cache + "/page.html"}) << c.name;
    }
}

TEST_F(FolderCleaningTest, ACommandThatCannotStartIsReportedAndCountsNothing) {
    const struct {
        const char* name;
        std::optional<std::string> comspec;
        bool failStart;
    } cases[] = {
        {"no comspec", std::nullopt, false}, {"empty comspec", "", false}, {"start fails", "cmd.exe", true}};
    for (const auto& c : cases) {
        fakePlatform().reset(dir.path());
        if (c.comspec) {
            fakePlatform().env["comspec"] = *c.comspec;
        }
        fakePlatform().failProcessStart = c.failStart;
        fakePlatform().version = versionRecord(5, 1, VER_PLATFORM_WIN32_NT);
        Form1Lists() = MainWindowLists{};
        writeFile(cache + "/page.html");

        CleanInternetFiles("Form1");

        ASSERT_EQ(fakePlatform().shownBoxes.size(), 1u) << c.name;
        EXPECT_EQ(fakePlatform().shownBoxes[0].prompt, "Error Running Command, Files Not Cleaned");
        EXPECT_TRUE(fakePlatform().waitedProcesses.empty()) << c.name;
        EXPECT_EQ(Form1Lists().List6.size(), Form1Lists().List7.size()) << c.name;
    }
}

TEST_F(FolderCleaningTest, TheAfterListShowsWhatTheCommandLeft) {
    fakePlatform().env["ComSpec"] = "cmd.exe";
    fakePlatform().version = versionRecord(5, 1, VER_PLATFORM_WIN32_NT);
    writeFile(cache + "/one.html");
    writeFile(cache + "/two.html");
    fakePlatform().onProcessStart = [&](const std::string&) { ::unlink((cache + "/one.html").c_str()); };

    CleanInternetFiles("Form2");

    EXPECT_EQ(fakePlatform().startedProcesses.size(), 1u);
    EXPECT_EQ(Form1Lists().List7.size(), 2u);
    EXPECT_EQ(Form1Lists().List6, FileList{cache + "/two.html"});
    EXPECT_EQ(Form2Lists().Label1, "Temporary Internet Folder Contains 1 Files");
}

TEST_F(FolderCleaningTest, UserFoldersAreCleanedUpToTheFirstGapAndKeepTheirRoots) {
    const std::string folders[] = {dir / "u0", dir / "u1", dir / "u2", dir / "u3"};
    for (const std::string& folder : folders) {
        writeFile(folder + "/file.txt");
        writeFile(folder + "/sub/inner.txt");
    }
    Settings.SaveSetting("UserFolder", "File0", folders[0]);
    Settings.SaveSetting("UserFolder", "File1", folders[1] + "/"); // a trailing "/" keeps it all the same
    Settings.SaveSetting("UserFolder", "File3", folders[3]);

    CleanUserFolders("Form2");

    EXPECT_EQ(sorted(Form1Lists().List7), sorted({folders[0] + "/file.txt", folders[0] + "/sub/inner.txt",
                                                  folders[1] + "/file.txt", folders[1] + "/sub/inner.txt"}));
    EXPECT_EQ(Form1Lists().List6, FileList{});
    EXPECT_EQ(treeEntries(folders[0]), Tree{});
    EXPECT_EQ(treeEntries(folders[1]), Tree{});
    EXPECT_TRUE(exists(folders[1]));
    EXPECT_EQ(treeEntries(folders[3]).size(), 3u) << "past the gap nothing is cleaned";
    EXPECT_EQ(treeEntries(folders[2]).size(), 3u);
    EXPECT_TRUE(fakePlatform().shownBoxes.empty());
}

TEST_F(FolderCleaningTest, AnEmptyUserFolderListSpeaksOnlyToTheOptionsWindow) {
    const struct {
        const char* window;
        std::size_t boxes;
    } cases[] = {{"Form2", 1}, {"Form1", 0}, {"form2", 0}};
    for (const auto& c : cases) {
        fakePlatform().shownBoxes.clear();
        CleanUserFolders(c.window);
        ASSERT_EQ(fakePlatform().shownBoxes.size(), c.boxes) << c.window;
        if (c.boxes == 1) {
            EXPECT_EQ(fakePlatform().shownBoxes[0].prompt, "You Do Not Have Any Folders Selected!");
            EXPECT_EQ(fakePlatform().shownBoxes[0].buttons, 64);
            EXPECT_EQ(fakePlatform().shownBoxes[0].title, "Quillon Info.....");
        }
    }
}

TEST_F(FolderCleaningTest, AUserFolderThatNamesTheRootOrARelativeFolderIsSkipped) {
    writeFile(dir / "u0/file.txt");
    Settings.SaveSetting("UserFolder", "File0", "/");
    Settings.SaveSetting("UserFolder", "File1", "relative");
    Settings.SaveSetting("UserFolder", "File2", dir / "u0");

    CleanUserFolders("Form1");

    EXPECT_EQ(Form1Lists().List7, FileList{dir / "u0/file.txt"});
    EXPECT_FALSE(exists(dir / "u0/file.txt"));
}

} // namespace
} // namespace tidorax
