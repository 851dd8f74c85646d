#include "demo/program_folder.h"

#include "demo/careers.h"

namespace seewolf::demo {

namespace {

// Program state that belongs to an installation, not to the program: never copied.
bool IsProgramState(const fs::directory_entry& entry) {
    const std::string name = Utf8Of(entry.path().filename());
    if (SameText(name, "Seewolf.ini") || SameText(name, "!BACKUP")) {
        return true;
    }
    return name.size() >= 4 && SameText(std::string_view(name).substr(name.size() - 4), ".log");
}

// Copies one file through a temporary name, so a program file that is running can be replaced.
void RefreshFile(const fs::path& from, const fs::path& to) {
    const fs::path temporary = to.parent_path() / (to.filename().native() + fs::path(".demo-new").native());
    std::error_code ec;
    fs::copy_file(from, temporary, fs::copy_options::overwrite_existing, ec);
    if (!ec) {
        fs::rename(temporary, to, ec);
    }
    if (ec) {
        fs::remove(temporary, ec);
        Fail("cannot copy the program file", to, ec);
    }
}

// Stands in for Wine and the game at once, so that Launch in the demo really starts "the game".
constexpr std::string_view kStandInGame =
    "#!/bin/sh\n"
    "# Seewolf demo: stands in for Wine and Silent Hunter III. With this script as the command for\n"
    "# Windows programs (WineCommand in Seewolf.ini), Seewolf's companion runs it in the game folder as\n"
    "#     stand-in-game.sh <game folder>/sh3.exe\n"
    "# It says that the game runs, waits SEEWOLF_STANDIN_SECONDS seconds (default 3) and ends.\n"
    "# Started for the patrol-log editor (stand-in-game.sh <program folder>/Kladde.exe ARG...),\n"
    "# it writes the working folder and each argument on a line of its own into\n"
    "# \"Kladde arguments.txt\" beside Kladde.exe and ends at once.\n"
    "case $1 in\n"
    "    *[Kk][Ll][Aa][Dd][Dd][Ee].[Ee][Xx][Ee])\n"
    "        record=\"$(dirname \"$1\")/Kladde arguments.txt\"\n"
    "        shift\n"
    "        {\n"
    "            printf 'folder=%s\\n' \"$(pwd)\"\n"
    "            n=0\n"
    "            for argument in \"$@\"; do\n"
    "                n=$((n + 1))\n"
    "                printf '%s=%s\\n' \"$n\" \"$argument\"\n"
    "            done\n"
    "        } > \"$record.new\" && mv \"$record.new\" \"$record\"\n"
    "        exit 0\n"
    "        ;;\n"
    "esac\n"
    "seconds=${SEEWOLF_STANDIN_SECONDS:-3}\n"
    "case $seconds in\n"
    "    '' | *[!0-9]*) seconds=3 ;;\n"
    "esac\n"
    "echo \"Silent Hunter III (stand-in) is running in $(pwd) for $seconds seconds...\"\n"
    "sleep \"$seconds\"\n"
    "echo \"Silent Hunter III (stand-in) has ended.\"\n"
    "exit 0\n";

// Stands for the patrol-log editor, an outside program: its presence shows the menu item that
// starts it, and it is started through SEEWOLF_WINE, which records the start.
constexpr std::string_view kStandInKladde =
    "#!/bin/sh\n"
    "# Seewolf demo: a stand-in for the patrol-log editor Kladde.exe. It is not the editor;\n"
    "# started through the stand-in game script (SEEWOLF_WINE), it only records its arguments.\n"
    "echo \"Kladde stand-in (Seewolf demo): nothing to edit here.\"\n"
    "exit 0\n";

void MakeExecutable(const fs::path& file) {
    std::error_code ec;
    fs::permissions(file, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add, ec);
    if (ec) {
        Fail("cannot make executable", file, ec);
    }
}

}  // namespace

void WriteSettings(Output& out, const DemoWorld& world) {
    ProfileText text;
    text.Section("SETTINGS");
    text.Key("SH3Location", Utf8Of(world.game)).Key("DocsLocation", Utf8Of(world.documents));
#ifndef _WIN32
    // The stand-in game runs in place of Wine: the command is one word in single quotes, as a shell
    // reads it, so a demo folder with blanks (or quotes) in its name works.
    std::string command = "'";
    for (const char c : Utf8Of(world.standInGame)) {
        command += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    text.Key("WineCommand", command + "'");
#endif
    text.Blank();
    // The career the demo opens on, as if it had been launched last.
    text.Section("LATEST CAREER").Key("CAREER", DemoCareers::Latest).Blank();
    text.Section("CAREER DETAILS");
    for (const HistoryEntry& entry : HistoryRecords()) {
        text.Key(entry.career, entry.record);
    }
    // The folder names are the user's file names; Windows-1252 cannot hold every character of
    // them, and the core writes such characters as "?", so the same lossy conversion is right.
    out.WriteNew(world.program / "Seewolf.ini", Cp1252FromUtf8(text.Utf8()));
}

void WriteStandInGameScript(const fs::path& script) {
    ReplaceFile(script, kStandInGame);
    MakeExecutable(script);
}

void WriteStandInKladde(const fs::path& program) {
    const fs::path kladde = program / "Kladde.exe";
    ReplaceFile(kladde, kStandInKladde);
    MakeExecutable(kladde);
}

std::size_t CopyProgram(const fs::path& source, const fs::path& program) {
    std::size_t copied = 0;
    std::error_code ec;
    fs::recursive_directory_iterator it(source, ec);
    const fs::recursive_directory_iterator end;
    while (!ec && it != end) {
        const fs::directory_entry& entry = *it;
        if (it.depth() == 0 && IsProgramState(entry)) {
            if (entry.is_directory(ec)) {
                it.disable_recursion_pending();
            }
        } else if (entry.is_directory(ec)) {
            Output::CreateFolder(program / entry.path().lexically_relative(source));
        } else if (entry.is_regular_file(ec)) {
            RefreshFile(entry.path(), program / entry.path().lexically_relative(source));
            ++copied;
        }
        it.increment(ec);
    }
    if (ec) {
        Fail("cannot read the program folder", source, ec);
    }
    return copied;
}

}  // namespace seewolf::demo
