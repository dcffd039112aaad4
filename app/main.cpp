// Program entry: the application, the main window and the message loop.
#include "app/MainFormUnit.h"
#include "app/ProgramArguments.h"
#include "app/TornaloApplication.h"
#include "platform/InternetLibrary.h"
#include "platform/Paths.h"
#include "platform/WindowEnding.h"

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
        platform::WindowEnding ending;
        TMainForm mainForm(platform::ProgramDirectory());
        if (!ending.Attach(mainForm)) {
            mainForm.close();
            return;
        }
        mainForm.show();
        mainForm.WatchServiceLanguages();
        QApplication::exec();
    });
    return 0;
}
