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
