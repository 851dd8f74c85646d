#include "ui/qt_text.h"

#include "platform/encoding.h"

namespace seewolf::ui {

QString ToQt(std::string_view cp1252) {
    return QString::fromStdString(Utf8FromCp1252(cp1252));
}

std::string FromQt(const QString& text) {
    return Cp1252FromUtf8(text.toStdString());
}

QString PathToQt(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return QString::fromUtf8(reinterpret_cast<const char*>(utf8.data()), static_cast<qsizetype>(utf8.size()));
}

std::filesystem::path PathFromQt(const QString& path) {
    const QByteArray utf8 = path.toUtf8();
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace seewolf::ui
