#pragma once

// The game's intro movies, which a launch renames away when the player skips them and every
// roll-back renames back. The renames are not logged: the names are fixed.

#include <string_view>

namespace seewolf {

inline constexpr std::string_view kIntroMovies[] = {"data\\Movies\\Intro\\Logo.wmv",
                                                    "data\\Movies\\Intro\\Intro.wmv"};

// Appended to a movie's name while it is renamed away.
inline constexpr std::string_view kRenamedMovieSuffix = ".Seewolf";

}  // namespace seewolf
