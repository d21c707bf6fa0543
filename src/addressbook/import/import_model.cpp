#include "addressbook/import/import_model.h"

#include <algorithm>
#include <functional>

#include "addressbook/import/readers.h"
#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"
#include "mime/readable_text.h"

namespace velmora::addressbook {

namespace fs = std::filesystem;

const char* propertyLabel(int index) {
    static constexpr const char* kLabels[kPropertyCount] = {
        "FirstName", "MiddleName", "LastName",   "Initials",    "NameSuffix",
        "NameTitle", "NickName",   "Title",      "CompanyName", "Depatrment",
        "AddrType",  "Address",    "DisplayName"};
    return index >= 0 && index < kPropertyCount ? kLabels[index] : "";
}

TEmailAddress::TEmailAddress(std::string displayName, std::string address) {
    properties_[kDisplayName] = std::move(displayName);
    properties_[kAddress] = std::move(address);
}

TDistributionList::TDistributionList(std::string displayName, TAddressBook& members)
    : TEmailAddress(std::move(displayName), ""), members_(&members) {
    kind_ = DistributionList;
}

bool TAddressBook::contains(const TEmailAddress& item) const {
    return std::find(items_.begin(), items_.end(), &item) != items_.end();
}

TAddressBook& TAddressBook::subBook(int index) const {
    if (index < 0 || index >= subBookCount())
        throw EOutlookAddressBookError("Address Book index is out of bounds");
    return *subBooks_[static_cast<std::size_t>(index)];
}

void TraceLog::line(const std::string& text) {
    lines_.push_back(std::string(static_cast<std::size_t>(depth_) * 4, ' ') + text);
}
void TraceLog::enter(const std::string& step) {
    line("Start procedure " + step);
    ++depth_;
}
void TraceLog::leave(const std::string& step) {
    if (depth_ > 0) --depth_;
    line("End procedure " + step);
}

void TOutlookAddressBooks::Clear() {
    top_.clear();
    items_.clear();
    books_.clear();
}

TAddressBook& TOutlookAddressBooks::Books(int index) const {
    if (index < 0 || index >= BookCount())
        throw EOutlookAddressBookError("Address Book index is out of bounds");
    return *top_[static_cast<std::size_t>(index)];
}

TAddressBook& TOutlookAddressBooks::newBook(std::string name) {
    books_.push_back(std::make_unique<TAddressBook>(std::move(name)));
    return *books_.back();
}

TAddressBook& TOutlookAddressBooks::addTopBook(std::string name) {
    TAddressBook& book = newBook(std::move(name));
    top_.push_back(&book);
    return book;
}

TEmailAddress& TOutlookAddressBooks::newAddress(std::string displayName, std::string address) {
    items_.push_back(std::make_unique<TEmailAddress>(std::move(displayName), std::move(address)));
    return *items_.back();
}

TDistributionList& TOutlookAddressBooks::newList(std::string displayName) {
    TAddressBook& members = newBook(displayName);
    auto list = std::make_unique<TDistributionList>(std::move(displayName), members);
    TDistributionList& ref = *list;
    items_.push_back(std::move(list));
    return ref;
}

void TOutlookAddressBooks::report(const std::string& step, const std::string& text) {
    lastError_ = text;
    trace_.line(step + ".Error: " + text);
    if (ShowsErrors && dialogs_) dialogs_->error(kProductName, text);
}

bool TOutlookAddressBooks::runReading(const std::string& step, const std::function<void()>& read) {
    trace_.clear();
    lastError_.clear();
    trace_.enter(step);
    bool ok = true;
    try {
        read();
    } catch (const std::exception& e) {
        report(step, e.what());
        ok = false;
    }
    trace_.leave(step);
    if (!traceFolder.empty())
        (void)writeFileAtomically(traceFolder / "TestLog.txt", joinLines(trace_.lines()));
    return ok;
}

std::string readImportFile(const fs::path& file) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec) throw EOutlookAddressBookError("Cannot read " + file.string() + ": " + errorText(ec));
    if (size > kMaxImportFileBytes)
        throw EOutlookAddressBookError(file.string() + " is too large to import (" +
                                       std::to_string(size / (1024 * 1024)) + " MB).");
    std::optional<std::string> bytes = readWholeFile(file);
    if (!bytes) throw EOutlookAddressBookError("Cannot read " + file.string() + ".");
    return importText(*bytes);
}

std::string importText(std::string_view bytes) {
    const bool utf16 = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
    if (utf16) {
        if (auto text = mime::convertToUtf8(bytes, "UTF-16")) return *text;
    }
    return mime::readableBytes(bytes);
}

namespace {

std::string bookNameOf(const fs::path& path) {
    fs::path p = path;
    if (p.filename().empty()) p = p.parent_path();  // "dir/"
    std::string stem = p.stem().string();
    return stem.empty() ? p.string() : stem;
}

bool looksLikeVCard(std::string_view bytes) {
    std::size_t start = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    while (start < bytes.size() &&
           (bytes[start] == '\r' || bytes[start] == '\n' || bytes[start] == ' '))
        ++start;
    return startsWithNoCase(bytes.substr(start), "BEGIN:VCARD");
}

}  // namespace

bool TOutlookAddressBooks::Execute(const fs::path& file) {
    return runReading("Execute", [&] {
        const std::string bytes = readImportFile(file);
        TAddressBook& book = addTopBook(bookNameOf(file));
        if (looksLikeVCard(bytes)) {
            trace_.line("TVCardReader: " + file.string());
            readVCard(bytes, book, *this);
        } else {
            trace_.line("TCsvReader: " + file.string());
            readCsv(bytes, book, *this);
        }
        trace_.line("Read " + std::to_string(book.items().size()) + " items");
    });
}

bool TOutlookAddressBooks::ExecuteNetscape(const fs::path& file) {
    return runReading("ExecuteNetscape", [&] {
        const std::string bytes = readImportFile(file);
        TAddressBook& book = addTopBook(bookNameOf(file));
        trace_.line("TNSAB: " + file.string());
        TNSAB reader(bytes);
        reader.read(book, *this);
    });
}

bool TOutlookAddressBooks::ExecuteEudora(const fs::path& folder) {
    return runReading("ExecuteEudora", [&] {
        std::error_code ec;
        if (!fs::is_directory(folder, ec))
            throw EOutlookAddressBookError(folder.string() + " is not a folder.");
        readNicknameFolder(folder, addTopBook(bookNameOf(folder)), *this);
    });
}

bool TOutlookAddressBooks::ExecuteAny(const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return ExecuteEudora(path);
    if (endsWithNoCase(path.string(), ".ldif") || endsWithNoCase(path.string(), ".ldi"))
        return ExecuteNetscape(path);
    return Execute(path);
}

}  // namespace velmora::addressbook
