// seewolf-demo-install: writes the demo world (game, documents, program folder) into a folder.

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "demo/demo.h"
#include "platform/encoding.h"
#include "platform/error.h"

namespace {

namespace fs = std::filesystem;

int Usage() {
    std::cerr << "Usage: seewolf-demo-install [--fresh] DIR [PROGRAM_SOURCE]\n"
                 "  Writes a synthetic game installation (DIR/game), a documents folder with careers\n"
                 "  (DIR/documents) and a Seewolf program folder (DIR/Seewolf) copied from\n"
                 "  PROGRAM_SOURCE (default: the build's program folder).\n"
                 "  --fresh  remove DIR/game, DIR/documents and DIR/Seewolf first; otherwise existing\n"
                 "           game and documents files are kept and only the program files are refreshed.\n";
    return 2;
}

std::string Shown(const fs::path& path) {
    return seewolf::platform::Utf8FromPath(path);
}

// A path quoted for a POSIX shell.
std::string Quoted(const fs::path& path) {
    std::string text = "'";
    for (const char c : Shown(path)) {
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return text + "'";
}

}  // namespace

int main(int argc, char** argv) {
    seewolf::demo::DemoOptions options;
    options.fresh = false;
    options.patrolLogEditor = true;
    options.programSource = SEEWOLF_PROGRAM_DIR;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--fresh") {
            options.fresh = true;
        } else if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        } else if (!arg.empty() && arg.front() == '-') {
            return Usage();
        } else if (positional == 0) {
            options.root = seewolf::platform::PathFromUtf8(arg);
            ++positional;
        } else if (positional == 1) {
            options.programSource = seewolf::platform::PathFromUtf8(arg);
            ++positional;
        } else {
            return Usage();
        }
    }
    if (positional == 0) {
        return Usage();
    }

    try {
        const seewolf::demo::DemoWorld world = seewolf::demo::WriteDemoInstallation(options);
        std::cout << "Demo installation in " << Shown(world.root) << (options.fresh ? " (fresh)" : "") << "\n"
                  << "  game folder:      " << Shown(world.game) << "\n"
                  << "  documents folder: " << Shown(world.documents) << "  (save folder SH3/data/Cfg/)\n"
                  << "  program folder:   " << Shown(world.program) << "\n"
                  << "  files written: " << world.filesWritten << ", kept as they were: " << world.filesKept
                  << ", program files copied from " << Shown(options.programSource) << ": "
                  << world.programFilesCopied << "\n";
        const fs::path seewolf = world.program / "seewolf";
        if (fs::exists(seewolf)) {
            std::cout << "Start Seewolf on it with:\n  " << Quoted(seewolf) << "\n";
        } else {
            std::cout << "The program folder holds no Seewolf executable; build it and run this again with\n"
                         "the build's program folder as PROGRAM_SOURCE, then start "
                      << Quoted(seewolf) << "\n";
        }
        return 0;
    } catch (const seewolf::Error& e) {
        std::cerr << "seewolf-demo-install: " << seewolf::Utf8FromCp1252(e.what()) << "\n";
    } catch (const std::exception& e) {
        std::cerr << "seewolf-demo-install: " << e.what() << "\n";
    }
    return 1;
}
