// Attachments of the message model: the decoded content in a temporary file, with its file
// name, content type and transfer encoding.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mime/temp_file_stream.h"

namespace velmora::mime {

// Values of TmsAttItem::TransferEncoding.
inline constexpr std::uint8_t kEncoding7Bit = 0;    // written "7 bit"
inline constexpr std::uint8_t kEncodingBase64 = 1;  // base64, or uuencode when read
inline constexpr std::uint8_t kEncodingQuotedPrintable = 2;

class TmsAttItem {
  public:
    TmsAttItem() = default;  // an empty temporary file; throws std::system_error when refused

    TTempFileStream& Data() { return data_; }

    // For attachments added from disk the full path as given, for decoded ones the name found in
    // the message (untrusted: see safe_file_name.h) or a generated one. Writers use only its last
    // path component (LastPathComponent).
    const std::string& FileName() const { return fileName_; }
    // Stores the name (cut at 255 bytes); a non-empty name also sets ContentType from its
    // extension and TransferEncoding from that: quoted-printable for text/plain, text/rtf and
    // text/html, none for message/rfc822, base64 for anything else.
    void SetFileName(std::string_view name);
    // Stores the name alone, changing nothing else.
    void StoreFileName(std::string_view name);
    std::string LastPathComponent() const;

    const std::string& ContentType() const { return contentType_; }
    void SetContentType(std::string_view type);  // cut at 255 bytes

    std::uint8_t TransferEncoding() const { return transferEncoding_; }
    void SetTransferEncoding(std::uint8_t encoding) { transferEncoding_ = encoding; }

    // Copies every field and the whole data of `other`.
    void Assign(TmsAttItem& other);

  private:
    TTempFileStream data_;
    std::string fileName_;
    std::string contentType_;
    std::uint8_t transferEncoding_ = kEncoding7Bit;
};

// The last path component of a name, after the last "/" or "\".
std::string lastPathComponent(std::string_view name);

class TmsAttList {
  public:
    int Count() const { return static_cast<int>(items_.size()); }
    // Index from 0; out of range throws std::out_of_range.
    TmsAttItem& Items(int index) { return *items_.at(static_cast<std::size_t>(index)); }
    const TmsAttItem& Items(int index) const { return *items_.at(static_cast<std::size_t>(index)); }
    TmsAttItem& operator[](int index) { return Items(index); }

    TmsAttItem& Add(std::unique_ptr<TmsAttItem> item);
    // A new item named by `path` (SetFileName) holding the file's bytes; returns its index.
    // A file that cannot be read throws std::system_error and adds nothing.
    int AddFile(const std::filesystem::path& path);
    void Delete(int index);
    void Clear() { items_.clear(); }  // deletes the temporary files
    // Replaces the list with deep copies of `other`'s items, data included.
    void Assign(const TmsAttList& other);

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    std::vector<std::unique_ptr<TmsAttItem>> items_;
};

}  // namespace velmora::mime
