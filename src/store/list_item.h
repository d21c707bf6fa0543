// The list item of one stored message: everything a folder list, the compose window and the
// senders need without opening the message file. Each field matches one private header of the
// message file; the folder index stores the items of a folder between runs.
//
// A folder list row is one string, the six column texts (Status, Size KB, Subject, From, To,
// Date) joined by tabs, with its item attached.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::store {

struct TObjListViewVLF {
    std::string fileName;  // message file name without ".vlf"
    std::string senderName;
    std::string senderAddress;
    int attachCount = 0;
    std::vector<std::string> attachList;  // full paths of the attachment files
    std::string mailDate;                 // date text of the message
    std::string sortDate;                 // yyyymmddhhmmss
    std::string subject;
    std::string status;                  // eleven characters, e.g. "U O r f a N"
    std::string readAckStatus = "null";  // "null", "ask", "yes", "no" or "later"
    std::string priority = "3 (normal)";
    std::string version;
    int bccCount = 0;
    std::vector<std::string> bccList;
    int sigBlockIndex = 0;
    bool closeAfterSending = false;
    bool deliveryAck = false;
    bool readAck = false;
    bool saveToSent = false;
    bool sendOnePerRecipient = false;
    std::string composeFrom;
    std::string composeReplyTo;
    std::string composeOrganization;

    bool operator==(const TObjListViewVLF&) const = default;
};

// One row of a folder list: the six column texts joined by tabs, with its item.
struct FolderRow {
    std::string text;
    TObjListViewVLF item;
};

// The columns of a folder list, in their order.
enum class Column { Status = 0, SizeKb = 1, Subject = 2, From = 3, To = 4, Date = 5 };
inline constexpr int kColumnCount = 6;

// Status strings: six letters separated by blanks (read, original/copy, replied, forwarded,
// attachments, priority).
inline constexpr const char* kStatusArrivedOnly = "U O r f a N";  // deleted on the server
inline constexpr const char* kStatusArrivedCopy = "U C r f a N";  // left on the server
inline constexpr const char* kStatusWrittenHere = "R O r f a N";
inline constexpr const char* kStatusWrittenHereWithAttachments = "R O r f A N";

// Priority texts of arrival and of the compose window.
inline constexpr const char* kPriorityArrivedHigh = "H (High)";
inline constexpr const char* kPriorityArrivedNormal = "N (Normal)";
inline constexpr const char* kPriorityArrivedLow = "L (Low)";
inline constexpr const char* kPriorityComposedHigh = "1 (High)";
inline constexpr const char* kPriorityComposedNormal = "2 (Normal)";
inline constexpr const char* kPriorityComposedLow = "5 (Low)";

inline constexpr const char* kReadAckStatuses[] = {"null", "ask", "yes", "no", "later"};
bool isReadAckStatus(std::string_view text);

inline constexpr const char* kUnknownAddress = "<unknown address>";
inline constexpr const char* kNoNameUnknownAddress = "No Name <unknown address>";

// The six column texts joined by tabs; a tab or line break inside a text becomes a blank.
std::string makeRowText(const std::array<std::string, kColumnCount>& columns);
// The text of one column; "" for a row with fewer columns.
std::string_view columnText(std::string_view row, Column column);
// All six column texts (missing ones empty).
std::array<std::string, kColumnCount> splitRowText(std::string_view row);
// Replaces the text between the column's tabs, keeping the other columns; a row with fewer
// columns is padded with empty ones first.
void replaceColumn(std::string& row, Column column, std::string_view text);

// The From column: "name <address>"; the address alone; "name <unknown address>" (with the
// blank, as the preview's From line and the retrieve-headers rows write it); or
// "No Name <unknown address>". A name or address of "<>" (after trimming) counts as empty.
std::string senderText(std::string_view name, std::string_view address);

// The Size KB column: "1.0" below 1024 bytes, else the whole kilobytes, ".", and the digit
// (bytes mod 1024) div 100 mod 10 (2500 bytes give "2.4", 3072 give "3.0").
std::string sizeText(std::uintmax_t bytes);

}  // namespace velmora::store
