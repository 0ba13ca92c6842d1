// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// Feeds arbitrary bytes to the best-time reader, as text and as a real file.
#include "record/qt/BestTimeFile.h"
#include "record/BestTimeFormat.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {
void require(bool condition)
{
    if (!condition)
        std::abort();
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    for (bool complete : {true, false}) {
        const std::optional<std::int32_t> value = BestTimeFormat::parse(text, complete);
        // Whatever is accepted writes back as a line that reads the same.
        if (value)
            require(BestTimeFormat::parse(BestTimeFormat::line(*value)) == value);
    }

    // The file reader sees only the start of the file and agrees with the
    // text reader on it.
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("HighScore.mtt"));
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        require(file.write(text.data(), static_cast<qint64>(size)) == static_cast<qint64>(size));
    }
    const std::size_t prefix = std::min<std::size_t>(size, BestTimeFile::PrefixSize);
    require(BestTimeFile(path).record().read()
            == BestTimeFormat::parse(text.substr(0, prefix), size <= BestTimeFile::PrefixSize));
    return 0;
}
