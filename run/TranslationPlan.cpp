#include "run/TranslationPlan.h"

namespace {

class PlanBuilder {
public:
    explicit PlanBuilder(const PlanOptions& options)
        : options_(options), home_(HomeLanguageCode(options.homeRow)), previous_(home_)
    {
    }

    TranslationPlan Build()
    {
        const int loops = options_.loops <= 0 ? 1 : options_.loops;
        // Only this combination repeats each language in a row; every other one
        // walks the whole table once per loop.
        const bool repeatInRow = !options_.foreignChaining && options_.resetAfterEach;
        const int repeats = repeatInRow ? loops : 1;
        const int passes = repeatInRow ? 1 : loops;
        for (int pass = 0; pass < passes; ++pass) {
            WalkTable(repeats);
            if (options_.foreignChaining && options_.resetAfterEach)
                ReturnHome();
        }
        if (options_.foreignChaining)
            ReturnHome();
        return std::move(plan_);
    }

private:
    void WalkTable(int repeats)
    {
        for (int i = 0; i < LanguageCount; ++i) {
            const int row = options_.reverseOrder ? LanguageCount - 1 - i : i;
            if (!options_.ticked[static_cast<std::size_t>(row)])
                continue;
            for (int repeat = 0; repeat < repeats; ++repeat)
                Visit(row);
            AddMarkerIfWanted();
        }
    }

    void Visit(int row)
    {
        if (!plan_.route.empty())
            plan_.route += "->";
        plan_.route += LanguageNames[static_cast<std::size_t>(row)];
        const std::string language = LanguageCodes[static_cast<std::size_t>(row)];
        if (options_.foreignChaining) {
            AddStep(previous_, language);
        } else {
            AddStep(home_, language);
            AddStep(language, home_);
        }
        previous_ = language;
    }

    void ReturnHome()
    {
        if (previous_ == home_)
            return;
        AddStep(previous_, home_);
        previous_ = home_;
        AddMarkerIfWanted();
    }

    void AddStep(const std::string& source, const std::string& target)
    {
        plan_.entries.push_back({ source, target });
    }

    void AddMarkerIfWanted()
    {
        if (options_.showEachStep)
            plan_.entries.push_back(PlanStep::OutputMarker());
    }

    const PlanOptions& options_;
    const std::string home_;
    std::string previous_;
    TranslationPlan plan_;
};

} // namespace

TranslationPlan BuildPlan(const PlanOptions& options)
{
    return PlanBuilder(options).Build();
}
