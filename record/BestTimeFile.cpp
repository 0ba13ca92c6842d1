#include "BestTimeFile.h"
#include "BestTimeFormat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

BestTimeFile BestTimeFile::inWritableFolder(const QString &programFolder, const QString &userFolder)
{
    const QString folder = QFileInfo(programFolder).isWritable() ? programFolder : userFolder;
    return BestTimeFile(QDir(folder).filePath(QString::fromLatin1(FileName)));
}

BestTimeFile BestTimeFile::forThisProgram()
{
    return inWritableFolder(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

std::optional<std::int32_t> BestTimeFile::read() const
{
    // Opened without blocking so that a pipe at the path cannot hang the
    // start, and only then checked: a plain file is the only thing read.
    const QByteArray name = QFile::encodeName(m_path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;

    std::optional<std::int32_t> value;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        char prefix[PrefixSize];
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

bool BestTimeFile::clearNonFile() const
{
    // Never write through a link, into a pipe or onto a device: whatever
    // stands at the path that is not a plain file is taken away (a link
    // itself, never its target) and a plain file is written in its place.
    // A folder of that name is left alone and the save fails.
    const QFileInfo info(m_path);
    if (info.isSymLink())
        return QFile::remove(m_path);
    if (!info.exists() || info.isFile())
        return true;
    if (info.isDir())
        return false;
    return QFile::remove(m_path);
}

bool BestTimeFile::save(std::int32_t tenths) const
{
    if (!clearNonFile())
        return false;
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return false;

    // QSaveFile writes a temporary file beside the old one and renames it
    // over the old one only on commit. Unbuffered, a failed write shows at
    // once instead of in a last flush that could commit an empty file.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const std::string line = BestTimeFormat::line(tenths);
    const qint64 size = static_cast<qint64>(line.size());
    if (file.write(line.data(), size) != size) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
