// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "BestTimeFile.h"
#include "record/BestTimeFormat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {
QByteArray nativeName(const QString &path)
{
    return QFile::encodeName(path);
}

bool exists(const QString &path)
{
    struct stat info {};
    return ::lstat(nativeName(path).constData(), &info) == 0;
}

// Where the record's bytes really are: the path itself, unless it is a
// symbolic link. A link that the player made (it belongs to the user
// running the game) to a plain file of the player's own is followed, so a
// record kept in a synced folder stays there. Any other link gives nothing:
// it is neither read nor written through.
std::optional<QString> recordTarget(const QString &path)
{
    const QByteArray name = nativeName(path);
    struct stat link {};
    if (::lstat(name.constData(), &link) != 0 || !S_ISLNK(link.st_mode))
        return path;
    const uid_t player = ::geteuid();
    struct stat target {};
    if (link.st_uid != player || ::stat(name.constData(), &target) != 0
        || !S_ISREG(target.st_mode) || target.st_uid != player)
        return std::nullopt;
    return QFileInfo(path).canonicalFilePath();
}

// The number at the start of a plain file. Opened without blocking and
// without following links, so that neither a pipe nor a link slipped in
// can hang the start or lead elsewhere, and only then checked.
std::optional<std::int32_t> readPlainFile(const QString &path)
{
    const int fd = ::open(nativeName(path).constData(),
                          O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;

    std::optional<std::int32_t> value;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        char prefix[BestTimeFile::PrefixSize];
        std::size_t size = 0;
        bool failed = false;
        while (size < sizeof prefix) {
            const ssize_t got = ::read(fd, prefix + size, sizeof prefix - size);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                failed = true;
            if (got <= 0)
                break;
            size += static_cast<std::size_t>(got);
        }
        if (!failed)
            value = BestTimeFormat::parse({prefix, size}, size < sizeof prefix);
    }
    ::close(fd);
    return value;
}

bool fail(QString *reason, const QString &why)
{
    if (reason)
        *reason = why;
    return false;
}

// Whatever stands at the path and is no plain file (a link that is not
// followed, a pipe, a device) is taken away, the link itself and never its
// target, so that a plain file can take its place. A folder stays.
bool clearForPlainFile(const QString &path, QString *reason)
{
    const QFileInfo info(path);
    if (!info.isSymLink() && (!info.exists() || info.isFile()))
        return true;
    if (!info.isSymLink() && info.isDir())
        return fail(reason, QStringLiteral("a folder stands at its place"));
    QFile other(path);
    return other.remove() || fail(reason, other.errorString());
}

QString lockProblem(QLockFile::LockError error)
{
    switch (error) {
    case QLockFile::LockFailedError:
        return QStringLiteral("another copy of the game kept its lock too long");
    case QLockFile::PermissionError:
        return QStringLiteral("its lock file cannot be created");
    default:
        return QStringLiteral("its lock file cannot be used");
    }
}
} // namespace

BestTimeFile BestTimeFile::inWritableFolder(const QString &programFolder, const QString &userFolder)
{
    const QString besideProgram = QDir(programFolder).filePath(QString::fromLatin1(FileName));
    if (QFileInfo(programFolder).isWritable())
        return BestTimeFile(besideProgram);
    return BestTimeFile(QDir(userFolder).filePath(QString::fromLatin1(FileName)), besideProgram);
}

BestTimeFile BestTimeFile::forThisProgram()
{
    return inWritableFolder(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

std::optional<std::int32_t> BestTimeFile::read() const
{
    const std::optional<QString> target = recordTarget(m_path);
    return target ? readPlainFile(*target) : std::nullopt;
}

std::int32_t BestTimeFile::load() const
{
    if (!m_carryOver.isEmpty() && !exists(m_path))
        return BestTimeFile(m_carryOver).read().value_or(Missing);
    return read().value_or(Missing);
}

std::optional<std::int32_t> BestTimeFile::save(std::int32_t tenths, QString *reason) const
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return fail(reason, QStringLiteral("its folder cannot be created")), std::nullopt;

    // Two copies of the game may close at the same moment: each reads and
    // writes under the lock, so the better time of the two is what stays.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (!lock.tryLock(LockWaitMs))
        return fail(reason, lockProblem(lock.error())), std::nullopt;

    const std::optional<QString> target = recordTarget(m_path);
    const std::optional<std::int32_t> stored = target ? readPlainFile(*target) : std::nullopt;
    const std::int32_t best = stored ? std::min(*stored, tenths) : tenths;
    const QString plainFile = target.value_or(m_path);
    if (!clearForPlainFile(plainFile, reason))
        return std::nullopt;

    // QSaveFile writes a temporary file beside the old one and renames it
    // over the old one only on commit. Unbuffered, a failed write shows at
    // once instead of in a last flush that could commit an empty file.
    QSaveFile file(plainFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(reason, file.errorString());
    const std::string line = BestTimeFormat::line(best);
    const qint64 size = static_cast<qint64>(line.size());
    if (file.write(line.data(), size) != size) {
        const QString why = file.errorString();
        file.cancelWriting();
        fail(reason, why);
        return std::nullopt;
    }
    if (!file.commit()) {
        fail(reason, file.errorString());
        return std::nullopt;
    }
    return best;
}
