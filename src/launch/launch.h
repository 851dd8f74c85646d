#pragma once

// The launch sequence: roll back what an earlier launch left, settle the patrol start date,
// install the file sets, apply the modifications, start the companion.

#include <functional>
#include <string>

#include "app/settings.h"
#include "career/career.h"

namespace seewolf {

namespace platform {
class FileLock;
}

struct Paths;
struct Language;
class Prompter;
class Random;

// The launch settings of Seewolf.ini, read fresh for each launch: the settings, with each paired
// value whose switch is off carried as -1 (none): FatigueModel, WaterDensityValue, WaveHeight,
// ReloadTime88, ReloadTime105, Effects.
using LaunchSettings = Settings;

LaunchSettings ReadLaunchSettings(const Paths& paths);

// What the main window (or the command line) hands to the launch.
struct LaunchRequest {
    SelectedCareer career;  // CareerStatus, and for an existing career its fields
    std::string treeEntry;  // text of the selected tree entry (written as the latest career)
    // New career and single mission:
    int year = 1939;
    int month = 1;
    std::string flotillaName;  // text of the flotilla box ("" when none is offered)
    std::string flotillaId;
    std::string boatTypeName;  // text of the boat type box
    int boatTypeNumber = 0;
    std::string commanderName;  // new career only
    std::string boatNumber;     // new career only: the boat number box ("" for the game's choice)
    std::string patrolGrid;     // new career only: the patrol grid box ("" for the game's choice)
    std::string crewSet;        // "" for "Already in SH3"
    bool randomCrewDetails = false;
    // The process command line holds /nolaunch: prepare the files, start nothing.
    bool noLaunch = false;
};

// Hooks into the window for the waits of the sequence.
struct LaunchHooks {
    std::function<void(bool)> setWindowEnabled;  // while the weather tool runs
    std::function<void()> keepResponsive;        // called regularly while waiting
};

enum class LaunchOutcome {
    Refused,      // stopped with a message; the window stays open
    Launched,     // the files are prepared (and the companion started): close the window
    CareerEnded,  // the career length check ended the career: the window stays open and shows it again
};

inline constexpr const char* kNoFlotillaOrType = "No Flotilla or U-boat Type selected! Please try again.";

// Runs the sequence. When a step after the first roll-back fails, what the launch changed is rolled
// back and the step's error propagates as Error, with a sentence saying whether that roll-back
// restored everything. If it did not, BackupHoldsFiles is true and the Roll back button is to be
// shown; the status line is hidden (or says what stayed).
LaunchOutcome RunLaunch(const Paths& paths, const Language& language, const LaunchRequest& request,
                        Prompter& prompter, Random& random, const LaunchHooks& hooks = {});

// The same, for a caller that holds the lock of LockGameFiles already and keeps it after the
// launch (one that waits for the game and rolls back, letting no other launch in between).
LaunchOutcome RunLaunch(const Paths& paths, const Language& language, const LaunchRequest& request,
                        Prompter& prompter, Random& random, const platform::FileLock& held,
                        const LaunchHooks& hooks);

// The patrol start date ("yyyymmdd") for the request, with the days in base it used and whether
// they are to be written into the game.
struct PatrolStart {
    std::string date;
    int daysInBase = 28;
    bool writeDays = false;
};
PatrolStart ComputePatrolStart(const Paths& paths, const LaunchRequest& request,
                               const std::string& careerDate, const LaunchSettings& settings, Random& random);

}  // namespace seewolf
