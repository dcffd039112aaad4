// Program entry: the application, the main window and the message loop.
#include "app/MainFormUnit.h"
#include "app/ProgramArguments.h"
#include "app/TornaloApplication.h"
#include "platform/Console.h"
#include "platform/InternetLibrary.h"
#include "platform/Paths.h"

#include <iostream>

int main(int argc, char** argv)
{
    // Answered before the application exists, so they need no display.
    if (const auto answer
        = AnswerArguments({ argv + 1, argv + argc }, platform::ProgramDirectory())) {
        std::cout << answer->output;
        std::cerr << answer->error;
        return answer->exitCode;
    }
    platform::InternetLibraryScope internet;
    TornaloApplication application(argc, argv);
    RunShowingExceptions([] {
        TMainForm mainForm(platform::ProgramDirectory());
        // A logout, `kill` or Control+C in the starting terminal closes the
        // window as its close box does, so the settings are saved.
        platform::InterruptBridge endingSignals(
            [&mainForm] { mainForm.CloseFromOutside(); }, platform::EndingSignals);
        mainForm.show();
        mainForm.WatchServiceLanguages();
        QApplication::exec();
    });
    return 0;
}
