// velmora-cli decode FILE [--save-attachments DIR]: loads a message file with the decoder and
// prints it as one JSON object (see json.h for how bytes become JSON text).
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/command.h"
#include "cli/json.h"
#include "mime/message.h"

namespace velmora::cli {

namespace {

// SHA-256 of attachment data, fed in blocks.
class Sha256 {
public:
    void update(std::string_view bytes) {
        for (const char c : bytes) {
            block_[used_++] = static_cast<std::uint8_t>(c);
            if (used_ == 64) {
                compress();
                used_ = 0;
            }
        }
        length_ += bytes.size();
    }

    std::string hex() {
        const std::uint64_t bits = length_ * 8;
        const std::uint8_t one = 0x80;
        update(std::string_view(reinterpret_cast<const char*>(&one), 1));
        const char zero = 0;
        while (used_ != 56) update(std::string_view(&zero, 1));
        for (int i = 7; i >= 0; --i) {
            const char byte = static_cast<char>(bits >> (i * 8));
            update(std::string_view(&byte, 1));
        }
        std::string out;
        constexpr char kHex[] = "0123456789abcdef";
        for (const std::uint32_t word : state_) {
            for (int i = 28; i >= 0; i -= 4) out += kHex[(word >> i) & 15];
        }
        return out;
    }

private:
    static std::uint32_t rotate(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

    void compress() {
        static constexpr std::array<std::uint32_t, 64> k = {
            0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
            0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
            0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
            0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
            0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
            0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
            0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
            0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
        std::array<std::uint32_t, 64> w{};
        for (int i = 0; i < 16; ++i) {
            w[i] = (std::uint32_t{block_[i * 4]} << 24) | (std::uint32_t{block_[i * 4 + 1]} << 16) |
                   (std::uint32_t{block_[i * 4 + 2]} << 8) | block_[i * 4 + 3];
        }
        for (int i = 16; i < 64; ++i) {
            const std::uint32_t s0 = rotate(w[i - 15], 7) ^ rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const std::uint32_t s1 = rotate(w[i - 2], 17) ^ rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        auto [a, b, c, d, e, f, g, h] = state_;
        for (int i = 0; i < 64; ++i) {
            const std::uint32_t t1 = h + (rotate(e, 6) ^ rotate(e, 11) ^ rotate(e, 25)) + ((e & f) ^ (~e & g)) + k[i] + w[i];
            const std::uint32_t t2 = (rotate(a, 2) ^ rotate(a, 13) ^ rotate(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        const std::array<std::uint32_t, 8> add{a, b, c, d, e, f, g, h};
        for (int i = 0; i < 8; ++i) state_[i] += add[i];
    }

    std::array<std::uint32_t, 8> state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                        0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::array<std::uint8_t, 64> block_{};
    std::size_t used_ = 0;
    std::uint64_t length_ = 0;
};

std::string addressJson(const mime::TmsMailAddress& address) {
    return "{\"name\":" + jsonString(address.Name()) + ",\"address\":" + jsonString(address.Address()) + "}";
}

std::string addressListJson(const mime::TmsAddressList& list) {
    std::string out = "[";
    for (int i = 0; i < list.Count(); ++i) {
        if (i > 0) out += ",";
        out += addressJson(list[i]);
    }
    return out + "]";
}

const char* charsetName(mime::TCharSet charSet) {
    switch (charSet) {
        case mime::TCharSet::csISO8859: return "iso-8859-1";
        case mime::TCharSet::csISO2022jp: return "iso-2022-jp";
        default: return "us-ascii";
    }
}

const char* priorityName(mime::TPriority priority) {
    switch (priority) {
        case mime::TPriority::ptLow: return "low";
        case mime::TPriority::ptHigh: return "high";
        default: return "normal";
    }
}

std::string joinBody(const std::vector<std::string>& lines) {
    std::string body;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) body += "\r\n";
        body += lines[i];
    }
    return body;
}

}  // namespace

int runDecodeCommand(Context& context, const std::vector<std::string>& args) {
    std::filesystem::path file;
    std::filesystem::path saveFolder;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--save-attachments") {
            if (++i >= args.size()) return usageError(context, "--save-attachments needs a folder");
            saveFolder = args[i];
        } else if (file.empty()) {
            file = args[i];
        } else {
            return usageError(context, "decode takes one message file");
        }
    }
    if (file.empty()) return usageError(context, "decode FILE [--save-attachments DIR]");

    mime::TmsMessage message;
    try {
        message.LoadFromFile(file);
    } catch (const std::system_error& error) {
        context.err << "velmora-cli: Load From File Error 6498: " << error.what() << "\n";
        return 1;
    }

    std::vector<std::filesystem::path> saved;
    if (!saveFolder.empty()) {
        try {
            std::filesystem::create_directories(saveFolder);
            for (int i = 0; i < message.Attachments().Count(); ++i) {
                saved.push_back(message.SaveAttachment(i, saveFolder));
            }
        } catch (const std::exception& error) {
            context.err << "velmora-cli: File I/O Error 9563: " << error.what() << "\n";
            return 1;
        }
    }

    std::string out = "{";
    out += "\"from\":" + addressJson(message.Sender());
    out += ",\"to\":" + addressListJson(message.Recipients());
    out += ",\"cc\":" + addressListJson(message.CC());
    out += ",\"bcc\":" + addressListJson(message.BCC());
    out += ",\"subject\":" + jsonString(message.Subject());
    out += ",\"date\":" + jsonString(message.Headers().GetFieldValue("Date"));
    out += ",\"contentType\":" + jsonString(message.ContentType());
    out += std::string(",\"encoding\":\"") + (message.Encoding() == mime::TMsgEncoding::meUU ? "uu" : "mime") + "\"";
    out += std::string(",\"charset\":\"") + charsetName(message.CharSet()) + "\"";
    out += std::string(",\"priority\":\"") + priorityName(message.Priority()) + "\"";
    out += std::string(",\"returnReceipt\":") + (message.ReturnReceipt() ? "true" : "false");
    out += ",\"headers\":[";
    for (int i = 0; i < message.Headers().Count(); ++i) {
        if (i > 0) out += ",";
        out += jsonString(message.Headers()[i]);
    }
    out += "],\"body\":" + jsonString(joinBody(message.Body()));
    out += ",\"attachments\":[";
    for (int i = 0; i < message.Attachments().Count(); ++i) {
        mime::TmsAttItem& item = message.Attachments().Items(i);
        Sha256 sha;
        item.Data().ForEachBlock([&sha](std::string_view block) { sha.update(block); });
        if (i > 0) out += ",";
        out += "{\"fileName\":" + jsonString(item.FileName());
        out += ",\"contentType\":" + jsonString(item.ContentType());
        out += ",\"transferEncoding\":" + std::to_string(item.TransferEncoding());
        out += ",\"size\":" + std::to_string(item.Data().Size());
        out += ",\"sha256\":\"" + sha.hex() + "\"";
        if (static_cast<std::size_t>(i) < saved.size()) out += ",\"savedAs\":" + jsonString(saved[i].string());
        out += "}";
    }
    out += "]}\n";
    context.out << out;
    return 0;
}

}  // namespace velmora::cli
