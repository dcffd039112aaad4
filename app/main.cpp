// Program entry. The main window is not part of this build yet: the entry
// says so instead of pretending to run.
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    std::puts("Tornalo: this build holds the language table, the translation plan and the\n"
              "reply extraction; the main window is not built yet, so there is nothing to show.");
    return 0;
}
