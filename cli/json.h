#pragma once

// A small JSON writer for the command-line output: objects written key by
// key, texts escaped, numbers as they are.

#include <string>
#include <string_view>

namespace velm::cli {

std::string jsonString(std::string_view text);
std::string jsonNumber(long double value, int decimals);

class JsonObject {
public:
    JsonObject &raw(std::string_view key, std::string_view json);
    JsonObject &text(std::string_view key, std::string_view value);
    JsonObject &integer(std::string_view key, long long value);

    template <typename Array>
    JsonObject &array(std::string_view key, const Array &values)
    {
        return raw(key, jsonArray(values));
    }

    template <typename Array>
    static std::string jsonArray(const Array &values)
    {
        std::string out = "[";
        bool first = true;
        for (const auto &v : values) {
            if (!first)
                out += ",";
            first = false;
            if constexpr (requires { v.begin(); })
                out += jsonArray(v);
            else
                out += std::to_string(static_cast<long long>(v));
        }
        return out + "]";
    }

    std::string str() const { return m_body + "}"; }

private:
    std::string m_body = "{";
    bool m_first = true;
};

} // namespace velm::cli
