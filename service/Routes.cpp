#include "service/Routes.h"

#include <algorithm>

namespace service {

namespace {

// Spanish and Catalan have the most pairs, so they are tried first; the
// others follow in code order.
std::vector<std::string> PivotsInOrder(const std::set<Direction>& directions)
{
    std::set<std::string> languages;
    for (const auto& [from, to] : directions)
        languages.insert(from);
    std::vector<std::string> pivots;
    for (const std::string preferred : { "es", "ca" }) {
        if (languages.erase(preferred) > 0)
            pivots.push_back(preferred);
    }
    pivots.insert(pivots.end(), languages.begin(), languages.end());
    return pivots;
}

} // namespace

std::vector<std::string> FindRoute(
    const std::set<Direction>& directions, const std::string& from, const std::string& to)
{
    const auto has = [&](const std::string& a, const std::string& b) {
        return directions.contains({ a, b });
    };
    if (has(from, to))
        return { from, to };
    const std::vector<std::string> pivots = PivotsInOrder(directions);
    for (const auto& pivot : pivots) {
        if (has(from, pivot) && has(pivot, to))
            return { from, pivot, to };
    }
    for (const auto& first : pivots) {
        if (!has(from, first))
            continue;
        for (const auto& second : pivots) {
            if (second != to && has(first, second) && has(second, to))
                return { from, first, second, to };
        }
    }
    return {};
}

} // namespace service
