// Program entry: the application, the main window and the message loop.
#include "app/MainFormUnit.h"
#include "app/TornaloApplication.h"
#include "platform/InternetLibrary.h"
#include "platform/Paths.h"

int main(int argc, char** argv)
{
    platform::InternetLibraryScope internet;
    TornaloApplication application(argc, argv);
    RunShowingExceptions([] {
        TMainForm mainForm(platform::ProgramDirectory());
        mainForm.show();
        mainForm.WatchServiceLanguages();
        QApplication::exec();
    });
    return 0;
}
