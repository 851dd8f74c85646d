#pragma once

// The earlier service of a crewman who comes from another boat: his patrols, medals and the
// experience they bring. Shared by the crews a new career starts with and by the newcomers of
// transfers and replacements, so both draw alike.

#include <string_view>

namespace seewolf {

class Random;

namespace crew {

struct VeteranRules {
    int maxPatrols = 0;        // patrols served: 1 to maxPatrols (0 gives 1)
    int medalChance = 0;       // percent chance of medal 0
    float medalFactor = 1.0f;  // experience factor of medal 0 ([MEDALS_CREW] Experience)
};

struct ServiceHistory {
    int patrols = 0;
    int medal0 = -1;  // MedalsInx0, MedalsInx6, MedalsInx7: the medal's index, or -1
    int medal6 = -1;
    int medal7 = -1;
    float experience = 0.0f;
};

// Draws, in this order, the patrols P, whether medal 0 is held and after which patrol k it came.
// Medal 7 needs two patrols and the career date from 19391013, medal 6 comes with medal 0 from
// 19440515. Experience (single precision, as the game keeps it): base + P, or with the medal
// (base + k) x factor + (P - k); never below 0 (a factor of 0 or less). It is not finite when
// base and factor come to more than a float holds: the caller reports that, naming its files.
ServiceHistory DrawServiceHistory(const VeteranRules& rules, std::string_view careerDate, float base,
                                  Random& random);

}  // namespace crew
}  // namespace seewolf
