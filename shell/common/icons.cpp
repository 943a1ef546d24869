#include "shell/common/icons.h"

#include <array>
#include <map>


// The resources live in the shell library, which the programs link
// statically: they are registered by hand, and outside any namespace.
static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace velm {
namespace {

struct IconSource {
    const char *file;  // in the resources, :/icons/<file>.svg
    const char *theme; // the desktop theme's icon of the same meaning, or nullptr
};

// In the order of IconId. A theme icon stands in only where the desktop has
// one that means the same; the rest are the program's own.
constexpr std::array<IconSource, 25> Sources{{
    {"app", nullptr},
    {"make-charts", nullptr},
    {"now", nullptr},
    {"export-charts", nullptr},
    {"export-text", nullptr},
    {"close-all", nullptr},
    {"tile", nullptr},
    {"cascade", nullptr},
    {"help", "help-contents"},
    {"system", "preferences-system"},
    {"web", nullptr},
    {"calendar", nullptr},
    {"list", nullptr},
    {"search", "edit-find"},
    {"chart-data", nullptr},
    {"quick-search", nullptr},
    {"cgi-data", nullptr},
    {"explanations", nullptr},
    {"matters", nullptr},
    {"numbers", nullptr},
    {"backup", nullptr},
    {"notices", nullptr},
    {"tools", nullptr},
    {"print-charts", "document-print"},
    {"heat-map", nullptr},
}};

} // namespace

QString iconResource(IconId id)
{
    return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(Sources[static_cast<std::size_t>(id)].file));
}

QIcon velmIcon(IconId id)
{
    static std::map<IconId, QIcon> cache;
    auto it = cache.find(id);
    if (it != cache.end())
        return it->second;
    static const bool registered = (initIconResources(), true);
    (void)registered;
    const IconSource &source = Sources[static_cast<std::size_t>(id)];
    const QIcon own(iconResource(id));
    const QIcon icon = source.theme ? QIcon::fromTheme(QLatin1String(source.theme), own) : own;
    cache.emplace(id, icon);
    return icon;
}

} // namespace velm
