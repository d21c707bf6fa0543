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
    ASSERT_FALSE(createFileAtomically(dir / "a.vlf", "first", later));
    ASSERT_FALSE(createFileAtomically(dir / "b.vlf", "second!", later));
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
    ASSERT_FALSE(createFileAtomically(dir / "gone.vlf", "x", later));
    std::filesystem::remove(dir / "gone.vlf");
    EXPECT_FALSE(later.syncAll());

    later.addDirectory(dir / "no such folder");
    ASSERT_FALSE(createFileAtomically(dir / "kept.vlf", "y", later));
    EXPECT_EQ(later.syncAll(), std::make_error_code(std::errc::no_such_file_or_directory));
    EXPECT_FALSE(later.pending());  // emptied after a failure too
}

TEST(PendingSyncs, AFailedWriteListsNothing) {
    TempDir dir;
    PendingSyncs later;
    EXPECT_TRUE(createFileAtomically(dir / "no such folder" / "a.vlf", "x", later));
    EXPECT_FALSE(later.pending());
}

// Two writers that picked the same new name (two program instances, a clock set back): the
// second is refused and the first file keeps its bytes.
TEST(PendingSyncs, ANewFileNeverReplacesOneOfItsName) {
    TempDir dir;
    PendingSyncs later;
    ASSERT_FALSE(createFileAtomically(dir / "a.vlf", "first", later));
    EXPECT_EQ(createFileAtomically(dir / "a.vlf", "second", later),
              std::make_error_code(std::errc::file_exists));
    EXPECT_EQ(readWholeFile(dir / "a.vlf"), "first");
    EXPECT_EQ(later.fileCount(), 1u);
    EXPECT_FALSE(later.syncAll());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

// More files than descriptors are kept open: the rest are flushed by name, and none is left
// open after the batch.
TEST(PendingSyncs, ABatchBeyondTheOpenFilesKeptIsFlushedWhole) {
    TempDir dir;
    const auto openDescriptors = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator());
    };
    const auto before = openDescriptors();
    {
        PendingSyncs later;
        for (std::size_t i = 0; i < PendingSyncs::kMaxOpenFiles + 5; ++i)
            ASSERT_FALSE(createFileAtomically(dir / (std::to_string(i) + ".vlf"), "x", later));
        EXPECT_EQ(openDescriptors(), before + static_cast<long>(PendingSyncs::kMaxOpenFiles));
        EXPECT_FALSE(later.syncAll());
        EXPECT_EQ(openDescriptors(), before);
        ASSERT_FALSE(createFileAtomically(dir / "last.vlf", "y", later));
    }  // a batch never flushed still closes its files
    EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace velmora
