#include "desktop/text_convert.h"

#include "reading/readable_text.h"

namespace velmora::desktop {

QString toQt(const std::string& bytes) {
    return toQtGuessed(bytes);
}

std::string fromQt(const QString& text) {
    // Typed text is kept as UTF-8, so every script survives; older stored bytes still show
    // through toQtGuessed.
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

QString toQtMessage(const std::string& bytes) {
    // A message may quote a subject or a name in whatever set it came in.
    QString text = toQtGuessed(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString toQtReadable(const std::string& utf8) {
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString toQtGuessed(const std::string& bytes) {
    const std::string utf8 = reading::readableBytes(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString toQt(const std::filesystem::path& path) {
    return QString::fromLocal8Bit(path.c_str());
}

std::filesystem::path pathFromQt(const QString& text) {
    return std::filesystem::path(text.toLocal8Bit().toStdString());
}

}  // namespace velmora::desktop
