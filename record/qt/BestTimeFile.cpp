// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "BestTimeFile.h"
#include "record/BestTimeFormat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <thread>
#include <unistd.h>
#include <utility>

// The record is written with plain system calls rather than QSaveFile:
// QSaveFile opens its path by name and resolves a link there by itself, so
// a link that a neighbour puts back after any check would be written
// through. Here every step works on a descriptor of the folder that really
// holds the file: the temporary file is created with O_EXCL|O_NOFOLLOW, and
// renameat replaces whatever stands at the name, a link included, without
// ever following it.

namespace {
// A file descriptor that closes itself.
class Descriptor
{
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(Descriptor &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd = -1;
};

std::optional<std::int32_t> failed(QString *reason, const QString &why)
{
    if (reason)
        *reason = why;
    return std::nullopt;
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Where the record's bytes really are: a folder, held open, and a name in
// it. Normally the record's own folder and name. A link at the name that
// the player made (it belongs to the user running the game) is followed
// once, to a plain file of the player's or to a name where none exists yet
// (a synced folder not yet filled), so a record kept elsewhere stays there.
// Any other link is not followed: it is the name itself that is replaced.
struct Place
{
    Descriptor folder;
    std::string name;
    // Reached through the player's link: the file found there, if any,
    // must still be that very file when it is opened.
    bool throughLink = false;
    std::optional<std::pair<dev_t, ino_t>> linkedFile;
};

bool isPlayersPlainFile(const struct stat &info)
{
    return S_ISREG(info.st_mode) && info.st_uid == ::geteuid();
}

std::optional<Place> followPlayersLink(const Descriptor &folder, const std::string &name,
                                       const struct stat &link, QString *reason)
{
    if (link.st_uid != ::geteuid())
        return std::nullopt;
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlinkat(folder.get(), name.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
        return std::nullopt;
    target.resize(static_cast<std::size_t>(length));

    const std::size_t slash = target.rfind('/');
    const std::string targetName = slash == std::string::npos ? target : target.substr(slash + 1);
    const std::string targetFolder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    if (targetName.empty() || targetName == "." || targetName == "..")
        return std::nullopt;
    // A relative link is read from the link's own folder, as the system does.
    Descriptor there(::openat(folder.get(), targetFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!there.valid()) {
        if (reason)
            *reason = QStringLiteral("the folder its link leads to cannot be opened: %1").arg(systemError(errno));
        return Place{}; // no folder: the save fails, the link stays
    }
    struct stat file {};
    if (::fstatat(there.get(), targetName.c_str(), &file, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return Place{std::move(there), targetName, true, {}};
        if (reason)
            *reason = QStringLiteral("the file its link leads to cannot be examined: %1").arg(systemError(errno));
        return Place{}; // the save fails, the link stays
    }
    if (!isPlayersPlainFile(file))
        return std::nullopt;
    return Place{std::move(there), targetName, true, std::make_pair(file.st_dev, file.st_ino)};
}

// The place of the record at `path`, or nothing (with the reason) when it
// cannot be reached at all.
std::optional<Place> locate(const QString &path, QString *reason)
{
    const QFileInfo info(path);
    Descriptor folder(::open(QFile::encodeName(info.absolutePath()).constData(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) {
        failed(reason, QStringLiteral("its folder cannot be opened: %1").arg(systemError(errno)));
        return std::nullopt;
    }
    std::string name = QFile::encodeName(info.fileName()).toStdString();
    struct stat at {};
    if (::fstatat(folder.get(), name.c_str(), &at, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(at.st_mode)) {
        QString why;
        if (std::optional<Place> linked = followPlayersLink(folder, name, at, &why)) {
            if (!linked->folder.valid()) {
                failed(reason, why);
                return std::nullopt;
            }
            return linked;
        }
    }
    return Place{std::move(folder), std::move(name), false, {}};
}

// What a place holds: a number, nothing (no file, no plain file, a link
// that is not followed, or no number in it), or a file that exists but
// cannot be read, whose error a save must not write over.
struct Stored
{
    std::optional<std::int32_t> value;
    int error = 0;
};

// The number at the start of the plain file at the place. Opened without
// blocking and without following links, so that neither a pipe nor a link
// slipped in can hang the start or lead elsewhere, and only then checked:
// the file actually opened must be the one the place names.
Stored readAt(const Place &place)
{
    Descriptor file(::openat(place.folder.get(), place.name.c_str(),
                             O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
    if (!file.valid())
        return {std::nullopt, errno == ENOENT || errno == ELOOP ? 0 : errno};
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return {std::nullopt, errno};
    if (!S_ISREG(info.st_mode))
        return {};
    if (place.throughLink && (!isPlayersPlainFile(info) || !place.linkedFile
                              || *place.linkedFile != std::make_pair(info.st_dev, info.st_ino)))
        return {};

    char prefix[BestTimeFile::PrefixSize];
    std::size_t size = 0;
    while (size < sizeof prefix) {
        const ssize_t got = ::read(file.get(), prefix + size, sizeof prefix - size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {std::nullopt, errno};
        if (got == 0)
            break;
        size += static_cast<std::size_t>(got);
    }
    return {BestTimeFormat::parse({prefix, size}, size < sizeof prefix), 0};
}

bool sameFolder(const Place &one, const Place &other)
{
    struct stat a {};
    struct stat b {};
    return ::fstat(one.folder.get(), &a) == 0 && ::fstat(other.folder.get(), &b) == 0 && a.st_dev == b.st_dev
           && a.st_ino == b.st_ino && one.name == other.name;
}

// Two copies of the game may save at the same moment: each reads and writes
// while it holds a lock on a file beside the record, so the better time of
// the two is what stays. The lock is the system's record lock, which the
// kernel drops the moment its process ends: a lock file that no running copy
// holds (one left by a crash or a kill) is simply taken at once and never
// delays a save. The holder removes the file before it lets go; a copy that
// was waiting on the removed file sees that its name now leads elsewhere
// and starts over, so two copies never both hold the lock.
class RecordLock
{
public:
    static std::optional<RecordLock> take(const Place &place, QString *reason)
    {
        const std::string name = place.name + ".lock";
        const QString shownName = QFile::decodeName(name.c_str());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(BestTimeFile::LockWaitMs);
        for (;;) {
            Descriptor file = open(place.folder, name);
            if (!file.valid()) {
                failed(reason, QStringLiteral("its lock file %1 cannot be opened: %2").arg(shownName, systemError(errno)));
                return std::nullopt;
            }
            if (!waitFor(file, deadline)) {
                if (errno == EACCES || errno == EAGAIN)
                    failed(reason, QStringLiteral("another running copy of the game (process %1) holds its lock file %2")
                                       .arg(holder(file), shownName));
                else
                    failed(reason, QStringLiteral("its lock file %1 cannot be locked: %2").arg(shownName, systemError(errno)));
                return std::nullopt;
            }
            if (stillNamed(place.folder, name, file))
                return RecordLock(Descriptor(::fcntl(place.folder.get(), F_DUPFD_CLOEXEC, 0)), name,
                                  std::move(file));
        }
    }

    RecordLock(RecordLock &&) = default;
    RecordLock &operator=(RecordLock &&) = delete;
    ~RecordLock()
    {
        if (m_file.valid() && m_folder.valid())
            ::unlinkat(m_folder.get(), m_name.c_str(), 0);
    }

private:
    RecordLock(Descriptor folder, std::string name, Descriptor file)
        : m_folder(std::move(folder)), m_name(std::move(name)), m_file(std::move(file)) {}

    static Descriptor open(const Descriptor &folder, const std::string &name)
    {
        constexpr int Flags = O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        Descriptor file(::openat(folder.get(), name.c_str(), Flags, 0666));
        // A link planted at the lock's name is taken away, never followed.
        if (!file.valid() && errno == ELOOP && ::unlinkat(folder.get(), name.c_str(), 0) == 0)
            file = Descriptor(::openat(folder.get(), name.c_str(), Flags, 0666));
        struct stat info {};
        if (file.valid() && (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))) {
            errno = EINVAL;
            return Descriptor();
        }
        return file;
    }

    static bool waitFor(const Descriptor &file, std::chrono::steady_clock::time_point deadline)
    {
        struct flock whole {};
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET;
        while (::fcntl(file.get(), F_SETLK, &whole) != 0) {
            if (errno != EACCES && errno != EAGAIN && errno != EINTR)
                return false;
            if (std::chrono::steady_clock::now() >= deadline) {
                errno = EAGAIN;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    static bool stillNamed(const Descriptor &folder, const std::string &name, const Descriptor &file)
    {
        struct stat held {};
        struct stat named {};
        return ::fstat(file.get(), &held) == 0
               && ::fstatat(folder.get(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0
               && held.st_dev == named.st_dev && held.st_ino == named.st_ino;
    }

    static QString holder(const Descriptor &file)
    {
        struct flock probe {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        if (::fcntl(file.get(), F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK)
            return QString::number(probe.l_pid);
        return QStringLiteral("unknown");
    }

    Descriptor m_folder;
    std::string m_name;
    Descriptor m_file;
};

bool writeAll(int fd, const std::string &bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// A new, uniquely named file in the place's folder, never a link.
std::pair<Descriptor, std::string> createTemporary(const Place &place)
{
    static std::mt19937_64 names{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "." + place.name + "." + std::to_string(names() % 1000000000u) + ".tmp";
        Descriptor file(::openat(place.folder.get(), name.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666));
        if (file.valid() || errno != EEXIST)
            return {std::move(file), file.valid() ? name : std::string()};
    }
    errno = EEXIST;
    return {};
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
    const std::optional<Place> place = locate(m_path, nullptr);
    return place ? readAt(*place).value : std::nullopt;
}

std::int32_t BestTimeFile::load() const
{
    struct stat info {};
    if (!m_carryOver.isEmpty() && ::lstat(QFile::encodeName(m_path).constData(), &info) != 0)
        return BestTimeFile(m_carryOver).read().value_or(Missing);
    return read().value_or(Missing);
}

std::optional<std::int32_t> BestTimeFile::save(std::int32_t tenths, QString *reason) const
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return failed(reason, QStringLiteral("its folder cannot be created"));
    std::optional<Place> place = locate(m_path, reason);
    if (!place)
        return std::nullopt;
    step("found");
    std::optional<RecordLock> lock = RecordLock::take(*place, reason);
    if (!lock)
        return std::nullopt;
    // Found again under the lock: the copy that held it may have replaced
    // the file a link leads to, or the link itself may lead elsewhere now,
    // and only what the record is at this moment may be read and replaced.
    std::optional<Place> now = locate(m_path, reason);
    if (!now)
        return std::nullopt;
    if (!sameFolder(*place, *now)) {
        lock.reset();
        place = std::move(now);
        std::optional<RecordLock> again = RecordLock::take(*place, reason);
        if (!again)
            return std::nullopt;
        lock.emplace(std::move(*again));
        if (!(now = locate(m_path, reason)))
            return std::nullopt;
        if (!sameFolder(*place, *now))
            return failed(reason, QStringLiteral("its link changed while it was being saved"));
    }
    place = std::move(now);
    step("locked");

    const Stored stored = readAt(*place);
    if (stored.error != 0)
        return failed(reason, QStringLiteral("the time it holds cannot be read: %1").arg(systemError(stored.error)));
    const std::int32_t best = stored.value ? std::min(*stored.value, tenths) : tenths;
    struct stat old {};
    const bool hasOld = ::fstatat(place->folder.get(), place->name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (hasOld && S_ISDIR(old.st_mode))
        return failed(reason, QStringLiteral("a folder stands at its place"));
    step("read");

    auto created = createTemporary(*place);
    Descriptor file = std::move(created.first);
    const std::string temporary = created.second;
    if (!file.valid())
        return failed(reason, QStringLiteral("no temporary file can be made beside it: %1").arg(systemError(errno)));
    const auto discard = [&](int error) {
        ::unlinkat(place->folder.get(), temporary.c_str(), 0);
        return failed(reason, systemError(error));
    };
    // The player's file keeps its permissions when it is replaced.
    if (hasOld && isPlayersPlainFile(old) && ::fchmod(file.get(), old.st_mode & 07777) != 0)
        return discard(errno);
    if (!writeAll(file.get(), BestTimeFormat::line(best)) || ::fsync(file.get()) != 0)
        return discard(errno);
    if (::close(file.release()) != 0)
        return discard(errno);
    step("written");

    if (::renameat(place->folder.get(), temporary.c_str(), place->folder.get(), place->name.c_str()) != 0)
        return discard(errno);
    // The new name itself must reach the disk, or a power cut could bring
    // back the old one.
    ::fsync(place->folder.get());
    step("moved");
    return best;
}
