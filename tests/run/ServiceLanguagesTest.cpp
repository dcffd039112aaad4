#include "run/ServiceLanguages.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> ReachableNames(const LanguagePairs& pairs, const char* home)
{
    const auto reachable = ReachableRows(pairs, FindLanguageRow(home));
    std::vector<std::string> names;
    for (std::size_t row = 0; row < reachable.size(); ++row)
        if (reachable[row])
            names.push_back(LanguageNames[row]);
    return names;
}

} // namespace

TEST(LanguagePairsOfTheService, AreReadFromThePairsOfTheList)
{
    const auto pairs = ParseLanguagePairs(
        R"({"apertium": {"en": ["es"]}, "pairs": {"en": ["es", "zh-CN"], "iw": []}})");
    ASSERT_TRUE(pairs);
    EXPECT_EQ(*pairs, (LanguagePairs { { "en", { "es", "zh-CN" } }, { "iw", {} } }));
}

TEST(LanguagePairsOfTheService, AnythingButTheListIsNoList)
{
    for (const char* text : { "", "<html>Translate</html>", "[]", R"({"apertium": {}})",
             R"({"pairs": ["en"]})", R"({"pairs": {"en": ["es"]})" })
        EXPECT_FALSE(ParseLanguagePairs(text)) << text;
}

// A language counts when a text goes to it from home and comes back; home
// itself always counts.
TEST(ReachableLanguagesOfTheService, NeedBothWaysBetweenHomeAndTheLanguage)
{
    const LanguagePairs pairs { { "en", { "es", "fr", "de" } }, { "es", { "en", "fr" } },
        { "fr", { "es" } }, { "bg", { "en" } } };
    EXPECT_EQ(
        ReachableNames(pairs, "English"), (std::vector<std::string> { "English", "Spanish" }));
    EXPECT_EQ(ReachableNames(pairs, "Spanish"),
        (std::vector<std::string> { "English", "French", "Spanish" }));
    EXPECT_EQ(ReachableNames(pairs, "German"), (std::vector<std::string> { "German" }));
    EXPECT_EQ(ReachableNames({}, "English"), (std::vector<std::string> { "English" }));
}
