#include "app/profile_file.h"

#include <chrono>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <thread>

#include "app/error.h"
#include "platform/files.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using seewolf::ProfileEdit;
using seewolf::ProfileFile;
using Names = std::vector<std::string>;

namespace {

class ProfileFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device seed;
        m_root = fs::temp_directory_path() /
                 ("seewolf-profile-" + std::to_string(seed()) + std::to_string(seed()));
        fs::create_directories(m_root);
        m_file = m_root / "test.ini";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    // Rewrites the file in place (same inode), as an editor or the game would.
    void Put(const std::string& bytes) { std::ofstream(m_file, std::ios::binary | std::ios::trunc) << bytes; }
    std::string Get() const { return seewolf::platform::ReadFile(m_file).value_or("<missing>"); }
    ProfileFile Ini() const { return ProfileFile(m_file); }

    // Runs `action`, expecting Error with exactly `text`.
    template <typename Action>
    static void ExpectError(Action action, const std::string& text) {
        try {
            action();
            ADD_FAILURE() << "no error, expected: " << text;
        } catch (const seewolf::Error& e) {
            EXPECT_EQ(std::string(e.what()), text);
        }
    }

    fs::path m_root;
    fs::path m_file;
};

TEST_F(ProfileFileTest, ReadsLinesAsTheWindowsProfileFunctionsDo) {
    const std::string bytes =
        "Loose=before any section\r\n"
        "  [Main]  trailing text\r\n"
        "\tName = Hans Meyer \t\r"
        "; Hidden=comment\n"
        "Value = a ; not a comment\n"
        "Empty=\n"
        "NoEquals\n"
        "\vVt\v=\vv\v\n"
        "[Broken\n"
        " ;Also=comment\n"
        "Eq=a=b\n"
        "=nameless\n"
        "\n"
        "[ Other\t]\n"
        "Key=x\n"
        "[]\n"
        "Key=in the nameless section";
    Put(bytes);
    const ProfileFile ini = Ini();
    EXPECT_EQ(ini.ReadString("", "Loose", "def"), "def");
    EXPECT_EQ(ini.ReadString("Main", "Name", "def"), "Hans Meyer");
    EXPECT_EQ(ini.ReadString(" main ", "  NAME ", "def"), "Hans Meyer");
    EXPECT_EQ(ini.ReadString("\tMain", "Name", "def"), "def");  // parameters lose spaces only
    EXPECT_EQ(ini.ReadString("Main", "Name\t", "def"), "def");
    EXPECT_EQ(ini.ReadString("Main", "Value", "def"), "a ; not a comment");
    EXPECT_EQ(ini.ReadString("Main", "Empty", "def"), "");
    EXPECT_EQ(ini.ReadString("Main", "NoEquals", "def"), "def");
    EXPECT_EQ(ini.ReadString("Main", "; Hidden", "def"), "def");
    EXPECT_EQ(ini.ReadString("Main", "Vt", "def"), "v");
    EXPECT_EQ(ini.ReadString("Main", "Eq", "def"), "def");  // "[Broken" starts a section
    EXPECT_EQ(ini.ReadString("broken", "Eq", "def"), "a=b");
    EXPECT_EQ(ini.ReadString("Broken", "", "def"), "nameless");
    EXPECT_EQ(ini.ReadString("Other", "Key", "def"), "x");
    EXPECT_EQ(ini.ReadString("", "Key", "def"), "in the nameless section");
    EXPECT_EQ(ini.ReadString("Missing", "Key", "def"), "def");
    EXPECT_EQ(ini.ReadSection("main"), (Names{"Name", "Value", "Empty", "Vt"}));
    EXPECT_EQ(ini.ReadSection("Broken"), (Names{"Eq"}));
    EXPECT_EQ(ini.ReadSections(), (Names{"Main", "Broken", "Other"}));
    EXPECT_EQ(ini.ReadSectionValues("Main"),
              (Names{"Name=Hans Meyer", "Value=a ; not a comment", "Empty=", "Vt=v"}));
    EXPECT_FALSE(ini.ValueExists("MAIN", "noequals"));
    EXPECT_FALSE(ini.ValueExists("Main", "Hidden"));
    EXPECT_TRUE(ini.ValueExists(" Main ", " vt "));
    EXPECT_TRUE(ini.SectionExists("other"));
    EXPECT_TRUE(ini.SectionExists(""));
    EXPECT_FALSE(ProfileFile(m_root / "missing.ini").SectionExists("Main"));
    EXPECT_EQ(ProfileFile(m_root / "missing.ini").ReadString("Main", "Name", "def"), "def");

    // The same bytes held in memory read alike.
    const seewolf::ProfileText text(bytes + "\n[Numbers]\nQuoted='Release'\nRelease= 23 \nBad=2x\n");
    EXPECT_EQ(text.ReadString(" main ", "  NAME ", "def"), "Hans Meyer");
    EXPECT_EQ(text.ReadString("Main", "Eq", "def"), "def");
    EXPECT_EQ(text.ReadString("broken", "Eq", "def"), "a=b");
    EXPECT_EQ(text.ReadString("", "Key", "def"), "in the nameless section");
    EXPECT_EQ(text.ReadString("Numbers", "Quoted", "def"), "Release");
    EXPECT_EQ(text.ReadInteger("numbers", "release", 0), 23);
    EXPECT_EQ(text.ReadInteger("Numbers", "Bad", 7), 7);
    EXPECT_EQ(text.ReadInteger("Missing", "Release", 0), 0);

    // A section of bare names has no keys.
    Put("[Bare]\nOne\nTwo\n");
    EXPECT_FALSE(ini.SectionExists("Bare"));
    EXPECT_EQ(ini.ReadSectionValues("Bare"), Names{});
}

TEST_F(ProfileFileTest, QuotesDuplicatesAndLimits) {
    const std::string longValue(3000, 'v');
    std::string text =
        "[Q]\nD=\"double\"\nS='single'\nMixed=\"x'\nOne='\nInner=\" a \"\nNone=\"\"\n"
        "[Dup]\nK=first\nk=second\n[Empty]\n; only a comment\n[dup]\nK=third\nOnly=later\n"
        "[Long]\nV=" +
        longValue + "\n[Many]\n";
    for (int i = 0; i < 2000; ++i) {
        if (i == 1489) {
            text += "Abc=1\n";  // fills the list to its last byte
        }
        text += "Key" + std::to_string(1000000 + i) + "=1\n";  // names of 10 characters
    }
    Put(text);
    const ProfileFile ini = Ini();
    EXPECT_EQ(ini.ReadString("Q", "D", ""), "double");
    EXPECT_EQ(ini.ReadString("Q", "S", ""), "single");
    EXPECT_EQ(ini.ReadString("Q", "Mixed", ""), "\"x'");
    EXPECT_EQ(ini.ReadString("Q", "One", ""), "'");
    EXPECT_EQ(ini.ReadString("Q", "Inner", ""), " a ");
    EXPECT_EQ(ini.ReadString("Q", "None", "def"), "");

    // The first section and the first key of a name win; a later section is never searched.
    EXPECT_EQ(ini.ReadString("DUP", "k", ""), "first");
    EXPECT_EQ(ini.ReadString("Dup", "Only", "def"), "def");
    EXPECT_EQ(ini.ReadSection("Dup"), (Names{"K", "k"}));
    EXPECT_FALSE(ini.ValueExists("Dup", "Only"));
    EXPECT_FALSE(ini.SectionExists("Empty"));
    EXPECT_EQ(ini.ReadSections(), (Names{"Q", "Dup", "Empty", "dup", "Long", "Many"}));

    EXPECT_EQ(ini.ReadString("Long", "V", ""), longValue.substr(0, 2047));
    // 16384 bytes hold the final zero, 1489 names of 10 characters and one of 3, with their zero
    // bytes, to the last byte.
    const Names many = ini.ReadSection("Many");
    ASSERT_EQ(many.size(), 1490u);
    EXPECT_EQ(many[1488], "Key1001488");
    EXPECT_EQ(many.back(), "Abc");
}

// A snapshot reads by the rules of ProfileFile: every name asked of a tricky file (duplicate
// sections and keys, case, quotes, lines without "=", long values, names of every length with
// letters beyond ASCII) reads alike through both. It keeps the bytes it was made from.
TEST_F(ProfileFileTest, ASnapshotReadsAsTheFileDidWhenItWasMade) {
    const std::string longValue(3000, 'v');
    // "\xC4nderungsDatum" and "\xE4NDERUNGSdATUM" differ in case only (CP1252 Ä/ä), as do
    // "\x8Aiffre" and "\x9AIFFRE" (Š/š); both are found whichever spelling is asked.
    const std::string bytes =
        "Loose=x\n[Dup]\nK=first\nk=second\nNoEquals\n=nameless\n[Empty]\n[dup]\nK=third\nOnly=later\n"
        "[Q]\nD=\"double\"\nS='single'\nMixed=\"x'\nLong=" +
        longValue +
        "\n[Names]\nA=1\nAbcdefg=7\nAbcdefgh=8\nAbcdefghi=9\nAbcdefghijklmnop=16\nAbcdefghijklmnopq=17\n"
        "\xC4nderungsDatum=umlaut\n\x8Aiffre=caron\nabcdefghi=second of its name\n";
    Put(bytes);
    const ProfileFile ini = Ini();
    const seewolf::ProfileSnapshot snapshot(ini);
    EXPECT_TRUE(snapshot.FileFound());
    EXPECT_EQ(snapshot.Path(), m_file);
    EXPECT_EQ(snapshot.ReadSections(), ini.ReadSections());
    EXPECT_TRUE(snapshot.HasSection(" EMPTY "));  // a section without keys is there
    EXPECT_FALSE(snapshot.HasSection("Missing"));
    const Names sections = {"", "Dup", "DUP", " dup ", "Empty", "Q", "Names", "names", "Missing"};
    const Names keys = {"",
                        "Loose",
                        "K",
                        "k",
                        "Only",
                        "NoEquals",
                        "D",
                        "S",
                        "Mixed",
                        "Long",
                        "A",
                        "a",
                        "Abcdefg",
                        "ABCDEFGH",
                        "abcdefghi",
                        "ABCDEFGHIJKLMNOP",
                        "abcdefghijklmnopq",
                        "\xE4NDERUNGSdATUM",
                        "\xC4nderungsDatum",
                        "\x9AIFFRE",
                        " \x8Aiffre ",
                        "Missing"};
    for (const std::string& section : sections) {
        for (const std::string& key : keys) {
            EXPECT_EQ(snapshot.FindString(section, key), ini.FindString(section, key))
                << section << "/" << key;
        }
    }
    EXPECT_EQ(snapshot.ReadString("dup", "K", "def"), "first");
    EXPECT_EQ(snapshot.ReadString("Dup", "Only", "def"), "def");
    EXPECT_EQ(snapshot.ReadString("Q", "Long", ""), longValue.substr(0, 2047));
    EXPECT_EQ(snapshot.ReadString("names", "ABCDEFGHI", ""), "9");
    EXPECT_EQ(snapshot.ReadString("Names", "\xE4NDERUNGSdATUM", ""), "umlaut");
    EXPECT_EQ(snapshot.ReadString("Names", "\x9AIFFRE", ""), "caron");

    // Later changes to the file are not seen; a new snapshot sees them.
    Put("[Dup]\nK=changed\n");
    EXPECT_EQ(snapshot.ReadString("Dup", "K", ""), "first");
    EXPECT_EQ(ini.ReadString("Dup", "K", ""), "changed");
    EXPECT_EQ(seewolf::ProfileSnapshot(ini).ReadString("Dup", "K", ""), "changed");
    fs::remove(m_file);
    EXPECT_EQ(snapshot.ReadInteger("Names", "Abcdefgh", 0), 8);
    const seewolf::ProfileSnapshot missing(ini);
    EXPECT_FALSE(missing.FileFound());
    EXPECT_EQ(missing.ReadString("Dup", "K", "def"), "def");
    EXPECT_EQ(missing.ReadSections(), Names{});
}

// Files far beyond any real profile file are read and written in time and memory linear in
// their size: one line of 100 MB, and a million sections.
TEST_F(ProfileFileTest, HugeFilesReadInLinearTimeAndMemory) {
    std::string text = "[S]\nK=" + std::string(100'000'000, 'v');
    Put(text);
    EXPECT_EQ(Ini().ReadString("S", "K", ""), std::string(2047, 'v'));
    EXPECT_EQ(Ini().ReadSections(), Names{"S"});

    text.clear();
    for (int i = 0; i < 1'000'000; ++i) {
        text += "[S" + std::to_string(i) + "]\nK=" + std::to_string(i) + "\n";
    }
    Put(text);
    const ProfileFile ini = Ini();
    EXPECT_EQ(ini.ReadString("s999999", "K", ""), "999999");
    EXPECT_EQ(ini.ReadSections().size(), 2915u);  // what 16384 bytes hold
    ini.WriteString("S500000", "New", "x");
    EXPECT_EQ(ini.ReadSectionValues("S500000"), (Names{"K=500000", "New=x"}));
    EXPECT_EQ(ini.ReadString("S999999", "K", ""), "999999");
}

TEST_F(ProfileFileTest, NumbersAndBooleans) {
    Put("[N]\nHex=0x1F\nHexUpper=0X1f\nDollar=$1F\nNegDollar=-$10\nAllBits=0xFFFFFFFF\nComment=12 ; comment\n"
        "Empty=\nNeg=-5\nPlus=+7\nMin=-2147483648\nTooBig=2147483648\nBareHex=0x\nHexTooBig=0x100000000\n"
        "Real=1.5\nComma=1,5\nSci=1e3\nPlusReal=+2.5\nNegReal=-.25\nInf=inf\nWord=true\nTwo=2\nZero=0\n"
        "TwoSigns=+-1\n");
    const ProfileFile ini = Ini();
    const std::vector<std::pair<const char*, int>> integers = {
        {"Hex", 31},      {"HexUpper", 31}, {"Dollar", 31},    {"NegDollar", -16}, {"AllBits", -1},
        {"Comment", 99},  {"Empty", 99},    {"Neg", -5},       {"Plus", 7},        {"Min", -2147483647 - 1},
        {"TooBig", 99},   {"BareHex", 99},  {"HexTooBig", 99}, {"Real", 99},       {"Missing", 99},
        {"TwoSigns", 99},
    };
    for (const auto& [key, expected] : integers) {
        EXPECT_EQ(ini.ReadInteger("N", key, 99), expected) << key;
    }
    const std::vector<std::pair<const char*, double>> floats = {
        {"Real", 1.5}, {"Comma", -1}, {"Sci", 1000}, {"PlusReal", 2.5}, {"NegReal", -0.25}, {"Inf", -1},
        {"Empty", -1}, {"Word", -1},  {"Hex", -1},   {"Neg", -5},       {"TwoSigns", -1},
    };
    for (const auto& [key, expected] : floats) {
        EXPECT_EQ(ini.ReadFloat("N", key, -1), expected) << key;
    }
    EXPECT_TRUE(ini.ReadBool("N", "Word", true));
    EXPECT_FALSE(ini.ReadBool("N", "Word", false));
    EXPECT_TRUE(ini.ReadBool("N", "Two", false));
    EXPECT_FALSE(ini.ReadBool("N", "Zero", true));
    EXPECT_TRUE(ini.ReadBool("N", "Missing", true));

    ini.WriteInteger("N", "Zero", -42);
    ini.WriteBool("N", "Two", false);
    ini.WriteBool("N", "Word", true);
    EXPECT_EQ(ini.ReadString("N", "Zero", ""), "-42");
    EXPECT_EQ(ini.ReadString("N", "Two", ""), "0");
    EXPECT_EQ(ini.ReadString("N", "Word", ""), "1");
}

TEST_F(ProfileFileTest, WritingChangesOnlyTheLineConcerned) {
    Put("preamble line\n"
        "[Crew]\n"
        "  Name=Old\n"
        "\xDC"
        "bung=1\n"
        "NoValue\n"
        "\n"
        "; trailing comment of the section\n"
        "[Empty]\n"
        "\n"
        "[Last]\n"
        "A=1");
    const ProfileFile ini = Ini();
    ini.WriteString("crew", "NAME", "New Value ");  // stored spelling kept, value as given
    ini.WriteString("CREW",
                    "\xFC"
                    "BUNG",
                    "2");
    ini.WriteString("Crew", "Added", "3");
    ini.WriteString("empty", "First", "4");
    ini.WriteString("Last", "B", "5");
    EXPECT_EQ(Get(),
              "preamble line\n"
              "[Crew]\n"
              "Name=New Value \n"
              "\xDC"
              "bung=2\n"
              "NoValue\n"
              "Added=3\r\n"
              "\n"
              "; trailing comment of the section\n"
              "[Empty]\n"
              "First=4\r\n"
              "\n"
              "[Last]\n"
              "A=1\r\n"
              "B=5\r\n");
    EXPECT_EQ(ini.ReadString("Crew", "Name", ""), "New Value");
    const std::string before = Get();
    ini.WriteString(" New ", " Key ", " spaced");
    EXPECT_EQ(Get(), before + "[New]\r\nKey= spaced\r\n");

    // A padded header or one without "]" takes the new key; a bare name is no key, so writing
    // it adds one; the empty name is a key; a replaced last line gets its line end.
    Put("[ Settings\t]\nA=1\nBare\n[Open\n=x\nB=2");
    ini.WriteString("SETTINGS", "C", "3");
    ini.WriteString("Settings", "Bare", "4");
    ini.WriteString("open", "", "y");
    ini.WriteString("Open", "B", "5");
    EXPECT_EQ(Get(), "[ Settings\t]\nA=1\nBare\nC=3\r\nBare=4\r\n[Open\n=y\nB=5\r\n");
    EXPECT_EQ(ini.ReadSections(), (Names{"Settings", "Open"}));

    // CR and CR LF line ends stay as they are on the lines not touched.
    Put("[S]\rA=1\r\nB=2\rC=3\r\n");
    ini.WriteString("S", "B", "two");
    EXPECT_EQ(Get(), "[S]\rA=1\r\nB=two\rC=3\r\n");
}

TEST_F(ProfileFileTest, NewSectionsGoOnALineOfTheirOwn) {
    ProfileFile ini = Ini();
    ini.WriteString("First", "Key", "1");  // a missing file is created
    EXPECT_EQ(Get(), "[First]\r\nKey=1\r\n");
    Put("[A]\nX=1");
    ini.WriteString("B", "Y", "2");
    EXPECT_EQ(Get(), "[A]\nX=1\r\n[B]\r\nY=2\r\n");
    Put("");
    ini.WriteString("B", "Y", "2");
    EXPECT_EQ(Get(), "[B]\r\nY=2\r\n");
}

TEST_F(ProfileFileTest, EraseSectionAndDeleteKey) {
    Put("[Keep]\nA=1\n[Gone]\nA=1\n; note\n\nB\n[Keep2]\nC=3\n[GONE]\nD=4\n");
    const ProfileFile ini = Ini();
    ini.DeleteKey("keep2", "c");
    ini.DeleteKey("Keep", "Missing");
    ini.DeleteKey("Missing", "A");
    EXPECT_EQ(Get(), "[Keep]\nA=1\n[Gone]\nA=1\n; note\n\nB\n[Keep2]\n[GONE]\nD=4\n");
    ini.EraseSection("gone");
    EXPECT_EQ(Get(), "[Keep]\nA=1\n; note\n\n[Keep2]\n");
    ini.EraseSection("Missing");
    EXPECT_EQ(Get(), "[Keep]\nA=1\n; note\n\n[Keep2]\n");

    const ProfileFile missing(m_root / "missing.ini");
    missing.EraseSection("Keep");
    missing.DeleteKey("Keep", "A");
    EXPECT_FALSE(fs::exists(m_root / "missing.ini"));
}

TEST_F(ProfileFileTest, RefusedWritesLeaveTheFileAsItWas) {
    Put("[S]\nA=1\n");
    const ProfileFile ini = Ini();
    const std::string path = seewolf::platform::TextFromPath(m_file);
    for (const auto& [section, key, value] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"S", "A", "1\r\n[Evil]"}, {"S", "A\nB", "1"}, {"S\r", "A", "1"}}) {
        ExpectError([&, s = section, k = key, v = value] { ini.WriteString(s, k, v); },
                    "Cannot write a line break into " + path);
    }
    ExpectError([&] { ini.WriteString("S\t", "A", "1"); },
                "Cannot write the name \"S\t\" into " + path + ": a name cannot begin or end with a tab.");
    ExpectError([&] { ini.WriteString("S", " \vA", "1"); },
                "Cannot write the name \"\vA\" into " + path + ": a name cannot begin or end with a tab.");
    EXPECT_EQ(Get(), "[S]\nA=1\n");

    seewolf::platform::SetReadOnly(m_file, true);
    ExpectError([&] { ini.WriteString("S", "A", "2"); }, "Unable to write to " + path);
    ExpectError([&] { ini.WriteString("T", "A", "2"); }, "Unable to write to " + path);
    ExpectError([&] { ini.EraseSection("S"); }, "Unable to write to " + path);
    ini.DeleteKey("S", "A");  // fails silently
    // An edit is refused at Commit, its deletes too, and a write of the same value as well.
    for (const auto& change : std::vector<std::function<void(ProfileEdit&)>>{
             [](ProfileEdit& edit) {
                 edit.WriteString("S", "B", "2");
                 edit.EraseSection("S");
             },
             [](ProfileEdit& edit) { edit.DeleteKey("S", "A"); },
             [](ProfileEdit& edit) { edit.WriteString("S", "A", "1"); }}) {
        ProfileEdit edit(ini);
        change(edit);
        ExpectError([&] { edit.Commit(); }, "Unable to write to " + path);
    }
    EXPECT_EQ(Get(), "[S]\nA=1\n");
    EXPECT_TRUE(seewolf::platform::IsReadOnly(m_file));

    const fs::path nowhere = m_root / "no folder" / "x.ini";
    ExpectError([&] { ProfileFile(nowhere).WriteString("S", "A", "1"); },
                "Unable to write to " + seewolf::platform::TextFromPath(nowhere));
    ProfileEdit edit{ProfileFile(nowhere)};
    ExpectError([&] { edit.WriteString("S", "A\n", "1"); },
                "Cannot write a line break into " + seewolf::platform::TextFromPath(nowhere));
    edit.WriteString("S", "A", "1");
    ExpectError([&] { edit.Commit(); }, "Unable to write to " + seewolf::platform::TextFromPath(nowhere));
    EXPECT_FALSE(fs::exists(nowhere.parent_path()));
}

#ifndef _WIN32
TEST_F(ProfileFileTest, WritesKeepPermissionsAndReplaceALinksTarget) {
    Put("[S]\nA=1\n");
    ::chmod(m_file.c_str(), 0640);
    fs::create_symlink(m_file.filename(), m_root / "link.ini");
    ProfileFile(m_root / "link.ini").WriteString("S", "A", "2");
    EXPECT_TRUE(fs::is_symlink(m_root / "link.ini"));
    EXPECT_EQ(Get(), "[S]\nA=2\n");
    struct stat st {};
    ASSERT_EQ(::stat(m_file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    for (const auto& entry : fs::directory_iterator(m_root)) {
        EXPECT_NE(entry.path().filename().string()[0], '.') << "left behind: " << entry.path();
    }
}
#endif

// An edit must leave the very bytes that the same single operations leave, and read what they
// would read at each step: over a file with padded headers, duplicate sections and keys, mixed
// line ends, quotes, comments, bare names and a last line without line end, with names that do
// not read back as written ("a=b", "[x", "x]y"). Random sequences of writes, deletes and erases,
// each from a fresh edit of the file, compared step by step.
TEST_F(ProfileFileTest, AnEditEqualsTheSameSingleOperations) {
    const std::string start =
        "; roster\r\n"
        "Loose=before any section\r\n"
        "  [ Crew ]  \r\n"
        "Name=Hans\r\n"
        "name=duplicate\r\n"
        "Bare\r\n"
        "Name=third\r\n"
        "; between keys\r\n"
        "  Rank = 3 \n"
        "; comment in crew\r\n"
        "\r\n"
        "[Quotes]\r"
        "Q=\"quoted\"\r"
        "\r"
        "S='single'\r"
        "[crew]\r\n"
        "Name=second section\r\n"
        "[Open\r\n"
        "=nameless\r\n"
        "; last comment\r\n"
        "Last=no line end";
    // The odd names are rare: after one, the edit parses its bytes again and starts afresh.
    const std::vector<std::string> sections = {"Crew", " crew ", "Quotes", "Open", "New", "Other", ""};
    const std::vector<std::string> keys = {"Name", "NAME", "Rank", "Bare", "Q", "S", "", "Last", "K1", "K2"};
    const std::vector<std::string> oddSections = {"x]y"};
    const std::vector<std::string> oddKeys = {"a=b", "[x", ";c"};
    const std::vector<std::string> values = {"1", " padded ", "\"q\"", "", "x=y"};
    const fs::path editFile = m_root / "edit.ini";
    const ProfileFile single = Ini();
    const ProfileFile edited(editFile);
    std::mt19937 random(1939);
    auto pick = [&random](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    for (int round = 0; round < 60; ++round) {
        Put(start);
        std::ofstream(editFile, std::ios::binary | std::ios::trunc) << start;
        EXPECT_EQ(edited.ReadString("Crew", "Name", ""), "Hans");  // cached before the edit
        ProfileEdit edit(edited);
        for (int step = 0; step < 40; ++step) {
            const std::string section = pick(random() % 50 == 0 ? oddSections : sections);
            const std::string key = pick(random() % 30 == 0 ? oddKeys : keys);
            const unsigned kind = random() % 10;
            std::string what;
            if (kind < 6) {
                const std::string value = pick(values);
                single.WriteString(section, key, value);
                edit.WriteString(section, key, value);
                what = "write [" + section + "] " + key + "=" + value;
            } else if (kind < 9) {
                single.DeleteKey(section, key);
                edit.DeleteKey(section, key);
                what = "delete [" + section + "] " + key;
            } else {
                single.EraseSection(section);
                edit.EraseSection(section);
                what = "erase [" + section + "]";
            }
            std::vector<std::string> names;
            for (const seewolf::ProfileLine& line : edit.StoredSectionLines(section)) {
                if (!line.key.empty()) {  // name lists leave the empty name out
                    names.push_back(line.key);
                }
            }
            ASSERT_EQ(names, single.ReadSection(section)) << "round " << round << " after " << what;
            for (int read = 0; read < 4; ++read) {
                const std::string s = read == 0 ? section : pick(sections);
                const std::string k = read == 0 ? key : pick(keys);
                ASSERT_EQ(edit.FindString(s, k), single.FindString(s, k))
                    << "round " << round << " after " << what << ", reading [" << s << "] " << k;
            }
        }
        const std::string before = seewolf::platform::ReadFile(editFile).value_or("");
        edit.Commit();
        ASSERT_EQ(seewolf::platform::ReadFile(editFile).value_or("<missing>"), Get()) << "round " << round;
        if (before != Get()) {
            EXPECT_EQ(edited.ReadSectionValues("Crew"), single.ReadSectionValues("Crew"))
                << "round " << round;
        }
    }

    // A file changed since the edit read it gets the edit's changes on its current bytes.
    Put("[A]\r\nX=1\r\n");
    ProfileEdit late(Ini());
    late.WriteString("A", "Y", "2");
    late.DeleteKey("A", "X");
    Put("[A]\r\nX=1\r\n[B]\r\nZ=3\r\n");
    late.Commit();
    EXPECT_EQ(Get(), "[A]\r\nY=2\r\n[B]\r\nZ=3\r\n");
    late.WriteInteger("B", "Z", 4);  // an edit goes on after Commit
    late.WriteBool("B", "T", true);
    EXPECT_EQ(late.ReadInteger("b", "z", 0), 4);
    late.Commit();
    EXPECT_EQ(Get(), "[A]\r\nY=2\r\n[B]\r\nZ=4\r\nT=1\r\n");

    // A missing file written to is created, even when a later change takes the text out again.
    const fs::path created = m_root / "created.ini";
    ProfileEdit create{ProfileFile(created)};
    create.WriteString("A", "K", "1");
    create.EraseSection("a");
    create.Commit();
    EXPECT_EQ(seewolf::platform::ReadFile(created).value_or("<missing>"), "");
}

#ifndef _WIN32
// Run as a child by ABatchOf700KeysWritesTheFileOnce with SEEWOLF_FAULT_AFTER=2: an edit that
// writes 700 keys and commits, then one more changing file operation. The child ends right after
// that one (exit code kFaultExitCode, the second file written) only when Commit counted exactly
// one changing operation.
TEST(ProfileEditChild, Run) {
    const char* file = std::getenv("SEEWOLF_PROFILE_EDIT_CHILD");
    if (file == nullptr) {
        GTEST_SKIP() << "run by ABatchOf700KeysWritesTheFileOnce only";
    }
    ProfileEdit edit{ProfileFile(file)};
    for (int i = 0; i < 700; ++i) {
        edit.WriteInteger("Ship" + std::to_string(i % 7), "Key" + std::to_string(i), i);
    }
    edit.Commit();
    seewolf::platform::WriteFileAtomic(std::string(file) + ".after", "after");
}

TEST_F(ProfileFileTest, ABatchOf700KeysWritesTheFileOnce) {
    std::string text;
    for (int s = 0; s < 7; ++s) {
        text += "[Ship" + std::to_string(s) + "]\r\nKey" + std::to_string(s) + "=old\r\nOther=x\r\n";
    }
    Put(text);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("SEEWOLF_PROFILE_EDIT_CHILD", m_file.c_str(), 1);
        ::setenv("SEEWOLF_FAULT_AFTER", "2", 1);
        ::unsetenv("GTEST_OUTPUT");
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl("/proc/self/exe", "app_tests", "--gtest_filter=ProfileEditChild.Run",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), seewolf::platform::kFaultExitCode);
    EXPECT_EQ(seewolf::platform::ReadFile(m_root / "test.ini.after").value_or(""), "after");

    // The same 700 writes, one at a time, give the same bytes.
    const fs::path expected = m_root / "single.ini";
    std::ofstream(expected, std::ios::binary) << text;
    for (int i = 0; i < 700; ++i) {
        ProfileFile(expected).WriteInteger("Ship" + std::to_string(i % 7), "Key" + std::to_string(i), i);
    }
    EXPECT_EQ(Get(), seewolf::platform::ReadFile(expected).value_or("<missing>"));
}
#endif

// The parsed form is cached; every operation must still see the file's current bytes.
TEST_F(ProfileFileTest, ReadsSeeEveryExternalChange) {
    const ProfileFile ini = Ini();
    Put("[S]\nA=1\n");
    EXPECT_EQ(ini.ReadString("S", "A", ""), "1");
    Put("[S]\nA=2\n");  // same size, same inode, within the same clock tick
    EXPECT_EQ(ini.ReadString("S", "A", ""), "2");

    ini.WriteString("S", "A", "3");  // the layer's own write, then an external same-size one
    Put("[S]\nA=4\n");
    EXPECT_EQ(ini.ReadString("S", "A", ""), "4");

    // An entry taken well after the file's last change is trusted on its stamp; a same-size
    // rewrite that even puts the old modification time back still changes the change time.
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_EQ(ini.ReadString("S", "A", ""), "4");
    EXPECT_EQ(ini.ReadString("S", "A", ""), "4");
    const auto modified = fs::last_write_time(m_file);
    Put("[S]\nA=5\n");
    fs::last_write_time(m_file, modified);
    EXPECT_EQ(ini.ReadString("S", "A", ""), "5");

    fs::rename(m_file, m_root / "moved.ini");
    EXPECT_EQ(ini.ReadString("S", "A", "gone"), "gone");
    std::ofstream(m_root / "other.ini", std::ios::binary) << "[S]\nA=6\n";
    fs::rename(m_root / "other.ini", m_file);
    EXPECT_EQ(ini.ReadString("S", "A", ""), "6");
}

#ifndef _WIN32
// Writes through a shared mapping stamp the file only at the first write to a clean page; later
// ones leave size and times as they were. A cached parse taken so close to the file's last
// stamp must therefore be checked against the bytes.
TEST_F(ProfileFileTest, RecentEntriesAreCheckedAgainstTheBytes) {
    Put("[S]\nA=1\n");
    const int fd = ::open(m_file.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    void* map = ::mmap(nullptr, 8, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ASSERT_NE(map, MAP_FAILED);
    char* bytes = static_cast<char*>(map);
    const ProfileFile ini = Ini();
    bytes[6] = '2';
    EXPECT_EQ(ini.ReadString("S", "A", ""), "2");
    const auto stamp = seewolf::platform::StampOf(m_file);
    bytes[6] = '3';
    const bool unstamped = seewolf::platform::StampOf(m_file) == stamp;
    const std::string value = ini.ReadString("S", "A", "");
    ::munmap(map, 8);
    ::close(fd);
    if (!unstamped) {
        GTEST_SKIP() << "this kernel stamped the second write";
    }
    EXPECT_EQ(value, "3");
}
#endif

}  // namespace
