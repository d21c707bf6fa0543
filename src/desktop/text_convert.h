// The one place where stored bytes meet QString. Texts of the toolkit-free code are bytes in the
// Windows-1252 / Latin-1 sense (one byte, one character), as the stored files hold them; "\r" in
// message texts becomes a line break on screen.
#pragma once

#include <QString>
#include <filesystem>
#include <string>

namespace velmora::desktop {

QString toQt(const std::string& bytes);
std::string fromQt(const QString& text);
// A message-box text: "\r" and "\r\n" shown as line breaks.
QString toQtMessage(const std::string& bytes);
QString toQt(const std::filesystem::path& path);
std::filesystem::path pathFromQt(const QString& text);

}  // namespace velmora::desktop
