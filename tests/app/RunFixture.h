// A main window wired to a stand-in translation service on loopback, with
// the run options at hand and the message box, beep and clipboard observed.
// The window writes its reply file to the current folder, so every test
// runs in a folder of its own.
#pragma once

#include "app/CheckListBox.h"
#include "app/MainFormUnit.h"
#include "app/Memo.h"
#include "app/StatusBar.h"
#include "platform/QtText.h"
#include "platform/UserInterface.h"
#include "run/LanguageTable.h"
#include "run/RunEngine.h"
#include "transfer/acHTTP.h"
#include "widgets/acEdit.h"

#include "tests/support/Child.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/StandInService.h"
#include "tests/support/TemporaryFolder.h"

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <type_traits>

class RunFixture : public testing::Test {
protected:
    RunFixture()
    {
        previousFolder = QDir::currentPath();
        QDir::setCurrent(platform::ToQString(folder.Path()));
        previousMessageBox
            = platform::SetMessageBoxHandler([this](const platform::MessageRequest& r) {
                  messages.push_back(r.text);
                  return platform::IdOk;
              });
        previousBeep = platform::SetBeepHandler([this] { ++beeps; });
        platform::SetClipboardText("clipboard before the run");
        form = std::make_unique<TMainForm>(folder.Path());
        form->achtp->URL = service.URL();
        Widget<QCheckBox>("CheckBoxPause").setChecked(false);
        form->show();
    }

    ~RunFixture() override
    {
        form.reset();
        platform::SetMessageBoxHandler(previousMessageBox);
        platform::SetBeepHandler(previousBeep);
        QDir::setCurrent(previousFolder);
    }

    void Type(const char* text)
    {
        TMemo& input = Widget<TMemo>("OriginalTextMemo");
        input.setFocus();
        QTest::keyClicks(&input, QString::fromUtf8(text));
    }

    void Tick(const char* language)
    {
        for (int row = 0; row < LanguageCount; ++row)
            if (std::string(LanguageNames[row]) == language)
                Widget<TCheckListBox>("CheckListBoxLangs").SetChecked(row, true);
    }

    // French and German ticked, "Hello" typed: the plans the examples use.
    void TypeHelloTickFrenchAndGerman()
    {
        Type("Hello");
        Tick("French");
        Tick("German");
    }

    // The window's control or action of that name.
    template <class T> T& Widget(const char* name) const { return Child<T>(*form, name); }

    void Click(const char* button)
    {
        QTest::mouseClick(&Widget<QAbstractButton>(button), Qt::LeftButton);
    }

    void SetLoops(const char* digits)
    {
        TacNumberEdit& loops = Widget<TacNumberEdit>("acNumberEditLoops");
        loops.setFocus();
        loops.selectAll();
        QTest::keyClicks(&loops, QString::fromUtf8(digits));
    }

    bool Idle() const
    {
        return Widget<QPushButton>("ButtonTranslate").isEnabled()
            && !Widget<QPushButton>("ButtonStop").isEnabled();
    }

    [[nodiscard]] bool WaitUntil(const std::function<bool()>& condition)
    {
        return QTest::qWaitFor(condition, 10000);
    }

    [[nodiscard]] bool WaitForRequests(std::size_t count)
    {
        return WaitUntil([&] { return service.RequestCount() >= count; });
    }

    // Translates and waits for the run to end.
    void RunToEnd()
    {
        Click("ButtonTranslate");
        ASSERT_TRUE(WaitUntil([&] { return Idle(); })) << Status();
    }

    std::string Status() const { return Widget<TStatusBar>("StatusBar").Text(); }

    std::vector<std::string> RequestedSteps() const { return service.RequestedSteps(); }
    std::vector<std::string> RequestTexts() const { return service.RequestTexts(); }

    // Raises one of the component's events as the component would, with
    // empty values after the sender.
    template <typename Sender, typename... Rest>
    void Raise(const std::function<void(Sender, Rest...)>& event)
    {
        event(form->achtp, std::remove_cvref_t<Rest> {}...);
    }

    static std::string Separator() { return "\n" + std::string(48, '=') + "\n"; }
    static std::string Equals() { return std::string(48, '='); }

    TemporaryFolder folder;
    StandInService service;
    std::unique_ptr<TMainForm> form;
    std::vector<std::string> messages;
    int beeps = 0;

private:
    QString previousFolder;
    platform::MessageBoxHandler previousMessageBox;
    std::function<void()> previousBeep;
};

using Lines = std::vector<std::string>;
