#include "desktop/text_convert.h"

namespace velmora::desktop {

QString toQt(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string fromQt(const QString& text) {
    const QByteArray latin = text.toLatin1();
    return std::string(latin.constData(), static_cast<std::size_t>(latin.size()));
}

QString toQtMessage(const std::string& bytes) {
    QString text = toQt(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString toQt(const std::filesystem::path& path) {
    return QString::fromLocal8Bit(path.c_str());
}

std::filesystem::path pathFromQt(const QString& text) {
    return std::filesystem::path(text.toLocal8Bit().toStdString());
}

}  // namespace velmora::desktop
