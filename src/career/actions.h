#pragma once

// The career actions: going on with a retired career under a new commander, returning from
// retirement, the surrender of a career lost at sea, the deck gun, the patrol-log editor's
// arguments and deleting a career to the trash.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/processes.h"

namespace seewolf {

struct Paths;
struct Language;
struct SelectedCareer;

// What the new-career controls take when a retired career goes on with a new commander, read
// from the career's current patrol ([PATROL N] of Patrols_0.cfg).
struct ContinuedCareer {
    int year = 0;  // the month after the last patrol's start
    int month = 0;
    std::string boatNumber;    // the digits of "U-<digits>"; empty when SubName is not of that form
    std::string patrolGrid;    // PatrolArea when it is a grid, else empty
    std::string subType;       // SubType as written
    std::string boatTypeName;  // Basic.cfg [SUBMARINE<SubType>] Name<SubVersion>
    std::string flotillaId;    // Flotilla as written
    std::string flotillaName;  // its name in the game's menu table
    // What was left for the game to choose, or moved, and why: sentences for the user.
    std::vector<std::string> notes;
};

// Throws Error naming file, section and key when the last patrol's start month is not a month,
// or when the month after it is outside the years a career can start in.
ContinuedCareer ContinueCareerValues(const Paths& paths, const Language& language,
                                     const SelectedCareer& career);

// A patrol grid as the game names one: letters and digits only (at least one of each), upper
// case, at most eight characters ("AN53"); not "NULL" or "Error!".
bool IsPatrolGrid(std::string_view text);

// Careers.cfg [CAREER N-1]: Finished and WarOver become "false" (one write); the career becomes
// the latest career. Throws Error for a career that is not retired.
void ReturnFromRetirement(const Paths& paths, const SelectedCareer& career);

// Item 11 of the career's CareerHistory becomes "1" and the career the latest career (one write
// of Seewolf.ini). A record of fewer than 12 items is first filled up with empty items: the
// sentence returned says so. Throws Error for a career that is not lost at sea.
std::optional<std::string> Surrender(const Paths& paths, const SelectedCareer& career);

// M01 of [CAREER N] in Careers_0.cfg (-1 when missing): 0 or more while a deck gun is fitted.
int DeckGun(const SelectedCareer& career);
// Writes M01 = -1.
void RemoveDeckGun(const SelectedCareer& career);

// The patrol-log editor of the program folder, Kladde.exe.
std::filesystem::path PatrolLogEditor(const Paths& paths);

// How the patrol-log editor is started for a career: the arguments "<rank> <name>", the career
// folder in the form Windows programs give it (with its trailing backslash), and N - 1, in the
// program folder. The parameter text is how they stand on a Windows command line:
// "<rank> <name>" "<folder>" <N-1>. A double quote would end a quoted piece early, so the rank
// and name are passed without theirs (a note says so); a career folder that holds one cannot
// be named to a Windows program and throws Error. Texts are UTF-8.
struct PatrolLogCall {
    platform::ProgramCall call;
    std::string parameterText;
    std::vector<std::string> notes;  // Windows-1252
};
PatrolLogCall PatrolLogEditorCall(const Paths& paths, const SelectedCareer& career);
// Starts it and returns at once; throws Error when it cannot be started.
void StartPatrolLogEditor(const PatrolLogCall& editor);

// The question asked before a career is deleted.
std::string DeleteCareerQuestion(std::string_view name);

// The folder a delete moves: SaveFolder/Careers/<name>, a folder directly inside Careers.
// Anything else (an empty name, ".", "..", a name with a separator, no such folder) throws.
std::filesystem::path CareerFolderToDelete(const Paths& paths, std::string_view name);

// Moves the career's folder to the trash. True when it went; false when the user declined in
// the system's own question. Throws Error when the trash did not take it; nothing is deleted
// for good in any case. CareerHistory and the latest career stay as they are.
bool DeleteCareer(const Paths& paths, std::string_view name);

}  // namespace seewolf
