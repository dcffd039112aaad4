// The Journey tab on its own: it follows new rows while the user is at the
// bottom and leaves the view alone while the user reads further up.
#include "app/JourneyView.h"
#include "run/RunReports.h"

#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

class JourneyViewScrolling : public testing::Test {
protected:
    JourneyViewScrolling()
    {
        view.resize(400, 200);
        view.show();
        view.Start("one two three", "en", false);
    }

    void AddSteps(int count)
    {
        for (int i = 0; i < count; ++i) {
            StepReport report;
            report.sourceCode = "en";
            report.targetCode = "fr";
            report.textBefore = "one two three";
            report.textAfter = "un deux trois";
            view.AddStep(report);
        }
        QTest::qWait(0);
    }

    QScrollBar* Scroll() const { return view.Rows->verticalScrollBar(); }

    TJourneyView view;
};

TEST_F(JourneyViewScrolling, NewRowsStayInViewWhileTheViewIsAtTheBottom)
{
    AddSteps(30);
    ASSERT_GT(Scroll()->maximum(), 0);
    EXPECT_EQ(Scroll()->value(), Scroll()->maximum());
    view.Finish("Stable after 1 round.");
    EXPECT_EQ(Scroll()->value(), Scroll()->maximum()) << "the end message is in view too";
}

TEST_F(JourneyViewScrolling, ReadingFurtherUpIsNotDisturbed)
{
    AddSteps(30);
    Scroll()->setValue(0);
    AddSteps(5);
    EXPECT_EQ(Scroll()->value(), 0);
    EXPECT_EQ(view.Model().Steps().size(), 35u);
}

// A long step waits while the run goes on and the tab is hidden, then comes
// in between the window's events, in the order the steps came, once the run
// has ended; the model has it at once.
TEST(JourneyViewLongSteps, WaitUntilTheRunEndsAndComeInOrderInSlices)
{
    TJourneyView view;
    std::string longText;
    for (int line = 0; line < 400; ++line)
        longText += "the old man walks his dog in the park line " + std::to_string(line) + "\n";
    view.Start(longText, "en", false);
    StepReport out;
    out.entry = "en|fr";
    out.sourceCode = "en";
    out.targetCode = "fr";
    out.textBefore = longText;
    out.textAfter = "le " + longText;
    StepReport home = out;
    home.planIndex = 1;
    home.entry = "fr|en";
    home.sourceCode = "fr";
    home.targetCode = "en";
    home.textBefore = out.textAfter;
    home.textAfter = "short";
    view.AddStep(out);
    view.AddStep(home);
    QTest::qWait(50);
    EXPECT_TRUE(view.Rows->document()->isEmpty()) << "shown while the run went on";
    view.Finish("Stable after 1 round.");
    EXPECT_TRUE(view.Rows->document()->isEmpty()) << "shown all at once";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return view.Rows->toPlainText().endsWith(QStringLiteral("Stable after 1 round.")); },
        5000));
    const QString shown = view.Rows->toPlainText();
    EXPECT_LT(shown.indexOf(QStringLiteral("line 399")), shown.indexOf(QStringLiteral("short")));
    EXPECT_EQ(view.Model().Steps().size(), 2u);
    EXPECT_EQ(view.Model().Steps()[0].text, "le " + longText);
}
