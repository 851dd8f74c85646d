// Carries out a fixed series of nine changing file operations in the folder named by its
// argument. The fault-injection test runs it with SEEWOLF_FAULT_AFTER=N and checks that
// exactly the first N operations took effect.

#include <cstdio>
#include <filesystem>

#include "platform/files.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: fault_helper FOLDER\n", stderr);
        return 2;
    }
    namespace platform = seewolf::platform;
    const std::filesystem::path folder = argv[1];
    const std::filesystem::path sub = folder / "sub";
    // Left in the stdio buffer: a cut must end the process without flushing it.
    std::fputs("unflushed", stdout);
    platform::CreateFolders(sub);                               // 1
    platform::WriteFileAtomic(folder / "a.txt", "one");         // 2
    platform::CopyFileAtomic(folder / "a.txt", sub / "b.txt");  // 3
    platform::RenamePath(sub / "b.txt", sub / "c.txt");         // 4
    platform::WriteFileAtomic(folder / "a.txt", "two");         // 5
    platform::RemovePath(sub / "c.txt");                        // 6
    platform::RemoveTree(sub);                                  // 7
    platform::CopyBatch batch;  // each copy counts when it reaches its place, the flush not at all
    batch.Add(folder / "a.txt", folder / "d.txt");
    batch.Add(folder / "a.txt", folder / "e.txt");
    batch.Commit();  // 8, 9
    return 0;
}
