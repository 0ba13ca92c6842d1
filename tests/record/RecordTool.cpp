// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// Reads or saves a best-time file from a process of its own, for tests that
// must act as another user or run from a folder of their choosing.
//   record_tool load PATH              prints the value the game would start with
//   record_tool save PATH TENTHS       exits 0 when saved, else prints the reason
//   record_tool choose PROGRAM USER    prints the record chosen between two folders
//   record_tool here                   prints this program's record and its value
#include "record/qt/BestTimeFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
void show(const BestTimeFile &file)
{
    // The path as the system's bytes, whatever they are.
    std::printf("%s\n%d\n", file.store().path().c_str(), file.record().load());
}
}

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "load") == 0) {
        std::printf("%d\n", BestTimeFile(std::string(argv[2])).record().load());
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "save") == 0) {
        const BestTimeRecord::Saved saved = BestTimeFile(std::string(argv[2])).record().save(std::atoi(argv[3]));
        if (saved.kept)
            return 0;
        std::printf("%s\n", saved.reason.c_str());
        return 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "choose") == 0) {
        show(BestTimeFile::inWritableFolder(argv[2], argv[3]));
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "here") == 0) {
        show(BestTimeFile::forThisProgram());
        return 0;
    }
    std::fputs("usage: record_tool load PATH | save PATH TENTHS | choose PROGRAM USER | here\n", stderr);
    return 2;
}
