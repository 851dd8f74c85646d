#pragma once

// The one place where core text (Windows-1252) and paths meet QString.

#include <filesystem>
#include <string>
#include <string_view>

#include <QString>

namespace seewolf::ui {

QString ToQt(std::string_view cp1252);
// Text the program put into a control; a character that Windows-1252 cannot hold becomes "?".
std::string FromQt(const QString& text);
// Text the user typed (the `what`, e.g. "commander name", names it in the message): throws Error
// for a character that Windows-1252 cannot hold instead of writing it as "?".
std::string TypedFromQt(const QString& text, std::string_view what);

QString PathToQt(const std::filesystem::path& path);
std::filesystem::path PathFromQt(const QString& path);

}  // namespace seewolf::ui
