#include "engine/textfile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <chrono>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/codec.h"
#include "engine/syserror.h"

namespace velm {

std::string missingFileMessage(const std::string &path)
{
    return "『" + path + "』が、見つかりません。";
}

namespace {

std::string unreadableMessage(const std::string &path)
{
    return "『" + path + "』が、読めません。";
}

// Closes a descriptor on every way out.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    // Closes now and tells whether the close succeeded (it may report a
    // delayed write error).
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// Text saved as UTF-16 by another editor: a byte-order mark, or (without one)
// NUL bytes that sit nearly all on one side of the byte pairs, as the high
// halves of ASCII characters do.
bool looksLikeUtf16(std::string_view bytes)
{
    if (bytes.size() >= 2
        && ((bytes[0] == '\xff' && bytes[1] == '\xfe') || (bytes[0] == '\xfe' && bytes[1] == '\xff')))
        return true;
    std::size_t even = 0;
    std::size_t odd = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\0')
            ++(i % 2 == 0 ? even : odd);
    const std::size_t pairs = bytes.size() / 2;
    return pairs > 0 && std::max(even, odd) * 4 >= pairs && std::min(even, odd) * 10 <= std::max(even, odd);
}

} // namespace

std::string readRegularFile(const std::string &path, std::string &bytes, std::int64_t maxBytes, bool *missing)
{
    bytes.clear();
    if (missing != nullptr)
        *missing = false;
    const auto notFound = [&] {
        if (missing != nullptr)
            *missing = true;
        return missingFileMessage(path);
    };
    const auto notRegular = [&] { return "『" + path + "』は、通常のファイルではないため読めません。"; };
    const auto tooLarge = [&] {
        return "『" + path + "』は、大きすぎるため読めません。(" + std::to_string(maxBytes / (1024 * 1024))
            + "MiBまで)";
    };

    // Looked at before it is opened: opening a device can have effects of its own.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? notFound() : unreadableMessage(path);
    if (S_ISDIR(st.st_mode))
        return notFound();
    if (!S_ISREG(st.st_mode))
        return notRegular();
    if (st.st_size > maxBytes)
        return tooLarge();

    // O_NONBLOCK: should the name have become a FIFO in between, opening it
    // must not wait for a writer; the type is checked again on what was opened.
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno == ENOENT ? notFound() : unreadableMessage(path);
    if (::fstat(fd.get(), &st) != 0)
        return unreadableMessage(path);
    if (!S_ISREG(st.st_mode))
        return notRegular();
    if (st.st_size > maxBytes)
        return tooLarge();

    // Read to the end rather than to the size seen: the file may be growing,
    // and one byte past the limit tells that it is too large.
    bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size()) {
            if (static_cast<std::int64_t>(have) > maxBytes) {
                bytes.clear();
                return tooLarge();
            }
            bytes.resize(std::min<std::size_t>(bytes.size() * 2, static_cast<std::size_t>(maxBytes) + 1));
        }
        const ssize_t n = ::read(fd.get(), bytes.data() + have, bytes.size() - have);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            bytes.clear();
            return unreadableMessage(path);
        }
        if (n == 0)
            break;
        have += static_cast<std::size_t>(n);
    }
    if (static_cast<std::int64_t>(have) > maxBytes) {
        bytes.clear();
        return tooLarge();
    }
    bytes.resize(have);
    return {};
}

TextFile StFileRead(const std::string &path, std::int64_t maxBytes)
{
    TextFile file;
    std::string bytes;
    bool missing = false;
    if (std::string error = readRegularFile(path, bytes, maxBytes, &missing); !error.empty()) {
        file.status = missing ? TextFile::Status::Missing : TextFile::Status::Unreadable;
        file.message = std::move(error);
        return file;
    }

    // Refused whole: read as CP932 such text would come apart into stray
    // characters and NULs, and saving it back would destroy it.
    if (looksLikeUtf16(bytes)) {
        file.status = TextFile::Status::BadEncoding;
        file.badLine = 1;
        file.message = "『" + path + "』は、UTF-16で書かれています。S-JISのテキストとして保存して下さい。";
        return file;
    }
    if (const std::size_t nul = bytes.find('\0'); nul != std::string::npos) {
        const std::string_view before = std::string_view(bytes).substr(0, nul);
        int lineNo = 1;
        for (std::size_t i = 0; i < before.size(); ++i)
            if (before[i] == '\n' || (before[i] == '\r' && (i + 1 == before.size() || before[i + 1] != '\n')))
                ++lineNo;
        file.status = TextFile::Status::BadEncoding;
        file.badLine = lineNo;
        file.message = "『" + path + "』の" + std::to_string(lineNo)
            + "行目に、NUL文字があります。S-JISのテキストではありません。";
        return file;
    }

    // Lines end in CR LF, LF, or a lone CR (as old editors on other systems
    // saved them): CP932 never uses either byte inside a character.
    std::size_t start = 0;
    int lineNo = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        std::size_t next;
        if (end == std::string::npos) {
            end = bytes.size();
            next = end;
        } else if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') {
            next = end + 2;
        } else {
            next = end + 1;
        }
        ++lineNo;
        CodecResult decoded = decodeCp932(std::string_view(bytes).substr(start, end - start));
        if (!decoded.ok && file.status == TextFile::Status::Ok) {
            file.status = TextFile::Status::BadEncoding;
            file.badLine = lineNo;
            file.message = "『" + path + "』の" + std::to_string(lineNo)
                + "行目に、S-JISとして読めない文字があります。";
        }
        file.lines.push_back(std::move(decoded.text));
        start = next;
    }
    return file;
}

namespace {

std::string writeFailure(const std::string &path, int error)
{
    return "『" + path + "』に書き込めません。(" + systemErrorText(error) + ")";
}

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a chain of symbolic links ends at (which need not exist yet), so
// that the link itself stays a link. False, with errno set, on a loop or an
// unreadable link.
bool resolveLinks(std::string &target)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0)
            return errno == ENOENT;
        if (!S_ISLNK(st.st_mode))
            return true;
        std::string link(4096, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0)
            return false;
        if (static_cast<std::size_t>(n) >= link.size()) {
            errno = ENAMETOOLONG;
            return false;
        }
        link.resize(static_cast<std::size_t>(n));
        target = !link.empty() && link[0] == '/' ? link : folderOf(target) + "/" + link;
    }
    errno = ELOOP;
    return false;
}

// Creates ".velm-<unique>.tmp~" exclusively in the target's folder (never
// through a link or over another writer's file). The name is short whatever
// the target's: a target of the longest name the file system allows must
// still get a temporary beside it. Returns the descriptor, or -1 with errno set.
int createTemporary(const std::string &target, mode_t mode, std::string &tmp)
{
    // Process, time and a counter make a name no other writer is likely to
    // pick; O_EXCL makes sure of it.
    static std::atomic<unsigned> counter{0};
    const std::string folder = folderOf(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto now = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
        char unique[64];
        std::snprintf(unique, sizeof unique, ".velm-%x-%llx-%x.tmp~", static_cast<unsigned>(::getpid()),
                      now & 0xffffffffffULL, counter.fetch_add(1));
        tmp = (folder == "/" ? "" : folder) + "/" + unique;
        const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// The temporaries being written, for the signal handler: fixed slots of
// fixed size, since a handler may neither allocate nor take a lock. A slot is
// free (0), being filled (1) or holds a name to remove (2). This is the one
// process-wide state of the writer, and only the handler reads it.
constexpr int TemporarySlots = 64;
std::atomic<int> slotState[TemporarySlots];
char slotName[TemporarySlots][PATH_MAX];

int keepForSignals(const std::string &tmp)
{
    if (tmp.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < TemporarySlots; ++i) {
        int expected = 0;
        if (slotState[i].compare_exchange_strong(expected, 1)) {
            std::memcpy(slotName[i], tmp.c_str(), tmp.size() + 1);
            slotState[i].store(2);
            return i;
        }
    }
    return -1; // more writers at once than slots: that one is not removed on a signal
}

void forgetForSignals(int &slot)
{
    if (slot >= 0)
        slotState[slot].store(0);
    slot = -1;
}

void removeTemporariesAndEnd(int signal)
{
    const int saved = errno;
    for (int i = 0; i < TemporarySlots; ++i)
        if (slotState[i].load() == 2)
            ::unlink(slotName[i]);
    errno = saved;
    // End as the signal would have ended the program.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::string notRegularFileMessage(const std::string &path)
{
    return "『" + path + "』は、通常のファイルではないため書き込めません。";
}

} // namespace

void removeTemporariesOnSignals()
{
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN)
            continue; // started to ignore it (nohup, a background job): keep that
        struct sigaction action {};
        action.sa_handler = removeTemporariesAndEnd;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

AtomicFile::AtomicFile(std::string path, SpecialTarget special)
    : m_path(std::move(path))
{
    if (m_path.empty()) {
        refuse("書き込むファイルの名前が空です。");
        return;
    }
    // What the name finally stands for, links followed: /dev/stdout leads
    // through /proc to a pipe or terminal, which no name of its own reaches.
    struct stat st {};
    if (::stat(m_path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            refuse("『" + m_path + "』は、フォルダのため書き込めません。");
            return;
        }
        if (!S_ISREG(st.st_mode)) {
            if (special != SpecialTarget::WriteThrough || !(S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode))) {
                refuse(notRegularFileMessage(m_path));
                return;
            }
            // As a shell's "> target": no temporary, no rename, no truncation
            // of what is not a file.
            m_fd = ::open(m_path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
            if (m_fd < 0)
                m_error = writeFailure(m_path, errno);
            m_through = true;
            return;
        }
    }

    m_target = m_path;
    if (!resolveLinks(m_target)) {
        m_error = writeFailure(m_path, errno);
        return;
    }
    // An existing file keeps its permission bits (and, where allowed, its
    // owner); a new one gets the usual 0644 less the umask.
    struct stat old {};
    const bool exists = ::lstat(m_target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        refuse(notRegularFileMessage(m_path)); // changed since it was looked at
        return;
    }
    const bool replacing = exists;
    if (replacing
        && ((old.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0)) {
        refuse("『" + m_path + "』は、読み取り専用のため書き込めません。");
        return;
    }
    m_fd = createTemporary(m_target, replacing ? 0600 : 0644, m_tmp);
    if (m_fd < 0) {
        m_tmp.clear();
        m_error = writeFailure(m_path, errno);
        return;
    }
    m_slot = keepForSignals(m_tmp);
    if (replacing) {
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)!::fchown(m_fd, old.st_uid, old.st_gid); // best effort: only root may give a file away
        if (::fchmod(m_fd, old.st_mode & 07777) != 0)
            fail(errno);
    }
}

AtomicFile::~AtomicFile()
{
    if (!m_committed && m_error.empty())
        fail(ECANCELED);
    if (m_through && m_fd >= 0)
        ::close(m_fd);
}

void AtomicFile::refuse(std::string message)
{
    m_error = std::move(message);
}

void AtomicFile::fail(int error)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_tmp.empty())
        ::unlink(m_tmp.c_str());
    m_tmp.clear();
    forgetForSignals(m_slot);
    if (m_error.empty())
        m_error = writeFailure(m_path, error);
}

bool AtomicFile::write(std::string_view bytes)
{
    if (!m_error.empty() || m_committed)
        return false;
    const char *p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string AtomicFile::commit()
{
    if (!m_error.empty() || m_committed)
        return m_error;
    if (m_through) {
        // Nothing to sync or rename: a device or pipe has it once written,
        // and close() reports a delayed error of its own.
        const int fd = m_fd;
        m_fd = -1;
        m_committed = true;
        if (::close(fd) != 0 && errno != EINTR)
            m_error = writeFailure(m_path, errno);
        return m_error;
    }
    if (::fsync(m_fd) != 0) {
        fail(errno);
        return m_error;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 || std::rename(m_tmp.c_str(), m_target.c_str()) != 0) {
        fail(errno);
        return m_error;
    }
    forgetForSignals(m_slot); // renamed: nothing of it left to remove
    m_tmp.clear();
    m_committed = true;

    // The rename itself lasts only once the folder is on disk. Some file
    // systems cannot sync a folder (EINVAL): there is nothing more to do then.
    Fd folder(::open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0 && ::fsync(folder.get()) != 0 && errno != EINVAL && errno != EROFS
        && errno != ENOTSUP)
        m_error = writeFailure(m_path, errno);
    return m_error;
}

std::string writeBytesAtomic(const std::string &path, const std::string &bytes, SpecialTarget special)
{
    AtomicFile file(path, special);
    file.write(bytes);
    return file.commit();
}

std::string writeTextFileAtomic(const std::string &path, const std::vector<std::string> &lines,
                                SpecialTarget special)
{
    std::string bytes;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        CodecResult encoded = encodeCp932(lines[i]);
        if (!encoded.ok)
            return "『" + path + "』の" + std::to_string(i + 1)
                + "行目に、S-JISで書けない文字があります。";
        bytes += encoded.text;
        bytes += "\r\n";
    }
    return writeBytesAtomic(path, bytes, special);
}

} // namespace velm
