#pragma once

// Cities by name, offline: the world cities of the geonames library (Debian
// libgeonames0, its data built into it) with their Japanese names from its
// Japanese catalogue, which names cities by their geonames id. A Japanese
// city is found by its Japanese name with or without its 市/町/村 ("大阪" or
// "大阪市"), any city by its English name as well.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velm {

struct GazetteerCity {
    std::string name;        // Japanese when the catalogue has it, else as the library names it
    std::string englishName;
    std::string region;      // the prefecture or state, in Japanese where the catalogue has it
    std::string country;     // in Japanese where the catalogue has it ("日本")
    double lat = 0;
    double lon = 0;
    unsigned population = 0;

    // "大阪市（大阪府, 日本）34.6937,135.5022".
    std::string label() const;
};

class Gazetteer {
public:
    // Reads the Japanese catalogue at `catalogue` (a .mo file); without it
    // only English names are found. Empty, with the message, when the
    // library has no cities.
    static std::optional<Gazetteer> load(const std::string &catalogue, std::string &error);
    // The catalogue the Debian package installs.
    static std::string defaultCatalogue();

    // The cities of that name, the most populous first.
    std::vector<GazetteerCity> find(std::string_view name) const;
    std::size_t size() const { return m_cities.size(); }

private:
    std::vector<GazetteerCity> m_cities;
};

} // namespace velm
