// What tornalo-cli writes: the output as the window's output memo would show
// it at the end of the run, the JSON record of a run, and the progress line
// on a terminal.
#pragma once

#include "run/RunReports.h"

#include <ostream>
#include <string>
#include <vector>

// The text as a memo holds it: its lines, each followed by CR LF.
std::string MemoText(const std::string& text);

// The output memo's rules, for a front end without a memo: the input first
// when shown, each marker's text after a separator, and at an end in a
// reply the input and the final text alone.
class OutputText {
public:
    OutputText(std::string input, bool showOriginal);

    void AddMarkerText(const std::string& text);
    void ShowFinal(const std::string& text);
    // The lines, each followed by a line feed.
    std::string Lines() const;

private:
    void Append(const std::string& text);

    std::string input;
    bool showOriginal;
    std::string memo;
};

// One JSON object: the route, every step (from, to, text, milliseconds,
// round) and the outcome, on one line.
std::string RunJson(const std::string& route, const std::vector<StepReport>& steps,
    const RunEnd& end, bool interrupted);

// The name the JSON record gives an end.
std::string EndName(RunEndKind kind);

// One line on a terminal that each new text replaces; nothing when the
// stream is not a terminal.
class ProgressLine {
public:
    ProgressLine(std::ostream& stream, bool terminal) : stream(stream), terminal(terminal) { }

    void Show(const std::string& text);
    void Clear();

private:
    std::ostream& stream;
    bool terminal;
    bool shown = false;
};
