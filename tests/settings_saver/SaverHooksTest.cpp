#include "SaverFixture.h"
#include "platform/WindowHooks.h"

#include <QTest>

namespace {

using platform::WindowEvents;

class SaverHooksTest : public SaverFixture {
protected:
    SaverHooksTest()
    {
        saver->Properties = { "Control.Count" };
        events->OnCreate = [this](QObject*) { log += "form-create "; };
        events->OnCloseQuery = [this](QObject*, bool& canClose) {
            log += "form-close ";
            canClose = allowClose;
        };
        saver->OnAfterLoad = [this](TrsComponent*) { log += "load "; };
        saver->OnAfterSave = [this](TrsComponent*) { log += "save "; };
    }

    WindowEvents* events = WindowEvents::Of(&form);
    std::string log;
    bool allowClose = true;
};

TEST_F(SaverHooksTest, CreationLoadsBeforeTheWindowsOwnHandler)
{
    storage.WriteInteger("\\Form.Saver\\Control.Count", 3);
    saver->SetWhenLoad(wlOnCreate);
    events->NotifyCreated();
    EXPECT_EQ(log, "load form-create ");
    EXPECT_EQ(form.control->Count, 3);
}

TEST_F(SaverHooksTest, LoadErrorIsShownAndTheEventGoesOn)
{
    storage.WriteString("\\Form.Saver\\Control.Count", "abc");
    saver->SetWhenLoad(wlOnCreate);
    events->NotifyCreated();
    EXPECT_EQ(log, "load form-create ");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "'abc' is not a valid integer value");
}

TEST_F(SaverHooksTest, CloseQuerySavesAfterTheWindowsOwnHandler)
{
    saver->SetWhenSave(wsOnClose);
    form.show();
    EXPECT_TRUE(form.close());
    EXPECT_EQ(log, "form-close save ");
    EXPECT_EQ(Stored("Control.Count"), "0");
}

TEST_F(SaverHooksTest, RefusedCloseQueryDoesNotSave)
{
    allowClose = false;
    saver->SetWhenSave(wsOnClose);
    form.show();
    EXPECT_FALSE(form.close());
    EXPECT_EQ(log, "form-close ");
    EXPECT_EQ(Stored("Control.Count"), "<none>");
}

TEST_F(SaverHooksTest, SaveErrorIsShownAndTheWindowStillCloses)
{
    saver->SetWhenSave(wsOnClose);
    saver->OnBeforeSave = [](TrsComponent*) { throw std::runtime_error("cannot save"); };
    form.show();
    EXPECT_TRUE(form.close());
    EXPECT_EQ(messages, std::vector<std::string> { "cannot save" });
    EXPECT_EQ(log, "form-close save ");
}

TEST_F(SaverHooksTest, InactiveSaverNeitherLoadsNorSaves)
{
    saver->Active = false;
    saver->SetWhenLoad(wlOnCreate);
    saver->SetWhenSave(wsOnClose);
    events->NotifyCreated();
    form.show();
    form.close();
    EXPECT_EQ(log, "form-create form-close ");
}

TEST_F(SaverHooksTest, ChangingTheMomentGivesTheWindowItsHandlerBack)
{
    saver->SetWhenLoad(wlOnCreate);
    saver->SetWhenLoad(wlOnShow);
    events->NotifyCreated();
    EXPECT_EQ(log, "form-create ");
    form.show();
    EXPECT_EQ(log, "form-create load ");
    saver->SetWhenLoad(wlManual);
    EXPECT_FALSE(events->OnShow);
}

TEST_F(SaverHooksTest, DestroyedSaverGivesTheHandlersBack)
{
    saver->SetWhenLoad(wlOnCreate);
    saver->SetWhenSave(wsOnClose);
    delete saver;
    saver = nullptr;
    events->NotifyCreated();
    form.show();
    form.close();
    EXPECT_EQ(log, "form-create form-close ");
}

TEST_F(SaverHooksTest, HideDestroyAndDeactivationSaveAfterTheWindowsHandler)
{
    events->OnHide = [this](QObject*) { log += "form-hide "; };
    saver->SetWhenSave(wsOnHide);
    form.show();
    form.hide();
    saver->SetWhenSave(wsOnDestroy);
    events->NotifyDestroying();
    form.show();
    form.hide();
    EXPECT_EQ(log, "form-hide save save form-hide ");
}

TEST_F(SaverHooksTest, ActivationLoadsOnEveryActivation)
{
    saver->SetWhenLoad(wlOnActivate);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(log, "load ");
}

TEST_F(SaverHooksTest, SaverWithoutWindowHooksNothing)
{
    TrsPropSaver loose(nullptr);
    loose.SetWhenLoad(wlOnCreate);
    loose.SetWhenSave(wsOnClose);
    EXPECT_EQ(loose.WhenLoad(), wlOnCreate);
    EXPECT_EQ(loose.GetFormPlacement(), "");
}

} // namespace
