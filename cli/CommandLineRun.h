// One run of tornalo-cli: the plan the options ask for goes through the run
// engine, the local service is started when the address needs it, and the
// outcome is written out. Control+C aborts the run as the window's Abort
// button does.
#pragma once

#include "cli/CommandLine.h"
#include "cli/CommandLineOutput.h"
#include "run/ServiceAddress.h"

#include <QObject>
#include <ostream>
#include <string>
#include <vector>

inline constexpr int ExitDone = 0;
inline constexpr int ExitFailed = 1;
inline constexpr int ExitUsage = 2;
inline constexpr int ExitInterrupted = 130; // as a shell reports Control+C

struct CommandLineStreams {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false; // progress is shown on a terminal only
};

class CommandLineRun : public QObject {
public:
    // programDirectory ends in "/": where the local service is started from
    // when the run's address is serviceUrl and nothing answers there.
    CommandLineRun(CommandLineOptions options, std::string programDirectory,
        CommandLineStreams streams, std::string serviceUrl = ServiceURL);
    ~CommandLineRun() override;

    // Runs on text, waiting in an event loop of its own, and returns the
    // exit status.
    int Run(const std::string& text);
    void Interrupt();

private:
    // False when standard output refused the result (a full disk, a closed
    // output): the run's result is then lost, which the exit status says.
    bool Write(const RunEnd& end, const std::string& input, const std::string& route);
    static int ExitStatus(const RunEnd& end, bool interrupted);

    CommandLineOptions options;
    std::string programDirectory;
    std::string serviceUrl;
    CommandLineStreams streams;
    ProgressLine progress;
    RunEngine* engine;
    bool interrupted = false;
    std::vector<StepReport> steps;
    std::vector<std::string> markerTexts;
};
