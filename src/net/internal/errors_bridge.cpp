#include "net/internal/errors_bridge.h"

#include "mime/errors.h"

namespace velmora::net::internal {

std::string numberedText(int code) {
    return mime::numberedText(code);
}

void throwSocketError(const std::string& text) {
    throw mime::ESocketError(text);
}
void throwServerError(const std::string& text) {
    throw mime::EServerError(text);
}
void throwTimedOut(const std::string& text) {
    throw mime::ETimedOutError(text);
}
void throwCanceled(const std::string& text) {
    throw mime::ECanceledError(text);
}
void throwMessageError(const std::string& text) {
    throw mime::EMessageError(text);
}

}  // namespace velmora::net::internal
