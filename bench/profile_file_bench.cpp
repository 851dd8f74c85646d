// Speed of the profile-file layer on a crew-roster-like file: 121 crew slots of 30 keys each.
//
//   ReadEveryKey  one ReadString per key of every slot, through the cache (steady state)
//   ColdParse     a full load per iteration: the file's time is touched so the cached parse is
//                 stale, then one read stats, reads, splits and indexes the file again
//   PlainParse    the same bytes read and split by a plain single-pass parser (below), which
//                 only cuts sections, keys and values without indexing or caching
//
// ColdParse against PlainParse shows what the layer's index costs over the bare minimum.
//
//   ColdReadAgainstInih  each iteration, on the same file, each side after the cached parse was
//                        made stale: every value read once through ProfileFile::ReadString (the
//                        first read parses, every read checks the file's stamp); the same through
//                        one ProfileEdit (one read of the file); the same through one
//                        ProfileSnapshot (one read of the file, never written); the common C
//                        parser inih (Debian's libinih) parsing the file with a handler that keeps
//                        a copy of every value, as a reader must. Counters: each side's mean time
//                        and their ratios to inih, all measured in the same run.
//
//   WriteKeysOneEdit   700 keys of a copy of the file set through one ProfileEdit and one Commit
//   WriteKeysOneByOne  the same 700 keys set by 700 ProfileFile::WriteString calls, each of
//                      which reads, rewrites and renames the file
// Each iteration gives the keys other values than the one before, so every write changes the file.

#include <benchmark/benchmark.h>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <ini.h>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/profile_file.h"
#include "platform/files.h"

namespace fs = std::filesystem;

namespace {

struct Roster {
    fs::path folder;
    fs::path file;
    std::vector<std::string> sections;
    std::vector<std::string> keys;
    std::uintmax_t size = 0;
};

Roster& TheRoster() {
    static Roster roster;
    return roster;
}

std::string Fixed6(double value) {
    char text[32];
    const auto result = std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed, 6);
    return std::string(text, result.ptr);
}

// Writes the roster file with realistic names and values.
void MakeRoster() {
    Roster& roster = TheRoster();
    std::random_device seed;
    roster.folder = fs::temp_directory_path() / ("seewolf-bench-" + std::to_string(seed()));
    fs::create_directories(roster.folder);
    roster.file = roster.folder / "Roster.cfg";
    roster.keys = {
        "Name",    "Rank",    "Grade",       "Specialty", "Qualification1", "Qualification2", "Effectiveness",
        "Fatigue", "Morale",  "Health",      "Age",       "DateOfBirth",    "Hometown",       "FaceID",
        "HeadID",  "Patrols", "DaysAtSea",   "Tonnage",   "ShipsSunk",      "Award1",         "Award2",
        "Award3",  "Wounds",  "Compartment", "Station",   "Promotion",      "JoinedDate",     "Experience",
        "Renown",  "Status"};
    const std::vector<std::string> firstNames = {"Hans", "Karl", "Otto", "Werner", "Heinz", "Fritz", "Kurt"};
    const std::vector<std::string> lastNames = {"Meyer", "Schulz", "Becker", "Hoffmann", "Wagner", "Krause"};
    std::mt19937 random(20240607);
    std::string text = "; Crew roster\r\n\r\n";
    for (int slot = 0; slot <= 120; ++slot) {
        roster.sections.push_back("CrewMember" + std::to_string(slot));
        text += "[" + roster.sections.back() + "]\r\n";
        for (const std::string& key : roster.keys) {
            std::string value;
            if (key == "Name") {
                value =
                    firstNames[random() % firstNames.size()] + " " + lastNames[random() % lastNames.size()];
            } else if (key == "Hometown") {
                value = "Wilhelmshaven";
            } else if (key == "DateOfBirth" || key == "JoinedDate") {
                value = std::to_string(19100101 + random() % 100000);
            } else if (key == "Effectiveness" || key == "Fatigue" || key == "Morale" || key == "Health" ||
                       key == "Experience") {
                value = Fixed6(static_cast<double>(random() % 1000000) / 1000000.0);
            } else {
                value = std::to_string(random() % 12);
            }
            text += key + "=" + value + "\r\n";
        }
        text += "\r\n";
    }
    std::ofstream(roster.file, std::ios::binary) << text;
    roster.size = text.size();
}

// Puts the file's modification time a few seconds in the past (alternating between two such
// times, so that every call changes it) and waits until its change time is no longer recent,
// so that the cache can trust its stamp.
void SettleRoster() {
    static bool flip = false;
    flip = !flip;
    fs::last_write_time(TheRoster().file,
                        fs::file_time_type::clock::now() - std::chrono::seconds(flip ? 5 : 6));
}

void ReadEveryKey(benchmark::State& state) {
    const Roster& roster = TheRoster();
    const seewolf::ProfileFile ini(roster.file);
    SettleRoster();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ini.ReadString(roster.sections[0], roster.keys[0], "");
    std::size_t reads = 0;
    for (auto _ : state) {
        for (const std::string& section : roster.sections) {
            for (const std::string& key : roster.keys) {
                benchmark::DoNotOptimize(ini.ReadString(section, key, ""));
            }
        }
        reads += roster.sections.size() * roster.keys.size();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(reads));
}

// What the per-key reads cannot go below: one look at the file (a stat call) per key, the
// check that lets every read see the file's current bytes.
void StatPerKey(benchmark::State& state) {
    const Roster& roster = TheRoster();
    const std::size_t reads = roster.sections.size() * roster.keys.size();
    for (auto _ : state) {
        for (std::size_t i = 0; i < reads; ++i) {
            benchmark::DoNotOptimize(seewolf::platform::StampOf(roster.file));
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(reads * state.iterations()));
}

// The same keys read a slot at a time: one operation (and one look at the file) per slot.
void ReadEverySlot(benchmark::State& state) {
    const Roster& roster = TheRoster();
    const seewolf::ProfileFile ini(roster.file);
    SettleRoster();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ini.ReadString(roster.sections[0], roster.keys[0], "");
    std::size_t reads = 0;
    for (auto _ : state) {
        for (const std::string& section : roster.sections) {
            const std::vector<std::string> values = ini.ReadSectionValues(section);
            benchmark::DoNotOptimize(values.data());
            reads += values.size();
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(reads));
}

void ColdParse(benchmark::State& state) {
    const Roster& roster = TheRoster();
    const seewolf::ProfileFile ini(roster.file);
    for (auto _ : state) {
        SettleRoster();
        benchmark::DoNotOptimize(ini.ReadString("CrewMember120", "Status", ""));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * roster.size));
}

// What an inih handler does to read every value: keep a copy of it.
int KeepValue(void* user, const char* /*section*/, const char* /*name*/, const char* value) {
    auto& values = *static_cast<std::vector<std::string>*>(user);
    values.emplace_back(value);
    return 1;
}

void ColdReadAgainstInih(benchmark::State& state) {
    const Roster& roster = TheRoster();
    const seewolf::ProfileFile ini(roster.file);
    const std::string path = roster.file.string();
    std::vector<std::string> values;
    values.reserve(roster.sections.size() * roster.keys.size());
    using Clock = std::chrono::steady_clock;
    // Each side starts on the same footing: the cached parse stale, and a pause that lets the
    // file's change time age past the cache's racy margin (so the first read parses once and the
    // others may trust the new stamp; a file changed this very moment is parsed again at every
    // read, which is another matter) and leaves the processor's caches as cold for every side.
    const auto timed = [&](Clock::duration& total, const auto& side) {
        SettleRoster();
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        const auto start = Clock::now();
        side();
        total += Clock::now() - start;
    };
    Clock::duration ours{};
    Clock::duration edit{};
    Clock::duration snap{};
    Clock::duration theirs{};
    for (auto _ : state) {
        timed(ours, [&] {
            for (const std::string& section : roster.sections) {
                for (const std::string& key : roster.keys) {
                    benchmark::DoNotOptimize(ini.ReadString(section, key, ""));
                }
            }
        });
        // The same values through one edit, which reads the file once when it is made and answers
        // every read from what it read (never committed).
        timed(edit, [&] {
            const seewolf::ProfileEdit once(ini);
            for (const std::string& section : roster.sections) {
                for (const std::string& key : roster.keys) {
                    benchmark::DoNotOptimize(once.ReadString(section, key, ""));
                }
            }
        });
        // The same values through one snapshot: one read of the file, every read answered from it.
        timed(snap, [&] {
            const seewolf::ProfileSnapshot snapshot(ini);
            for (const std::string& section : roster.sections) {
                for (const std::string& key : roster.keys) {
                    benchmark::DoNotOptimize(snapshot.ReadString(section, key, ""));
                }
            }
        });
        values.clear();
        timed(theirs, [&] {
            if (ini_parse(path.c_str(), &KeepValue, &values) != 0) {
                state.SkipWithError("inih could not parse the roster");
            }
            benchmark::DoNotOptimize(values.data());
        });
    }
    const auto iterations = static_cast<double>(state.iterations());
    const auto micros = [&](Clock::duration d) {
        return std::chrono::duration<double, std::micro>(d).count() / iterations;
    };
    state.counters["ours_us"] = micros(ours);
    state.counters["edit_us"] = micros(edit);
    state.counters["snapshot_us"] = micros(snap);
    state.counters["inih_us"] = micros(theirs);
    state.counters["ours_over_inih"] = micros(ours) / micros(theirs);
    state.counters["edit_over_inih"] = micros(edit) / micros(theirs);
    state.counters["snapshot_over_inih"] = micros(snap) / micros(theirs);
}

// ---- 700 keys written: one edit against single writes ----

constexpr std::size_t kKeysWritten = 700;

fs::path CopyOfRoster(const char* name) {
    const fs::path copy = TheRoster().folder / name;
    fs::copy_file(TheRoster().file, copy, fs::copy_options::overwrite_existing);
    return copy;
}

// The i-th key of the roster, slot by slot.
std::pair<const std::string&, const std::string&> KeyNumber(std::size_t i) {
    const Roster& roster = TheRoster();
    return {roster.sections[i / roster.keys.size()], roster.keys[i % roster.keys.size()]};
}

void WriteKeysOneEdit(benchmark::State& state) {
    const seewolf::ProfileFile ini(CopyOfRoster("OneEdit.cfg"));
    int round = 0;
    for (auto _ : state) {
        const std::string value = "value " + std::to_string(++round);
        seewolf::ProfileEdit edit(ini);
        for (std::size_t i = 0; i < kKeysWritten; ++i) {
            const auto [section, key] = KeyNumber(i);
            edit.WriteString(section, key, value);
        }
        edit.Commit();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kKeysWritten));
}

void WriteKeysOneByOne(benchmark::State& state) {
    const seewolf::ProfileFile ini(CopyOfRoster("OneByOne.cfg"));
    int round = 0;
    for (auto _ : state) {
        const std::string value = "value " + std::to_string(++round);
        for (std::size_t i = 0; i < kKeysWritten; ++i) {
            const auto [section, key] = KeyNumber(i);
            ini.WriteString(section, key, value);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kKeysWritten));
}

// ---- A plain parser, for comparison: one pass, no index, no cache ----

struct PlainSection {
    std::string_view name;
    std::vector<std::pair<std::string_view, std::string_view>> entries;
};

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

std::vector<PlainSection> PlainSplit(std::string_view bytes) {
    std::vector<PlainSection> sections;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') {
            ++end;
        }
        const std::string_view line = TrimBlanks(bytes.substr(pos, end - pos));
        pos = end + 1;
        if (pos < bytes.size() && bytes[end] == '\r' && bytes[pos] == '\n') {
            ++pos;
        }
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close != std::string_view::npos) {
                sections.push_back({line.substr(1, close - 1), {}});
                continue;
            }
        }
        if (sections.empty()) {
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            sections.back().entries.emplace_back(line, std::string_view());
        } else {
            sections.back().entries.emplace_back(TrimBlanks(line.substr(0, eq)),
                                                 TrimBlanks(line.substr(eq + 1)));
        }
    }
    return sections;
}

void PlainParse(benchmark::State& state) {
    const Roster& roster = TheRoster();
    for (auto _ : state) {
        const auto bytes = seewolf::platform::ReadFile(roster.file);
        auto sections = PlainSplit(*bytes);
        benchmark::DoNotOptimize(sections.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * roster.size));
}

BENCHMARK(ReadEveryKey)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadEverySlot)->Unit(benchmark::kMillisecond);
BENCHMARK(StatPerKey)->Unit(benchmark::kMillisecond);
BENCHMARK(ColdParse)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainParse)->Unit(benchmark::kMicrosecond);
BENCHMARK(ColdReadAgainstInih)->Unit(benchmark::kMicrosecond);
BENCHMARK(WriteKeysOneEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteKeysOneByOne)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    MakeRoster();
    benchmark::AddCustomContext("roster_bytes", std::to_string(TheRoster().size));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(TheRoster().folder, ec);
    return 0;
}
