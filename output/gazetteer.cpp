#include "output/gazetteer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unordered_map>
#include <utility>

#include <geonames/geonames.h>

namespace velm {
namespace {

std::uint32_t word(const std::string &data, std::size_t at, bool swapped)
{
    if (at + 4 > data.size())
        return 0;
    std::uint32_t v = 0;
    std::memcpy(&v, data.data() + at, 4);
    return swapped ? __builtin_bswap32(v) : v;
}

// id -> Japanese name, from a gettext catalogue.
std::unordered_map<std::string, std::string> readCatalogue(const std::string &path)
{
    std::unordered_map<std::string, std::string> out;
    std::ifstream in(path, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), {});
    const std::uint32_t magic = word(data, 0, false);
    if (magic != 0x950412de && magic != 0xde120495)
        return out;
    const bool swapped = magic == 0xde120495;
    const std::uint32_t count = word(data, 8, swapped);
    const std::uint32_t originals = word(data, 12, swapped);
    const std::uint32_t translations = word(data, 16, swapped);
    const auto text = [&](std::uint32_t table, std::uint32_t i) -> std::string {
        const std::uint64_t entry = std::uint64_t(table) + std::uint64_t(i) * 8;
        const std::uint32_t length = word(data, entry, swapped);
        const std::uint32_t offset = word(data, entry + 4, swapped);
        if (entry + 8 > data.size() || std::uint64_t(offset) + length > data.size())
            return {};
        return data.substr(offset, length);
    };
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string id = text(originals, i);
        if (!id.empty())
            out.emplace(std::move(id), text(translations, i));
    }
    return out;
}

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool endsWith(std::string_view s, std::string_view tail)
{
    return s.size() > tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// "大阪市" -> "大阪": the name without the 市, 町 or 村 it ends in.
std::string_view stem(std::string_view name)
{
    for (std::string_view tail : {"市", "町", "村", "区", "都"})
        if (endsWith(name, tail))
            return name.substr(0, name.size() - tail.size());
    return name;
}

} // namespace

std::string GazetteerCity::label() const
{
    char coordinates[64];
    std::snprintf(coordinates, sizeof coordinates, "%.4f,%.4f", lat, lon);
    return name + "（" + (region.empty() ? country : region + ", " + country) + "）" + coordinates;
}

std::string Gazetteer::defaultCatalogue()
{
    return "/usr/share/locale/ja/LC_MESSAGES/geonames.mo";
}

std::optional<Gazetteer> Gazetteer::load(const std::string &catalogue, std::string &error)
{
    const std::unordered_map<std::string, std::string> japanese = readCatalogue(catalogue);
    Gazetteer g;
    const int n = geonames_get_n_cities();
    g.m_cities.reserve(static_cast<std::size_t>(std::max(n, 0)));
    for (int i = 0; i < n; ++i) {
        GeonamesCity *c = geonames_get_city(i);
        if (!c)
            continue;
        // The record is (id, name, region code, region, country code,
        // country, zone, population, lat, lon); the catalogue names cities
        // by id, regions as "JP.40" and countries by their code.
        const gchar *id = nullptr;
        const gchar *regionCode = nullptr;
        const gchar *countryCode = nullptr;
        g_variant_get_child(c, 0, "&s", &id);
        g_variant_get_child(c, 2, "&s", &regionCode);
        g_variant_get_child(c, 4, "&s", &countryCode);
        const auto japaneseOf = [&japanese](const std::string &key, std::string fallback) {
            const auto it = japanese.find(key);
            return it != japanese.end() && !it->second.empty() ? it->second : std::move(fallback);
        };
        GazetteerCity city;
        city.englishName = geonames_city_get_name(c);
        city.name = japaneseOf(id ? id : "", city.englishName);
        city.country = japaneseOf(countryCode ? countryCode : "", geonames_city_get_country(c));
        city.region = japaneseOf(std::string(countryCode ? countryCode : "") + "." + (regionCode ? regionCode : ""),
                                 geonames_city_get_state(c));
        city.lat = geonames_city_get_latitude(c);
        city.lon = geonames_city_get_longitude(c);
        city.population = geonames_city_get_population(c);
        geonames_city_free(c);
        g.m_cities.push_back(std::move(city));
    }
    if (g.m_cities.empty()) {
        error = "地名辞書（geonames）に都市がありません。";
        return std::nullopt;
    }
    return g;
}

std::vector<GazetteerCity> Gazetteer::find(std::string_view name) const
{
    std::vector<GazetteerCity> out;
    if (name.empty())
        return out;
    const std::string_view wanted = stem(name);
    const std::string english = lower(name);
    for (const GazetteerCity &c : m_cities)
        if (c.name == name || stem(c.name) == name || stem(c.name) == wanted || lower(c.englishName) == english)
            out.push_back(c);
    std::stable_sort(out.begin(), out.end(),
                     [](const GazetteerCity &a, const GazetteerCity &b) { return a.population > b.population; });
    return out;
}

} // namespace velm
