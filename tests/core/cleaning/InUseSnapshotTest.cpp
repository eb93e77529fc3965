#include "core/cleaning/InUseSnapshot.h"

#include <gtest/gtest.h>

#include <sys/sysmacros.h>

namespace tidorax {
namespace {

// Take() on live processes is exercised by the cleaning tests, with files held open or
// only mapped.
TEST(InUseSnapshotTest, ReadsMappedFilesFromAMapsTextAndLockedFilesFromALocksText) {
    InUseSnapshot snapshot;
    snapshot.AddMappedFiles("55d0c0a00000-55d0c0a02000 r--p 00000000 fd:01 1835040    /usr/bin/cat\n"
                            "7f1e2c000000-7f1e2c021000 rw-p 00000000 00:00 0 \n"
                            "7f1e2d800000-7f1e2d828000 r--p 00000000 00:2b 77         /tmp/x (deleted)\n"
                            "garbage line\n"
                            "7f1e2d800000-7f1e2d828000 r--p 00000000 zz:01 99 /bad/device");
    EXPECT_EQ(snapshot.Size(), 2u);
    EXPECT_TRUE(snapshot.Contains(makedev(0xfd, 0x01), 1835040));
    EXPECT_TRUE(snapshot.Contains(makedev(0x00, 0x2b), 77));
    snapshot.AddLockedFiles("1: POSIX  ADVISORY  WRITE 1234 08:01:5678 0 EOF\n"
                            "2: -> FLOCK  ADVISORY  WRITE 100 fd:1a:1048578 0 EOF\n"
                            "4: LEASE  ACTIVE    READ  321 00:2b:not-a-number 0 EOF\n");
    EXPECT_EQ(snapshot.Size(), 4u);
    EXPECT_TRUE(snapshot.Contains(makedev(0x08, 0x01), 5678));
    EXPECT_TRUE(snapshot.Contains(makedev(0xfd, 0x1a), 1048578));
}

} // namespace
} // namespace tidorax
