// The one place where stored bytes meet QString. Texts of the toolkit-free code are bytes in the
// Windows-1252 / Latin-1 sense (one byte, one character), as the stored files hold them; "\r" in
// message texts becomes a line break on screen.
#pragma once

#include <QString>
#include <filesystem>
#include <string>

namespace velmora::desktop {

// Bytes of the models as text: well-formed UTF-8 as such, anything else (older files) as
// windows-1252; and typed text back as UTF-8.
QString toQt(const std::string& bytes);
std::string fromQt(const QString& text);
// A message-box text: "\r" and "\r\n" shown as line breaks, bytes read as toQtGuessed does.
QString toQtMessage(const std::string& bytes);
// Message texts for display: UTF-8 as the reading module makes it readable (reading/
// readable_text.h), "\r\n" and "\r" shown as line breaks.
QString toQtReadable(const std::string& utf8);
// Stored bytes of unknown character set (subjects and names in the list, captions): well-formed
// UTF-8 as such, anything else as windows-1252.
QString toQtGuessed(const std::string& bytes);
QString toQt(const std::filesystem::path& path);
std::filesystem::path pathFromQt(const QString& text);

}  // namespace velmora::desktop
