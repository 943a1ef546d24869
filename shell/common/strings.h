#pragma once

// The one bridge from the core's UTF-8 texts to the windows' strings.

#include <string_view>

#include <QString>

namespace velm {

inline QString qs(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace velm
