// One entry of a translation plan, taken apart once when the plan is built:
// a step from one language into another, or an output marker, where the
// text reached so far joins the output.
#pragma once

#include <string>

struct PlanStep {
    std::string source; // both codes are empty for an output marker
    std::string target;

    static PlanStep OutputMarker() { return {}; }
    bool IsOutputMarker() const { return source.empty() && target.empty(); }
    // As the status bar and the debug memo write it: "en|fr", or "-".
    std::string Text() const { return IsOutputMarker() ? "-" : source + "|" + target; }

    bool operator==(const PlanStep&) const = default;
};
