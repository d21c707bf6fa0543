// TTempFileStream: a byte stream over a temporary file of its own, which holds attachment data.
// Data written at the end stay in memory up to kMemoryLimit, so the many small attachments of
// a mailbox cost no file at all; beyond it, or on a write elsewhere than at the end, or when
// Path() is asked, the file is created (a unique name with the prefix "ms" in the system's
// temporary folder, O_CREAT | O_EXCL | O_NOFOLLOW) and it is deleted with the object, whatever
// happens. It is open only while an operation uses it, so a message with thousands of
// attachments holds no descriptor for each of them. Writes are buffered; every read, seek or
// size query sees all bytes written before it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>

namespace velmora::mime {

class TTempFileStream {
  public:
    // Bytes held in memory before the data go to the file (the write buffer's size).
    static constexpr std::size_t kMemoryLimit = 256 * 1024;

    TTempFileStream() = default;
    ~TTempFileStream();
    TTempFileStream(TTempFileStream&& other) noexcept;
    TTempFileStream& operator=(TTempFileStream&& other) noexcept;
    TTempFileStream(const TTempFileStream&) = delete;
    TTempFileStream& operator=(const TTempFileStream&) = delete;

    // The temporary file, created now with the data so far when they were held in memory; a
    // temporary folder that refuses it throws std::system_error (as any write that needs it).
    const std::filesystem::path& Path();

    // Bytes in the stream, and the position reads and writes start from (0 to Size).
    std::uint64_t Size();
    std::uint64_t Position() const { return position_; }
    void Seek(std::uint64_t position);

    // Writes at the position and moves it on; a write past the end extends the file.
    // File errors (a full disk) throw std::system_error.
    void Write(std::string_view bytes);

    // Reads up to `count` bytes from the position and moves it on; fewer at the end of the data.
    std::size_t Read(char* buffer, std::size_t count);

    // Empties the stream (position 0).
    void Clear();

    // The whole content, wherever the position is. Meant for small data and tests.
    std::string ReadAll();

    // Replaces the content with all of `other` (from its position 0) or of a file, and leaves
    // the position at the end. A missing or unreadable file, or one that is not a regular file
    // (a FIFO, a device), throws std::system_error.
    void CopyFrom(TTempFileStream& other);
    void LoadFromFile(const std::filesystem::path& file);
    void LoadFromStream(std::istream& input);

    // Writes the whole content to a stream or calls `sink` with it in blocks, without changing
    // the position.
    void SaveToStream(std::ostream& output);
    template <typename Sink>
    void ForEachBlock(Sink&& sink);

  private:
    // Keeps the file open for the scope of one operation; scopes nest, the outermost closes it.
    class OpenScope {
      public:
        explicit OpenScope(TTempFileStream& stream);
        ~OpenScope();
        OpenScope(const OpenScope&) = delete;
        OpenScope& operator=(const OpenScope&) = delete;

      private:
        TTempFileStream& stream_;
        bool opened_;
    };

    void flush();
    // Creates the file (when there is none yet) and writes what memory holds to it.
    void spill();
    bool inMemory() const { return path_.empty(); }
    std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t count);

    int fd_ = -1;                 // open only inside an OpenScope
    std::filesystem::path path_;  // empty while the data are in memory, and once moved from
    std::uint64_t position_ = 0;
    std::uint64_t size_ = 0;  // bytes in the file, not counting the buffer
    std::string pending_;     // buffered bytes to be written at pendingOffset_; in memory: all
    std::uint64_t pendingOffset_ = 0;
};

template <typename Sink>
void TTempFileStream::ForEachBlock(Sink&& sink) {
    if (inMemory()) {
        constexpr std::size_t kBlock = 64 * 1024;
        for (std::size_t at = 0; at < pending_.size(); at += kBlock)
            sink(std::string_view(pending_).substr(at, kBlock));
        return;
    }
    OpenScope scope(*this);
    flush();
    std::string block(64 * 1024, '\0');
    std::uint64_t offset = 0;
    while (offset < size_) {
        const std::size_t got = readAt(offset, block.data(), block.size());
        if (got == 0) break;
        sink(std::string_view(block.data(), got));
        offset += got;
    }
}

}  // namespace velmora::mime
