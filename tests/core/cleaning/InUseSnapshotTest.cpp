#include "core/cleaning/InUseSnapshot.h"

#include "core/cleaning/MountTable.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <tuple>
#include <vector>

namespace tidorax {
namespace {

using test::HeldFile;

// The kernel gives a process's maps text a page or so at a time: a file mapped far down
// a long text is in use as well as one near its start.
TEST(InUseSnapshotTest, AFileMappedFarDownALongMapsTextIsInUse) {
    test::TempDir dir;
    test::writeFile(dir / "held");
    const HeldFile held(dir / "held", HeldFile::Hold::MappedOnly);
    // Mapped after it, so listed before it where mappings grow downwards: long names.
    std::string deep = dir.path();
    while (deep.size() < 3000) {
        deep += "/" + std::string(200, 'd');
    }
    std::vector<std::unique_ptr<HeldFile>> fillers;
    for (const char* name : {"/a", "/b", "/c", "/d"}) {
        test::writeFile(deep + name);
        fillers.push_back(std::make_unique<HeldFile>(deep + name, HeldFile::Hold::MappedOnly));
    }
    const std::string text = test::readFile("/proc/self/maps");
    if (const auto at = text.find(dir / "held"); at == std::string::npos || at < 8192) {
        GTEST_SKIP() << "mappings do not grow downwards here";
    }
    struct stat st {};
    ASSERT_EQ(::stat((dir / "held").c_str(), &st), 0);
    EXPECT_TRUE(InUseSnapshot::Take().Contains(st.st_dev, st.st_ino));
}

// The maps, locks, fdinfo and mountinfo texts are read without looking at the files.
// Take() on live processes is exercised by the cleaning tests, with files held open or
// only mapped.
TEST(InUseSnapshotTest, ReadsTheProcTexts) {
    InUseSnapshot snapshot;
    snapshot.AddMappedFiles("55d0c0a00000-55d0c0a02000 r--p 00000000 fd:01 1835040    /usr/bin/cat\n"
                            "7f1e2c000000-7f1e2c021000 rw-p 00000000 00:00 0 \n"
                            "7f1e2d800000-7f1e2d828000 r--p 00000000 00:2b 77         /tmp/x (deleted)\n"
                            "garbage line\n"
                            "7f1e2d800000-7f1e2d828000 r--p 00000000 zz:01 99 /bad/device");
    snapshot.AddLockedFiles("1: POSIX  ADVISORY  WRITE 1234 08:01:5678 0 EOF\n"
                            "2: -> FLOCK  ADVISORY  WRITE 100 fd:1a:1048578 0 EOF\n"
                            "4: LEASE  ACTIVE    READ  321 00:2b:not-a-number 0 EOF\n");
    EXPECT_EQ(snapshot.Size(), 4u);
    for (const auto& [device, inode] : {std::pair(makedev(0xfd, 0x01), 1835040),
                                        {makedev(0x00, 0x2b), 77},
                                        {makedev(0x08, 0x01), 5678},
                                        {makedev(0xfd, 0x1a), 1048578}}) {
        EXPECT_TRUE(snapshot.Contains(device, inode)) << inode;
    }

    const std::vector<std::tuple<const char*, bool, std::uint64_t, std::uint64_t>> fdinfo = {
        {"pos:\t0\nflags:\t0100000\nmnt_id:\t23\nino:\t3\n", true, 23, 3},
        {"mnt_id:\t7\nino:\t18446744073709551615", true, 7, 18446744073709551615ull},
        {"pos:\t0\nmnt_id:\t23\n", false, 0, 0},
        {"mnt_id:\tx\nino:\t3\n", false, 0, 0},
    };
    for (const auto& [text, parsed, mountId, inode] : fdinfo) {
        std::uint64_t readMount = 0, readInode = 0;
        const bool read = InUseSnapshot::ParseFdInfo(text, readMount, readInode);
        EXPECT_EQ(std::tuple(read, read ? readMount : 0, read ? readInode : 0),
                  std::tuple(parsed, mountId, inode))
            << text;
    }
    const MountTable mounts =
        MountTable::Parse("21 26 0:20 / /proc rw - proc proc rw\n"
                          "40 26 259:3 / /home/u/my\\040stuff rw shared:7 - ext4 /dev/x rw\n"
                          "bad line\n"
                          "41 26 0:55 / /mnt/fuse rw - fuse.sshfs host: rw");
    EXPECT_EQ(std::pair(mounts.DeviceOf(40), mounts.DeviceOf(99)),
              std::pair(std::optional(makedev(259, 3)), std::optional<dev_t>()));
    for (const auto& [path, point] : std::vector<std::pair<std::string, bool>>{
             {"/home/u/my stuff", true}, {"/mnt/fuse", true}, {"/mnt", false}, {"/mnt/fuse/x", false}}) {
        EXPECT_EQ(mounts.IsMountPoint(path), point) << path;
    }
    std::string listed;
    for (const MountTable::Mount& mount : mounts.Mounts()) {
        listed += mount.point + ":" + mount.type + "|";
    }
    EXPECT_EQ(listed, "/proc:proc|/home/u/my stuff:ext4|/mnt/fuse:fuse.sshfs|");
}

} // namespace
} // namespace tidorax
