// The way from one language to another over the directions an engine offers.
#pragma once

#include "service/ApertiumModes.h"

#include <set>
#include <string>
#include <vector>

namespace service {

// The languages from source to target (both included) with the fewest hops;
// among routes as short, the one whose pivots come first in the order
// Spanish, Catalan, then the others by code. Empty when there is no way.
std::vector<std::string> FindRoute(
    const std::set<Direction>& directions, const std::string& from, const std::string& to);

} // namespace service
