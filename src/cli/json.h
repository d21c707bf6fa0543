// JSON for velmora-cli's decode and encode commands, through nlohmann-json. Texts of mail are
// bytes, JSON strings are characters: each byte stands for the character of the same code (0 to
// 255), so any bytes survive the trip and the printed text is plain ASCII ("\u00e9" for byte
// 0xE9). Read back, characters 0 to 255 become those bytes and characters above 255 their UTF-8
// bytes.
#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora::cli {

// Objects keep their members in the order they were written.
using Json = nlohmann::ordered_json;

// The JSON string value (UTF-8) whose characters are the codes of `bytes`.
std::string jsonText(std::string_view bytes);

// The bytes of a JSON string value: characters up to 255 one byte each, others their UTF-8.
// `value` must be a string (nlohmann's type_error otherwise).
std::string bytesOf(const Json& value);

// One line of ASCII JSON: every character outside ASCII escaped as \uXXXX.
std::string printJson(const Json& value);

class JsonError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Parses one JSON document. Bytes that do not form UTF-8 are read as the characters of their
// codes (as a Latin-1 file would mean them). Throws JsonError saying where the text is wrong.
Json parseJson(std::string_view text);

}  // namespace velmora::cli
