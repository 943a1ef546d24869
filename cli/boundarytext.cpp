// Boundaries of a moment as koyomi and chart print them.

#include <iostream>

#include "cli/commands.h"
#include "engine/clock.h"

namespace velm::cli {
namespace {

const char *kindWord(BoundaryKind kind)
{
    switch (kind) {
    case BoundaryKind::Term:
        return "term";
    case BoundaryKind::Hour:
        return "hour";
    case BoundaryKind::Day:
        break;
    }
    return "day";
}

} // namespace

std::string boundariesJson(const MomentBoundaries &all)
{
    std::string out = "[";
    for (const Boundary &b : all) {
        if (out.size() > 1)
            out += ",";
        JsonObject obj;
        obj.text("kind", kindWord(b.kind)).text("name", b.name).text("time", isoText(b.time)).integer("seconds", b.seconds);
        out += obj.str();
    }
    return out + "]";
}

std::vector<std::string> nearBoundaryLines(const MomentBoundaries &all, int warnMinutes, Astronomy astronomy)
{
    std::vector<std::string> lines;
    for (const Boundary &b : all) {
        if (!boundaryIsNear(b, warnMinutes, astronomy))
            continue;
        std::string line = "境界：" + boundaryDistanceText(b) + "  " + isoText(b.time);
        if (b.kind == BoundaryKind::Term && astronomy == Astronomy::Short)
            line += "（簡略式の誤差を含む）";
        lines.push_back(line);
    }
    return lines;
}

} // namespace velm::cli
