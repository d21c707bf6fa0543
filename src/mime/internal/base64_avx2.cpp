#include "mime/internal/base64_avx2.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VELMORA_BASE64_AVX2 1
#include <immintrin.h>
#endif

namespace velmora::mime::internal {

#if VELMORA_BASE64_AVX2

bool hasAvx2() {
    // Also asked from static initialisers, before the processor's features are otherwise known.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

// Each 24-byte block goes out as 32 six-bit values: every three bytes a, b, c are spread over
// a 32-bit lane as b a c b, from which two multiplies move the four values into their bytes;
// the values become characters by the offset of their range of the alphabet.
__attribute__((target("avx2"))) std::size_t encodeBase64BlocksAvx2(const unsigned char* in,
                                                                   std::size_t n, char* dst) {
    const __m256i spread = _mm256_set_epi8(10, 11, 9, 10, 7, 8, 6, 7, 4, 5, 3, 4, 1, 2, 0, 1, 14,
                                           15, 13, 14, 11, 12, 10, 11, 8, 9, 7, 8, 5, 6, 4, 5);
    const __m256i offsets =
        _mm256_setr_epi8(65, 71, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -19, -16, 0, 0, 65, 71, -4,
                         -4, -4, -4, -4, -4, -4, -4, -4, -4, -19, -16, 0, 0);
    std::size_t i = 0;
    for (; i + 32 <= n; i += 24) {
        __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
        // Bytes 0 to 11 to the upper 12 bytes of the low half, 12 to 23 to the high half's start.
        bytes = _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 0, 1, 2, 3, 4, 5, 6));
        bytes = _mm256_shuffle_epi8(bytes, spread);
        const __m256i first = _mm256_mulhi_epu16(
            _mm256_and_si256(bytes, _mm256_set1_epi32(0x0fc0fc00)), _mm256_set1_epi32(0x04000040));
        const __m256i second = _mm256_mullo_epi16(
            _mm256_and_si256(bytes, _mm256_set1_epi32(0x003f03f0)), _mm256_set1_epi32(0x01000010));
        const __m256i values = _mm256_or_si256(first, second);
        // 0 for A-Z, 1 for a-z, 2 to 11 for the digits, 12 for '+', 13 for '/'.
        __m256i range = _mm256_subs_epu8(values, _mm256_set1_epi8(51));
        range = _mm256_sub_epi8(range, _mm256_cmpgt_epi8(values, _mm256_set1_epi8(25)));
        const __m256i chars = _mm256_add_epi8(values, _mm256_shuffle_epi8(offsets, range));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), chars);
        dst += 32;
    }
    return i;
}

// A character is valid when the classes of its low and its high nibble share no bit; its value
// is the character plus an offset chosen by its high nibble ('/' apart from '+').
__attribute__((target("avx2"))) std::size_t decodeBase64BlocksAvx2(const unsigned char* in,
                                                                   std::size_t n, char* dst) {
    const __m256i lowClasses =
        _mm256_setr_epi8(0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A,
                         0x1B, 0x1B, 0x1B, 0x1A, 0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                         0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A);
    const __m256i highClasses =
        _mm256_setr_epi8(0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10,
                         0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08,
                         0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10);
    const __m256i shifts =
        _mm256_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 19, 4,
                         -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
    const __m256i nibble = _mm256_set1_epi8(0x2F);
    const __m256i slash = _mm256_set1_epi8('/');
    const __m256i order = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1,
                                           2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i chars = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
        const __m256i high = _mm256_and_si256(_mm256_srli_epi32(chars, 4), nibble);
        const __m256i low = _mm256_and_si256(chars, nibble);
        if (!_mm256_testz_si256(_mm256_shuffle_epi8(lowClasses, low),
                                _mm256_shuffle_epi8(highClasses, high)))
            break;
        const __m256i shift =
            _mm256_shuffle_epi8(shifts, _mm256_add_epi8(_mm256_cmpeq_epi8(chars, slash), high));
        const __m256i values = _mm256_add_epi8(chars, shift);
        // Four six-bit values to 24 bits in each 32-bit lane, then the bytes in order.
        const __m256i pairs = _mm256_maddubs_epi16(values, _mm256_set1_epi32(0x01400140));
        const __m256i groups = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00011000));
        __m256i bytes = _mm256_shuffle_epi8(groups, order);
        bytes = _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), bytes);
        dst += 24;
    }
    return i;
}

#else

bool hasAvx2() {
    return false;
}
std::size_t encodeBase64BlocksAvx2(const unsigned char*, std::size_t, char*) {
    return 0;
}
std::size_t decodeBase64BlocksAvx2(const unsigned char*, std::size_t, char*) {
    return 0;
}

#endif

}  // namespace velmora::mime::internal
