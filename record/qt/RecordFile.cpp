// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "RecordFile.h"
#include "record/BestTimeRecord.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QString>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <pwd.h>
#include <random>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
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
using Status = RecordStore::Status;

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

std::string systemError(int error)
{
    return std::strerror(error);
}

RecordStore::Reply failed(std::string why)
{
    return {Status::Failed, std::move(why)};
}

bool isPlayersPlainFile(const struct stat &info)
{
    return S_ISREG(info.st_mode) && info.st_uid == ::geteuid();
}

std::pair<std::string, std::string> splitPath(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool makeFolders(const std::string &folder)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    const std::string parent = splitPath(folder).first;
    if (parent != folder && !makeFolders(parent))
        return false;
    return ::mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

std::string temporaryPrefix(const std::string &name)
{
    return "." + name + ".";
}
} // namespace

// Where the record's bytes really are: a folder, held open, and a name in
// it. Normally the record's own folder and name. A link at the name that
// the player made (it belongs to the user running the game) is followed
// once, to a plain file of the player's or to a name where none exists yet
// (a synced folder not yet filled), so a record kept elsewhere stays there.
// Any other link is not followed: it is the name itself that is replaced.
struct RecordFile::Place
{
    Descriptor folder;
    std::string name;
    // Reached through the player's link: the file found there, if any,
    // must still be that very file when it is opened.
    bool throughLink = false;
    std::optional<std::pair<dev_t, ino_t>> linkedFile;
};

namespace {
using Place = RecordFile::Place;

// The place the player's link at `name` leads to; nothing when the link is
// not to be followed; a place without a folder (with the reason) when the
// save must fail and the link stay.
std::optional<Place> followPlayersLink(const Descriptor &folder, const std::string &name, const struct stat &link,
                                       std::string &reason)
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
        reason = "the folder its link leads to cannot be opened: " + systemError(errno);
        return Place{};
    }
    struct stat file {};
    if (::fstatat(there.get(), targetName.c_str(), &file, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return Place{std::move(there), targetName, true, {}};
        reason = "the file its link leads to cannot be examined: " + systemError(errno);
        return Place{};
    }
    if (!isPlayersPlainFile(file))
        return std::nullopt;
    return Place{std::move(there), targetName, true, std::make_pair(file.st_dev, file.st_ino)};
}

// The place of the record at `path`, or nothing (with the reason) when it
// cannot be reached at all.
std::optional<Place> locate(const std::string &path, std::string &reason)
{
    const auto [folderName, name] = splitPath(path);
    Descriptor folder(::open(folderName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) {
        reason = "its folder cannot be opened: " + systemError(errno);
        return std::nullopt;
    }
    struct stat at {};
    if (::fstatat(folder.get(), name.c_str(), &at, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(at.st_mode)) {
        if (std::optional<Place> linked = followPlayersLink(folder, name, at, reason)) {
            if (!linked->folder.valid())
                return std::nullopt;
            return linked;
        }
    }
    return Place{std::move(folder), name, false, {}};
}

// The start of the plain file at the place. Opened without blocking and
// without following links, so that neither a pipe nor a link slipped in
// can hang the start or lead elsewhere, and only then checked: the file
// actually opened must be the one the place names.
RecordStore::Prefix readAt(const Place &place, std::size_t limit)
{
    Descriptor file(::openat(place.folder.get(), place.name.c_str(),
                             O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
    if (!file.valid()) {
        // Nothing there, a link, or a socket: none of them is a record.
        if (errno == ENOENT || errno == ELOOP || errno == ENXIO)
            return {Status::Missing, {}, {}};
        return {Status::Failed, systemError(errno), {}};
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return {Status::Failed, systemError(errno), {}};
    if (!S_ISREG(info.st_mode))
        return {Status::Missing, {}, {}};
    if (place.throughLink && (!isPlayersPlainFile(info) || !place.linkedFile
                              || *place.linkedFile != std::make_pair(info.st_dev, info.st_ino)))
        return {Status::Missing, {}, {}};

    std::string bytes(limit, '\0');
    std::size_t size = 0;
    while (size < limit) {
        const ssize_t got = ::read(file.get(), bytes.data() + size, limit - size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {Status::Failed, systemError(errno), {}};
        if (got == 0)
            break;
        size += static_cast<std::size_t>(got);
    }
    bytes.resize(size);
    return {Status::Done, {}, std::move(bytes)};
}

bool sameFolder(const Place &one, const Place &other)
{
    struct stat a {};
    struct stat b {};
    return ::fstat(one.folder.get(), &a) == 0 && ::fstat(other.folder.get(), &b) == 0 && a.st_dev == b.st_dev
           && a.st_ino == b.st_ino && one.name == other.name;
}

bool writeAll(int fd, std::string_view bytes)
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
        std::string name = temporaryPrefix(place.name) + std::to_string(names() % 1000000000u) + ".tmp";
        Descriptor file(::openat(place.folder.get(), name.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666));
        if (file.valid() || errno != EEXIST)
            return {std::move(file), file.valid() ? name : std::string()};
    }
    errno = EEXIST;
    return {};
}

bool isTemporaryName(const std::string &entry, const std::string &recordName)
{
    const std::string prefix = temporaryPrefix(recordName);
    constexpr std::string_view suffix = ".tmp";
    if (entry.size() <= prefix.size() + suffix.size() || entry.compare(0, prefix.size(), prefix) != 0
        || entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < entry.size() - suffix.size(); ++i)
        if (entry[i] < '0' || entry[i] > '9')
            return false;
    return true;
}

// The lock file beside the record, opened as a plain file and never through
// a link.
Descriptor openLockFile(const Descriptor &folder, const std::string &name)
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

std::string lockName(const std::string &recordName)
{
    return recordName + ".lock";
}
} // namespace

// Two copies of the game may save at the same moment: each reads and writes
// while it holds a lock on a file beside the record, so the better time of
// the two is what stays. The lock is the system's record lock, which the
// kernel drops the moment its process ends: a lock file that no running copy
// holds (one left by a crash or a kill) is simply taken at once and never
// delays a save. The holder removes the file before it lets go; a copy that
// was waiting on the removed file sees that its name now leads elsewhere
// and tries again, so two copies never both hold the lock.
class RecordFile::Lock
{
public:
    static RecordStore::Reply take(const Place &place, std::unique_ptr<Lock> &out)
    {
        const std::string name = lockName(place.name);
        Descriptor file = openLockFile(place.folder, name);
        if (!file.valid())
            return failed("its lock file " + name + " cannot be opened: " + systemError(errno));
        struct flock whole {};
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET;
        if (::fcntl(file.get(), F_SETLK, &whole) != 0) {
            if (errno == EACCES || errno == EAGAIN || errno == EINTR)
                return {Status::Busy, "another running copy of the game (process " + holder(file)
                                          + ") holds its lock file " + name};
            return failed("its lock file " + name + " cannot be locked: " + systemError(errno));
        }
        if (!stillNamed(place.folder, name, file))
            return {Status::Busy, "its lock file " + name + " was just given back"};
        out.reset(new Lock(Descriptor(::fcntl(place.folder.get(), F_DUPFD_CLOEXEC, 0)), name, std::move(file)));
        return {};
    }

    ~Lock()
    {
        if (m_file.valid() && m_folder.valid())
            ::unlinkat(m_folder.get(), m_name.c_str(), 0);
    }

private:
    Lock(Descriptor folder, std::string name, Descriptor file)
        : m_folder(std::move(folder)), m_name(std::move(name)), m_file(std::move(file)) {}

    static bool stillNamed(const Descriptor &folder, const std::string &name, const Descriptor &file)
    {
        struct stat held {};
        struct stat named {};
        return ::fstat(file.get(), &held) == 0
               && ::fstatat(folder.get(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0
               && held.st_dev == named.st_dev && held.st_ino == named.st_ino;
    }

    static std::string holder(const Descriptor &file)
    {
        struct flock probe {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        if (::fcntl(file.get(), F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK)
            return std::to_string(probe.l_pid);
        return "unknown";
    }

    Descriptor m_folder;
    std::string m_name;
    Descriptor m_file;
};

RecordFile::RecordFile(std::string path) : m_path(std::move(path)) {}

RecordFile::~RecordFile() = default;

std::string RecordFile::programFolder()
{
    // The link's own bytes: the folder's name may be no valid text at all.
    std::string path(PATH_MAX, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size())
        return ".";
    path.resize(static_cast<std::size_t>(length));
    return splitPath(path).first;
}

std::string RecordFile::dataFolder()
{
    // Worked out here rather than by QStandardPaths, which makes "/" of an
    // unset HOME and takes a relative XDG_DATA_HOME as it stands: the base
    // directory rules say to ignore a relative one, and the account's own
    // home directory is where a player's data belongs.
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/')
        return std::string(dataHome) + "/tamblo";
    std::string home;
    if (const char *variable = std::getenv("HOME"); variable && variable[0] == '/')
        home = variable;
    else if (const struct passwd *account = ::getpwuid(::geteuid()); account && account->pw_dir)
        home = account->pw_dir;
    if (home.empty())
        return {};
    if (home.size() > 1 && home.back() == '/')
        home.pop_back();
    return (home == "/" ? std::string() : home) + "/.local/share/tamblo";
}

std::string RecordFile::name() const
{
    // Shown as text: Qt's decoder makes every byte that is no UTF-8
    // U+FFFD, so that a folder named in another encoding still reads
    // sensibly.
    return QString::fromUtf8(m_path).toStdString();
}

bool RecordFile::usable()
{
    // The folder must take new files, and what already stands there must be
    // this player's to use: in a folder shared by several users, another
    // user's record cannot be replaced and another user's lock file (or a
    // pipe, a folder or a link there) cannot be taken or removed.
    const auto [folderName, name] = splitPath(m_path);
    if (::access(folderName.c_str(), W_OK | X_OK) != 0)
        return false;
    Descriptor folder(::open(folderName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat folderInfo {};
    if (!folder.valid() || ::fstat(folder.get(), &folderInfo) != 0)
        return false;
    const bool sticky = (folderInfo.st_mode & S_ISVTX) && folderInfo.st_uid != ::geteuid();
    const auto othersInSticky = [&](const struct stat &info) { return sticky && info.st_uid != ::geteuid(); };

    struct stat record {};
    if (::fstatat(folder.get(), name.c_str(), &record, AT_SYMLINK_NOFOLLOW) == 0) {
        if (othersInSticky(record))
            return false;
        if (S_ISREG(record.st_mode)) {
            Place here{std::move(folder), name, false, {}};
            if (readAt(here, 1).status == Status::Failed)
                return false;
            folder = std::move(here.folder);
        }
    }
    struct stat lock {};
    const std::string lockFile = lockName(name);
    if (::fstatat(folder.get(), lockFile.c_str(), &lock, AT_SYMLINK_NOFOLLOW) == 0) {
        if (othersInSticky(lock) || !S_ISREG(lock.st_mode))
            return false;
        if (!openLockFile(folder, lockFile).valid())
            return false;
    }
    return true;
}

RecordStore::Prefix RecordFile::read(std::size_t limit)
{
    // During a save, the place it found; otherwise what the name holds now.
    if (m_found && m_lock)
        return readAt(*m_found, limit);
    std::string reason;
    const std::optional<Place> place = locate(m_path, reason);
    if (!place)
        return {Status::Missing, reason, {}};
    return readAt(*place, limit);
}

RecordStore::Reply RecordFile::find()
{
    m_found.reset();
    if (!makeFolders(splitPath(m_path).first))
        return failed("its folder cannot be created: " + systemError(errno));
    std::string reason;
    std::optional<Place> place = locate(m_path, reason);
    if (!place)
        return failed(reason);
    m_found = std::make_unique<Place>(std::move(*place));
    return {};
}

RecordStore::Reply RecordFile::lock()
{
    if (!m_found)
        return failed("it was not found");
    return Lock::take(*m_found, m_lock);
}

bool RecordFile::stillFound()
{
    // Found again under the lock: the copy that held it may have replaced
    // the file a link leads to, or the link itself may lead elsewhere now,
    // and only what the record is at this moment may be read and replaced.
    std::string reason;
    std::optional<Place> now = locate(m_path, reason);
    if (!now || !m_found || !sameFolder(*m_found, *now))
        return false;
    *m_found = std::move(*now);
    return true;
}

void RecordFile::removeStaleTemporaries()
{
    if (!m_found)
        return;
    const int listed = ::fcntl(m_found->folder.get(), F_DUPFD_CLOEXEC, 0);
    DIR *entries = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!entries) {
        if (listed >= 0)
            ::close(listed);
        return;
    }
    while (const struct dirent *entry = ::readdir(entries)) {
        struct stat info {};
        if (isTemporaryName(entry->d_name, m_found->name)
            && ::fstatat(m_found->folder.get(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0
            && isPlayersPlainFile(info))
            ::unlinkat(m_found->folder.get(), entry->d_name, 0);
    }
    ::closedir(entries);
}

RecordStore::Reply RecordFile::prepare(std::string_view bytes)
{
    if (!m_found)
        return failed("it was not found");
    const Place &place = *m_found;
    struct stat old {};
    const bool hasOld = ::fstatat(place.folder.get(), place.name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (hasOld && S_ISDIR(old.st_mode))
        return failed("a folder stands at its place");

    auto created = createTemporary(place);
    Descriptor file = std::move(created.first);
    if (!file.valid())
        return failed("no temporary file can be made beside it: " + systemError(errno));
    m_temporary = created.second;
    // The player's file keeps its permissions when it is replaced.
    if (hasOld && isPlayersPlainFile(old) && ::fchmod(file.get(), old.st_mode & 07777) != 0)
        return failed(systemError(errno));
    if (!writeAll(file.get(), bytes) || ::fsync(file.get()) != 0)
        return failed(systemError(errno));
    if (::close(file.release()) != 0)
        return failed(systemError(errno));
    return {};
}

RecordStore::Reply RecordFile::commit()
{
    if (!m_found || m_temporary.empty())
        return failed("nothing was written to replace it");
    const Place &place = *m_found;
    if (::renameat(place.folder.get(), m_temporary.c_str(), place.folder.get(), place.name.c_str()) != 0) {
        const int error = errno;
        return {error == EBUSY ? Status::Busy : Status::Failed, systemError(error)};
    }
    m_temporary.clear();
    // The new name itself must reach the disk, or a power cut could bring
    // back the old one.
    ::fsync(place.folder.get());
    return {};
}

void RecordFile::discard()
{
    if (m_found && !m_temporary.empty())
        ::unlinkat(m_found->folder.get(), m_temporary.c_str(), 0);
    m_temporary.clear();
}

void RecordFile::unlock()
{
    m_lock.reset();
    m_found.reset();
}

void RecordFile::pause(std::chrono::milliseconds span)
{
    // On the window's thread the wait runs its event loop: the window
    // paints and answers the window system and the session, while the
    // player's input stays queued until the wait is over.
    const QCoreApplication *application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread()) {
        RecordStore::pause(span);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(span, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
