// The model the import readers build from another program's address book: top-level books with
// sub-books, address items and distribution lists. The reader (`TOutlookAddressBooks`) owns every
// book and item once; books and lists only refer to them, so an item may stand in several books
// and lists may contain each other without anything being freed twice or walked forever.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace velmora::addressbook {

class EOutlookAddressBookError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The thirteen properties of an item, by index.
enum Property : int {
    kFirstName = 0,
    kMiddleName = 1,
    kLastName = 2,
    kInitials = 3,
    kNameSuffix = 4,
    kNameTitle = 5,
    kNickName = 6,
    kTitle = 7,
    kCompanyName = 8,
    kDepartment = 9,
    kAddrType = 10,
    kAddress = 11,
    kDisplayName = 12,
};
inline constexpr int kPropertyCount = 13;
// The labels of the trace log, one per property.
const char* propertyLabel(int index);

class TAddressBook;

class TEmailAddress {
  public:
    enum Kind { Address = 0, DistributionList = 1 };
    TEmailAddress(std::string displayName, std::string address);
    virtual ~TEmailAddress() = default;

    Kind kind() const { return kind_; }
    std::string& Properties(int index) { return properties_.at(static_cast<std::size_t>(index)); }
    const std::string& Properties(int index) const {
        return properties_.at(static_cast<std::size_t>(index));
    }
    const std::string& displayName() const { return properties_[kDisplayName]; }
    const std::string& address() const { return properties_[kAddress]; }
    // Addresses after the first (a vCard with several EMAIL lines, a CSV export's second and
    // third e-mail columns); the import keeps them as further address lines.
    std::vector<std::string> moreAddresses;
    // Notes and mailing-list header addresses, when the source has them (vCard NOTE, a CSV
    // "Notes" column, and the list columns of this program's own exports).
    std::vector<std::string> notes;
    std::string listFrom, listTo, listReplyTo;
    virtual std::string text() const { return displayName() + " <" + address() + ">"; }

  protected:
    Kind kind_ = Address;

  private:
    std::array<std::string, kPropertyCount> properties_;
};

class TDistributionList final : public TEmailAddress {
  public:
    TDistributionList(std::string displayName, TAddressBook& members);
    TAddressBook& members() const { return *members_; }
    std::string text() const override { return TEmailAddress::text() + " (Distribution List)"; }

  private:
    TAddressBook* members_;
};

class TAddressBook {
  public:
    explicit TAddressBook(std::string name) : name_(std::move(name)) {}
    const std::string& name() const { return name_; }
    const std::vector<TEmailAddress*>& items() const { return items_; }
    void add(TEmailAddress& item) { items_.push_back(&item); }
    bool contains(const TEmailAddress& item) const;
    int subBookCount() const { return static_cast<int>(subBooks_.size()); }
    // Throws EOutlookAddressBookError "Address Book index is out of bounds".
    TAddressBook& subBook(int index) const;
    void addSubBook(TAddressBook& book) { subBooks_.push_back(&book); }

  private:
    std::string name_;
    std::vector<TEmailAddress*> items_;
    std::vector<TAddressBook*> subBooks_;
};

// The trace of one reading, written whole to "TestLog.txt" once the reading ends.
class TraceLog {
  public:
    void line(const std::string& text);
    void enter(const std::string& step);
    void leave(const std::string& step);
    const std::vector<std::string>& lines() const { return lines_; }
    void clear() { lines_.clear(), depth_ = 0; }

  private:
    std::vector<std::string> lines_;
    int depth_ = 0;
};

// Files larger than this are refused: no real address-book export comes near it, and the whole
// file is held in memory while it is read.
inline constexpr std::uintmax_t kMaxImportFileBytes = 256u * 1024 * 1024;

class TOutlookAddressBooks {
  public:
    // `dialogs` shows the errors when ShowsErrors is set; may be null (the command line).
    explicit TOutlookAddressBooks(platform::Dialogs* dialogs = nullptr) : dialogs_(dialogs) {}

    std::string ErrorPropertyString;
    bool ShowsErrors = false;
    // Where "TestLog.txt" goes; empty: no trace file.
    std::filesystem::path traceFolder;

    // Frees every book and item.
    void Clear();
    // "OutLook 97, 98, 2000" and "Exchange 4.x": a CSV export or vCard file (by its content).
    bool Execute(const std::filesystem::path& file);
    // "Netscape 4.0x, 4.0 or Higher": an LDIF export. The file is only read, never removed.
    bool ExecuteNetscape(const std::filesystem::path& file);
    // "Eudora Lite/Pro": the folder that holds the nickname files.
    bool ExecuteEudora(const std::filesystem::path& folder);
    // Any of the above, chosen by what `path` is: a folder, an LDIF, vCard or CSV file.
    bool ExecuteAny(const std::filesystem::path& path);

    int BookCount() const { return static_cast<int>(top_.size()); }
    // Throws EOutlookAddressBookError "Address Book index is out of bounds".
    TAddressBook& Books(int index) const;
    const std::string& LastError() const { return lastError_; }
    const TraceLog& trace() const { return trace_; }
    TraceLog& traceLog() { return trace_; }

    // --- building the model (for the readers) ---------------------------------------------
    TAddressBook& newBook(std::string name);  // owned, not attached anywhere
    TAddressBook& addTopBook(std::string name);
    TEmailAddress& newAddress(std::string displayName, std::string address);
    TDistributionList& newList(std::string displayName);
    std::size_t itemCount() const { return items_.size(); }

  private:
    // Runs one reading: the trace around it, the error reported, the trace written once.
    bool runReading(const std::string& step, const std::function<void()>& read);
    void report(const std::string& step, const std::string& text);

    platform::Dialogs* dialogs_;
    std::vector<std::unique_ptr<TAddressBook>> books_;
    std::vector<std::unique_ptr<TEmailAddress>> items_;
    std::vector<TAddressBook*> top_;
    std::string lastError_;
    TraceLog trace_;
};

// Reads a whole import file as importText makes it, refusing one over kMaxImportFileBytes;
// throws EOutlookAddressBookError with the reason.
std::string readImportFile(const std::filesystem::path& file);
// An export's bytes as the text the books keep, in UTF-8: an export in UTF-16 (Outlook's
// "Unicode" export, with its byte-order mark) is converted, and one that is not UTF-8 reads as
// windows-1252, the code page such exports are written in otherwise.
std::string importText(std::string_view bytes);

}  // namespace velmora::addressbook
