// The small JSON reader and writer of velmora-cli's decode and encode commands. Texts of mail are
// bytes: each byte is written as the JSON character of the same code (0 to 255), so the output is
// exact for any input and stays plain ASCII; reading maps characters 0 to 255 back to those bytes
// (characters above 255 become their UTF-8 bytes).
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

// "\"...\"" with every byte escaped as needed (\u00XX for controls and bytes 128 to 255).
std::string jsonString(std::string_view bytes);

class JsonValue {
public:
    enum class Kind { Null, Boolean, Number, String, Array, Object };

    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;

    bool isString() const { return kind == Kind::String; }
    bool isArray() const { return kind == Kind::Array; }
    bool isObject() const { return kind == Kind::Object; }
    // The member `name` of an object, or nullptr.
    const JsonValue* find(const std::string& name) const;
};

class JsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses one JSON document; throws JsonError with the offset of the fault.
JsonValue parseJson(std::string_view text);

}  // namespace velmora::cli
