#include "run/TranslationPlan.h"
#include "tests/support/PlanTexts.h"

#include <gtest/gtest.h>

using Entries = std::vector<std::string>;

namespace {

constexpr int English = 9;
constexpr int French = 13;
constexpr int German = 15;

PlanOptions FrenchAndGerman()
{
    PlanOptions options;
    options.ticked[French] = true;
    options.ticked[German] = true;
    return options;
}

Entries EntriesOf(const PlanOptions& options)
{
    return PlanTexts(BuildPlan(options).entries);
}

} // namespace

TEST(LanguageTable, KeepsTheServiceCodesAndTheProgramsOwnNames)
{
    EXPECT_STREQ(LanguageNames[14], "Galacian");
    EXPECT_STREQ(LanguageNames[39], "Ukranian");
    EXPECT_STREQ(LanguageCodes[4], "zh-CN");
    EXPECT_STREQ(LanguageCodes[17], "iw");
    EXPECT_STREQ(LanguageCodes[11], "tl");
    EXPECT_STREQ(LanguageNames[English], "English");
    EXPECT_STREQ(LanguageNames[40], "Vietnamese");
}

TEST(LanguageTable, HomeCodeFallsBackToEnglishWithoutASelection)
{
    EXPECT_EQ(HomeLanguageCode(French), "fr");
    EXPECT_EQ(HomeLanguageCode(-1), "en");
}

TEST(LanguageTable, FindsARowByCodeOrDisplayedNameInAnyCase)
{
    const std::vector<std::pair<const char*, int>> cases { { "fr", French }, { "FR", French },
        { "french", French }, { " French", -1 }, { "zh-cn", 4 }, { "Chinese", 4 }, { "iw", 17 },
        { "Galacian", 14 }, { "Galician", -1 }, { "Fren", -1 }, { "", -1 }, { "xx", -1 } };
    for (const auto& [name, row] : cases)
        EXPECT_EQ(FindLanguageRow(name), row) << '"' << name << '"';
}

struct WorkedPlan {
    const char* name;
    bool showEachStep;
    bool foreignChaining;
    bool reverseOrder;
    bool resetAfterEach;
    int loops;
    Entries entries;
};

void PrintTo(const WorkedPlan& worked, std::ostream* out)
{
    *out << worked.name;
}

class WorkedPlans : public testing::TestWithParam<WorkedPlan> { };

TEST_P(WorkedPlans, BuildTheEntriesInOrder)
{
    const WorkedPlan& worked = GetParam();
    PlanOptions options = FrenchAndGerman();
    options.showEachStep = worked.showEachStep;
    options.foreignChaining = worked.foreignChaining;
    options.reverseOrder = worked.reverseOrder;
    options.resetAfterEach = worked.resetAfterEach;
    options.loops = worked.loops;
    EXPECT_EQ(EntriesOf(options), worked.entries);
}

INSTANTIATE_TEST_SUITE_P(FrenchAndGermanFromEnglish, WorkedPlans,
    testing::Values(WorkedPlan { "NoOption", false, false, false, false, 1,
                        { "en|fr", "fr|en", "en|de", "de|en" } },
        WorkedPlan { "ShowEachStep", true, false, false, false, 1,
            { "en|fr", "fr|en", "-", "en|de", "de|en", "-" } },
        WorkedPlan {
            "ForeignChaining", false, true, false, false, 1, { "en|fr", "fr|de", "de|en" } },
        WorkedPlan { "ForeignChainingShowEachStep", true, true, false, false, 1,
            { "en|fr", "-", "fr|de", "-", "de|en", "-" } },
        WorkedPlan {
            "ReverseOrder", false, false, true, false, 1, { "en|de", "de|en", "en|fr", "fr|en" } },
        WorkedPlan { "Loops2", false, false, false, false, 2,
            { "en|fr", "fr|en", "en|de", "de|en", "en|fr", "fr|en", "en|de", "de|en" } },
        WorkedPlan { "Loops2ResetAfterEach", false, false, false, true, 2,
            { "en|fr", "fr|en", "en|fr", "fr|en", "en|de", "de|en", "en|de", "de|en" } },
        WorkedPlan { "Loops2ResetAfterEachShowEachStep", true, false, false, true, 2,
            { "en|fr", "fr|en", "en|fr", "fr|en", "-", "en|de", "de|en", "en|de", "de|en", "-" } },
        WorkedPlan { "Loops2ForeignChaining", false, true, false, false, 2,
            { "en|fr", "fr|de", "de|fr", "fr|de", "de|en" } },
        WorkedPlan { "Loops2ForeignChainingResetAfterEach", false, true, false, true, 2,
            { "en|fr", "fr|de", "de|en", "en|fr", "fr|de", "de|en" } },
        WorkedPlan { "Loops0CountsAsOne", false, false, false, false, 0,
            { "en|fr", "fr|en", "en|de", "de|en" } },
        WorkedPlan {
            "ReverseForeignChaining", false, true, true, false, 1, { "en|de", "de|fr", "fr|en" } }),
    [](const testing::TestParamInfo<WorkedPlan>& info) { return std::string(info.param.name); });

TEST(PlanRoute, NamesTheLanguagesInVisitingOrder)
{
    PlanOptions options = FrenchAndGerman();
    EXPECT_EQ(BuildPlan(options).route, "French->German");
    options.reverseOrder = true;
    EXPECT_EQ(BuildPlan(options).route, "German->French");
    options.reverseOrder = false;
    options.loops = 2;
    EXPECT_EQ(BuildPlan(options).route, "French->German->French->German");
    options.resetAfterEach = true;
    EXPECT_EQ(BuildPlan(options).route, "French->French->German->German");
}

TEST(PlanEdges, NothingTickedGivesAnEmptyPlanAndRoute)
{
    const TranslationPlan plan = BuildPlan(PlanOptions {});
    EXPECT_TRUE(plan.entries.empty());
    EXPECT_TRUE(plan.route.empty());
}

TEST(PlanEdges, OnlyTheHomeLanguageTicked)
{
    PlanOptions options;
    options.ticked[English] = true;
    EXPECT_EQ(EntriesOf(options), (Entries { "en|en", "en|en" }));
    options.foreignChaining = true;
    EXPECT_EQ(EntriesOf(options), (Entries { "en|en" }));
    EXPECT_EQ(BuildPlan(options).route, "English");
}

TEST(PlanEdges, ForeignChainingThroughTheTickedHomeLanguage)
{
    PlanOptions options;
    options.ticked[English] = true;
    options.ticked[French] = true;
    options.foreignChaining = true;
    EXPECT_EQ(EntriesOf(options), (Entries { "en|en", "en|fr", "fr|en" }));
}

TEST(PlanEdges, NoHomeSelectionUsesEnglish)
{
    PlanOptions options = FrenchAndGerman();
    options.homeRow = -1;
    EXPECT_EQ(EntriesOf(options), (Entries { "en|fr", "fr|en", "en|de", "de|en" }));
}

TEST(PlanEdges, AnotherHomeLanguageLeadsEveryStep)
{
    PlanOptions options;
    options.homeRow = German;
    options.ticked[French] = true;
    options.ticked[4] = true;
    EXPECT_EQ(EntriesOf(options), (Entries { "de|zh-CN", "zh-CN|de", "de|fr", "fr|de" }));
}

TEST(PlanEdges, RebuildingGivesTheSamePlan)
{
    PlanOptions options = FrenchAndGerman();
    options.loops = 3;
    options.showEachStep = true;
    const TranslationPlan first = BuildPlan(options);
    const TranslationPlan second = BuildPlan(options);
    EXPECT_EQ(first.entries, second.entries);
    EXPECT_EQ(first.route, second.route);
}

class LargestPlans : public testing::Test {
protected:
    LargestPlans()
    {
        options.ticked.fill(true);
        options.loops = 10;
    }
    PlanOptions options;
};

TEST_F(LargestPlans, AllLanguagesTenLoopsGive820EntriesAndARouteOf410Names)
{
    const TranslationPlan plan = BuildPlan(options);
    EXPECT_EQ(plan.entries.size(), 820u);
    std::size_t arrows = 0;
    for (std::size_t at = plan.route.find("->"); at != std::string::npos;
         at = plan.route.find("->", at + 2))
        ++arrows;
    EXPECT_EQ(arrows + 1, 410u);
    EXPECT_EQ(plan.entries.front().Text(), "en|sq");
    EXPECT_EQ(plan.entries.back().Text(), "vi|en");
}

TEST_F(LargestPlans, ShowEachStepGrowsPastTheOldFixedCapacity)
{
    options.showEachStep = true;
    const TranslationPlan plan = BuildPlan(options);
    ASSERT_EQ(plan.entries.size(), 1230u);
    EXPECT_EQ(plan.entries[2].Text(), "-");
    EXPECT_EQ(plan.entries[1229].Text(), "-");
}

TEST_F(LargestPlans, ResetAfterEachWithShowEachStep)
{
    options.showEachStep = true;
    options.resetAfterEach = true;
    EXPECT_EQ(BuildPlan(options).entries.size(), 41u * (2 * 10 + 1));
}

TEST_F(LargestPlans, ForeignChainingNeverPutsTwoMarkersInARow)
{
    options.showEachStep = true;
    options.foreignChaining = true;
    options.resetAfterEach = true;
    const Entries entries = EntriesOf(options);
    for (std::size_t i = 1; i < entries.size(); ++i)
        EXPECT_FALSE(entries[i] == "-" && entries[i - 1] == "-") << "at " << i;
}
