// Decoding and encoding throughput of the message format, beside a plain read of the same bytes:
// one message with a 20 MB base64 attachment, a folder-sized mix of small and medium messages,
// and the base64 step alone. Bytes processed are the message text's bytes; "peak_rss_mb" is the
// process's peak resident memory after the runs.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "message_samples.h"
#include "mime/base64.h"
#include "mime/message.h"

namespace {

using bench::addAttachment;
using bench::baseMessage;
using bench::largeAttachmentMessage;
using bench::proseLines;
using bench::randomBytes;
using velmora::mime::TmsMessage;

// About 2,000 messages, most of them a few KB of text, a quarter with an attachment of tens to
// hundreds of KB, a few with an alternative HTML body or quoted-printable text.
const std::vector<std::string>& folderMix() {
    static const std::vector<std::string> messages = [] {
        std::vector<std::string> texts;
        std::mt19937 random(7);
        for (int i = 0; i < 2000; ++i) {
            const unsigned kind = random() % 20;
            TmsMessage message = baseMessage(proseLines(1000 + random() % 8000, i));
            if (kind < 5) {
                addAttachment(message, "scan.pdf", randomBytes(20'000 + random() % 250'000, i));
            } else if (kind == 5) {
                addAttachment(message, "photo.jpg", randomBytes(300'000 + random() % 700'000, i));
            } else if (kind == 6) {
                addAttachment(message, "_alt.0", proseLines(4000, i));
                message.Attachments().Items(0).SetContentType("text/html");
            } else if (kind == 7) {
                message.SetCharSet(velmora::mime::TCharSet::csISO8859);
            }
            texts.push_back(message.SaveToString());
        }
        return texts;
    }();
    return messages;
}

// About 2,000 messages as a retrieval brings them: plain text, HTML bodies in quoted-printable,
// and a text with a base64 attachment of 1 KB to 300 KB.
const std::vector<std::string>& retrievalMix() {
    static const std::vector<std::string> messages = [] {
        std::vector<std::string> texts;
        std::mt19937 random(11);
        for (int i = 0; i < 2000; ++i) {
            const unsigned kind = random() % 20;
            if (kind < 6) {
                TmsMessage message = baseMessage("<html><body><p style=\"margin:0\">\r\n" +
                                                 proseLines(3000 + random() % 30000, i));
                message.SetContentType("text/html");
                message.SetCharSet(velmora::mime::TCharSet::csUTF8);
                texts.push_back(message.SaveToString());
                continue;
            }
            TmsMessage message = baseMessage(proseLines(1000 + random() % 20000, i));
            if (kind >= 12) {
                addAttachment(message, "scan.pdf", randomBytes(1000 + random() % 300'000, i));
            }
            texts.push_back(message.SaveToString());
        }
        return texts;
    }();
    return messages;
}

std::size_t totalBytes(const std::vector<std::string>& texts) {
    std::size_t total = 0;
    for (const std::string& text : texts) total += text.size();
    return total;
}

void reportMemory(benchmark::State& state) {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A plain read: every byte touched once, the line breaks found (what any reader must do).
std::size_t plainRead(const std::string& text) {
    std::size_t lines = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (
        (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p))))) {
        ++lines;
        ++p;
    }
    std::string copy(text);
    benchmark::DoNotOptimize(copy.data());
    return lines;
}

void BM_PlainRead_LargeAttachment(benchmark::State& state) {
    const std::string& text = largeAttachmentMessage();
    for (auto _ : state) benchmark::DoNotOptimize(plainRead(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_Decode_LargeAttachment(benchmark::State& state) {
    const std::string& text = largeAttachmentMessage();
    for (auto _ : state) {
        TmsMessage message;
        message.LoadFromString(text);
        benchmark::DoNotOptimize(message.Attachments().Count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    reportMemory(state);
}

void BM_PlainRead_FolderMix(benchmark::State& state) {
    const auto& texts = folderMix();
    for (auto _ : state) {
        for (const std::string& text : texts) benchmark::DoNotOptimize(plainRead(text));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * totalBytes(texts)));
    state.counters["messages"] = static_cast<double>(texts.size());
    state.counters["mb"] = static_cast<double>(totalBytes(texts)) / 1e6;
}

void BM_Decode_FolderMix(benchmark::State& state) {
    const auto& texts = folderMix();
    for (auto _ : state) {
        for (const std::string& text : texts) {
            TmsMessage message;
            message.LoadFromString(text);
            benchmark::DoNotOptimize(message.Body().size());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * totalBytes(texts)));
    reportMemory(state);
}

void BM_Encode_LargeAttachment(benchmark::State& state) {
    TmsMessage message;
    message.LoadFromString(largeAttachmentMessage());
    std::size_t written = 0;
    for (auto _ : state) {
        const std::string text = message.SaveToString();
        written = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * written));
    reportMemory(state);
}

void BM_Encode_FolderMix(benchmark::State& state) {
    std::vector<TmsMessage> messages;
    for (const std::string& text : folderMix()) {
        messages.emplace_back();
        messages.back().LoadFromString(text);
    }
    std::size_t written = 0;
    for (auto _ : state) {
        written = 0;
        for (TmsMessage& message : messages) written += message.SaveToString().size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * written));
}

// What retrieval and storing do with each message: decode it, then write it again.
void BM_RoundTrip_RetrievalMix(benchmark::State& state) {
    const auto& texts = retrievalMix();
    for (auto _ : state) {
        for (const std::string& text : texts) {
            TmsMessage message;
            message.LoadFromString(text);
            benchmark::DoNotOptimize(message.SaveToString().size());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * totalBytes(texts)));
    state.counters["mb"] = static_cast<double>(totalBytes(texts)) / 1e6;
    reportMemory(state);
}

// The base64 step alone: 76-character lines to bytes.
void BM_Base64DecodeLines(benchmark::State& state) {
    const std::string data = randomBytes(20 * 1024 * 1024, 3);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < data.size(); i += 57)
        lines.push_back(velmora::mime::encodeBase64Line(data.substr(i, 57)));
    std::size_t encodedBytes = 0;
    for (const std::string& line : lines) encodedBytes += line.size() + 2;
    std::string out;
    out.reserve(data.size());
    for (auto _ : state) {
        out.clear();
        velmora::mime::Base64Decoder decoder;
        for (const std::string& line : lines) decoder.feedLine(line, out);
        decoder.finish(out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * encodedBytes));
}

BENCHMARK(BM_PlainRead_LargeAttachment)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode_LargeAttachment)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead_FolderMix)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode_FolderMix)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode_LargeAttachment)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode_FolderMix)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoundTrip_RetrievalMix)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Base64DecodeLines)->Unit(benchmark::kMillisecond);

}  // namespace
