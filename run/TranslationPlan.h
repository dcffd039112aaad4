// The plan builder: turns the ticked languages and the run options into the
// ordered entries one run works through, and the route the favorites record.
#pragma once

#include "run/LanguageTable.h"
#include "run/PlanStep.h"

#include <array>
#include <string>
#include <vector>

struct PlanOptions {
    std::array<bool, LanguageCount> ticked {};
    int homeRow = DefaultHomeRow; // -1 when nothing is selected
    int loops = 1; // 0 counts as 1
    bool reverseOrder = false;
    bool resetAfterEach = false;
    bool foreignChaining = false;
    bool showEachStep = false;
};

struct TranslationPlan {
    std::vector<PlanStep> entries;
    std::string route; // displayed names joined by "->"
};

TranslationPlan BuildPlan(const PlanOptions& options);
