// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// Reads or saves a best-time file from a process of its own, for tests that
// must act as another user: they drop privileges and then start this tool.
//   record_tool load PATH          prints the value the game would start with
//   record_tool save PATH TENTHS   exits 0 when saved, else prints the reason
#include "record/qt/BestTimeFile.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "load") == 0) {
        std::printf("%d\n", BestTimeFile(QString::fromLocal8Bit(argv[2])).load());
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "save") == 0) {
        QString reason;
        if (BestTimeFile(QString::fromLocal8Bit(argv[2])).save(std::atoi(argv[3]), &reason))
            return 0;
        std::printf("%s\n", qPrintable(reason));
        return 1;
    }
    std::fputs("usage: record_tool load PATH | record_tool save PATH TENTHS\n", stderr);
    return 2;
}
