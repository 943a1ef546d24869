#include "cli/json.h"

#include <cstdio>

namespace velm::cli {

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
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
