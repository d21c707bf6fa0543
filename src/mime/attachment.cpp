#include "mime/attachment.h"

#include "mime/content_types.h"
#include "mime/headers.h"

namespace velmora::mime {

std::string lastPathComponent(std::string_view name) {
    const std::size_t separator = name.find_last_of("/\\");
    return std::string(separator == std::string_view::npos ? name : name.substr(separator + 1));
}

void TmsAttItem::SetFileName(std::string_view name) {
    fileName_ = cutText(name);
    if (fileName_.empty()) return;
    SetContentType(ContentTypeForFile(fileName_));
    if (equalsNoCase(contentType_, "text/plain") || equalsNoCase(contentType_, "text/rtf") ||
        equalsNoCase(contentType_, "text/html")) {
        transferEncoding_ = kEncodingQuotedPrintable;
    } else if (equalsNoCase(contentType_, "message/rfc822")) {
        transferEncoding_ = kEncoding7Bit;
    } else {
        transferEncoding_ = kEncodingBase64;
    }
}

void TmsAttItem::StoreFileName(std::string_view name) {
    fileName_ = cutText(name);
}

std::string TmsAttItem::LastPathComponent() const {
    return lastPathComponent(fileName_);
}

void TmsAttItem::SetContentType(std::string_view type) {
    contentType_ = cutText(type);
}

void TmsAttItem::Assign(TmsAttItem& other) {
    if (&other == this) return;
    fileName_ = other.fileName_;
    contentType_ = other.contentType_;
    transferEncoding_ = other.transferEncoding_;
    data_.CopyFrom(other.data_);
}

TmsAttItem& TmsAttList::Add(std::unique_ptr<TmsAttItem> item) {
    items_.push_back(std::move(item));
    return *items_.back();
}

int TmsAttList::AddFile(const std::filesystem::path& path) {
    auto item = std::make_unique<TmsAttItem>();
    item->SetFileName(path.string());
    item->Data().LoadFromFile(path);
    Add(std::move(item));
    return Count() - 1;
}

void TmsAttList::Delete(int index) {
    Items(index);  // range check
    items_.erase(items_.begin() + index);
}

void TmsAttList::Assign(const TmsAttList& other) {
    if (&other == this) return;
    std::vector<std::unique_ptr<TmsAttItem>> copies;
    copies.reserve(other.items_.size());
    for (const auto& item : other.items_) {
        auto copy = std::make_unique<TmsAttItem>();
        copy->Assign(*item);
        copies.push_back(std::move(copy));
    }
    items_ = std::move(copies);
}

}  // namespace velmora::mime
