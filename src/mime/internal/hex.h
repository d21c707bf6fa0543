// The value of one hexadecimal digit, for the escapes of quoted-printable and of parameters.
#pragma once

namespace velmora::mime::internal {

// 0 to 15, or -1 when `c` is no hexadecimal digit (either case).
inline int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace velmora::mime::internal
