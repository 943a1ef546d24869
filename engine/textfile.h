#pragma once

// Master-data text files: CP932 on disk, UTF-8 lines in memory, CR LF line
// ends (LF accepted on reading). Writes go to a temporary file in the same
// folder that is renamed over the old one, so a crash or a full disk never
// leaves a half-written file.

#include <string>
#include <vector>

namespace velm {

struct TextFile {
    enum class Status { Ok, Missing, Unreadable, BadEncoding };
    Status status = Status::Ok;
    std::vector<std::string> lines; // decoded lines (all of them when Ok)
    std::string message;            // for the user, empty when Ok
    int badLine = 0;                // 1-based line of the first undecodable text

    bool ok() const { return status == Status::Ok; }
};

// Loads a whole CP932 text file. A missing file gives the standard message
// "『" + path + "』が、見つかりません。".
TextFile StFileRead(const std::string &path);

std::string missingFileMessage(const std::string &path);

// Writes lines (UTF-8) as CP932 with CR LF after every line, atomically.
// Returns an empty text on success, else a message naming the file; on failure
// the old file is untouched.
std::string writeTextFileAtomic(const std::string &path, const std::vector<std::string> &lines);

// Writes raw bytes atomically (already encoded).
std::string writeBytesAtomic(const std::string &path, const std::string &bytes);

} // namespace velm
