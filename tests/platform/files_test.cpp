#include "platform/files.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "platform/error.h"

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace seewolf::platform;

namespace {

// A fresh folder under the system's temporary folder, removed with its contents afterwards.
class FilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device seed;
        m_root = fs::temp_directory_path() /
                 ("seewolf-files-" + std::to_string(::getpid()) + "-" + std::to_string(seed()));
        fs::create_directories(m_root);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(m_root, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_root, ec);
    }

    void Put(const fs::path& path, const std::string& bytes) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Get(const fs::path& path) { return ReadFile(path).value_or("<missing>"); }
    static mode_t ModeOf(const fs::path& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st.st_mode & 07777;
    }
    // Names in a folder, sorted: shows leftover temporary files.
    static std::vector<std::string> Names(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static mode_t Umask() {
        const mode_t mask = ::umask(022);
        ::umask(mask);
        return mask;
    }

    fs::path m_root;
};

TEST_F(FilesTest, PathsConvertBetweenCp1252AndUtf8) {
    EXPECT_EQ(PathFromText("Spiele\\\xDC"
                           "ber/Basic.cfg")
                  .native(),
              "Spiele/\xC3\x9C"
              "ber/Basic.cfg");
    EXPECT_EQ(TextFromPath("/a/\xC3\xBC\xE2\x82\xAC"), "/a/\xFC\x80");
    EXPECT_EQ(TextFromPath("/a/\xE6\x97\xA5"), "/a/?");  // not in the code page
    EXPECT_EQ(WithTrailingSeparator("/x/y").native(), "/x/y/");
    EXPECT_EQ(WithTrailingSeparator("/x/y/").native(), "/x/y/");
    EXPECT_EQ(WithoutTrailingSeparator("/x/y//").native(), "/x/y");
    EXPECT_EQ(WithoutTrailingSeparator("/").native(), "/");
    EXPECT_EQ(ExecutablePath().filename(), "platform_tests");
}

TEST_F(FilesTest, ResolveMatchesComponentsWithoutRegardToCase) {
    Put(m_root / "Data/Cfg/Basic.cfg", "x");
    Put(m_root /
            "\xC3\x9C"
            "bung/Datei.txt",
        "x");  // "Übung" in UTF-8
    fs::create_directories(m_root / "Menu");
    fs::create_directories(m_root / "menu");

    EXPECT_EQ(Resolve(m_root, "data\\cfg\\BASIC.CFG"), m_root / "Data/Cfg/Basic.cfg");
    EXPECT_EQ(Resolve(m_root, "\\data//Cfg\\"), fs::path(m_root.native() + "/Data/Cfg/"));
    EXPECT_EQ(Resolve(m_root,
                      "\xFC"
                      "BUNG\\datei.TXT"),
              m_root /
                  "\xC3\x9C"
                  "bung/Datei.txt");
    // An exact spelling wins over other entries that differ only in case; without one, one of them.
    EXPECT_EQ(Resolve(m_root, "menu"), m_root / "menu");
    EXPECT_EQ(Resolve(m_root, "Menu"), m_root / "Menu");
    const fs::path either = Resolve(m_root, "MENU");
    EXPECT_TRUE(either == m_root / "Menu" || either == m_root / "menu") << either;
    // What matches nothing keeps its spelling, and so does everything after it.
    EXPECT_EQ(Resolve(m_root, "data\\New\\cfg\\A.txt"), m_root / "Data/New/cfg/A.txt");
    EXPECT_EQ(Resolve(m_root, "DATA\\.\\..\\data"), m_root / "Data/./../Data");
    EXPECT_EQ(Resolve(m_root, ""), m_root);
}

TEST_F(FilesTest, StampsAndReads) {
    const fs::path file = m_root / "f.bin";
    EXPECT_FALSE(StampOf(file));
    EXPECT_FALSE(StampOf(m_root));
    EXPECT_FALSE(ReadFile(file));
    EXPECT_FALSE(ReadFile(m_root));
    try {
        ReadBytes(file, 0, 4);
        ADD_FAILURE() << "no error";
    } catch (const seewolf::Error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to read " + file.string());
    }

    Put(file, std::string("0123456789\0z", 12));
    const timespec times[2] = {{1'600'000'000, 123'456'789}, {1'600'000'000, 987'654'321}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    const auto stamp = StampOf(file);
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->size, 12u);
    EXPECT_EQ(stamp->modifiedNs, 1'600'000'000'987'654'321);
    EXPECT_GT(stamp->changedNs, stamp->modifiedNs);
    EXPECT_EQ(Get(file), std::string("0123456789\0z", 12));
    EXPECT_EQ(ReadBytes(file, 8, 3), "89" + std::string(1, '\0'));
    EXPECT_EQ(ReadBytes(file, 10, 100), std::string("\0z", 2));
    EXPECT_EQ(ReadBytes(file, 50, 4), "");

    WriteFileAtomic(file, "replaced");  // a new file takes the old one's place
    EXPECT_NE(StampOf(file)->identity, stamp->identity);
}

TEST_F(FilesTest, ReadOnlyAttributeIsTheOwnersWriteBit) {
    const fs::path file = m_root / "f.txt";
    Put(file, "x");
    ::chmod(file.c_str(), 0754);
    EXPECT_FALSE(IsReadOnly(file));
    SetReadOnly(file, true);
    EXPECT_EQ(ModeOf(file), 0554u);
    EXPECT_TRUE(IsReadOnly(file));
    SetReadOnly(file, false);
    EXPECT_EQ(ModeOf(file), 0554u | 0200u | (0022u & ~Umask()));
    EXPECT_FALSE(IsReadOnly(m_root / "missing"));
    EXPECT_THROW(SetReadOnly(m_root / "missing", true), seewolf::Error);
}

TEST_F(FilesTest, ListFolderGivesCp1252NamesAndKinds) {
    Put(m_root / "\xC3\xA4.txt", "x");
    Put(m_root / "\xCE\xA9.txt", "x");  // beyond the code page: marked, not passed off as "?.txt"
    fs::create_directories(m_root / "Sub");
    fs::create_directory_symlink(m_root / "Sub", m_root / "Link");
    auto entries = ListFolder(m_root);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, "?.txt");
    EXPECT_TRUE(entries[0].nameNotText);
    EXPECT_EQ(entries[1].name, "Link");
    EXPECT_TRUE(entries[1].isFolder);
    EXPECT_EQ(entries[2].name, "Sub");
    EXPECT_TRUE(entries[2].isFolder);
    EXPECT_EQ(entries[3].name, "\xE4.txt");
    EXPECT_FALSE(entries[3].isFolder);
    EXPECT_FALSE(entries[3].nameNotText);
    EXPECT_TRUE(ListFolder(m_root / "missing").empty());
}

TEST_F(FilesTest, WriteFileAtomicKeepsPermissionsAndFollowsLinks) {
    const fs::path fresh = m_root / "new.txt";
    WriteFileAtomic(fresh, "abc", true);
    EXPECT_EQ(Get(fresh), "abc");
    EXPECT_EQ(ModeOf(fresh), 0666u & ~Umask());

    const fs::path kept = m_root / "kept.txt";
    Put(kept, "old");
    ::chmod(kept.c_str(), 0640);
    WriteFileAtomic(kept, "new contents");
    EXPECT_EQ(Get(kept), "new contents");
    EXPECT_EQ(ModeOf(kept), 0640u);

    fs::create_directories(m_root / "real");
    Put(m_root / "real/target.txt", "old");
    fs::create_symlink("real/target.txt", m_root / "link.txt");
    WriteFileAtomic(m_root / "link.txt", "through the link");
    EXPECT_TRUE(fs::is_symlink(m_root / "link.txt"));
    EXPECT_EQ(Get(m_root / "real/target.txt"), "through the link");

    EXPECT_EQ(Names(m_root), (std::vector<std::string>{"kept.txt", "link.txt", "new.txt", "real"}));
    EXPECT_EQ(Names(m_root / "real"), (std::vector<std::string>{"target.txt"}));
}

TEST_F(FilesTest, FailedWritesSayWhereAndLeaveNothingBehind) {
    const auto expectFailure = [](const fs::path& path) {
        try {
            WriteFileAtomic(path, "data");
            ADD_FAILURE() << "no error for " << path;
        } catch (const seewolf::Error& e) {
            EXPECT_EQ(std::string(e.what()), "Unable to write to " + path.string());
        }
    };
    expectFailure(m_root / "missing/folder/f.ini");
    const fs::path readOnly = m_root / "ro.ini";
    Put(readOnly, "old");
    ::chmod(readOnly.c_str(), 0444);
    expectFailure(readOnly);
    EXPECT_EQ(Get(readOnly), "old");
    fs::create_directories(m_root / "folder.ini");
    expectFailure(m_root / "folder.ini");
    EXPECT_EQ(Names(m_root), (std::vector<std::string>{"folder.ini", "ro.ini"}));

    // A write that fails half-way (the file size limit is hit) removes its temporary file. Run
    // in a child so the limit does not touch the test process.
    const fs::path big = m_root / "big.bin";
    Put(big, "old");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            WriteFileAtomic(big, std::string(100'000, 'x'));
            std::_Exit(1);
        } catch (const seewolf::Error&) {
            std::_Exit(0);
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the oversized write did not fail";
    EXPECT_EQ(Get(big), "old");
    EXPECT_EQ(Names(m_root), (std::vector<std::string>{"big.bin", "folder.ini", "ro.ini"}));
}

TEST_F(FilesTest, CopyRenameAndRemove) {
    const fs::path source = m_root / "source.bin";
    std::string bytes(3'000'001, '\0');
    std::mt19937 random(7);
    for (char& c : bytes) {
        c = static_cast<char>(random());
    }
    Put(source, bytes);
    ::chmod(source.c_str(), 0751);
    const timespec times[2] = {{1'500'000'000, 5}, {1'500'000'000, 123'456'789}};
    ::utimensat(AT_FDCWD, source.c_str(), times, 0);

    const fs::path copy = m_root / "out/copy.bin";
    CreateFolders(m_root / "out");
    Put(copy, "to be replaced");
    CopyFileAtomic(source, copy);
    EXPECT_TRUE(Get(copy) == bytes);
    EXPECT_EQ(ModeOf(copy), 0751u);
    EXPECT_EQ(StampOf(copy)->modifiedNs, 1'500'000'000'123'456'789);
    EXPECT_EQ(Names(m_root / "out"), (std::vector<std::string>{"copy.bin"}));
    EXPECT_THROW(CopyFileAtomic(m_root / "missing", copy), seewolf::Error);
    // What a strict umask takes from the new file's mode is given back.
    const mode_t mask = ::umask(077);
    const bool exclusive = TryCopyFileExclusive(source, m_root / "out/exclusive.bin");
    ::umask(mask);
    EXPECT_TRUE(exclusive);
    EXPECT_EQ(ModeOf(m_root / "out/exclusive.bin"), 0751u);
    EXPECT_TRUE(RemovePath(m_root / "out/exclusive.bin"));

    RenamePath(copy, m_root / "out/renamed.bin");
    EXPECT_EQ(Names(m_root / "out"), (std::vector<std::string>{"renamed.bin"}));
    EXPECT_THROW(RenamePath(copy, m_root / "x"), seewolf::Error);

    // A batch of copies: none in place before Commit, all (bytes, mode, time) after; a read-only
    // target or a missing source is refused at once, and a batch never committed leaves nothing.
    {
        CopyBatch batch;
        batch.Add(source, m_root / "out/b1.bin");
        batch.Add(source, m_root / "out/b2.bin");
        EXPECT_EQ(Names(m_root / "out").size(), 3u);  // two temporary files beside renamed.bin
        batch.Commit();
    }
    EXPECT_TRUE(Get(m_root / "out/b2.bin") == bytes);
    EXPECT_EQ(ModeOf(m_root / "out/b2.bin"), 0751u);
    EXPECT_EQ(StampOf(m_root / "out/b1.bin")->modifiedNs, 1'500'000'000'123'456'789);
    Put(m_root / "out/ro.bin", "x");
    ::chmod((m_root / "out/ro.bin").c_str(), 0444);
    {
        CopyBatch dropped;
        dropped.Add(source, m_root / "out/never.bin");
        EXPECT_THROW(dropped.Add(source, m_root / "out/ro.bin"), seewolf::Error);
        EXPECT_THROW(dropped.Add(m_root / "missing", m_root / "out/x.bin"), seewolf::Error);
    }
    EXPECT_EQ(Names(m_root / "out"), (std::vector<std::string>{"b1.bin", "b2.bin", "renamed.bin", "ro.bin"}));
    for (const char* name : {"out/b1.bin", "out/b2.bin", "out/ro.bin"}) {
        EXPECT_TRUE(RemovePath(m_root / name));
    }

    EXPECT_FALSE(RemovePath(m_root / "out"));  // not empty
    EXPECT_TRUE(RemovePath(m_root / "out/renamed.bin"));
    EXPECT_TRUE(RemovePath(m_root / "out/renamed.bin"));  // already gone
    EXPECT_TRUE(RemovePath(m_root / "out/"));
    Put(m_root / "tree/a/b/c.txt", "x");
    EXPECT_TRUE(RemoveTree(m_root / "tree"));
    EXPECT_TRUE(RemoveTree(m_root / "tree"));
    EXPECT_EQ(Names(m_root), (std::vector<std::string>{"source.bin"}));
}

// The helper performs nine operations; cut after each in turn, exactly that many took effect.
TEST_F(FilesTest, FaultInjectionCutsAfterTheNthChangingOperation) {
    const auto stateOf = [](const fs::path& folder) {
        const auto show = [&folder](const char* name) {
            const fs::path path = folder / name;
            return std::string(name) + "=" +
                   (fs::is_directory(path) ? "dir"
                    : fs::exists(path)     ? Get(path)
                                           : "-");
        };
        return show("a.txt") + " " + show("sub") + " " + show("sub/b.txt") + " " + show("sub/c.txt") + " " +
               show("d.txt") + " " + show("e.txt");
    };
    const std::vector<std::string> expected = {
        "a.txt=- sub=- sub/b.txt=- sub/c.txt=- d.txt=- e.txt=-",        // nothing done
        "a.txt=- sub=dir sub/b.txt=- sub/c.txt=- d.txt=- e.txt=-",      // folder created
        "a.txt=one sub=dir sub/b.txt=- sub/c.txt=- d.txt=- e.txt=-",    // file written
        "a.txt=one sub=dir sub/b.txt=one sub/c.txt=- d.txt=- e.txt=-",  // copied
        "a.txt=one sub=dir sub/b.txt=- sub/c.txt=one d.txt=- e.txt=-",  // renamed
        "a.txt=two sub=dir sub/b.txt=- sub/c.txt=one d.txt=- e.txt=-",  // rewritten
        "a.txt=two sub=dir sub/b.txt=- sub/c.txt=- d.txt=- e.txt=-",    // removed
        "a.txt=two sub=- sub/b.txt=- sub/c.txt=- d.txt=- e.txt=-",      // tree removed
        "a.txt=two sub=- sub/b.txt=- sub/c.txt=- d.txt=two e.txt=-",    // first copy of the batch
        "a.txt=two sub=- sub/b.txt=- sub/c.txt=- d.txt=two e.txt=two",  // second copy
    };
    for (int n = 1; n <= 10; ++n) {
        const fs::path folder = m_root / std::to_string(n);
        fs::create_directories(folder);
        const fs::path output = m_root / ("out" + std::to_string(n));
        const std::string command = "SEEWOLF_FAULT_AFTER=" + std::to_string(n) +
                                    " '" SEEWOLF_FAULT_HELPER "' '" + folder.string() + "' > '" +
                                    output.string() + "'";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << n;
        const bool cut = n <= 9;
        EXPECT_EQ(WEXITSTATUS(status), cut ? kFaultExitCode : 0) << n;
        EXPECT_EQ(stateOf(folder), expected[std::min(n, 9)]) << n;
        EXPECT_EQ(Get(output), cut ? "" : "unflushed") << n;
        // No temporary files survive a cut, but for the batch's copy that had not reached its place.
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name[0] != '.' || (n == 8 && name.rfind(".e.txt.seewolf-", 0) == 0)) << entry.path();
        }
    }
}

}  // namespace

#endif  // _WIN32
