// The command line's options mean what the window's options mean: for the
// same choices both build the same plan and route.
#include "app/ComboBox.h"
#include "cli/CommandLine.h"

#include "tests/app/RunFixture.h"

struct OptionSet {
    const char* name;
    std::vector<const char*> ticked; // rows ticked in the window's list
    const char* home; // the home list's entry
    const char* loops;
    std::vector<const char*> boxes; // option boxes clicked in the window
    std::vector<std::string> arguments; // the same choices for tornalo-cli
};

void PrintTo(const OptionSet& set, std::ostream* out)
{
    *out << set.name;
}

class CommandLinePlan : public RunFixture, public testing::WithParamInterface<OptionSet> { };

TEST_P(CommandLinePlan, IsThePlanTheWindowBuildsForTheSameChoices)
{
    const OptionSet& set = GetParam();
    for (const char* language : set.ticked)
        Tick(language);
    Widget<TComboBox>("ComboBoxHomeLanguage").setCurrentText(QString::fromUtf8(set.home));
    SetLoops(set.loops);
    for (const char* box : set.boxes)
        Click(box);
    form->BuildPlan();

    const ParsedCommandLine parsed = ParseCommandLine(set.arguments);
    ASSERT_EQ(parsed.action, CommandLineAction::Run) << parsed.error;
    const TranslationPlan plan = BuildPlan(parsed.options.plan);
    ASSERT_FALSE(form->Run().Plan.empty());
    EXPECT_EQ(plan.entries, form->Run().Plan);
    EXPECT_EQ(plan.route, form->Run().Route);
}

INSTANTIATE_TEST_SUITE_P(Choices, CommandLinePlan,
    testing::Values(OptionSet { "FrenchAndGerman", { "French", "German" }, "English", "1", {},
                        { "--langs", "fr,de" } },
        OptionSet { "NamesInAnotherOrder", { "French", "German", "Spanish" }, "English", "1", {},
            { "--langs", "spanish,German,FR" } },
        OptionSet { "ShowEachLoopsTwo", { "French", "German" }, "English", "2",
            { "CheckBoxShowEach" }, { "--langs", "fr,de", "--show-each", "--loops", "2" } },
        OptionSet { "ResetAfterEachLoopsThree", { "Italian", "Japanese" }, "English", "3",
            { "CheckBoxResetAfterEach", "CheckBoxShowEach" },
            { "--langs", "it,ja", "--reset", "--show-each", "--loops=3" } },
        OptionSet { "ChainingResetReverse", { "French", "German", "Greek" }, "English", "2",
            { "CheckBoxAdvancedChaining", "CheckBoxResetAfterEach", "CheckBoxReverseOrder" },
            { "--langs", "fr,de,el", "--chain", "--reset", "--reverse", "--loops", "2" } },
        OptionSet { "SpanishHomeTickedAmongOthers", { "Spanish", "Catalan" }, "Spanish", "1",
            { "CheckBoxAdvancedChaining", "CheckBoxShowEach" },
            { "--home", "es", "--langs", "es,ca", "--chain", "--show-each" } },
        OptionSet { "LoopsZero", { "Chinese" }, "German", "0", {},
            { "--home", "German", "--langs", "zh-cn", "--loops", "0" } }),
    [](const testing::TestParamInfo<OptionSet>& info) { return std::string(info.param.name); });
