#include "cli/cli.h"

#include <ostream>

#include "app/error.h"
#include "app/prompter.h"
#include "app/startup.h"
#include "app/text.h"
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
    "  paths             print the folders and the language Seewolf works with\n";

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
    if (command != "paths") {
        err << "seewolf-cli: unknown command \"" << command << "\" (see seewolf-cli --help)\n";
        return 1;
    }
    if (rest.size() > 1) {
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
