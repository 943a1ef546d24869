#pragma once

// Truncation toward zero of extended values. The library's truncl switches
// the x87 rounding mode for every call, which costs more than the rest of a
// calendar computation; FISTTP (SSE3) truncates without touching it. Results
// are identical to std::trunc for every value the calendar produces (|x| <
// 2^62), apart from the sign of a zero result, which no caller can see.

#include <cmath>

namespace velm::fpu {

inline long double trunc(long double x)
{
    if (x > -4.0e18L && x < 4.0e18L)
        return static_cast<long double>(static_cast<long long>(x));
    return std::trunc(x);
}

inline long truncToLong(long double x)
{
    return static_cast<long>(static_cast<long long>(x));
}

} // namespace velm::fpu
