#pragma once

// The two rule files that let data, not code, decide which game values change at a launch:
// Cfg/Static settings.cfg sets fixed values for periods of the war, Cfg/Randomised events.cfg
// draws them from ranges or picks one of several prepared variants.
//
// A rule section is "[tag:relative\path\of\a\game\file]"; its ApplyToPeriod ("yyyymmdd|yyyymmdd",
// default "19390101|19451231", both ends included) says when it applies. Its other lines are
// targets: "Section|Key=value" writes a key of the game file (a profile file), "<offset>=value"
// writes the value as a 4-byte little-endian float at that byte offset; other keys are no
// targets. Each changed game file is backed up before its first change.
//
// A section is skipped, with a note, when its file is not an existing regular file inside the
// game folder, and so is a target that cannot be written as it stands (an offset outside the
// file, which is never grown; an empty section or key name; a range of unknown type). A value
// that should be a number and is not throws Error naming the file, section and key.

#include <string>
#include <string_view>
#include <vector>

namespace seewolf {

struct Paths;
class Random;

// Sentences saying what a rule file left out, and why, for the launch to show.
using RuleNotes = std::vector<std::string>;

// Cfg/Static settings.cfg for the patrol start date `date` ("yyyymmdd"): every target of every
// applicable section gets its value as written, in file order.
RuleNotes ApplyStaticSettings(const Paths& paths, std::string_view date);

// Cfg/Randomised events.cfg for the patrol start date. `effects`: -1 leaves out the sections
// whose tag begins with "mal" (malfunctions) or "sab" (sabotage), 0 those beginning with "sab",
// 1 or more none (compared ignoring case). `atSea`: the career is on patrol.
//
// Without ChooseFrom (or below 0), each target's value is "type|minimum|maximum|mid-patrol" (a ";"
// starts a comment): type "I" a whole number from minimum to maximum, "F<n>" a real in
// [minimum, maximum) written with n decimals (cut, never rounded up to maximum); a maximum below
// the minimum gives the minimum. At sea, a line whose fourth field is "N" is left out.
// With ChooseFrom = k, one variant v from 0 to k - 1 is drawn and the targets "v_<target>" get
// their literal values; at sea only when RndMidPat is set. Draws follow the file order.
RuleNotes ApplyRandomisedEvents(const Paths& paths, std::string_view date, int effects, bool atSea,
                                Random& random);

}  // namespace seewolf
