#include "core/cleaning/FolderCleaning.h"

#include "core/cleaning/CookieCleaning.h"
#include "core/cleaning/FileWalk.h"
#include "core/cleaning/InternetCommand.h"
#include "core/cleaning/WorkingLists.h"
#include "core/settings/SettingsStore.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/PlatformFixture.h"
#include "tests/support/VersionRecord.h"

#include <gtest/gtest.h>

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tidorax {
namespace {

using test::below;
using test::ChildHoldingFile;
using test::exists;
using test::makeDirs;
using test::sorted;
using test::Tree;
using test::treeEntries;
using test::versionRecord;
using test::writeFile;

class FolderCleaningTest : public test::PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        makeDirs(temp);
        makeDirs(cache);
    }

    // Checks the one message box the operations show.
    void expectInfoBox(const std::string& prompt, const std::string& what) {
        ASSERT_EQ(fake().shownBoxes.size(), 1u) << what;
        EXPECT_EQ(fake().shownBoxes[0].prompt, prompt) << what;
        EXPECT_EQ(fake().shownBoxes[0].buttons, 64) << what;
        EXPECT_EQ(fake().shownBoxes[0].title, "Quillon Info.....") << what;
    }

    std::string temp = tmp / "tmp";
    std::string cache = tmp / "cache";
};

TEST_F(FolderCleaningTest, TempFolderComesFromTheFirstVariableThatIsSet) {
    const struct {
        std::optional<std::string> values[3]; // Temp, TEMP, TMPDIR
        std::string expected;
    } cases[] = {
        {{"/a", "/b", "/c"}, "/a"},
        {{std::nullopt, "/b", "/c"}, "/b"},
        {{std::nullopt, std::nullopt, "/c"}, "/c"},
        {{std::nullopt, std::nullopt, std::nullopt}, "/tmp"},
        {{"", "/b", "/c"}, ""},
    };
    for (const auto& c : cases) {
        const char* names[] = {"Temp", "TEMP", "TMPDIR"};
        for (int i = 0; i < 3; ++i) {
            fake().env.erase(names[i]);
            if (c.values[i]) {
                fake().env[names[i]] = *c.values[i];
            }
        }
        EXPECT_EQ(TempFolderPath(), c.expected);
    }
}

// The Temp folder stays and loses every file, hidden, read-only or in a read-only or
// dot-folder, and every emptied folder. A file held open or only mapped by another
// process, a socket and a FIFO stay with their folder and are counted after; the
// folders after it still go.
TEST_F(FolderCleaningTest, TempCleaningEmptiesTheFolderButKeepsItAndWhatIsInUse) {
    const FileList listed = {"a.txt",          ".dotfile",       "readonly.txt",    "ro-folder/d.txt",
                             "first/free.txt", "second/one.txt", "third/deep/3.txt"};
    const std::string held = temp + "/first/held";
    const struct {
        std::string kind, entry;
    } cases[] = {{"none", ""}, {"open", "f:held"}, {"mapped", "f:held"}, {"socket", "s"}, {"fifo", "p"}};
    for (const auto& [kind, entry] : cases) {
        for (const std::string& name : listed) {
            writeFile(temp + "/" + name);
        }
        writeFile(temp + "/sub/.hiddenfolder/c.txt"); // removed, though no walk lists it
        ::chmod((temp + "/readonly.txt").c_str(), 0444);
        ::chmod((temp + "/ro-folder").c_str(), 0555);
        makeDirs(temp + "/empty");
        std::optional<ChildHoldingFile> holder;
        if (kind == "socket") {
            ASSERT_TRUE(test::makeSocketFile(held));
        } else if (kind == "fifo") {
            ASSERT_EQ(::mkfifo(held.c_str(), 0600), 0);
        } else if (kind != "none") {
            writeFile(held, "held");
            holder.emplace(held, kind == "open" ? ChildHoldingFile::Hold::Open
                                                : ChildHoldingFile::Hold::MappedOnly);
            ASSERT_TRUE(holder->holding()) << kind;
        }
        const FileList left = kind == "none" ? FileList{} : FileList{held};
        Form1Lists() = MainWindowLists{};

        CleanTempFiles("Form2");

        FileList before = below(temp, listed);
        before.insert(before.end(), left.begin(), left.end());
        EXPECT_EQ(sorted(Form1Lists().List7), sorted(before)) << kind;
        EXPECT_EQ(Form1Lists().List6, left) << kind;
        EXPECT_EQ(treeEntries(temp), kind == "none" ? Tree{} : (Tree{{"first", "d"}, {"first/held", entry}}))
            << kind;
        EXPECT_EQ(Form2Lists().List2, left) << kind;
        const std::string n = std::to_string(left.size());
        EXPECT_EQ(Form2Lists().Label5, "Temp Folder Contains " + n + " Files") << kind;
        EXPECT_EQ(Form2Lists().Label6, "The " + n + " Files Remaining Are In Use") << kind;
        ::unlink(held.c_str());
    }
    Form2Lists().Label5 = "untouched";
    CleanTempFiles("Form1");
    EXPECT_EQ(Form2Lists().Label5, "untouched") << "only \"Form2\" refreshes the options window";
    EXPECT_TRUE(exists(temp));
}

// A folder name that is empty, the root or relative is neither listed nor cleaned by any
// operation; a user folder after it still is (an empty entry ends that list).
TEST_F(FolderCleaningTest, EveryOperationSkipsAnEmptyRootOrRelativeFolder) {
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(temp.c_str()), 0); // relative names would be taken from here
    Settings.SaveSetting("SavedCookies", "Cookie0", temp + "/user@b[1].txt");
    for (const std::string name : {"", "/", " ", "relative"}) {
        writeFile(temp + "/relative/user@a[1].txt");
        writeFile(tmp / "u0/file.txt");
        fake().env["Temp"] = name;
        ASSERT_TRUE(test::setCookiesFolder(name));
        Settings.SaveSetting("UserFolder", "File0", name);
        Settings.SaveSetting("UserFolder", "File1", tmp / "u0");
        Form1Lists() = MainWindowLists{};

        CleanTempFiles("Form2");
        CleanCookieFiles("Form2");
        CleanUserFolders("Form2");

        const std::string what = "'" + name + "'";
        EXPECT_EQ(Form1Lists().List7, name.empty() ? FileList{} : FileList{tmp / "u0/file.txt"}) << what;
        EXPECT_EQ(exists(tmp / "u0/file.txt"), name.empty()) << what;
        EXPECT_EQ(Form1Lists().List6, FileList{}) << what;
        EXPECT_TRUE(Form1Lists().List2.empty()) << what;
        EXPECT_TRUE(exists(temp + "/relative/user@a[1].txt")) << what;
        EXPECT_EQ(Form2Lists().Label5, "Temp Folder Contains 0 Files") << what;
        EXPECT_TRUE(Form2Lists().List3.empty()) << what;
        EXPECT_EQ(Form2Lists().Label12, "Cookie Folder Contains 0 Cookies") << what;
        EXPECT_EQ(Form2Lists().Label14, "You Have 1 Cookies Saved") << what;
    }
    ASSERT_EQ(::chdir(previous), 0);
}

TEST_F(FolderCleaningTest, InternetFilesOnLinuxLoseEveryFileButKeepTheirFolders) {
    for (const char* name : {"a.bin", "site/b.bin", ".hidden/d.bin"}) {
        writeFile(cache + "/" + name);
    }
    writeFile(cache + "/site/deep/c.bin", "held");
    ChildHoldingFile holder(cache + "/site/deep/c.bin", ChildHoldingFile::Hold::Open);
    ASSERT_TRUE(holder.holding());

    CleanInternetFiles("Form2");

    EXPECT_EQ(sorted(Form1Lists().List7), below(cache, {"a.bin", "site/b.bin", "site/deep/c.bin"}));
    EXPECT_EQ(Form1Lists().List6, FileList{cache + "/site/deep/c.bin"});
    EXPECT_EQ(treeEntries(cache),
              (Tree{{".hidden", "d"}, {"site", "d"}, {"site/deep", "d"}, {"site/deep/c.bin", "f:held"}}));
    EXPECT_EQ(Form2Lists().List1, FileList{cache + "/site/deep/c.bin"});
    EXPECT_EQ(Form2Lists().Label1, "Temporary Internet Folder Contains 1 Files");
    EXPECT_TRUE(fake().startedProcesses.empty());
    EXPECT_TRUE(fake().shownBoxes.empty());
}

// On Windows the command interpreter deletes; the stand-in command here removes one of
// the two files, and the after list shows what it left.
TEST_F(FolderCleaningTest, WindowsVersionsChooseTheirCommandLineAndAFailedStartIsReported) {
    const std::string deltree = "C:\\WINDOWS\\COMMAND.COM /c Deltree /Y \"" + cache + "/\"";
    const std::string del = "C:\\WINDOWS\\COMMAND.COM /c DEL /q /s /f /a :R \"" + cache + "/*.*\"";
    const OsVersionInfo xp = versionRecord(5, 1, VER_PLATFORM_WIN32_NT);
    const struct {
        const char* name;
        OsVersionInfo version;
        std::optional<std::string> command;
        std::optional<std::string> comspec = "C:\\WINDOWS\\COMMAND.COM";
        bool failStart = false;
    } cases[] = {
        {"98", versionRecord(4, 10, VER_PLATFORM_WIN32_WINDOWS), deltree},
        {"ME", versionRecord(4, 90, VER_PLATFORM_WIN32_WINDOWS), deltree},
        {"2000", versionRecord(5, 0, VER_PLATFORM_WIN32_NT), del},
        {"XP", xp, del},
        {"2003", versionRecord(5, 2, VER_PLATFORM_WIN32_NT), del},
        {"95", versionRecord(4, 0, VER_PLATFORM_WIN32_WINDOWS), std::nullopt},
        {"NT 4", versionRecord(4, 0, VER_PLATFORM_WIN32_NT), std::nullopt},
        {"Vista", versionRecord(6, 0, VER_PLATFORM_WIN32_NT), std::nullopt},
        {"no comspec", xp, std::nullopt, std::nullopt},
        {"empty comspec", xp, std::nullopt, ""},
        {"start fails", xp, std::nullopt, "C:\\WINDOWS\\COMMAND.COM", true},
    };
    for (const auto& c : cases) {
        fake().reset(tmp.path());
        if (c.comspec) { // under each of the names Windows knows it by, in turn
            const char* variables[] = {"comspec", "COMSPEC", "ComSpec"};
            fake().env[variables[(&c - cases) % 3]] = *c.comspec;
        }
        fake().failProcessStart = c.failStart;
        fake().version = c.version;
        fake().onProcessStart = [&](const std::string&) { ::unlink((cache + "/one.html").c_str()); };
        Form1Lists() = MainWindowLists{};
        writeFile(cache + "/one.html");
        writeFile(cache + "/two.html");

        CleanInternetFiles("Form2");

        if (c.comspec && !c.comspec->empty() && !c.failStart) {
            EXPECT_EQ(InternetFilesCommandLine(c.version, *c.comspec, cache + "/"), c.command) << c.name;
        }
        EXPECT_EQ(sorted(Form1Lists().List7), below(cache, {"one.html", "two.html"})) << c.name;
        if (c.command) {
            EXPECT_EQ(fake().startedProcesses, std::vector<std::string>{*c.command}) << c.name;
            EXPECT_EQ(fake().waitedProcesses, std::vector<std::uint32_t>{4200}) << c.name;
            EXPECT_TRUE(fake().shownBoxes.empty()) << c.name;
            EXPECT_EQ(Form1Lists().List6, FileList{cache + "/two.html"}) << c.name;
            EXPECT_EQ(Form2Lists().Label1, "Temporary Internet Folder Contains 1 Files") << c.name;
        } else {
            EXPECT_TRUE(fake().waitedProcesses.empty()) << c.name;
            expectInfoBox("Error Running Command, Files Not Cleaned", c.name);
            // The program itself deletes nothing on Windows: every file is listed after.
            EXPECT_EQ(Form1Lists().List6, Form1Lists().List7) << c.name;
        }
    }
}

TEST_F(FolderCleaningTest, UserFoldersAreCleanedUpToTheFirstGapAndKeepTheirRoots) {
    const std::string folders[] = {tmp / "u0", tmp / "u1", tmp / "u2", tmp / "u3"};
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
    EXPECT_TRUE(fake().shownBoxes.empty());
}

TEST_F(FolderCleaningTest, AnEmptyUserFolderListSpeaksOnlyToTheOptionsWindow) {
    for (const char* window : {"Form1", "form2", "Form2"}) {
        CleanUserFolders(window);
    }
    expectInfoBox("You Do Not Have Any Folders Selected!", "only \"Form2\" is told");
}

} // namespace
} // namespace tidorax
