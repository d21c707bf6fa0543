#include "platform/help.h"

#include <charconv>
#include <cstdint>

#include "base/text.h"
#include "base/text_file.h"

namespace velmora::platform {

namespace {

constexpr std::uintmax_t kMaxHelpFileBytes = 4u << 20;

// "#100 Title": the number and the title; nothing for any other line.
std::optional<HelpTopic> topicLine(std::string_view line) {
    if (line.size() < 2 || line[0] != '#') return std::nullopt;
    int number = 0;
    const auto [end, error] = std::from_chars(line.data() + 1, line.data() + line.size(), number);
    if (error != std::errc() || number < 0) return std::nullopt;
    std::string_view title(end, static_cast<std::size_t>(line.data() + line.size() - end));
    if (!title.empty() && title.front() != ' ') return std::nullopt;
    while (!title.empty() && title.front() == ' ') title.remove_prefix(1);
    return HelpTopic{number, std::string(title), {}};
}

}  // namespace

std::optional<std::vector<HelpTopic>> readHelpFile(const std::filesystem::path& file,
                                                   std::string& error) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec) {
        error = ec.message();
        return std::nullopt;
    }
    if (size > kMaxHelpFileBytes) {
        error = "The help file is larger than 4 MB.";
        return std::nullopt;
    }
    const std::optional<std::string> bytes = readWholeFile(file);
    if (!bytes) {
        error = "The help file cannot be read.";
        return std::nullopt;
    }
    std::vector<HelpTopic> topics;
    for (std::string& line : splitLines(*bytes)) {
        if (auto topic = topicLine(line)) {
            topics.push_back(std::move(*topic));
        } else if (!topics.empty()) {
            std::string& text = topics.back().text;
            const bool continues = !line.empty() && (line[0] == ' ' || line[0] == '\t') &&
                                   text.size() >= 2 && text[text.size() - 2] != '\n';
            if (continues) {
                // A folded line: the window wraps the joined line to its own width.
                text.pop_back();
                text += " " + std::string(trimmed(line)) + "\n";
            } else if (!text.empty() || !line.empty()) {
                text += line + "\n";
            }
        }
    }
    for (HelpTopic& topic : topics)
        while (!topic.text.empty() && topic.text.back() == '\n') topic.text.pop_back();
    return topics;
}

}  // namespace velmora::platform
