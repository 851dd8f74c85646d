#include "career_world.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <system_error>

#include "app/profile_file.h"
#include "demo/demo.h"
#include "demo/demo_paths.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "support.h"

namespace seewolf::fuzz {

namespace {

namespace fs = std::filesystem;

struct Stamp {
    bool folder = false;
    std::uintmax_t size = 0;
    fs::file_time_type modified{};
    bool operator==(const Stamp&) const = default;
};

// Everything under the root before any input, with the bytes of the files an input may change.
struct Snapshot {
    std::map<fs::path, Stamp> entries;
    std::map<fs::path, std::string> original;  // the careers' files and Seewolf.ini
};

Snapshot& TheSnapshot() {
    static Snapshot snapshot;
    return snapshot;
}

[[noreturn]] void Fail(const std::string& what, const fs::path& path) {
    std::fprintf(stderr, "career world: %s: %s\n", what.c_str(), path.string().c_str());
    std::abort();
}

Stamp StampOf(const fs::directory_entry& entry) {
    Stamp stamp;
    stamp.folder = entry.is_directory();
    if (!stamp.folder) {
        stamp.size = entry.file_size();
        stamp.modified = entry.last_write_time();
    }
    return stamp;
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        Fail("cannot read", file);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, const void* data, std::size_t size) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        Fail("cannot write", file);
    }
}

std::map<fs::path, Stamp> ListWorld(const fs::path& root) {
    std::map<fs::path, Stamp> entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        entries.emplace(entry.path(), StampOf(entry));
    }
    return entries;
}

CareerWorld MakeWorld() {
    CareerWorld world;
    world.root = ScratchFolder() / "world";
    demo::DemoOptions options;
    options.root = world.root;
    options.programSource = SEEWOLF_CONTENT_DIR;
    const demo::DemoWorld demoWorld = demo::WriteDemoInstallation(options);

    // Only what the readers and the reports use: no file sets, two careers.
    for (const char* sets : {"Flotilla", "U-boat", "Crew", "Date", "Random"}) {
        fs::remove_all(demoWorld.program / sets);
    }
    world.paths = demo::StartUpPaths(demoWorld);
    const std::vector<std::string> kept = {demo::DemoCareers::InHomeBase, demo::DemoCareers::AtSea};
    const fs::path careers = world.paths.SaveFolder / "Careers";
    for (const fs::directory_entry& entry : fs::directory_iterator(careers)) {
        if (std::find(kept.begin(), kept.end(), entry.path().filename().string()) == kept.end()) {
            fs::remove_all(entry.path());
        }
    }
    // The full roster of 121 crewmen costs more to read than everything else together: the first
    // sixteen slots hold every kind of officer placement the crew code sorts out.
    const fs::path roster = careers / kept[0] / "Crew_Career_40.cfg";
    std::string bytes = ReadBytes(roster);
    bytes.resize(std::min(bytes.size(), bytes.find("[CREW_MEMBER_16]")));
    WriteBytes(roster, bytes.data(), bytes.size());
    // The reports then also give the patrol logs real ship names.
    ProfileFile(world.paths.SettingsFile()).WriteBool("SETTINGS", "RealShipNames", true);
    world.language = ChooseLanguage(world.paths);
    LoadDateTexts(world.paths, world.language);

    // The files an input can replace, in a fixed order.
    for (const std::string& career : kept) {
        std::vector<fs::path> files;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(careers / career)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
        files.push_back(world.paths.SettingsFile());
        for (const fs::path& file : files) {
            world.files.push_back({file, career});
        }
    }
    // The game's table of aces, which the aces page reads beside the careers.
    world.files.push_back({world.paths.Game("data\\Cfg\\UboatAces.cfg"), kept[0]});
    Snapshot& snapshot = TheSnapshot();
    snapshot.entries = ListWorld(world.root);
    for (const CareerFile& file : world.files) {
        snapshot.original[file.path] = ReadBytes(file.path);
    }
    return world;
}

bool IsPatrolLogWrite(const fs::path& path, const fs::path& careers) {
    if (!IsInside(path, careers)) {
        return false;
    }
    const std::string name = path.filename().string();
    return name == "Used ship names.log" ||
           (name.rfind("Log_", 0) == 0 && name.size() > 8 && name.substr(name.size() - 4) == ".cfg");
}

}  // namespace

const CareerWorld& World() {
    static const CareerWorld world = MakeWorld();
    return world;
}

bool IsInside(const fs::path& path, const fs::path& folder) {
    const fs::path relative = fs::absolute(path).lexically_normal().lexically_relative(
        platform::WithoutTrailingSeparator(fs::absolute(folder).lexically_normal()));
    return !relative.empty() && *relative.begin() != ".." && *relative.begin() != ".";
}

FuzzedCareerFile::FuzzedCareerFile(const std::uint8_t* data, std::size_t size) {
    const CareerWorld& world = World();
    const std::size_t pick = size == 0 ? 0 : data[0] % world.files.size();
    m_file = &world.files[pick];
    if (size > 0) {
        WriteBytes(m_file->path, data + 1, size - 1);
        // The input is the file's content now: a run must leave it as it is, as every other file.
        TheSnapshot().entries[m_file->path] = StampOf(fs::directory_entry(m_file->path));
    }
}

FuzzedCareerFile::~FuzzedCareerFile() {
    const CareerWorld& world = World();
    Snapshot& snapshot = TheSnapshot();
    const fs::path reports = world.paths.DocsFolder / "Personnel Files";
    // What a run created: the pages go; the pictures beside them stay for the next run (which
    // copies them again) and count as part of the world from now on; anything else goes.
    std::error_code ec;
    for (const auto& [path, stamp] : ListWorld(world.root)) {
        if (snapshot.entries.count(path) != 0) {
            continue;
        }
        if (!IsInside(path, reports) && path != reports) {
            fs::remove_all(path, ec);
        } else if (path.extension() == ".html") {
            fs::remove(path, ec);
        }
    }
    for (const auto& [path, stamp] : ListWorld(world.root)) {
        if (IsInside(path, reports) || path == reports) {
            snapshot.entries[path] = stamp;
        }
    }
    // The career files a run changed (the fuzzed one, patrol logs) get their bytes back.
    for (const auto& [path, bytes] : snapshot.original) {
        const fs::directory_entry entry(path);
        if (path == m_file->path || !entry.exists() || !(StampOf(entry) == snapshot.entries[path])) {
            WriteBytes(path, bytes.data(), bytes.size());
            snapshot.entries[path] = StampOf(fs::directory_entry(path));
        }
    }
}

void CheckWorldUnchanged(const AllowedWrites& allowed) {
    const CareerWorld& world = World();
    const Snapshot& snapshot = TheSnapshot();
    const fs::path careers = world.paths.SaveFolder / "Careers";
    const std::map<fs::path, Stamp> now = ListWorld(world.root);
    for (const auto& [path, stamp] : now) {
        if (!allowed.reportFolder.empty() &&
            (IsInside(path, allowed.reportFolder) || IsInside(allowed.reportFolder, path) ||
             fs::equivalent(path, allowed.reportFolder))) {
            continue;  // a page, or a folder on the way to the report folder
        }
        if (allowed.patrolLogs && IsPatrolLogWrite(path, careers)) {
            continue;
        }
        const auto before = snapshot.entries.find(path);
        if (before == snapshot.entries.end()) {
            Fail("a file or folder was created outside the report folder", path);
        }
        if (!(before->second == stamp)) {
            Fail("a file was changed", path);
        }
    }
    for (const auto& [path, stamp] : snapshot.entries) {
        if (now.count(path) == 0) {
            Fail("a file or folder was removed", path);
        }
    }
}

}  // namespace seewolf::fuzz
