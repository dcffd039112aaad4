// The way from one language to another over the directions an engine offers.
#pragma once

#include "service/ApertiumModes.h"

#include <set>
#include <string>
#include <vector>

namespace service {

// The languages from source to target (both included) over at most two
// pivots, preferring the fewest hops, then Spanish, then Catalan as pivots.
// Empty when there is no way.
std::vector<std::string> FindRoute(
    const std::set<Direction>& directions, const std::string& from, const std::string& to);

} // namespace service
