#include "cli/json.h"

#include <cstdio>

namespace velm::cli {

namespace {

// The UTF-8 character at the start of `s`: its length, or, when the bytes
// are not one (a stray continuation byte, an overlong form, a surrogate,
// beyond U+10FFFF, or cut short), the length of the bad run to replace by one
// U+FFFD: the lead byte and the continuation bytes that still fit it.
struct Utf8Step {
    std::size_t length;
    bool valid;
};

Utf8Step utf8Step(std::string_view s)
{
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = b(0);
    std::size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (c < 0x80)
        return {1, true};
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        lo = c == 0xE0 ? 0xA0 : 0x80;
        hi = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        lo = c == 0xF0 ? 0x90 : 0x80;
        hi = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {1, false};
    }
    std::size_t i = 1;
    for (; i < n && i < s.size(); ++i) {
        const unsigned char low = i == 1 ? lo : 0x80;
        const unsigned char high = i == 1 ? hi : 0xBF;
        if (b(i) < low || b(i) > high)
            break;
    }
    return {i, i == n};
}

} // namespace

std::string jsonString(std::string_view text)
{
    // A request line can hold any bytes; what goes out is always valid JSON
    // in UTF-8, each byte that is not part of a character becoming U+FFFD.
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const Utf8Step step = utf8Step(text.substr(i));
        if (!step.valid) {
            out += "\xEF\xBF\xBD";
            i += step.length;
            continue;
        }
        if (step.length > 1) {
            out.append(text, i, step.length);
            i += step.length;
            continue;
        }
        ++i;
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string jsonNumber(long double value, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Lf", decimals, value);
    return buf;
}

JsonObject &JsonObject::raw(std::string_view key, std::string_view json)
{
    if (!m_first)
        m_body += ",";
    m_first = false;
    m_body += jsonString(key);
    m_body += ":";
    m_body += json;
    return *this;
}

JsonObject &JsonObject::text(std::string_view key, std::string_view value)
{
    return raw(key, jsonString(value));
}

JsonObject &JsonObject::integer(std::string_view key, long long value)
{
    return raw(key, std::to_string(value));
}

} // namespace velm::cli
