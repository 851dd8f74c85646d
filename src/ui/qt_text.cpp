#include "ui/qt_text.h"

#include "app/text.h"
#include "platform/encoding.h"

namespace seewolf::ui {

QString ToQt(std::string_view cp1252) {
    return QString::fromStdString(Utf8FromCp1252(cp1252));
}

std::string FromQt(const QString& text) {
    return Cp1252FromUtf8(text.toStdString());
}

std::string TypedFromQt(const QString& text, std::string_view what) {
    return Cp1252FromUtf8OrThrow(text.toStdString(), what);
}

QString PathToQt(const std::filesystem::path& path) {
    return QString::fromStdString(platform::Utf8FromPath(path));
}

std::filesystem::path PathFromQt(const QString& path) {
    return platform::PathFromUtf8(path.toStdString());
}

}  // namespace seewolf::ui
