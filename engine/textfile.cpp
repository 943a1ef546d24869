#include "engine/textfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/codec.h"

namespace velm {

std::string missingFileMessage(const std::string &path)
{
    return "『" + path + "』が、見つかりません。";
}

TextFile StFileRead(const std::string &path)
{
    TextFile file;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
        file.status = TextFile::Status::Missing;
        file.message = missingFileMessage(path);
        return file;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        file.status = TextFile::Status::Unreadable;
        file.message = "『" + path + "』が、読めません。";
        return file;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        file.status = TextFile::Status::Unreadable;
        file.message = "『" + path + "』が、読めません。";
        return file;
    }

    std::size_t start = 0;
    int lineNo = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end == std::string::npos)
            end = bytes.size();
        std::size_t stop = end;
        if (stop > start && bytes[stop - 1] == '\r')
            --stop;
        ++lineNo;
        CodecResult decoded = decodeCp932(std::string_view(bytes).substr(start, stop - start));
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

std::string writeBytesAtomic(const std::string &path, const std::string &bytes)
{
    std::string tmp = path + ".tmp~";
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return "『" + path + "』に書き込めません。(" + std::strerror(errno) + ")";
    const char *p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            std::string reason = std::strerror(errno);
            ::close(fd);
            ::unlink(tmp.c_str());
            return "『" + path + "』に書き込めません。(" + reason + ")";
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        std::string reason = std::strerror(errno);
        ::unlink(tmp.c_str());
        return "『" + path + "』に書き込めません。(" + reason + ")";
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::string reason = std::strerror(errno);
        ::unlink(tmp.c_str());
        return "『" + path + "』に書き込めません。(" + reason + ")";
    }
    return {};
}

std::string writeTextFileAtomic(const std::string &path, const std::vector<std::string> &lines)
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
    return writeBytesAtomic(path, bytes);
}

} // namespace velm
