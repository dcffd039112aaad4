// The Journey tab filled by runs against the stand-in service, runs until
// stable from the window, "Save Journey..." and where the keyboard focus
// goes when a run starts and ends.
#include "app/JourneyChart.h"
#include "app/JourneyView.h"
#include "app/SaveFileDialog.h"

#include "tests/app/RunFixture.h"
#include "text/AsciiText.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTextBlock>
#include <QTextBrowser>
#include <QXmlStreamReader>

namespace {

// The Journey's rows as the tab shows them: a step's heading ("3  English
// → French") with its text, or a line of its own (a round's heading, the
// run's end message).
std::vector<Lines> ShownRows(const TJourneyView& view)
{
    std::vector<Lines> rows;
    for (QTextBlock block = view.Rows->document()->begin(); block.isValid(); block = block.next()) {
        const std::string text = platform::ToBytes(block.text());
        if (block.previous().blockFormat().hasProperty(TJourneyView::StepProperty))
            rows.back().push_back(text);
        else if (!text.empty())
            rows.push_back({ text });
    }
    return rows;
}

// The words of a step's text shown struck through ("-word") or on a
// coloured ground ("+word"), in order.
Lines MarkedWords(const TJourneyView& view, int step)
{
    QTextBlock block = view.Rows->document()->begin();
    while (block.isValid() && block.blockFormat().property(TJourneyView::StepProperty) != step)
        block = block.next();
    Lines marked;
    for (auto piece = block.next().begin(); !piece.atEnd(); ++piece) {
        const QTextCharFormat format = piece.fragment().charFormat();
        const std::string text = platform::ToBytes(piece.fragment().text());
        if (format.fontStrikeOut())
            marked.push_back("-" + text);
        else if (format.hasProperty(QTextFormat::BackgroundBrush))
            marked.push_back("+" + text);
    }
    return marked;
}

// Answers with the text it was sent, less its last word when the step comes
// back to English: each return home loses one word of the input.
ServiceReply DropLastWordOnTheWayHome(const ServiceRequest& request, int)
{
    std::string text(text::Trim(request.fields.at("text")));
    if (request.fields.at("tl") == "en")
        text.erase(text.rfind(' '));
    return { 200, standin::ReplyPage({ text }) };
}

} // namespace

class RunJourney : public RunFixture {
protected:
    TJourneyView& View() const { return Widget<TJourneyView>("JourneyView"); }
    std::vector<std::vector<std::string>> Rows() const { return ShownRows(View()); }
    const Journey& Model() const { return View().Model(); }

    void TypeFourWordsTickFrenchAndGerman()
    {
        Type("one two three four");
        Tick("French");
        Tick("German");
    }
};

TEST_F(RunJourney, FourStepsGiveFourRowsInOrderAndAPointForEachReturnHome)
{
    service.SetResponder(DropLastWordOnTheWayHome);
    TypeFourWordsTickFrenchAndGerman();
    RunToEnd();
    ASSERT_EQ(Status(), "Ready.");
    const std::string gap = "\u00a0\u00a0";
    EXPECT_EQ(Rows(),
        (std::vector<Lines> { { "1" + gap + "English \u2192 French", "one two three four" },
            { "2" + gap + "French \u2192 English" + gap + "75 % of the words kept",
                "one two three four" },
            { "3" + gap + "English \u2192 German", "one two three" },
            { "4" + gap + "German \u2192 English" + gap + "50 % of the words kept",
                "one two three" } }));
    EXPECT_EQ(MarkedWords(View(), 1), Lines {});
    EXPECT_EQ(MarkedWords(View(), 2), Lines { "-four" });
    EXPECT_EQ(MarkedWords(View(), 4), Lines { "-three" });

    const std::vector<SurvivalPoint> points = Model().Survival();
    EXPECT_EQ(points, (std::vector<SurvivalPoint> { { 0, 1.0 }, { 2, 0.75 }, { 4, 0.5 } }));
    const std::vector<ChartPoint> placed = View().Chart->PlacedPoints();
    ASSERT_EQ(placed.size(), 3u);
    const QRectF chart = View().Chart->rect();
    for (std::size_t i = 0; i < placed.size(); ++i) {
        EXPECT_TRUE(chart.contains(placed[i].x, placed[i].y)) << i;
        if (i > 0) {
            EXPECT_GT(placed[i].x, placed[i - 1].x) << i;
            EXPECT_GT(placed[i].y, placed[i - 1].y) << i << ": fewer words lie lower";
        }
    }
}

TEST_F(RunJourney, RowsComeInAsTheRepliesDo)
{
    TypeHelloTickFrenchAndGerman();
    service.HoldReplies(true);
    Click("ButtonTranslate");
    ASSERT_TRUE(WaitForRequests(1));
    EXPECT_EQ(Rows().size(), 0u);
    EXPECT_FALSE(Widget<QAction>("SaveJourney1").isEnabled());
    service.ReleaseHeld();
    ASSERT_TRUE(WaitForRequests(2));
    EXPECT_EQ(Rows().size(), 1u);
    EXPECT_TRUE(Widget<QAction>("SaveJourney1").isEnabled());
    service.HoldReplies(false);
    service.ReleaseHeld();
    ASSERT_TRUE(WaitUntil([&] { return Idle(); }));
    EXPECT_EQ(Rows().size(), 4u);
}

TEST_F(RunJourney, ANewRunStartsAFreshJourney)
{
    TypeHelloTickFrenchAndGerman();
    RunToEnd();
    Widget<TCheckListBox>("CheckListBoxLangs").SetChecked(15, false);
    RunToEnd();
    EXPECT_EQ(Rows().size(), 2u);
    EXPECT_EQ(Model().Steps().size(), 2u);
}

TEST_F(RunJourney, AReplyAfterTheRunHasEndedLeavesTheJourneyAlone)
{
    TypeHelloTickFrenchAndGerman();
    RunToEnd();
    const std::vector<Lines> rows = Rows();
    Raise(form->achtp->OnDone);
    EXPECT_EQ(Status(), "Ready.  Error: Unexpected reply after abort.");
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(Model().Outcome(), "");
}

TEST_F(RunJourney, UntilStableEndsWhenARoundChangesNothingAndMarksTheRounds)
{
    service.SetResponder(standin::SettlingReply);
    Type("Hello");
    Tick("French");
    Click("CheckBoxUntilStable");
    RunToEnd();
    EXPECT_EQ(Status(), "Ready.  Stable after 3 rounds.");
    EXPECT_EQ(service.RequestCount(), 6u);
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Lines(),
        (Lines { "Hello", "", Equals(), "Hello++++" }));
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[0], (Lines { "Round 1" }));
    EXPECT_EQ(rows[3], (Lines { "Round 2" }));
    EXPECT_EQ(rows[6], (Lines { "Round 3" }));
    EXPECT_EQ(rows[8],
        (Lines { "6\u00a0\u00a0French \u2192 English\u00a0\u00a0100 % of the words kept",
            "Hello++++" }));
    EXPECT_EQ(rows[9], (Lines { "Stable after 3 rounds." }));
    EXPECT_EQ(MarkedWords(View(), 1), Lines {}) << "French's first text";
    EXPECT_EQ(MarkedWords(View(), 4), Lines { "+++" }) << "\"Hello++\" before";
    EXPECT_EQ(MarkedWords(View(), 6), Lines {}) << "the stable round";
    EXPECT_EQ(Model().RoundBoundaries(), (std::vector<double> { 2.5, 4.5 }));
    EXPECT_EQ(Model().Outcome(), "Stable after 3 rounds.");
}

TEST_F(RunJourney, UntilStableGivesUpAfterTwentyRounds)
{
    Type("Hello");
    Tick("French");
    Click("CheckBoxUntilStable");
    RunToEnd();
    EXPECT_EQ(Status(), "Ready.  Not stable after 20 rounds.");
    EXPECT_EQ(service.RequestCount(), 40u);
    EXPECT_EQ(Model().Steps().size(), 40u);
    EXPECT_EQ(Model().RoundBoundaries().size(), 19u);
}

TEST_F(RunJourney, WithoutUntilStableThePlanRunsOnce)
{
    service.SetResponder(standin::SettlingReply);
    Type("Hello");
    Tick("French");
    RunToEnd();
    EXPECT_EQ(Status(), "Ready.");
    EXPECT_EQ(service.RequestCount(), 2u);
    EXPECT_EQ(Rows().size(), 2u) << "no round headings";
}

class SaveJourney : public RunJourney {
protected:
    SaveJourney()
    {
        previous = SetSaveFileHandler([this](const SaveFileRequest& request) {
            requests.push_back(request);
            return answer;
        });
    }
    ~SaveJourney() override { SetSaveFileHandler(previous); }

    // Every case saves the journey of the same four-step run.
    void SetUp() override
    {
        TypeHelloTickFrenchAndGerman();
        RunToEnd();
    }

    std::string ReadFile(const std::string& path) const
    {
        QFile file(platform::ToQString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

    std::string answer;
    std::vector<SaveFileRequest> requests;
    SaveFileHandler previous;
};

TEST_F(SaveJourney, WritesThePageWhereTheUserChose)
{
    answer = folder.File("trip.html");
    Widget<QAction>("SaveJourney1").trigger();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].caption, "Save Journey");
    EXPECT_EQ(requests[0].suggestedPath, folder.File("Journey.html"));
    EXPECT_EQ(requests[0].owner, form.get());
    const std::string page = ReadFile(answer);
    QXmlStreamReader xml(QByteArray::fromStdString(page));
    int rows = 0;
    while (!xml.atEnd())
        rows += xml.readNext() == QXmlStreamReader::StartElement
            && xml.name() == QStringLiteral("tr");
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(rows, 5);
    EXPECT_NE(page.find("en:fr:Hello"), std::string::npos);
    EXPECT_TRUE(messages.empty());
}

TEST_F(SaveJourney, ANameWithoutExtensionGetsThePagesOwn)
{
    answer = folder.File("trip");
    Widget<QAction>("SaveJourney1").trigger();
    EXPECT_NE(ReadFile(folder.File("trip.html")), "");
    EXPECT_FALSE(QFile::exists(platform::ToQString(answer)));
}

TEST_F(SaveJourney, CancellingWritesNothing)
{
    Widget<QAction>("SaveJourney1").trigger();
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_FALSE(QFile::exists(platform::ToQString(folder.File("Journey.html"))));
    EXPECT_TRUE(messages.empty());
}

TEST_F(SaveJourney, AFileThatCannotBeWrittenIsReported)
{
    answer = folder.File("missing folder/trip.html");
    Widget<QAction>("SaveJourney1").trigger();
    EXPECT_EQ(messages, (Lines { "Error: could not write " + answer + "." }));
}

class RunFocus : public RunFixture {
protected:
    void SetUp() override
    {
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    // The name of the control that has the keyboard focus.
    static std::string Focus()
    {
        const QWidget* focus = QApplication::focusWidget();
        return focus ? focus->objectName().toStdString() : "nothing";
    }
};

TEST_F(RunFocus, TranslateNowLeavesTheFocusWhereTheUserCanType)
{
    TypeHelloTickFrenchAndGerman();
    service.HoldReplies(true);
    Widget<QPushButton>("ButtonTranslate").setFocus();
    Click("ButtonTranslate");
    ASSERT_TRUE(WaitForRequests(1));
    EXPECT_EQ(Focus(), "OriginalTextMemo");
    service.HoldReplies(false);
    service.ReleaseHeld();
    ASSERT_TRUE(WaitUntil([&] { return Idle(); }));
    EXPECT_EQ(Focus(), "OriginalTextMemo");
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("5"));
    EXPECT_EQ(Widget<TacNumberEdit>("acNumberEditLoops").Value(), 1u);
}

TEST_F(RunFocus, AbortHandsTheFocusBackToTranslateNow)
{
    TypeHelloTickFrenchAndGerman();
    service.HoldReplies(true);
    Click("ButtonTranslate");
    ASSERT_TRUE(WaitForRequests(1));
    Widget<QPushButton>("ButtonStop").setFocus();
    Click("ButtonStop");
    ASSERT_TRUE(WaitUntil([&] { return Idle(); }));
    EXPECT_EQ(Status(), "Ready.  Aborted.");
    EXPECT_EQ(Focus(), "ButtonTranslate");
    EXPECT_EQ(Widget<TJourneyView>("JourneyView").Model().Outcome(), "Aborted.");
}

TEST_F(RunFocus, AnEmptyInputSendsTheFocusToTheInput)
{
    Tick("French");
    Widget<QPushButton>("ButtonTranslate").setFocus();
    Click("ButtonTranslate");
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(Focus(), "OriginalTextMemo");
}
