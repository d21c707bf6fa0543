#include "stored_messages.h"

#include <sys/mount.h>

#include <cstdlib>
#include <stdexcept>

#include "store/message_file.h"

namespace velmora::testing {

mime::TmsMessage buildMessage(const MessageSpec& spec) {
    mime::TmsMessage message;
    message.Sender().SetName(spec.senderName);
    message.Sender().SetAddress(spec.senderAddress);
    for (const auto& [name, address] : spec.to) message.Recipients().Add(mime::TmsMailAddress(address, name));
    message.SetSubject(spec.subject);
    if (!spec.date.empty()) message.Headers().Add("Date: " + spec.date);
    message.SetBody(spec.body);
    for (const auto& [name, content] : spec.attachments) {
        auto attachment = std::make_unique<mime::TmsAttItem>();
        attachment->SetFileName(name);
        attachment->Data().Write(content);
        message.Attachments().Add(std::move(attachment));
    }
    return message;
}

store::TObjListViewVLF itemFor(const MessageSpec& spec) {
    store::TObjListViewVLF item;
    item.fileName = spec.fileName;
    item.senderName = spec.senderName;
    item.senderAddress = spec.senderAddress;
    item.mailDate = spec.date;
    item.subject = spec.subject;
    item.status = spec.status;
    item.priority = "N (Normal)";
    return item;
}

store::TObjListViewVLF storeMessage(const std::filesystem::path& directory, const MessageSpec& spec) {
    std::filesystem::create_directories(directory);
    mime::TmsMessage message = buildMessage(spec);
    store::TObjListViewVLF item = itemFor(spec);
    if (auto failure = store::saveAttachmentFiles(message, directory, item))
        throw std::runtime_error("saving attachments: " + *failure);
    if (!item.attachList.empty()) item.status[8] = 'A';
    if (auto failure = store::writeMessageFile(message, item, directory,
                                               store::PrioritySpelling::NewMessage))
        throw std::runtime_error("writing the message: " + *failure);
    return item;
}

SmallDisk::SmallDisk(std::size_t bytes) {
    char pattern[] = "/tmp/velmora-small-disk-XXXXXX";
    if (!::mkdtemp(pattern)) return;
    path_ = pattern;
    const std::string options = "size=" + std::to_string(bytes);
    mounted_ = ::mount("tmpfs", pattern, "tmpfs", 0, options.c_str()) == 0;
}

SmallDisk::~SmallDisk() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace velmora::testing
