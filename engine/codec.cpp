#include "engine/codec.h"

#include <cerrno>
#include <iconv.h>

namespace velm {
namespace {

bool isAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// A conversion descriptor kept for the thread's life: opening one costs more
// than converting a line, and lists convert hundreds of thousands of lines.
class Converter {
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;
    ~Converter()
    {
        if (ok())
            iconv_close(m_cd);
    }
    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

private:
    iconv_t m_cd;
};

CodecResult convert(const Converter &converter, std::string_view in)
{
    CodecResult result;
    // CP932 and UTF-8 share ASCII byte for byte.
    if (isAscii(in)) {
        result.text = in;
        return result;
    }
    if (!converter.ok()) {
        result.ok = false;
        return result;
    }
    iconv_t cd = converter.get();
    iconv(cd, nullptr, nullptr, nullptr, nullptr); // back to the initial state
    std::string out(in.size() * 3 + 16, '\0');
    char *inPtr = const_cast<char *>(in.data());
    std::size_t inLeft = in.size();
    char *outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        if (rc != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG) {
            std::size_t used = out.size() - outLeft;
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL (truncated multibyte sequence at the end).
        result.ok = false;
        result.errorOffset = in.size() - inLeft;
        break;
    }
    out.resize(out.size() - outLeft);
    result.text = std::move(out);
    return result;
}

// Decodes one UTF-8 code point at s[i]; advances i. Malformed bytes count as one.
char32_t nextCodePoint(std::string_view s, std::size_t &i)
{
    auto c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (i + len > s.size())
        len = 1;
    char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    for (int k = 1; k < len; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += len;
    return cp;
}

int widthOf(char32_t cp)
{
    if (cp < 0x80)
        return 1;
    if (cp >= 0xFF61 && cp <= 0xFF9F) // half-width katakana
        return 1;
    return 2;
}

} // namespace

CodecResult decodeCp932(std::string_view bytes)
{
    thread_local const Converter decoder("UTF-8", "CP932");
    return convert(decoder, bytes);
}

CodecResult encodeCp932(std::string_view utf8)
{
    thread_local const Converter encoder("CP932", "UTF-8");
    return convert(encoder, utf8);
}

int cp932Width(std::string_view utf8)
{
    // ASCII needs no decoding; lists measure hundreds of thousands of cells.
    int width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            ++width;
            ++i;
            continue;
        }
        width += widthOf(nextCodePoint(utf8, i));
    }
    return width;
}

std::string cutCp932(std::string_view utf8, int maxBytes)
{
    int width = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t next = i;
        int w = widthOf(nextCodePoint(utf8, next));
        if (width + w > maxBytes)
            break;
        width += w;
        i = next;
    }
    return std::string(utf8.substr(0, i));
}

std::string padCp932(std::string_view utf8, int bytes)
{
    std::string cut = cutCp932(utf8, bytes);
    int width = cp932Width(cut);
    cut.append(static_cast<std::size_t>(bytes - width), ' ');
    return cut;
}

} // namespace velm
