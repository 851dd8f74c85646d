#include "crew/service_history.h"

#include "app/random.h"
#include "crew/crewman.h"

namespace seewolf::crew {

ServiceHistory DrawServiceHistory(const VeteranRules& rules, std::string_view careerDate, float base,
                                  Random& random) {
    ServiceHistory history;
    history.patrols = 1 + random.Next(rules.maxPatrols);
    if (history.patrols >= 2 && careerDate >= kWarBadgeDate) {
        history.medal7 = 7;
    }
    float experience = base;
    int rest = history.patrols;
    if (random.Next(100) < rules.medalChance) {
        history.medal0 = 0;
        if (careerDate >= kFrontClaspDate) {
            history.medal6 = 6;
        }
        // The patrols up to the medal count with the medal factor.
        const int withMedal = 1 + random.Next(history.patrols);
        experience = (static_cast<float>(withMedal) + base) * rules.medalFactor;
        rest = history.patrols - withMedal;
    }
    history.experience = static_cast<float>(rest) + experience;
    if (history.experience < 0.0f) {
        history.experience = 0.0f;  // a medal factor of 0 or less takes nothing below 0
    }
    return history;
}

}  // namespace seewolf::crew
