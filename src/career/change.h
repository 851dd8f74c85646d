#pragma once

// The change dialog's logic: renumbering a career's boat and choosing its next patrol grid.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace seewolf {

struct Paths;
struct SelectedCareer;
class Random;

// The number part of a boat name: after its first "-" (the whole name when there is none).
std::string BoatNumberOf(std::string_view subName);

// The numbers offered: Cfg/U-boat numbers.cfg, section = boat type name, key = the flotilla
// (filter on) or "ALL".
std::vector<std::string> BoatNumberList(const Paths& paths, const SelectedCareer& career, bool filter);

// A random grid of the career's flotilla for the month of its patrol start, or nothing when the
// flotilla or the year is not in Flotilla.cfg.
std::optional<std::string> RandomPatrolGrid(const Paths& paths, const SelectedCareer& career, Random& random);

// Writes the number and grid: SubName and PatrolArea of the current patrol, and for a career at
// sea the PatrolArea of its newest save's .psc. Throws Error("Invalid details entered! Please try
// again.") without writing when either is empty.
void ApplyChange(const Paths& paths, const SelectedCareer& career, std::string_view number,
                 std::string_view grid);

inline constexpr const char* kInvalidDetails = "Invalid details entered! Please try again.";

}  // namespace seewolf
