#include "cli/cli.h"

#include <algorithm>
#include <iterator>
#include <ostream>
#include <utility>

#include "app/error.h"
#include "app/prompter.h"
#include "app/startup.h"
#include "app/text.h"
#include "career/career.h"
#include "platform/files.h"
#include "platform/processes.h"

namespace seewolf::cli {

namespace {

constexpr const char* kUsage =
    "Usage: seewolf-cli [--game DIR] [--documents DIR] COMMAND\n"
    "\n"
    "Seewolf's career manager and launcher, driven from a terminal. It works on the same\n"
    "program folder (the folder of this executable), settings and game files as Seewolf.\n"
    "\n"
    "Options:\n"
    "  --game DIR        the game folder (holding sh3.exe), as Seewolf's /i: argument;\n"
    "                    without it: SH3Location of Seewolf.ini, then the Wine registry\n"
    "  --documents DIR   the documents folder that holds the game's save folder\n"
    "  --help            this text\n"
    "\n"
    "Commands:\n"
    "  paths             print the folders and the language Seewolf works with\n"
    "  list              print the names of the careers, one per line, in the order of\n"
    "                    Seewolf's career tree\n"
    "  show NAME         print the record sheet of the career NAME as Seewolf shows it\n"
    "                    (Name, Rank, Status, Date, LastPatrolEnd, Boat, Type, Flotilla,\n"
    "                    Grid, Saved); nothing is written\n";

// Messages go to standard error; nothing can be chosen or answered in a terminal, so a
// question takes its cautious answer.
class TerminalPrompter : public Prompter {
public:
    explicit TerminalPrompter(std::ostream& err) : m_err(err) {}

    Button ShowMessage(std::string_view text, MessageKind, Buttons buttons) override {
        m_err << Utf8FromCp1252(text) << '\n';
        for (Button b : {Button::Abort, Button::Cancel, Button::No, Button::Ok}) {
            if (buttons.Has(b)) {
                return b;
            }
        }
        return Button::None;
    }
    void ShowPlainMessage(std::string_view title, std::string_view text) override {
        m_err << Utf8FromCp1252(title) << ": " << Utf8FromCp1252(text) << '\n';
    }
    void SetStatus(std::string_view text) override {
        if (text != "^") {
            m_err << Utf8FromCp1252(text) << '\n';
        }
    }
    void SetBusy(bool) override {}
    std::filesystem::path BrowseForFolder(std::string_view, const std::filesystem::path&) override { return {}; }

private:
    std::ostream& m_err;
};

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path PathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// The record sheet of a listed career, label by label, as the main window shows it after the
// selection. Reads only: the career's history record is not generated here.
void ShowCareer(const Paths& paths, const Language& language, const std::string& utf8Name,
                std::ostream& out) {
    const std::string wanted = Cp1252FromUtf8(utf8Name);
    const std::vector<std::string> names = ListCareers(paths);
    auto found = std::find(names.begin(), names.end(), wanted);
    if (found == names.end()) {
        // The folder names ignore letter case on Windows; take the one career that matches so.
        auto same = [&wanted](const std::string& name) { return SameText(name, wanted); };
        found = std::find_if(names.begin(), names.end(), same);
        if (found != names.end() && std::find_if(std::next(found), names.end(), same) != names.end()) {
            found = names.end();
        }
    }
    if (found == names.end()) {
        throw Error("No career named " + wanted);
    }
    SelectedCareer career = LoadCareer(paths, language, *found);
    if (StartsInOtherBase(career)) {
        career.InOtherBase = true;  // the window's status toggle on selection
    }
    const RecordSheet sheet = MakeRecordSheet(career, language.dates);
    const std::pair<const char*, const std::string*> lines[] = {
        {"Name", &sheet.name}, {"Rank", &sheet.rank}, {"Status", &sheet.status},
        {"Date", &sheet.date}, {"LastPatrolEnd", &sheet.lastPatrolEnd}, {"Boat", &sheet.boat},
        {"Type", &sheet.type}, {"Flotilla", &sheet.flotilla}, {"Grid", &sheet.grid},
        {"Saved", &sheet.saved}};
    for (const auto& [label, value] : lines) {
        out << label << ": " << Utf8FromCp1252(*value) << '\n';
    }
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, const std::filesystem::path& progFolder, std::ostream& out,
           std::ostream& err) {
    std::optional<std::filesystem::path> game;
    std::optional<std::filesystem::path> documents;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--help" || a == "-h") {
            out << kUsage;
            return 0;
        }
        if (a == "--game" || a == "--documents") {
            if (i + 1 >= arguments.size()) {
                err << "seewolf-cli: " << a << " needs a folder\n";
                return 1;
            }
            (a == "--game" ? game : documents) = PathFromUtf8(arguments[++i]);
            continue;
        }
        rest.push_back(a);
    }
    if (rest.empty()) {
        err << kUsage;
        return 1;
    }
    const std::string& command = rest[0];
    if (command != "paths" && command != "list" && command != "show") {
        err << "seewolf-cli: unknown command \"" << command << "\" (see seewolf-cli --help)\n";
        return 1;
    }
    if (command == "show" && rest.size() != 2) {
        err << "seewolf-cli: show needs the name of one career\n";
        return 1;
    }
    if (command != "show" && rest.size() > 1) {
        err << "seewolf-cli: " << command << " takes no arguments\n";
        return 1;
    }

    TerminalPrompter prompter(err);
    try {
        std::vector<std::string> line{Utf8(progFolder / "seewolf-cli")};
        if (game) {
            line.push_back("/i:" + Utf8(*game));
        }
        const StartupResult startup =
            RunStartup(CommandLineFromArguments(line), progFolder, prompter,
                       [] { return false; },  // reading and listing is safe while the game runs
                       documents);
        if (!startup.proceed) {
            return 1;
        }
        const Paths& p = startup.paths;
        if (command == "list") {
            for (const std::string& name : ListCareers(p)) {
                out << Utf8FromCp1252(name) << '\n';
            }
            return 0;
        }
        if (command == "show") {
            ShowCareer(p, startup.language, rest[1], out);
            return 0;
        }
        out << "ProgFolder: " << Utf8(p.ProgFolder) << '\n'
            << "GameFolder: " << Utf8(p.GameFolder) << '\n'
            << "DocsFolder: " << Utf8(p.DocsFolder) << '\n'
            << "SaveName: " << Utf8FromCp1252(p.SaveName) << '\n'
            << "SaveFolder: " << Utf8(p.SaveFolder) << '\n'
            << "BackupFolder: " << Utf8(p.BackupFolder) << '\n'
            << "Language: " << startup.language.LangCode << '\n';
        return 0;
    } catch (const Error& error) {
        err << Utf8FromCp1252(error.what()) << '\n';
        return 1;
    }
}

}  // namespace seewolf::cli
