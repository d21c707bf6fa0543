#include "profiles/profile.h"

#include <algorithm>
#include <system_error>

#include "base/settings_lines.h"
#include "base/text_file.h"
#include "profiles/password_scrambler.h"

namespace velmora::profiles {

namespace {

// The former names on one line, a tab between two (a tab cannot be part of a name).
std::string formerNamesText(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        if (!text.empty()) text += '\t';
        text += name;
    }
    return text;
}

std::vector<std::string> formerNamesOf(std::string_view text) {
    std::vector<std::string> names;
    while (!text.empty()) {
        const std::size_t tab = text.find('\t');
        const std::string_view name = text.substr(0, tab);
        if (!name.empty() && !profileNameProblem(name)) names.emplace_back(name);
        if (tab == std::string_view::npos) break;
        text.remove_prefix(tab + 1);
    }
    if (names.size() > kMaxFormerNames)
        names.erase(names.begin(), names.end() - static_cast<std::ptrdiff_t>(kMaxFormerNames));
    return names;
}

int readBounded(SettingsReader& reader, int max) {
    const std::int64_t value = reader.integer(0);
    return value < 0 || value > max ? 0 : static_cast<int>(value);
}

}  // namespace

int pop3PortFor(Security security, int profilePort, int settingsPort) {
    if (profilePort > 0) return profilePort;
    return security == Security::Tls ? 995 : settingsPort;
}

int smtpPortFor(Security security, int profilePort, int settingsPort) {
    if (profilePort > 0) return profilePort;
    switch (security) {
        case Security::Tls:
            return 465;
        case Security::StartTls:
            return 587;
        case Security::None:
            break;
    }
    return settingsPort;
}

std::filesystem::path profileFilePath(const std::filesystem::path& home, const std::string& name) {
    return home / (name + kProfileExtension);
}

std::filesystem::path signatureFilePath(const std::filesystem::path& home,
                                        const std::string& name) {
    return home / (name + kSignatureExtension);
}

std::filesystem::path seenMessagesFilePath(const std::filesystem::path& home,
                                           const std::string& name) {
    return home / (name + kSeenMessagesExtension);
}

std::filesystem::path serverDeletionsFilePath(const std::filesystem::path& home,
                                              const std::string& name) {
    return home / (name + kServerDeletionsExtension);
}

std::string profileFileBytes(const TUsersObjListBox& p) {
    SettingsWriter writer;
    writer.text(p.profileName)
        .text(p.connectName)
        .text(p.fromName)
        .text(p.fromAddress)
        .text(p.replyToAddress)
        .text(p.organization)
        .text(p.accountName)
        .text(encodePassword(p.password))
        .boolean(p.rememberPassword)
        .text(p.pop3Server)
        .text(p.smtpServer)
        .boolean(p.retrieveWhenNotActive)
        .integer(p.headersDefaultAction >= 0 && p.headersDefaultAction < kHeadersActionCount
                     ? p.headersDefaultAction
                     : 0)
        .integer(static_cast<int>(p.pop3Security))
        .integer(p.pop3Port)
        .integer(static_cast<int>(p.smtpSecurity))
        .integer(p.smtpPort)
        .integer(static_cast<int>(p.pop3Login))
        .integer(static_cast<int>(p.smtpLogin))
        .boolean(p.allowPlainTextPassword)
        .text(p.pop3TrustedCertificate)
        .text(p.smtpTrustedCertificate)
        .boolean(p.leaveOnServer)
        .integer(p.deleteFromServerAfterDays)
        .boolean(p.deleteFromServerWithTrash)
        .text(formerNamesText(p.formerNames));
    return writer.bytes();
}

std::optional<TUsersObjListBox> readProfileFile(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return std::nullopt;
    auto bytes = std::filesystem::is_directory(file, error) ? std::nullopt : readWholeFile(file);
    if (!bytes)
        throw std::system_error(std::make_error_code(std::errc::io_error),
                                "Cannot read " + file.string());
    return parseProfileFile(*bytes);
}

TUsersObjListBox parseProfileFile(std::string_view bytes) {
    SettingsReader reader(splitLines(bytes));
    TUsersObjListBox p;
    p.profileName = reader.text();
    p.connectName = reader.text();
    p.fromName = reader.text();
    p.fromAddress = reader.text();
    p.replyToAddress = reader.text();
    p.organization = reader.text();
    p.accountName = reader.text();
    p.password = decodePassword(reader.text());
    p.rememberPassword = reader.boolean(false);
    p.pop3Server = reader.text();
    p.smtpServer = reader.text();
    p.retrieveWhenNotActive = reader.boolean(false);
    p.headersDefaultAction = reader.choice(kHeadersActionCount, 0);
    if (reader.atEnd()) {
        p.allowPlainTextPassword = true;
        return p;
    }
    p.pop3Security = static_cast<Security>(reader.choice(kSecurityCount, 0));
    p.pop3Port = readBounded(reader, kMaxPort);
    p.smtpSecurity = static_cast<Security>(reader.choice(kSecurityCount, 0));
    p.smtpPort = readBounded(reader, kMaxPort);
    p.pop3Login = static_cast<Pop3Login>(reader.choice(kPop3LoginCount, 0));
    p.smtpLogin = static_cast<SmtpLogin>(reader.choice(kSmtpLoginCount, 0));
    p.allowPlainTextPassword = reader.boolean(false);
    p.pop3TrustedCertificate = reader.text();
    p.smtpTrustedCertificate = reader.text();
    p.leaveOnServer = reader.boolean(false);
    p.deleteFromServerAfterDays = readBounded(reader, kMaxLeaveDays);
    p.deleteFromServerWithTrash = reader.boolean(false);
    p.formerNames = formerNamesOf(reader.text());
    return p;
}

void addFormerName(TUsersObjListBox& profile, const std::string& oldName) {
    auto& names = profile.formerNames;
    std::erase_if(names, [&](const std::string& name) {
        return name == oldName || name == profile.profileName;
    });
    if (oldName.empty() || oldName == profile.profileName) return;
    names.push_back(oldName);
    if (names.size() > kMaxFormerNames) names.erase(names.begin());
}

std::optional<TUsersObjListBox> profileOnceNamed(const std::filesystem::path& home,
                                                 const std::string& name) {
    std::optional<TUsersObjListBox> found;
    int candidates = 0;
    for (const std::string& listed : readMasterUsr(home)) {
        if (profileNameProblem(listed)) continue;
        std::optional<TUsersObjListBox> profile;
        try {
            profile = readProfileFile(profileFilePath(home, listed));
        } catch (const std::system_error&) {
            continue;  // an unreadable profile names nothing
        }
        if (!profile) continue;
        const bool named = listed == name;
        const bool formerly = std::find(profile->formerNames.begin(), profile->formerNames.end(),
                                        name) != profile->formerNames.end();
        if (!named && !formerly) continue;
        ++candidates;
        profile->profileName = listed;
        found = std::move(profile);
    }
    if (candidates != 1) return std::nullopt;
    return found;
}

std::error_code writeProfileFile(const std::filesystem::path& file,
                                 const TUsersObjListBox& profile) {
    return writeFileAtomically(file, profileFileBytes(profile));
}

std::vector<std::string> readMasterUsr(const std::filesystem::path& home) {
    std::vector<std::string> lines = readLines(home / kMasterUsrFile);
    std::vector<std::string> names;
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (!trimBlanks(lines[i]).empty()) names.push_back(lines[i]);
    return names;
}

std::error_code writeMasterUsr(const std::filesystem::path& home,
                               const std::vector<std::string>& names) {
    SettingsWriter writer;
    for (const auto& name : names) writer.text(name);
    return writer.save(home / kMasterUsrFile);
}

std::string trimBlanks(std::string_view text) {
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return {};
    const auto end = text.find_last_not_of(" \t");
    return std::string(text.substr(begin, end - begin + 1));
}

std::string profileNameKey(std::string_view name) {
    std::string key = trimBlanks(name);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return key;
}

std::string cutName(std::string_view name, std::size_t length) {
    return std::string(name.substr(0, length));
}

std::optional<std::string> profileNameProblem(std::string_view name) {
    if (name == "." || name == "..") return "it names a folder";
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '/' || c == '\\') return "it holds a path separator";
        if (c < 0x20 || c == 0x7F) return "it holds a control character";
    }
    return std::nullopt;
}

}  // namespace velmora::profiles
