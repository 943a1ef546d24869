#include "engine/symbols.h"

namespace velm {

int MojiToShu(std::string_view text)
{
    for (int kind = 0; kind < 4; ++kind)
        if (text == KindChar[kind])
            return kind;
    return 9;
}

} // namespace velm
