#include "core/plans/CleaningOperations.h"

#include "core/cleaning/InternetCommand.h"
#include "core/settings/SettingsStore.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/PlatformFixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tidorax::test {
namespace {

class FolderCleaningTest : public PlatformFixture {
protected:
    std::string temp = tmp / "tmp";
};

// The Temp folder stays and loses every file, hidden, read-only or in a read-only or
// dot-folder, and every emptied folder. A file held open or only mapped, a socket and
// a FIFO stay with their folder and are reported after, in use; counted only (the
// tray, "A"), the numbers are the same and no paths are held.
TEST_F(FolderCleaningTest, TempCleaningEmptiesTheFolderButKeepsItAndWhatIsInUse) {
    const FileList held = below(temp, {"fifo/held", "mapped/held", "open/held", "socket/held"});
    for (const Listing listing : {Listing::Keep, Listing::CountOnly}) {
        writeFiles(temp, {".dotfile", "readonly.txt", "ro-folder/d.txt", "open/free.txt", "third/deep/3.txt",
                          "sub/.hiddenfolder/c.txt", "open/held", "mapped/held"});
        makeDirs(temp + "/fifo");
        makeDirs(temp + "/socket");
        ::chmod((temp + "/readonly.txt").c_str(), 0444);
        ::chmod((temp + "/ro-folder").c_str(), 0555);
        ASSERT_EQ(::mknod(held[0].c_str(), S_IFIFO | 0600, 0), 0);
        ASSERT_EQ(::mknod(held[3].c_str(), S_IFSOCK | 0600, 0), 0);
        const HeldFile mapped(held[1], HeldFile::Hold::MappedOnly), opened(held[2], HeldFile::Hold::Open);

        const CleaningReport report = engineOperations().Clean(TargetKind::Temp, listing);

        EXPECT_EQ(report.folders.at(0).folder, temp + "/");
        // The hidden folder's file is removed, though no walk lists it.
        EXPECT_EQ(std::pair(report.filesBefore(), report.filesAfter()),
                  (std::pair<std::size_t, std::size_t>(9, 4)));
        EXPECT_EQ(sorted(report.folders[0].after), listing == Listing::Keep ? held : FileList{});
        EXPECT_EQ(report.folders[0].before.empty(), listing == Listing::CountOnly);
        FileList failed;
        for (const DeletionFailure& failure : report.folders[0].failures) {
            failed.push_back(failure.path +
                             (failure.error == EBUSY ? "" : " " + std::to_string(failure.error)));
        }
        EXPECT_EQ(sorted(failed), held);
        EXPECT_EQ(sorted(ListFilesBelow(temp)), held);
        EXPECT_EQ(treeEntries(temp).size(), 8u); // the held files and their folders
        for (const std::string& path : held) {
            ::unlink(path.c_str());
        }
    }
    engineOperations().Clean(TargetKind::Temp);
    EXPECT_TRUE(exists(temp));
    EXPECT_EQ(treeEntries(temp), Tree{});
}

// Whichever setting names it, a folder that is empty, relative, the root, or is or holds
// the home folder or a personal folder is refused (but for the empty name, which is
// none) and nothing in it is touched; a name is taken exactly as written, blanks
// included, never from the working folder. The next user folder is emptied but stays,
// unless an empty name ended the list.
TEST_F(FolderCleaningTest, EveryOperationRefusesWhatTheGuardRefuses) {
    const std::string home = tmp / "home", blank = tmp / "tmp ", cache = tmp / "cache";
    struct Case {
        std::string temp, cache, cookies, userFolder;
        FileList refused; // the folders named in the refusals, in order
    };
    const Case cases[] = {
        {"", "", "", "", {}},
        {"/", "/", "/", "/", {"/", "/", "/", "/"}},
        {" ", " ", " ", " ", {" ", " "}},
        {"relative", "relative", "relative", "relative", {"relative", "relative"}},
        {temp, cache, "~", tmp / "u1", {home}},
        {temp, cache, "", home + "/Documents/", {home + "/Documents/"}},
        {blank, cache, "", tmp / "u1", {}},
    };
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    makeDirs(temp);
    ASSERT_EQ(::chdir(temp.c_str()), 0); // relative names would be taken from here
    for (const Case& c : cases) {
        writeFiles(tmp.path(), {"home/.bashrc", "home/Documents/letter.txt", "tmp/relative/user@a[1].txt",
                                "tmp /b.txt", "u1/sub/u.txt"});
        fake().env["Temp"] = c.temp;
        ASSERT_TRUE(setShellFolder("Cache", c.cache));
        ASSERT_TRUE(setCookiesFolder(c.cookies));
        Settings.SaveSetting("UserFolder", "File0", c.userFolder);
        Settings.SaveSetting("UserFolder", "File1", tmp / "u1/");

        CleaningReport report;
        for (const TargetKind kind :
             {TargetKind::Temp, TargetKind::Cookies, TargetKind::WebCache, TargetKind::UserFolder}) {
            report.append(engineOperations().Clean(kind));
        }

        FileList refused; // the folders between 'The folder "' and '" was not cleaned: '
        for (const std::string& refusal : report.refusals()) {
            refused.push_back(refusal.rfind("The folder \"", 0) == 0
                                  ? refusal.substr(12, refusal.find("\" was not") - 12)
                                  : refusal);
        }
        const std::string what = "'" + c.temp + "' '" + c.cookies + "' '" + c.userFolder + "'";
        EXPECT_EQ(refused, c.refused) << what;
        EXPECT_EQ(report.filesAfter(), 0u) << what;
        EXPECT_TRUE(exists(home + "/.bashrc") && exists(home + "/Documents/letter.txt")) << what;
        EXPECT_EQ(exists(temp + "/relative/user@a[1].txt"), c.temp != temp) << what;
        EXPECT_EQ(exists(tmp / "u1/sub"), c.userFolder.empty()) << what;
        EXPECT_TRUE(exists(tmp / "u1")) << what;
        EXPECT_EQ(exists(blank + "/b.txt"), c.temp != blank) << what;
    }
    ASSERT_EQ(::chdir(previous), 0);
}

// On Windows the command interpreter empties the web cache: "Deltree /Y" on the 98/ME
// group, "DEL /q /s /f /a :R" on the NT 5 group; no other version has a command.
TEST(InternetCommandTest, TheCommandLineDependsOnTheWindowsGroup) {
    const std::tuple<OsVersionInfo, std::optional<std::string>> cases[] = {
        {OsVersionInfo{.dwMajorVersion = 5, .dwMinorVersion = 1, .dwPlatformId = VER_PLATFORM_WIN32_NT},
         "C:\\CMD.EXE /c DEL /q /s /f /a :R \"/c/*.*\""},
        {OsVersionInfo{.dwMajorVersion = 4, .dwMinorVersion = 10, .dwPlatformId = VER_PLATFORM_WIN32_WINDOWS},
         "C:\\CMD.EXE /c Deltree /Y \"/c/\""},
        {OsVersionInfo{.dwMajorVersion = 6, .dwPlatformId = VER_PLATFORM_WIN32_NT}, std::nullopt},
    };
    for (const auto& [version, expected] : cases) {
        EXPECT_EQ(InternetFilesCommandLine(version, "C:\\CMD.EXE", "/c/"), expected)
            << version.dwMajorVersion;
    }
}

} // namespace
} // namespace tidorax::test
