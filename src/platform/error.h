#pragma once

#include <stdexcept>
#include <string>

namespace seewolf {

// The one error type of Seewolf. Its text is shown to the user as it stands, so it is
// always a complete sentence in the user's terms (Windows-1252 text like all core text).
class Error : public std::runtime_error {
  public:
    explicit Error(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace seewolf
