// Steam's KeyValues text and Lutris' game files: any bytes read without fault. A KeyValues text read
// without error writes back (every key and value quoted and escaped) to text that reads as the same
// entries; a Lutris game file found as an installation names a folder that holds the game.

#include "app/game_stores.h"

#include <cstdlib>
#include <string>

#include "platform/files.h"
#include "support.h"

namespace {

using seewolf::KeyValue;

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        out += c == '"'    ? std::string("\\\"")
               : c == '\\' ? std::string("\\\\")
               : c == '\n' ? std::string("\\n")
               : c == '\t' ? std::string("\\t")
                           : std::string(1, c);
    }
    return out + '"';
}

void Write(const KeyValue& block, std::string& out) {
    for (const KeyValue& entry : block.children) {
        out += Quoted(entry.key);
        if (entry.isBlock) {
            out += "\n{\n";
            Write(entry, out);
            out += "}\n";
        } else {
            out += '\t' + Quoted(entry.value) + '\n';
        }
    }
}

bool Same(const KeyValue& a, const KeyValue& b) {
    if (a.key != b.key || a.value != b.value || a.isBlock != b.isBlock ||
        a.children.size() != b.children.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.children.size(); ++i) {
        if (!Same(a.children[i], b.children[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view text = seewolf::fuzz::AsText(data + 1, size - 1);
    if (data[0] % 2 == 0) {
        const seewolf::KeyValues read = seewolf::ReadKeyValues(text);
        if (read.error.empty()) {
            std::string written;
            Write(read.root, written);
            const seewolf::KeyValues again = seewolf::ReadKeyValues(written);
            if (!again.error.empty() || !Same(read.root, again.root)) {
                std::abort();
            }
        }
        return 0;
    }
    // A Lutris game file in a scratch home of its own, which holds a game at ~/game/sh3.exe.
    const std::filesystem::path home = seewolf::fuzz::ScratchFolder() / "home";
    const std::filesystem::path games = home / ".config" / "lutris" / "games";
    if (!seewolf::platform::FileExists(home / "game" / "sh3.exe")) {
        std::filesystem::create_directories(games);
        std::filesystem::create_directories(home / "game");
        seewolf::platform::WriteFileAtomic(home / "game" / "sh3.exe", "x");
    }
    seewolf::platform::WriteFileAtomic(games / "sh3.yml", text);
    const seewolf::StoreSearch search = seewolf::FindLutrisInstallations(home, {});
    for (const seewolf::GameInstallation& found : search.installations) {
        if (!seewolf::platform::FileExists(seewolf::platform::Resolve(found.gameFolder, "sh3.exe"))) {
            std::abort();
        }
    }
    return 0;
}
