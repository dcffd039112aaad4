// The program entry's standard exception display: whatever escapes is shown
// in an error box, and a thrown value that is no exception object is shown
// with an empty message.
#include "app/TornaloApplication.h"
#include "platform/UserInterface.h"

#include <gtest/gtest.h>
#include <stdexcept>

class ProgramEntryExceptions : public testing::Test {
protected:
    ProgramEntryExceptions()
    {
        previous = platform::SetMessageBoxHandler([this](const platform::MessageRequest& request) {
            shown.push_back(request);
            return platform::IdOk;
        });
    }
    ~ProgramEntryExceptions() override { platform::SetMessageBoxHandler(previous); }

    std::vector<platform::MessageRequest> shown;

private:
    platform::MessageBoxHandler previous;
};

TEST_F(ProgramEntryExceptions, ExceptionIsShownWithItsMessageAsAnError)
{
    EXPECT_FALSE(RunShowingExceptions([] { throw std::runtime_error("disk on fire"); }));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "disk on fire");
    EXPECT_EQ(shown[0].icon, platform::MessageIcon::Error);
}

TEST_F(ProgramEntryExceptions, ThrownValueThatIsNoExceptionIsShownWithAnEmptyMessage)
{
    EXPECT_FALSE(RunShowingExceptions([] { throw 42; }));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "");
}

TEST_F(ProgramEntryExceptions, NothingIsShownWhenNothingIsThrown)
{
    bool ran = false;
    EXPECT_TRUE(RunShowingExceptions([&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(shown.empty());
}
