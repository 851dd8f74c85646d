#pragma once

// The Paths a start-up on a demo world would set, for tests, benchmarks and fuzz targets that
// work on one. The backup folder is created.

#include <filesystem>

#include "app/paths.h"
#include "demo/demo.h"
#include "platform/files.h"

namespace seewolf::demo {

inline Paths StartUpPaths(const DemoWorld& world) {
    Paths paths;
    paths.ProgFolder = world.program;
    paths.GameFolder = world.game;
    paths.DocsFolder = world.documents;
    paths.SaveName = "SH3";
    paths.SaveFolder = platform::WithTrailingSeparator(world.documents / "SH3" / "data" / "Cfg");
    paths.BackupFolder = platform::WithTrailingSeparator(world.program / "!BACKUP");
    std::filesystem::create_directories(paths.BackupFolder);
    return paths;
}

}  // namespace seewolf::demo
