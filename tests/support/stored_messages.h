// Test helpers: messages built in memory and stored as message files the way the writers store
// them, and a tiny file system that fills up, for the store and reading tests.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mime/message.h"
#include "store/list_item.h"
#include "store/server_copy.h"

namespace velmora::testing {

struct MessageSample {
    std::string fileName = "2001.07.31.15.30.45.123";
    std::string subject = "Quarterly report";
    std::string senderName = "Ann Lee";
    std::string senderAddress = "ann@example.org";
    std::vector<std::pair<std::string, std::string>> to = {{"Bob", "bob@example.org"}};
    std::string date = "Tue, 31 Jul 2001 15:30:45 +0200";
    std::vector<std::string> body = {"Hello Bob,", "", "the figures are in."};
    // Attachments as (file name, content).
    std::vector<std::pair<std::string, std::string>> attachments;
    std::string status = "U O r f a N";
    // The character set the message is written in (its bytes are the caller's).
    mime::TCharSet charSet = mime::TCharSet::csUSASCII;
    // Where the message's copy left on the server is, as arrival notes it.
    std::optional<store::ServerCopy> serverCopy;
};

mime::TmsMessage buildMessage(const MessageSample& sample);

// The item an arrival would make for the sample.
store::TObjListViewVLF itemFor(const MessageSample& sample);

// Stores the message in `directory` as an arrival does: attachment files beside it, then the
// message file with its private block. Returns the item (with the attachment paths).
store::TObjListViewVLF storeMessage(const std::filesystem::path& directory,
                                    const MessageSample& sample);

// A tmpfs of `bytes` mounted on a fresh directory, unmounted on destruction. `path()` is empty
// when mounting is not allowed here (the test then skips).
class SmallDisk {
  public:
    explicit SmallDisk(std::size_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
    bool mounted_ = false;
};

#define VELMORA_SKIP_WITHOUT(disk)                                     \
    if (!(disk).mounted())                                             \
    GTEST_SKIP() << "cannot mount a small tmpfs here (needs root and " \
                    "mount permission) for the full-disk test"

}  // namespace velmora::testing
