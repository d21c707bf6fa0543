// Messages the benchmarks decode, made in memory from fixed seeds so every run sees the same
// bytes: random attachment data, prose body lines, and the message with a 20 MB attachment.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "mime/message.h"

namespace bench {

using velmora::mime::TmsAttItem;
using velmora::mime::TmsMessage;

inline std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937_64 random(seed);
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; i += 8) {
        const std::uint64_t value = random();
        std::memcpy(bytes.data() + i, &value, std::min<std::size_t>(8, size - i));
    }
    return bytes;
}

inline std::string proseLines(std::size_t size, unsigned seed) {
    static const char* words[] = {"mail",     "the",       "message", "attached", "report",
                                  "tomorrow", "café",      "meeting", "please",   "find",
                                  "regards",  "quarterly", "numbers"};
    std::mt19937 random(seed);
    std::string text;
    std::size_t lineLength = 0;
    while (text.size() < size) {
        const char* word = words[random() % (sizeof words / sizeof *words)];
        text += word;
        lineLength += std::strlen(word) + 1;
        if (lineLength > 66) {
            text += "\r\n";
            lineLength = 0;
        } else {
            text += ' ';
        }
    }
    return text + "\r\n";
}

inline void addAttachment(TmsMessage& message, const std::string& name, const std::string& data) {
    auto item = std::make_unique<TmsAttItem>();
    item->SetFileName(name);
    item->Data().Write(data);
    message.Attachments().Add(std::move(item));
}

inline TmsMessage baseMessage(const std::string& body) {
    TmsMessage message;
    message.Sender().SetName("Jane Sender");
    message.Sender().SetAddress("jane@example.com");
    message.Recipients().AddAddress("bob@example.com", "Bob");
    message.SetSubject("Quarterly numbers");
    message.Headers().Add("Date: Tue, 3 Mar 1998 10:20:30 +0100");
    message.Headers().Add("Message-ID: <1234@example.com>");
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = body.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(body.substr(start, end - start));
    }
    message.SetBody(std::move(lines));
    return message;
}

// One message with a 20 MB base64 attachment (27 MB of text), made once.
inline const std::string& largeAttachmentMessage() {
    static const std::string text = [] {
        TmsMessage message = baseMessage(proseLines(2000, 1));
        addAttachment(message, "video.bin", randomBytes(20 * 1024 * 1024, 2));
        return message.SaveToString();
    }();
    return text;
}

}  // namespace bench
