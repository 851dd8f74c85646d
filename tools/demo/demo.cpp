#include "demo/demo.h"

#include "demo/careers.h"
#include "demo/file_sets.h"
#include "demo/game_folder.h"
#include "demo/program_folder.h"
#include "demo/writing.h"

// The demo world, written part by part: the game folder (game_folder.cpp), the documents folder
// with the careers (careers.cpp), the program folder (program_folder.cpp) and the file sets
// (file_sets.cpp). vocabulary.cpp holds the tables that they share.

namespace seewolf::demo {

namespace {

bool IsWithin(const fs::path& inner, const fs::path& outer) {
    const fs::path relative = inner.lexically_relative(outer);
    return !relative.empty() && *relative.begin() != "..";
}

// Removes the folder of an earlier run. Read-only files (the game's, as a launch meets them)
// are made writable first: Windows refuses to delete them otherwise. Links are not followed.
void RemoveFolder(const fs::path& folder) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code ignored;  // what cannot be made writable makes remove_all fail below
        if (!it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
        }
    }
    ec.clear();
    fs::remove_all(folder, ec);
    if (ec) {
        Fail("cannot remove", folder, ec);
    }
}

}  // namespace

DemoWorld WriteDemoInstallation(const DemoOptions& options) {
    if (options.root.empty()) {
        throw Error("The demo installation needs a folder to write into.");
    }
    std::error_code ec;
    fs::path root = fs::absolute(options.root, ec).lexically_normal();
    if (ec) {
        Fail("cannot resolve", options.root, ec);
    }
    if (root.has_parent_path() && !root.has_filename()) {
        root = root.parent_path();
    }

    DemoWorld world;
    world.root = root;
    world.game = root / "game" / "";
    world.documents = root / "documents" / "";
    world.program = root / "Seewolf" / "";

    fs::path source;
    if (!options.programSource.empty()) {
        source = fs::weakly_canonical(fs::absolute(options.programSource, ec), ec);
        if (ec || !fs::is_directory(source, ec)) {
            Fail("cannot find the program folder", options.programSource, ec);
        }
        // Copying a folder into itself, or removing the source with a fresh start, must not happen.
        const fs::path program = fs::weakly_canonical(root / "Seewolf", ec);
        if (IsWithin(program, source) || IsWithin(source, program)) {
            Fail("the program files would be copied into their own folder:", source);
        }
    }

    if (options.fresh) {
        RemoveFolder(world.game);
        RemoveFolder(world.documents);
        RemoveFolder(world.program);
    }

    Output out;
    Output::CreateFolder(world.game);
    Output::CreateFolder(world.documents);
    Output::CreateFolder(world.program);
    WriteGame(out, world.game);
    WriteDocuments(out, world.documents);
    if (!source.empty()) {
        world.programFilesCopied = CopyProgram(source, world.program);
    }
    world.fileSetFilesWritten = WriteFileSets(world.program);
    world.standInGame = world.program / "stand-in-game.sh";
    WriteStandInGameScript(world.standInGame);
    if (options.patrolLogEditor) {
        WriteStandInKladde(world.program);
    }
    WriteSettings(out, world);
    world.filesWritten = out.Written();
    world.filesKept = out.Kept();
    return world;
}

}  // namespace seewolf::demo
