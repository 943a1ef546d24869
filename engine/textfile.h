#pragma once

// Master-data text files: CP932 on disk, UTF-8 lines in memory, CR LF line
// ends (LF and a lone CR accepted on reading). Writes go to a temporary file
// in the same folder that is renamed over the old one, so a crash or a full
// disk never leaves a half-written file.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velm {

// The largest master or settings file a reader takes. The master files are a
// few KiB; anything larger is not a file of this program, and reading it
// whole would only exhaust memory.
inline constexpr std::int64_t MaxTextFileBytes = 8 * 1024 * 1024;
// List files hold one row per matching moment: a search of a century of
// double-hours may keep 438,300 rows (about 40 MiB), and the program must be
// able to open every list it saved.
inline constexpr std::int64_t MaxListFileBytes = 256 * 1024 * 1024;

struct TextFile {
    enum class Status { Ok, Missing, Unreadable, BadEncoding };
    Status status = Status::Ok;
    std::vector<std::string> lines; // decoded lines (all of them when Ok)
    std::string message;            // for the user, empty when Ok
    int badLine = 0;                // 1-based line of the first undecodable text

    bool ok() const { return status == Status::Ok; }
};

// Loads a whole CP932 text file. A missing file gives the standard message
// "『" + path + "』が、見つかりません。". Only regular files are read (a FIFO or
// a device is refused without blocking), none above MaxTextFileBytes, and
// UTF-16 text or NUL bytes are refused as not CP932 (no lines then).
// Files the program writes in bulk (list files) pass a larger `maxBytes`.
TextFile StFileRead(const std::string &path, std::int64_t maxBytes = MaxTextFileBytes);

// Reads a whole regular file of at most `maxBytes` into `bytes`. Returns an
// empty text on success, else the message naming the file (missing files
// get missingFileMessage, and `missing` is set).
std::string readRegularFile(const std::string &path, std::string &bytes,
                            std::int64_t maxBytes = MaxTextFileBytes, bool *missing = nullptr);

std::string missingFileMessage(const std::string &path);

// What a writer does with a target that exists but is not a regular file
// (nor a link to one): a character device or a FIFO.
enum class SpecialTarget {
    Refuse,       // the windows: it is not a file to save into
    WriteThrough, // the command line: written into as a shell redirection
                  // would (--out /dev/stdout, a FIFO read by another program)
};

// Writes lines (UTF-8) as CP932 with CR LF after every line, atomically.
// Returns an empty text on success, else a message naming the file; on failure
// the old file is untouched.
std::string writeTextFileAtomic(const std::string &path, const std::vector<std::string> &lines,
                                SpecialTarget special = SpecialTarget::Refuse);

// The one writer of the program's files, for content written piece by piece:
// a temporary file created exclusively beside the target (a short unique name,
// never through a link) gets the pieces and the target's permission bits;
// commit() syncs it, renames it over the target and syncs the folder. A
// symbolic link as target stays a link: the file it points to is replaced.
// On any failure, or when destroyed without commit(), the temporary file is
// removed and the old file is as it was; so it is when the program is ended
// by SIGINT or SIGTERM after removeTemporariesOnSignals().
//
// Never replaced: an empty name, a folder, a read-only file (as a shell
// redirection or cp would refuse it; root included, who would otherwise
// write anything), and anything that is not a regular file: a device, FIFO
// or socket is refused, or, with SpecialTarget::WriteThrough, a character
// device or FIFO is written into directly.
class AtomicFile {
public:
    explicit AtomicFile(std::string path, SpecialTarget special = SpecialTarget::Refuse);
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;
    ~AtomicFile();

    // False once anything failed (creating the temporary included); the
    // first failure is kept for commit().
    bool ok() const { return m_error.empty(); }
    bool write(std::string_view bytes);
    // Empty text when the content is in place, else a message naming the file.
    std::string commit();

private:
    void fail(int error);
    void refuse(std::string message);

    std::string m_path;   // as the caller named it, for messages
    std::string m_target; // the file the links lead to
    std::string m_tmp;
    int m_slot = -1;      // where the temporary is kept for the signal handler
    int m_fd = -1;
    bool m_through = false; // writing straight into a device or FIFO
    bool m_committed = false;
    std::string m_error;
};

// Lets SIGINT and SIGTERM remove the temporaries of unfinished writes before
// the program ends as those signals end it. Signals the program ignores stay
// ignored. For the programs' main(); safe to call more than once.
void removeTemporariesOnSignals();

// Writes raw bytes (already encoded) through AtomicFile.
std::string writeBytesAtomic(const std::string &path, const std::string &bytes,
                             SpecialTarget special = SpecialTarget::Refuse);

} // namespace velm
