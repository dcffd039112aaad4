// The checklist greys the languages that the service cannot reach from the
// home language and back, asking the service without holding up the window.
#include "app/ReachableLanguages.h"
#include "app/ComboBox.h"

#include "tests/app/RunFixture.h"
#include "tests/support/TestHttpServer.h"

#include <QTimer>
#include <chrono>

using namespace std::chrono_literals;

namespace {

// English and Spanish both ways, French only with Spanish.
const char* const Pairs = R"({"apertium": {}, "pairs": {"en": ["es", "fr"], "es": ["en", "fr"],
    "fr": ["es"]}})";

int Row(const char* name)
{
    return FindLanguageRow(name);
}

} // namespace

class ReachableLanguagesMarks : public RunFixture {
protected:
    ReachableLanguagesMarks() { form->Run().reachableLanguages->RetryInterval = 200ms; }

    bool Greyed(const char* name) const
    {
        return Widget<TCheckListBox>("CheckListBoxLangs").Greyed(Row(name));
    }

    std::vector<std::string> GreyedNames() const
    {
        std::vector<std::string> names;
        for (int row = 0; row < LanguageCount; ++row)
            if (Widget<TCheckListBox>("CheckListBoxLangs").Greyed(row))
                names.push_back(LanguageNames[static_cast<std::size_t>(row)]);
        return names;
    }

    [[nodiscard]] bool WaitForMarks()
    {
        return WaitUntil([&] { return form->Run().reachableLanguages->Known(); });
    }
};

TEST_F(ReachableLanguagesMarks, UnreachableNamesAreGreyedWithAHintAndStayTickable)
{
    service.SetLanguages(Pairs);
    form->WatchServiceLanguages();
    ASSERT_TRUE(WaitForMarks());
    EXPECT_FALSE(Greyed("Spanish"));
    EXPECT_FALSE(Greyed("English"));
    EXPECT_TRUE(Greyed("French"));
    EXPECT_TRUE(Greyed("German"));
    EXPECT_EQ(GreyedNames().size(), 39u);
    const QListWidgetItem* german = Widget<TCheckListBox>("CheckListBoxLangs").item(Row("German"));
    EXPECT_TRUE(german->toolTip().contains(QStringLiteral("LibreTranslate server")));
    EXPECT_TRUE(german->flags().testFlag(Qt::ItemIsUserCheckable));
    EXPECT_TRUE(
        Widget<TCheckListBox>("CheckListBoxLangs").item(Row("Spanish"))->toolTip().isEmpty());
    Tick("German");
    EXPECT_TRUE(Widget<TCheckListBox>("CheckListBoxLangs").Checked(Row("German")));
}

TEST_F(ReachableLanguagesMarks, ChangingTheHomeLanguageMarksAgain)
{
    service.SetLanguages(Pairs);
    form->WatchServiceLanguages();
    ASSERT_TRUE(WaitForMarks());
    const int queries = service.LanguageQueries();
    Widget<TComboBox>("ComboBoxHomeLanguage").SetItemIndex(Row("Spanish"));
    EXPECT_FALSE(Greyed("English"));
    EXPECT_FALSE(Greyed("French"));
    EXPECT_FALSE(Greyed("Spanish"));
    Widget<TComboBox>("ComboBoxHomeLanguage").SetItemIndex(Row("German"));
    EXPECT_EQ(GreyedNames().size(), 40u);
    EXPECT_FALSE(Greyed("German"));
    EXPECT_EQ(service.LanguageQueries(), queries);
}

// No answer, a refusal or a page that is no language list: no marks, and
// the window asks again until a service answers.
TEST_F(ReachableLanguagesMarks, WithoutAnAnsweringServiceNothingIsGreyedUntilOneAnswers)
{
    TestHttpServer notTheService;
    notTheService.Respond(ScriptedResponse::Ok("<html>Translate</html>"));
    for (const std::string& url :
        { std::string("http://127.0.0.1:1"), notTheService.Url(), service.URL() }) {
        form->achtp->URL = url;
        form->WatchServiceLanguages();
        QTest::qWait(300);
        EXPECT_FALSE(form->Run().reachableLanguages->Known()) << url;
        EXPECT_TRUE(GreyedNames().empty()) << url;
    }
    ASSERT_TRUE(WaitUntil([&] { return service.LanguageQueries() >= 2; }));
    service.SetLanguages(Pairs);
    ASSERT_TRUE(WaitForMarks());
    EXPECT_TRUE(Greyed("German"));
}

TEST_F(ReachableLanguagesMarks, TheEndOfARunAsksAgain)
{
    service.SetLanguages(Pairs);
    form->WatchServiceLanguages();
    ASSERT_TRUE(WaitForMarks());
    service.SetLanguages("");
    Type("Hello");
    Tick("Spanish");
    RunToEnd();
    ASSERT_TRUE(WaitUntil([&] { return !form->Run().reachableLanguages->Known(); }));
    EXPECT_TRUE(GreyedNames().empty());
}

// An event posted while a listener that never answers holds the question is
// handled at once: the question is not asked on the window's thread.
TEST_F(ReachableLanguagesMarks, AListenerThatNeverAnswersDoesNotHoldTheWindow)
{
    TestHttpServer silent;
    ScriptedResponse silence;
    silence.silent = true;
    silent.Respond(silence);
    form->achtp->URL = silent.Url();
    const auto start = std::chrono::steady_clock::now();
    form->WatchServiceLanguages();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 50ms);
    ASSERT_TRUE(silent.WaitForRequests(1));
    std::chrono::steady_clock::time_point handled;
    const auto posted = std::chrono::steady_clock::now();
    QTimer::singleShot(0, form.get(), [&] { handled = std::chrono::steady_clock::now(); });
    ASSERT_TRUE(WaitUntil([&] { return handled != decltype(handled) {}; }));
    EXPECT_LT(handled - posted, 50ms);
    EXPECT_TRUE(GreyedNames().empty());
}
