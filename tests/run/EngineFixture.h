// A run engine wired to the stand-in translation service on loopback, with
// every report it makes recorded. The engine writes its reply file to the
// current folder, so every test runs in a folder of its own.
#pragma once

#include "platform/QtText.h"
#include "run/LanguageTable.h"
#include "run/RunEngine.h"
#include "run/TranslationPlan.h"
#include "transfer/acHTTP.h"

#include "tests/support/QtPrinters.h"
#include "tests/support/StandInService.h"
#include "tests/support/TemporaryFolder.h"

#include <QDir>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

using Lines = std::vector<std::string>;

class EngineFixture : public testing::Test {
protected:
    EngineFixture()
    {
        previousFolder = QDir::currentPath();
        QDir::setCurrent(platform::ToQString(folder.Path()));
        engine.OnStepStarting = [this](const StepStart& step) {
            statusTexts.push_back(TranslatingText(step.planIndex, step.entry));
        };
        engine.OnStepDone = [this](const StepReport& step) { steps.push_back(step); };
        engine.OnOutputMarker = [this](const MarkerReport& marker) { markers.push_back(marker); };
        engine.OnEnd = [this](const RunEnd& reported) { ends.push_back(reported); };
    }

    ~EngineFixture() override { QDir::setCurrent(previousFolder); }

    static PlanOptions Languages(const std::vector<const char*>& names)
    {
        PlanOptions options;
        for (const char* name : names)
            options.ticked[static_cast<std::size_t>(FindLanguageRow(name))] = true;
        return options;
    }

    // "Hello" as the window's input memo holds it, through the plan of options.
    RunRequest Request(const PlanOptions& options, bool pause = false)
    {
        return { input, BuildPlan(options).entries, service.URL(),
            FixedRunInputs(input, options.resetAfterEach, options.foreignChaining, pause) };
    }

    void Start(RunRequest request) { engine.Start(std::move(request)); }

    [[nodiscard]] bool WaitUntil(const std::function<bool()>& condition)
    {
        return QTest::qWaitFor(condition, 10000);
    }

    [[nodiscard]] bool WaitForEnd()
    {
        return WaitUntil([&] { return !ends.empty(); });
    }

    [[nodiscard]] bool WaitForRequests(std::size_t count)
    {
        return WaitUntil([&] { return service.RequestCount() >= count; });
    }

    // Runs to the end and returns how it ended.
    RunEnd RunToEnd(RunRequest request)
    {
        Start(std::move(request));
        if (!WaitForEnd())
            ADD_FAILURE() << "the run did not end";
        return ends.empty() ? RunEnd {} : ends.back();
    }

    std::vector<std::string> RequestedSteps() const { return service.RequestedSteps(); }
    std::vector<std::string> RequestTexts() const { return service.RequestTexts(); }

    // Presses Abort as the first reply comes in, too late for the
    // component to stop it: the reply is read as usual.
    void AbortAsTheFirstReplyArrives()
    {
        const auto done = engine.Component()->OnDone;
        engine.Component()->OnDone = [this, done](auto... arguments) {
            if (steps.empty())
                engine.Abort();
            done(arguments...);
        };
    }

    std::vector<std::string> MarkerTexts() const
    {
        std::vector<std::string> texts;
        for (const MarkerReport& marker : markers)
            texts.push_back(marker.text);
        return texts;
    }

    const std::string input = "Hello\r\n";
    TemporaryFolder folder;
    StandInService service;
    RunEngine engine;
    std::vector<std::string> statusTexts;
    std::vector<StepReport> steps;
    std::vector<MarkerReport> markers;
    std::vector<RunEnd> ends;

private:
    QString previousFolder;
};
