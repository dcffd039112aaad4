// Program entry of tornalo-cli: the arguments, the text, one run.
#include "cli/CommandLineRun.h"
#include "platform/Console.h"
#include "platform/InternetLibrary.h"
#include "platform/Paths.h"

#include <QCoreApplication>
#include <iostream>
#include <iterator>

namespace {

std::string ReadStandardInput()
{
    return { std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>() };
}

} // namespace

int main(int argc, char** argv)
{
    platform::InternetLibraryScope internet;
    QCoreApplication application(argc, argv);
    const ParsedCommandLine parsed = ParseCommandLine({ argv + 1, argv + argc });
    switch (parsed.action) {
    case CommandLineAction::Help:
        std::cout << HelpText();
        return ExitDone;
    case CommandLineAction::Version:
        std::cout << VersionText();
        return ExitDone;
    case CommandLineAction::UsageError:
        std::cerr << "tornalo-cli: " << parsed.error << "\n" << UsageText();
        return ExitUsage;
    case CommandLineAction::Run:
        break;
    }
    const std::string text = parsed.options.text ? *parsed.options.text : ReadStandardInput();
    CommandLineRun run(parsed.options, platform::ProgramDirectory(),
        { std::cout, std::cerr, platform::StandardErrorIsTerminal() });
    // Set up only now: while standard input is read, Control+C ends the
    // program at once.
    platform::InterruptBridge interrupt([&run] { run.Interrupt(); });
    return run.Run(text);
}
