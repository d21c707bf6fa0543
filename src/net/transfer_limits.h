// How much a server may make the mail clients hold, and how long it may make them wait. A
// hostile or broken server must not be able to fill the memory or hold a session for ever:
// every bound here ends the session with a clear error instead.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::net {

// A reply line is kept up to 4096 bytes (internal/input_buffer.h); one that runs on past this
// many bytes without a line end is an error rather than something to wait out.
inline constexpr std::size_t kMaxReplyLineBytes = 64 * 1024;
// Lines of one multi-line reply (EHLO lists a dozen; 1000 is far beyond any real server).
inline constexpr int kMaxReplyLines = 1000;

// The clients keep a size and an identifier per message only for a mailbox of at most this
// many messages: a STAT count beyond any real mailbox would otherwise make them hold gigabytes.
inline constexpr std::int64_t kMaxMailboxMessages = 1'000'000;

// No message may take more than this, whatever the server announces: larger than any provider
// accepts (they stop at 25 to 150 MB), small enough to decode in memory.
inline constexpr std::int64_t kMaxMessageSize = std::int64_t{256} * 1024 * 1024;
// A message may arrive larger than LIST announced: a server that counts a bare line feed as
// one octet sends CR LF (twice the size at worst), and the stuffed periods come on top.
inline constexpr std::int64_t kMessageSizeMargin = 1024 * 1024;

// Messages are held in memory up to this size and in a temporary file beyond it.
inline constexpr std::size_t kSpillThreshold = 8 * 1024 * 1024;

// Every command and transfer must end within the time-out plus its size at this rate (slower
// than a poor mobile connection), so a server that trickles bytes cannot hold it for ever.
inline constexpr std::int64_t kMinimumTransferRate = 4096;  // bytes per second

// The most one message announced as `announced` octets (0 or less: not known) may take on the
// wire: twice the announced size and the margin, never more than kMaxMessageSize.
std::int64_t messageSizeBound(std::int64_t announced);

}  // namespace velmora::net
