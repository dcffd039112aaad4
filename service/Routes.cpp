#include "service/Routes.h"

#include <deque>
#include <map>

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

// For every language that reaches target, the number of hops it takes.
std::map<std::string, int> HopsTo(const std::set<Direction>& directions, const std::string& target)
{
    std::map<std::string, int> hops = { { target, 0 } };
    std::deque<std::string> waiting = { target };
    while (!waiting.empty()) {
        const std::string language = waiting.front();
        waiting.pop_front();
        for (const auto& [from, to] : directions) {
            if (to == language && hops.emplace(from, hops[language] + 1).second)
                waiting.push_back(from);
        }
    }
    return hops;
}

} // namespace

std::vector<std::string> FindRoute(
    const std::set<Direction>& directions, const std::string& from, const std::string& to)
{
    const std::map<std::string, int> hops = HopsTo(directions, to);
    if (from == to || !hops.contains(from))
        return {};
    const std::vector<std::string> pivots = PivotsInOrder(directions);
    std::vector<std::string> route = { from };
    while (route.back() != to) {
        const std::string& at = route.back();
        const int left = hops.at(at) - 1;
        if (left == 0) {
            route.push_back(to);
            continue;
        }
        for (const auto& pivot : pivots) {
            const auto found = hops.find(pivot);
            if (found != hops.end() && found->second == left
                && directions.contains({ at, pivot })) {
                route.push_back(pivot);
                break;
            }
        }
    }
    return route;
}

} // namespace service
