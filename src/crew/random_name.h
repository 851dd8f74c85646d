#pragma once

#include <string>

namespace seewolf {

struct Paths;
class Random;

inline constexpr std::size_t kShortNameLimit = 16;  // a commander's name
inline constexpr std::size_t kLongNameLimit = 20;   // a crewman's name

// A first name and a last name from Cfg/Names_first.lst and Cfg/Names_last.lst (read afresh each
// call), joined by a blank, at most 16 (shortName) or 20 characters long, first and last name
// different. Throws Error when a list is missing, or when no pair of the lists fits.
std::string RandomName(const Paths& paths, Random& random, bool shortName);

}  // namespace seewolf
