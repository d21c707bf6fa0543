#include "base/pending_syncs.h"

#include <gtest/gtest.h>

#include "base/text_file.h"
#include "support/temp_dir.h"

namespace velmora {
namespace {

using testing::TempDir;

TEST(PendingSyncs, AWriteThatWaitsForTheBatchIsWholeAtOnceAndListedUntilTheBatch) {
    TempDir dir;
    PendingSyncs later;
    ASSERT_FALSE(writeFileAtomically(dir / "a.vlf", "first", later));
    ASSERT_FALSE(writeFileAtomically(dir / "b.vlf", "second!", later));
    EXPECT_EQ(readWholeFile(dir / "a.vlf"), "first");
    EXPECT_EQ(later.fileCount(), 2u);
    EXPECT_EQ(later.bytes(), 12);
    EXPECT_FALSE(later.syncAll());
    EXPECT_FALSE(later.pending());
    EXPECT_EQ(later.bytes(), 0);
    // Only the two files: no temporary is left beside them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              2);
}

TEST(PendingSyncs, AFileRemovedBeforeTheBatchIsNoErrorButAMissingDirectoryIs) {
    TempDir dir;
    PendingSyncs later;
    ASSERT_FALSE(writeFileAtomically(dir / "gone.vlf", "x", later));
    std::filesystem::remove(dir / "gone.vlf");
    EXPECT_FALSE(later.syncAll());

    later.addDirectory(dir / "no such folder");
    ASSERT_FALSE(writeFileAtomically(dir / "kept.vlf", "y", later));
    EXPECT_EQ(later.syncAll(), std::make_error_code(std::errc::no_such_file_or_directory));
    EXPECT_FALSE(later.pending());  // emptied after a failure too
}

TEST(PendingSyncs, AFailedWriteListsNothing) {
    TempDir dir;
    PendingSyncs later;
    EXPECT_TRUE(writeFileAtomically(dir / "no such folder" / "a.vlf", "x", later));
    EXPECT_FALSE(later.pending());
}

}  // namespace
}  // namespace velmora
