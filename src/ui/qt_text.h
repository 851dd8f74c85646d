#pragma once

// The one place where core text (Windows-1252) and paths meet QString.

#include <filesystem>
#include <string>
#include <string_view>

#include <QString>

namespace seewolf::ui {

QString ToQt(std::string_view cp1252);
std::string FromQt(const QString& text);

QString PathToQt(const std::filesystem::path& path);
std::filesystem::path PathFromQt(const QString& path);

}  // namespace seewolf::ui
