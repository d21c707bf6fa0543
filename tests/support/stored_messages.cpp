#include "stored_messages.h"

#include <sys/mount.h>

#include <cstdlib>
#include <stdexcept>

#include "store/message_file.h"

namespace velmora::testing {

mime::TmsMessage buildMessage(const MessageSample& sample) {
    mime::TmsMessage message;
    message.Sender().SetName(sample.senderName);
    message.Sender().SetAddress(sample.senderAddress);
    for (const auto& [name, address] : sample.to)
        message.Recipients().Add(mime::TmsMailAddress(address, name));
    message.SetSubject(sample.subject);
    if (!sample.date.empty()) message.Headers().Add("Date: " + sample.date);
    message.SetBody(sample.body);
    message.SetCharSet(sample.charSet);
    for (const auto& [name, content] : sample.attachments) {
        auto attachment = std::make_unique<mime::TmsAttItem>();
        attachment->SetFileName(name);
        attachment->Data().Write(content);
        message.Attachments().Add(std::move(attachment));
    }
    return message;
}

store::TObjListViewVLF itemFor(const MessageSample& sample) {
    store::TObjListViewVLF item;
    item.fileName = sample.fileName;
    item.senderName = sample.senderName;
    item.senderAddress = sample.senderAddress;
    item.mailDate = sample.date;
    item.subject = sample.subject;
    item.status = sample.status;
    item.priority = "N (Normal)";
    return item;
}

store::TObjListViewVLF storeMessage(const std::filesystem::path& directory,
                                    const MessageSample& sample) {
    std::filesystem::create_directories(directory);
    mime::TmsMessage message = buildMessage(sample);
    store::TObjListViewVLF item = itemFor(sample);
    if (auto failure = store::saveAttachmentFiles(message, directory, item))
        throw std::runtime_error("saving attachments: " + *failure);
    if (!item.attachList.empty()) item.status[8] = 'A';
    store::setServerCopy(message.Headers(), sample.serverCopy);
    if (auto failure =
            store::writeMessageFile(message, item, directory, store::PrioritySpelling::NewMessage))
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
