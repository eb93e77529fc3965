#include "core/plans/CleaningOperations.h"

#include "core/cleaning/InternetCommand.h"
#include "core/settings/SettingsStore.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/PlatformFixture.h"
#include "tests/support/VersionRecord.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tidorax::test {
namespace {

class FolderCleaningTest : public PlatformFixture {
protected:
    // The prompts of the information boxes shown since the last call.
    FileList prompts() {
        FileList shown;
        for (const auto& box : fake().shownBoxes) {
            shown.push_back(box.prompt +
                            (box.buttons == 64 && box.title == "Quillon Info....." ? "" : " (?)"));
        }
        fake().shownBoxes.clear();
        return shown;
    }

    std::string temp = tmp / "tmp";
    std::string cache = tmp / "cache";
};

// The Temp folder stays and loses every file, hidden, read-only or in a read-only or
// dot-folder, and every emptied folder. A file held open or only mapped, a socket and
// a FIFO stay with their folder and are reported after.
TEST_F(FolderCleaningTest, TempCleaningEmptiesTheFolderButKeepsItAndWhatIsInUse) {
    const FileList listed = {".dotfile", "readonly.txt", "ro-folder/d.txt", "first/free.txt",
                             "third/deep/3.txt"};
    const std::string held = temp + "/first/held";
    for (const std::string kind : {"none", "open", "mapped", "socket", "fifo"}) {
        for (const std::string& name : listed) {
            writeFile(temp + "/" + name);
        }
        writeFile(temp + "/sub/.hiddenfolder/c.txt"); // removed, though no walk lists it
        ::chmod((temp + "/readonly.txt").c_str(), 0444);
        ::chmod((temp + "/ro-folder").c_str(), 0555);
        writeFile(held);
        std::optional<HeldFile> holder;
        if (kind == "socket" || kind == "fifo") {
            ::unlink(held.c_str());
            ASSERT_EQ(::mknod(held.c_str(), (kind == "fifo" ? S_IFIFO : S_IFSOCK) | 0600, 0), 0);
        } else if (kind != "none") {
            holder.emplace(held, kind == "open" ? HeldFile::Hold::Open : HeldFile::Hold::MappedOnly);
            ASSERT_TRUE(holder->holding()) << kind;
        }
        const FileList left = kind == "none" ? FileList{} : FileList{held};

        // Counted only (the tray, "A"): the same numbers, no paths held.
        const Listing listing = kind == "open" || kind == "fifo" ? Listing::CountOnly : Listing::Keep;
        const CleaningReport report = engineOperations().Clean(TargetKind::Temp, listing);

        EXPECT_EQ(report.folders.at(0).folder, temp + "/") << kind;
        EXPECT_EQ(report.filesBefore(), listed.size() + 1) << kind;
        EXPECT_EQ(report.filesAfter(), left.size()) << kind;
        EXPECT_EQ(report.folders[0].after, listing == Listing::Keep ? left : FileList{}) << kind;
        EXPECT_EQ(report.folders[0].before.empty(), listing == Listing::CountOnly) << kind;
        // What stayed comes back with why: in use.
        const std::vector<DeletionFailure>& failures = report.folders[0].failures;
        EXPECT_EQ(failures.size(), left.size()) << kind;
        if (!failures.empty()) {
            EXPECT_EQ(failures[0].path, held) << kind;
            EXPECT_EQ(failures[0].error, EBUSY) << kind;
        }
        EXPECT_EQ(treeEntries(temp).size(), left.empty() ? 0u : 2u)
            << kind << ": the held entry and its folder";
        ::unlink(held.c_str());
    }
}

// A folder name that is empty, the root or relative is neither listed nor cleaned by any
// operation (all but the empty one are reported refused); a user folder after it is
// emptied but stays (an empty name ends the list).
TEST_F(FolderCleaningTest, EveryOperationSkipsAnEmptyRootOrRelativeFolder) {
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    makeDirs(temp);
    ASSERT_EQ(::chdir(temp.c_str()), 0); // relative names would be taken from here
    for (const std::string name : {"", "/", " ", "relative"}) {
        writeFile(temp + "/relative/user@a[1].txt");
        writeFile(tmp / "u1/sub/inner.txt");
        fake().env["Temp"] = name;
        fake().env["XDG_CACHE_HOME"] = name;
        ASSERT_TRUE(setShellFolder("Cache", name));
        ASSERT_TRUE(setCookiesFolder(name));
        Settings.SaveSetting("UserFolder", "File0", name);
        Settings.SaveSetting("UserFolder", "File1", tmp / "u1/");

        CleaningReport report = engineOperations().Clean(TargetKind::Temp);
        report.append(engineOperations().Clean(TargetKind::Cookies));
        report.append(engineOperations().Clean(TargetKind::WebCache));
        report.append(engineOperations().Clean(TargetKind::UserFolder));

        const std::string what = "'" + name + "'";
        const FileList cleaned = name.empty() ? FileList{} : FileList{tmp / "u1/sub/inner.txt"};
        // Temp and the user folder always; the cache and Cookies only as "/" (their
        // settings fall back or name nothing when not absolute).
        EXPECT_EQ(report.refusals().size(), name.empty() ? 0u : name == "/" ? 4u : 2u) << what;
        EXPECT_EQ(report.folders.size(), report.refusals().size() + cleaned.size()) << what;
        EXPECT_EQ(report.folders.empty() ? FileList{} : report.folders.back().before, cleaned) << what;
        EXPECT_EQ(report.filesAfter(), 0u) << what;
        EXPECT_EQ(exists(tmp / "u1/sub"), name.empty()) << what;
        EXPECT_TRUE(exists(tmp / "u1")) << what;
        EXPECT_TRUE(exists(temp + "/relative/user@a[1].txt")) << what;
    }
    ASSERT_EQ(::chdir(previous), 0);
}

// Whichever setting names it, a folder that is or holds the home folder, a personal or
// a system folder is refused and nothing in it is touched; a name is taken exactly as
// written, blanks included; the other folders are cleaned.
TEST_F(FolderCleaningTest, FoldersThatWouldEmptyTheHomeOrTheSystemAreRefused) {
    const std::string home = tmp / "home";
    const std::string blank = tmp / "tmp ";
    struct Case {
        std::string what, temp, cookies, userFolder;
        std::string refused; // the folder named in the refusal, "" when none
    };
    const Case cases[] = {
        {"Temp is the home folder", home, "", tmp / "u1", home},
        {"Cookies is ~", temp, "~", tmp / "u1", home},
        {"a user folder holds the home folder", temp, "", tmp.path(), tmp.path()},
        {"a user folder is the documents folder", temp, "", home + "/Documents/", home + "/Documents/"},
        {"Temp with a trailing blank", blank, "", tmp / "u1", ""},
    };
    for (const Case& c : cases) {
        for (const std::string& file : {home + "/.bashrc", home + "/Documents/letter.txt", temp + "/t.txt",
                                        blank + "/b.txt", tmp / "u1/u.txt"}) {
            writeFile(file);
        }
        fake().env["Temp"] = c.temp;
        ASSERT_TRUE(setCookiesFolder(c.cookies));
        Settings.SaveSetting("UserFolder", "File0", c.userFolder);
        Settings.SaveSetting("UserFolder", "File1", tmp / "u1");
        fake().env["XDG_CACHE_HOME"] = tmp / "cache";

        CleaningReport report = engineOperations().Clean(TargetKind::Temp);
        report.append(engineOperations().Clean(TargetKind::Cookies));
        report.append(engineOperations().Clean(TargetKind::UserFolder));

        const std::vector<std::string> refusals = report.refusals();
        ASSERT_EQ(refusals.size(), c.refused.empty() ? 0u : 1u) << c.what;
        if (!c.refused.empty()) {
            EXPECT_EQ(
                refusals[0].rfind("The folder \"" + c.refused + "\" was not cleaned: it is or holds ", 0), 0u)
                << c.what << ": " << refusals[0];
        }
        EXPECT_TRUE(exists(home + "/.bashrc")) << c.what;
        EXPECT_TRUE(exists(home + "/Documents/letter.txt")) << c.what;
        EXPECT_FALSE(exists(tmp / "u1/u.txt")) << c.what << ": the next user folder is cleaned";
        EXPECT_EQ(exists(blank + "/b.txt"), c.temp != blank) << c.what;
        EXPECT_EQ(exists(temp + "/t.txt"), c.temp != temp) << c.what;
    }
}

// Without Windows every file of the folder a "Cache" value names goes but the folders
// stay; files in use stay too.
TEST_F(FolderCleaningTest, InternetFilesOnLinuxLoseEveryFileButKeepTheirFolders) {
    ASSERT_TRUE(setShellFolder("Cache", cache));
    writeFile(cache + "/a.bin");
    writeFile(cache + "/site/deep/c.bin", "held");
    HeldFile holder(cache + "/site/deep/c.bin", HeldFile::Hold::Open);
    ASSERT_TRUE(holder.holding());

    const CleaningReport report = engineOperations().Clean(TargetKind::WebCache);

    EXPECT_EQ(sorted(report.folders.at(0).before), below(cache, {"a.bin", "site/deep/c.bin"}));
    EXPECT_EQ(report.folders[0].after, FileList{cache + "/site/deep/c.bin"});
    EXPECT_EQ(treeEntries(cache), (Tree{{"site", "d"}, {"site/deep", "d"}, {"site/deep/c.bin", "f:held"}}));
    EXPECT_TRUE(fake().startedProcesses.empty());
}

// On Windows the command interpreter empties the web cache: "Deltree /Y" on the 98/ME
// group, "DEL /q /s /f /a :R" on the NT 5 group; no other version has a command.
TEST(InternetCommandTest, TheCommandLineDependsOnTheWindowsGroup) {
    const std::tuple<OsVersionInfo, std::optional<std::string>> cases[] = {
        {versionRecord(5, 1, VER_PLATFORM_WIN32_NT), "C:\\CMD.EXE /c DEL /q /s /f /a :R \"/c/*.*\""},
        {versionRecord(4, 10, VER_PLATFORM_WIN32_WINDOWS), "C:\\CMD.EXE /c Deltree /Y \"/c/\""},
        {versionRecord(6, 0, VER_PLATFORM_WIN32_NT), std::nullopt},
    };
    for (const auto& [version, expected] : cases) {
        EXPECT_EQ(InternetFilesCommandLine(version, "C:\\CMD.EXE", "/c/"), expected)
            << version.dwMajorVersion;
    }
}

} // namespace
} // namespace tidorax::test
