#include "demo/crews.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "demo/demo.h"
#include "demo/vocabulary.h"

namespace seewolf::demo {

namespace {

// The days from which awards 7 and 6 can be held, as "yyyymmdd".
constexpr std::string_view kWarBadgeDate = "19391013";
constexpr std::string_view kFrontClaspDate = "19440515";

namespace award {
constexpr unsigned IronCross2 = 1U << 0;
constexpr unsigned IronCross1 = 1U << 1;
constexpr unsigned GermanCross = 1U << 2;
constexpr unsigned FrontClasp = 1U << 6;
constexpr unsigned WarBadge = 1U << 7;
constexpr unsigned WoundBadge = 1U << 8;
}  // namespace award

// An officer's face as the roster stores it: Index (or Index + 12, the same face), HeadIdx and
// HasHelmet.
struct Face {
    int number;
    int index;
    int head;
    bool helmet;
};
constexpr std::array<Face, 12> kFaces = {{{11, 12, 0, false},
                                          {12, 13, 0, true},
                                          {13, 14, 0, false},
                                          {14, 3, 0, true},
                                          {21, 16, 1, false},
                                          {22, 5, 1, true},
                                          {23, 18, 1, false},
                                          {24, 19, 1, true},
                                          {31, 8, 2, false},
                                          {32, 9, 2, true},
                                          {33, 22, 2, false},
                                          {34, 11, 2, true}}};

const Face& FaceOf(int number) {
    for (const Face& face : kFaces) {
        if (face.number == number) {
            return face;
        }
    }
    throw Error("The demo crew names face " + Num(number) + ", which does not exist.");
}

constexpr std::array<const char*, 28> kFirstNames = {
    "Hans",   "Karl",    "Otto",   "Fritz", "Heinrich", "Walter",  "Ernst",  "Paul",  "Kurt",    "Werner",
    "Helmut", "Gerhard", "Rudolf", "Erwin", "Herbert",  "Willi",   "Alfred", "Josef", "Günther", "Horst",
    "Bruno",  "Emil",    "Franz",  "Georg", "Max",      "Richard", "Theo",   "Anton"};
constexpr std::array<const char*, 32> kLastNames = {
    "Becker",  "Hoffmann", "Schulz",     "Krüger", "Wagner",   "Bauer",  "Richter", "Wolff",
    "Neumann", "Schwarz",  "Zimmermann", "Braun",  "Hartmann", "Lange",  "Krause",  "Lehmann",
    "Köhler",  "Jäger",    "Peters",     "Möller", "Fuchs",    "Scholz", "Vogt",    "Sommer",
    "Haas",    "Graf",     "Ritter",     "Brandl", "Seidel",   "Winter", "Engel",   "Berger"};

// One section of the roster. A crewman without NrComp, or with a negative one, is an empty slot
// whose keys a departed crewman left behind.
struct Crewman {
    int slot = 0;
    std::string name;
    int grade = 0;
    std::optional<int> comp;  // NrComp; none: the key is missing
    int patrols = 0;
    double experience = 0.0;
    unsigned awards = 0;  // bit i: award i
    std::vector<int> quals;
    std::optional<int> nrQual;  // NrQual when it does not count the qualifications written
    int face = 0;               // 0: no face (Index 0, HeadIdx 0, no helmet)
    bool otherIndex = false;    // the face stored under its second Index (n + 12 or n - 12)
    std::optional<int> rawIndex;
    int health = 0;
    int voice = 1;
    bool specialAbility = false;
    std::vector<std::pair<std::string, std::string>> unknownKeys;
    bool bare = false;  // a section with nothing but its NrComp (or nothing at all)
};

std::string DateText(const Day& d) {
    return Num(d.year) + TwoDigits(d.month) + TwoDigits(d.day);
}

bool HasCompartment8(int subType) {
    return subType == boattype::TypeVII || subType == boattype::TypeIX;
}

// The compartment the game expects in an officer slot (slots 1 and 11 have none).
int OfficerCompartment(int slot) {
    if (slot == 0) {
        return 0;
    }
    if (slot >= 2 && slot <= 4) {
        return 2;
    }
    if (slot >= 5 && slot <= 9) {
        return slot - 2;
    }
    return 8;
}

void AddCrewman(ProfileText& text, const Crewman& c) {
    text.Section("CREW_MEMBER_" + Num(c.slot));
    if (c.bare) {
        if (c.comp) {
            text.Key("NrComp", *c.comp);
        }
        return;
    }
    const std::size_t g = static_cast<std::size_t>(std::clamp(c.grade, 0, 8));
    int index = 0;
    int head = 0;
    bool helmet = false;
    if (c.face != 0) {
        const Face& face = FaceOf(c.face);
        index = c.otherIndex ? (face.index < 12 ? face.index + 12 : face.index - 12) : face.index;
        head = face.head;
        helmet = face.helmet;
    }
    text.Key("Name", c.name).Key("Index", c.rawIndex.value_or(index)).Key("Grad", c.grade);
    text.Key("Renown", 12.5 * c.patrols).Key("Patrols", c.patrols);
    text.Key("Morale", crewgrade::kMorale[g]).Key("Fatigue", 0.05 * static_cast<double>(g % 3));
    text.Key("HealthStatus", c.health).Key("WasWounded", (c.awards & award::WoundBadge) != 0 ? "Yes" : "No");
    text.Key("HitPoints", static_cast<double>(crewgrade::kHitPoints[g])).Key("Experience", c.experience);
    text.Key("NrQual", c.nrQual.value_or(static_cast<int>(c.quals.size())));
    for (std::size_t k = 0; k < c.quals.size(); ++k) {
        text.Key("Qualification" + Num(static_cast<long long>(k)), c.quals[k]);
    }
    if (c.specialAbility) {
        text.Key("SpecialAbility", 2);
    }
    for (int i = 0; i < 9; ++i) {
        text.Key("MedalsInx" + Num(i), (c.awards & (1U << i)) != 0 ? i : -1);
    }
    auto held = [&](unsigned bit) { return (c.awards & bit) != 0; };
    text.Key("Medal0", "Yes")
        .Key("Medal1", held(award::IronCross2) ? "Yes" : "No")
        .Key("Medal2", held(award::IronCross1) ? "Yes" : "No")
        .Key("Medal3", held(award::GermanCross) ? "Yes" : "No")
        .Key("Medal6", held(award::FrontClasp) ? "No" : "Yes")
        .Key("Medal7", held(award::WarBadge) ? "No" : "Yes");
    for (int q = 0; q < 9; ++q) {
        text.Key("Qual" + Num(q), "Yes");
    }
    const int quals = static_cast<int>(c.quals.size());
    const int type = c.grade >= 6 ? 0 : c.grade >= 3 ? (quals >= 2 ? 2 : 1) : (quals >= 1 ? 1 : 0);
    text.Key("Type", type).Key("HeadIdx", head).Key("HasHelmet", helmet ? "Yes" : "No");
    text.Key("VoiceIdx", c.voice).Key("Prom", "No");
    for (const auto& [key, value] : c.unknownKeys) {
        text.Key(key, value);
    }
    if (c.comp) {
        text.Key("NrComp", *c.comp);
    }
}

// Builds a roster: plausible crewmen drawn from the career's name, then the cases each career
// shows put in on purpose.
class Roster {
  public:
    explicit Roster(const CrewContext& context)
        : m_context(context),
          m_draws(std::string(context.career) + " crew"),
          m_date(DateText(context.date)) {}

    // Officers in the given slots, each in the compartment the game expects there.
    void Officers(std::initializer_list<int> slots) {
        int n = 0;
        for (const int slot : slots) {
            const int grade = n == 0 ? 8 : n < 3 ? 7 : 6;
            Put(Make(slot, grade, OfficerCompartment(slot)));
            ++n;
        }
    }

    // Petty officers in slots first to first + pettyOfficers - 1, seamen up to last.
    void Ratings(int first, int pettyOfficers, int last) {
        const int compartments = HasCompartment8(m_context.subType) ? 8 : 7;
        for (int slot = first; slot <= last; ++slot) {
            const int grade = slot < first + pettyOfficers ? 3 + m_draws.Next(3) : m_draws.Next(3);
            Put(Make(slot, grade, 1 + m_draws.Next(compartments)));
        }
    }

    Crewman& At(int slot) {
        const auto it = m_crew.find(slot);
        if (it == m_crew.end()) {
            throw Error("The demo roster of " + std::string(m_context.career) + " has no slot " + Num(slot) +
                        ".");
        }
        return it->second;
    }

    // A crewman who left: his keys stay, NrComp says -1 or is missing.
    void Departed(int slot, std::optional<int> comp, int grade) {
        Crewman c = Make(slot, grade, 0);
        c.comp = comp;
        Put(std::move(c));
    }

    void Bare(int slot, std::optional<int> comp) {
        Crewman c;
        c.slot = slot;
        c.comp = comp;
        c.bare = true;
        Put(std::move(c));
    }

    void Put(Crewman c) { m_crew[c.slot] = std::move(c); }

    void Write(Output& out, const fs::path& careerFolder, const char* unknownSection = nullptr) const {
        ProfileText text;
        if (unknownSection != nullptr) {
            // A section the game's own tools keep, which nothing here reads.
            text.Section(unknownSection)
                .Key("LastChange", m_date)
                .Key("Entries", static_cast<int>(m_crew.size()));
            text.Blank();
        }
        bool first = true;
        for (const auto& [slot, crewman] : m_crew) {
            if (!first) {
                text.Blank();
            }
            first = false;
            AddCrewman(text, crewman);
        }
        out.WriteNewText(careerFolder / ("Crew_Career_" + Num(m_context.patrolCount) + "0.cfg"), text);
    }

  private:
    bool From(std::string_view date) const { return m_date >= date; }

    Crewman Make(int slot, int grade, int comp) {
        Crewman c;
        c.slot = slot;
        c.grade = grade;
        c.comp = comp;
        c.name = std::string(kFirstNames[static_cast<std::size_t>(m_draws.Next(kFirstNames.size()))]) + " " +
                 kLastNames[static_cast<std::size_t>(m_draws.Next(kLastNames.size()))];
        c.patrols = m_context.patrolCount == 0 ? 0 : m_draws.Next(m_context.patrolCount + 1);
        c.experience = crewgrade::kExperience[static_cast<std::size_t>(grade)] + 15.0 * c.patrols +
                       m_draws.Next(150) / 10.0;
        // Awards as the game would have given them: the war badge after two patrols, now and then
        // an Iron Cross, the front clasp only from its date, the wound badge only with the war badge.
        if (c.patrols >= 2 && From(kWarBadgeDate)) {
            c.awards |= award::WarBadge;
        }
        if (c.patrols >= 1 && m_draws.Next(4) == 0) {
            c.awards |= award::IronCross2;
            if (c.patrols >= 3 && m_draws.Next(3) == 0) {
                c.awards |= award::IronCross1;
            }
            if (From(kFrontClaspDate)) {
                c.awards |= award::FrontClasp;
            }
        }
        if ((c.awards & award::WarBadge) != 0 && m_draws.Next(12) == 0) {
            c.awards |= award::WoundBadge;
        }
        // Seamen and the lower petty officers have one qualification slot, the others three.
        const int most = grade >= 5 ? 3 : 1;
        const int count = grade >= 3 ? 1 + m_draws.Next(most) : m_draws.Next(3) == 0 ? 1 : 0;
        std::vector<int> pool = {0, 1, 2, 3, 4, 5, 6, 7, 8};
        for (int k = 0; k < count; ++k) {
            const std::size_t pick = static_cast<std::size_t>(m_draws.Next(static_cast<int>(pool.size())));
            c.quals.push_back(pool[pick]);
            pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(pick));
        }
        if (grade >= 6) {
            c.face = kFaces[static_cast<std::size_t>(m_nextFace++ % kFaces.size())].number;
            c.otherIndex = m_draws.Next(2) == 1;
        }
        c.voice = 1 + m_draws.Next(6);
        return c;
    }

    const CrewContext& m_context;
    Draws m_draws;
    std::string m_date;
    std::size_t m_nextFace = 0;
    std::map<int, Crewman> m_crew;
};

// The Hans Kessler career (Type VII, in base, February 1941), the one the demo opens on: a full
// roster of 121 sections with most of the cases.
void HomeBaseCrew(Roster& r) {
    r.Officers({0, 2, 3, 5, 6, 7, 8, 9, 10, 11});
    r.Ratings(12, 24, 120);
    // Officer slots: a wrong compartment in slot 0 (becomes 0) and slot 10 (becomes 8), the right
    // one in slot 7, an officer in slot 11 who moves into the free slot 4.
    r.At(0).comp = 5;
    r.At(0).awards = award::IronCross2 | award::WarBadge;  // suggestion 6: grade 8, 500 experience and more
    r.At(0).experience = 640.0;
    r.At(0).patrols = 4;
    r.At(0).face = 11;
    r.At(0).otherIndex = true;
    r.At(5).face = kAbsentFace;  // its picture is missing
    r.At(7).comp = 5;
    r.At(10).comp = 3;
    r.At(11).comp = 2;
    r.Departed(1, -1, 6);
    r.Departed(4, std::nullopt, 7);  // no NrComp; its old third qualification goes with the move
    r.At(4).quals = {1, 4, 7};
    // Petty officers: a grade 4 who cannot become an officer, award sets for suggestions 3, 2 and 8.
    r.At(12).grade = 4;
    r.At(12).quals = {3};
    r.At(13).grade = 5;
    r.At(13).quals = {0, 5, 7};
    r.At(13).patrols = 4;
    r.At(13).awards = award::IronCross2 | award::IronCross1 | award::GermanCross | award::WarBadge;  // 3
    r.At(14).grade = 3;
    r.At(14).patrols = 3;
    r.At(14).awards = award::IronCross2 | award::FrontClasp | award::WarBadge;  // 2
    r.At(15).grade = 3;
    r.At(15).patrols = 1;
    r.At(15).awards = award::WoundBadge;  // 8 and 5
    // Seamen: suggestion 1, a promotion the experience does not allow, a long name, a stale
    // qualification, unknown keys, and one with nothing but suggestion 5 (Auto Fix stays off).
    r.At(36).grade = 0;
    r.At(36).patrols = 3;
    r.At(36).awards = award::IronCross2;  // 1
    r.At(37).grade = 1;
    r.At(37).experience = 35.0;  // grade 2 needs 50
    r.At(38).name = "Karl-Heinz Schulze-Brockdorff";
    r.At(39).quals = {4};
    r.At(39).nrQual = 0;
    r.At(40).specialAbility = true;
    r.At(40).unknownKeys = {{"Nickname", "Smutje"}, {"Tattoo", "Anker"}};
    r.At(41).patrols = 2;
    r.At(41).awards = award::WarBadge;  // 5 alone
    r.Departed(60, -1, 1);
    r.Departed(90, std::nullopt, 0);
    r.Bare(119, std::nullopt);
    r.Bare(120, -1);
}

// The Otto Brandt career (Type VII, another base, January 1942): a sparse roster.
void OtherBaseCrew(Roster& r) {
    r.Officers({0, 2});
    r.At(0).face = 21;
    r.At(2).face = 13;
    r.At(2).otherIndex = true;
    r.Ratings(14, 1, 14);
    r.At(14).grade = 5;
    r.At(14).patrols = 3;
    r.At(14).awards = award::IronCross2 | award::IronCross1 | award::WarBadge;  // the German Cross is due
    r.Ratings(33, 0, 33);
    r.At(33).grade = 2;
    r.At(33).quals = {2};
    r.At(33).nrQual = 0;
    r.Ratings(118, 0, 118);
    r.At(118).comp = 8;
    r.Bare(1, -1);
    r.Departed(7, std::nullopt, 6);
    r.Departed(57, -1, 0);
}

// The Heinz Albrecht career (Type II, in base, October 1939): officers in the slots 1, 10 and 11,
// only slots 3 and 7 free; the war badge before its date.
void EarlyWarCrew(Roster& r) {
    r.Officers({0, 2, 4, 5, 6, 8, 9, 1, 10, 11});
    r.At(1).comp = 2;
    r.At(10).comp = 5;
    r.At(11).comp = 7;
    r.Departed(3, -1, 6);
    r.At(3).quals = {2, 6, 8};
    r.Departed(7, std::nullopt, 7);
    r.Ratings(12, 5, 26);
    r.At(12).patrols = 1;
    r.At(12).awards = award::WarBadge;  // 7 and 5
    r.At(13).patrols = 1;
    r.At(13).awards = award::IronCross2 | award::WarBadge;  // 7 alone: Auto Fix takes the badge away
    r.At(14).patrols = 1;
    r.At(14).awards = award::WoundBadge;  // 8 and 5
    r.At(26).comp = 8;                    // no such compartment on a Type II
}

// The Paul Weber career (Type XXI, May 1945): the front clasp is due; compartment 8 again.
void SurrenderedCrew(Roster& r) {
    r.Officers({0, 2, 5, 6, 7});
    r.Ratings(12, 7, 31);
    r.At(20).patrols = 2;
    r.At(20).awards = award::WarBadge;  // 4 and 5: Auto Fix is on but has nothing to do
    r.At(21).patrols = 3;
    r.At(21).awards = award::IronCross2 | award::FrontClasp | award::WarBadge;  // nothing to suggest
    r.At(31).comp = 8;
}

// The Wilhelm Dorn career (Type IX, retired): values out of range.
void RetiredCrew(Roster& r) {
    r.Officers({0, 2, 3, 5, 7, 10});
    r.At(3).rawIndex = 30;  // an Index that names no face
    r.Ratings(12, 9, 43);
    r.At(41).grade = 9;
    r.At(42).health = 3;
    r.At(43).comp = 12;
}

}  // namespace

void WriteCrewRoster(Output& out, const fs::path& careerFolder, const CrewContext& context) {
    Roster r(context);
    const std::string_view name = context.career;
    if (name == DemoCareers::NotListed) {
        return;  // no career, no crew
    }
    if (name == DemoCareers::InHomeBase) {
        HomeBaseCrew(r);
        r.Write(out, careerFolder, "CREW_LOG");
        return;
    }
    if (name == DemoCareers::InOtherBase) {
        OtherBaseCrew(r);
    } else if (name == DemoCareers::EarlyWar) {
        EarlyWarCrew(r);
    } else if (name == DemoCareers::Surrendered) {
        SurrenderedCrew(r);
    } else if (name == DemoCareers::Retired) {
        RetiredCrew(r);
    } else if (name == DemoCareers::Lost) {
        r.Officers({0, 2, 5});
        r.Ratings(12, 5, 25);
        r.Ratings(30, 0, 30);
        r.At(30).comp = 8;  // no such compartment on a Type II
    } else if (name == DemoCareers::AtSea) {
        r.Officers({0, 2, 5, 6, 10});
        r.Ratings(12, 6, 29);
    } else if (name == DemoCareers::FirstPatrol) {
        r.Officers({0, 2, 5, 6, 7, 10});
        r.Ratings(12, 14, 51);
    } else if (name == DemoCareers::AtSeaNoGrid) {
        r.Officers({0, 2, 5});
        r.Ratings(12, 3, 19);
    } else if (name == DemoCareers::InBaseNoGrid) {
        // An officer in slot 1 with slot 4 free for him.
        r.Officers({0, 2, 3, 5, 6, 7, 8, 9, 10, 1});
        r.At(1).comp = 2;
        r.Bare(4, -1);
        r.Ratings(12, 16, 57);
    } else {
        throw Error("The demo career " + std::string(name) + " has no crew.");
    }
    r.Write(out, careerFolder);
}

}  // namespace seewolf::demo
