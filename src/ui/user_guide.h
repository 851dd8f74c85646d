#pragma once

// The user guide Leitfaden.pdf in the program folder, opened by the main window's help image and
// the options dialog's link.

#include <filesystem>

namespace seewolf {
struct Paths;
}

namespace seewolf::ui {

inline constexpr const char* kUserGuide = "Leitfaden.pdf";

// Opens the guide with the desktop's program for PDF files. Throws Error naming the file when it
// is missing or nothing could open it.
void OpenUserGuide(const Paths& paths);

}  // namespace seewolf::ui
