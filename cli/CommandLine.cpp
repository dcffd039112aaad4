#include "cli/CommandLine.h"

#include "ProgramVersion.h"
#include "run/LanguageTable.h"
#include "run/TranslationRequest.h"
#include "text/AsciiText.h"

#include <algorithm>
#include <charconv>
#include <map>

namespace {

const int MaxLoops = 10; // as the window's Loops box

using Arguments = std::vector<std::string>;

// Walks the arguments, handing each option's value to it, and collects the
// words of the text.
class Parser {
public:
    explicit Parser(const Arguments& arguments) : arguments(arguments) { }

    ParsedCommandLine Parse();

private:
    bool TakeOption(const std::string& argument);
    bool TakeValue(const std::string& name, const std::optional<std::string>& inlineValue);
    bool SetValue(const std::string& name, const std::string& value);
    bool SetLanguages(const std::string& list);
    bool SetHome(const std::string& name);
    bool SetNumber(
        const std::string& name, const std::string& value, int lowest, int highest, int& number);
    bool Check();
    bool Fail(std::string message);
    void AddText(const std::string& word);

    const Arguments& arguments;
    std::size_t next = 0;
    ParsedCommandLine parsed;
    bool languagesGiven = false;
    bool maxRoundsGiven = false;
};

// The on/off options: each sets one member of the options or of their plan.
template <typename Options> using FlagTable = std::map<std::string, bool Options::*>;

const FlagTable<CommandLineOptions> RunFlags {
    { "--pause", &CommandLineOptions::pause },
    { "--show-original", &CommandLineOptions::showOriginal },
    { "--until-stable", &CommandLineOptions::untilStable },
    { "--json", &CommandLineOptions::json },
};

const FlagTable<PlanOptions> PlanFlags {
    { "--show-each", &PlanOptions::showEachStep },
    { "--reset", &PlanOptions::resetAfterEach },
    { "--chain", &PlanOptions::foreignChaining },
    { "--reverse", &PlanOptions::reverseOrder },
};

template <typename Options>
bool SetFlag(const FlagTable<Options>& flags, const std::string& argument, Options& options)
{
    const auto flag = flags.find(argument);
    if (flag == flags.end())
        return false;
    options.*(flag->second) = true;
    return true;
}

ParsedCommandLine Parser::Parse()
{
    bool optionsEnded = false;
    while (next < arguments.size() && parsed.action == CommandLineAction::Run) {
        const std::string& argument = arguments[next++];
        if (optionsEnded || argument == "-" || argument.rfind('-', 0) != 0)
            AddText(argument);
        else if (argument == "--")
            optionsEnded = true;
        else if (!TakeOption(argument))
            return parsed;
    }
    if (parsed.action == CommandLineAction::Run)
        Check();
    return parsed;
}

bool Parser::TakeOption(const std::string& argument)
{
    if (argument == "--help" || argument == "-h") {
        parsed.action = CommandLineAction::Help;
        return true;
    }
    if (argument == "--version") {
        parsed.action = CommandLineAction::Version;
        return true;
    }
    if (SetFlag(RunFlags, argument, parsed.options)
        || SetFlag(PlanFlags, argument, parsed.options.plan))
        return true;
    const std::size_t equals = argument.find('=');
    if (equals == std::string::npos)
        return TakeValue(argument, std::nullopt);
    return TakeValue(argument.substr(0, equals), argument.substr(equals + 1));
}

bool Parser::TakeValue(const std::string& name, const std::optional<std::string>& inlineValue)
{
    static const std::vector<std::string> withValue { "--home", "--langs", "--loops",
        "--max-rounds", "--url", "--timeout" };
    if (std::find(withValue.begin(), withValue.end(), name) == withValue.end())
        return Fail("unknown option '" + name + "'");
    if (inlineValue)
        return SetValue(name, *inlineValue);
    if (next == arguments.size())
        return Fail(name + " needs a value");
    return SetValue(name, arguments[next++]);
}

bool Parser::SetValue(const std::string& name, const std::string& value)
{
    if (name == "--home")
        return SetHome(value);
    if (name == "--langs")
        return SetLanguages(value);
    if (name == "--loops")
        return SetNumber(name, value, 0, MaxLoops, parsed.options.plan.loops);
    if (name == "--max-rounds") {
        maxRoundsGiven = true;
        return SetNumber(name, value, 1, 1000, parsed.options.maxRounds);
    }
    if (name == "--timeout")
        return SetNumber(name, value, 0, MaxTimeoutSeconds, parsed.options.timeoutSeconds);
    parsed.options.url = value;
    return true;
}

// Languages are ticked, as in the window's list: the plan visits them in the
// table's order whatever the order given.
bool Parser::SetLanguages(const std::string& list)
{
    std::string rest = list;
    std::string name;
    while (SplitFirst(rest, name, ",", true)) {
        if (name.empty())
            continue;
        const int row = FindLanguageRow(name);
        if (row < 0)
            return Fail("unknown language '" + name + "'");
        parsed.options.plan.ticked[static_cast<std::size_t>(row)] = true;
        languagesGiven = true;
    }
    return true;
}

bool Parser::SetHome(const std::string& name)
{
    const int row = FindLanguageRow(text::Trim(name));
    if (row < 0)
        return Fail("unknown language '" + name + "'");
    parsed.options.plan.homeRow = row;
    return true;
}

bool Parser::SetNumber(
    const std::string& name, const std::string& value, int lowest, int highest, int& number)
{
    int read = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), read);
    if (error != std::errc() || end != value.data() + value.size() || read < lowest
        || read > highest)
        return Fail(name + " takes a number from " + std::to_string(lowest) + " to "
            + std::to_string(highest) + ", not '" + value + "'");
    number = read;
    return true;
}

bool Parser::Check()
{
    if (!languagesGiven)
        return Fail("no languages given (--langs LIST)");
    if (maxRoundsGiven && !parsed.options.untilStable)
        return Fail("--max-rounds goes with --until-stable");
    return true;
}

bool Parser::Fail(std::string message)
{
    parsed.action = CommandLineAction::UsageError;
    parsed.error = std::move(message);
    return false;
}

// Words of the text are joined by single spaces, as a shell's echo does.
void Parser::AddText(const std::string& word)
{
    std::optional<std::string>& text = parsed.options.text;
    text = text ? *text + " " + word : word;
}

std::string LanguageList()
{
    std::string list;
    std::string line;
    for (int row = 0; row < LanguageCount; ++row) {
        const auto at = static_cast<std::size_t>(row);
        const std::string item = std::string(LanguageNames[at]) + " " + LanguageCodes[at]
            + (row + 1 < LanguageCount ? "," : ".");
        if (line.size() + 1 + item.size() > 76) {
            list += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "  " : " ") + item;
    }
    return list + line + "\n";
}

} // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    return Parser(arguments).Parse();
}

std::string UsageText()
{
    return "Usage: tornalo-cli [--home CODE] --langs LIST [--loops N] [--show-each] [--reset]\n"
           "                   [--chain] [--reverse] [--pause] [--show-original]\n"
           "                   [--until-stable [--max-rounds N]] [--url URL] [--timeout SECONDS]\n"
           "                   [--json] [TEXT]\n"
           "Try 'tornalo-cli --help' for more.\n";
}

std::string HelpText()
{
    return UsageText().substr(0, UsageText().rfind("Try"))
        + "\nSends TEXT (or, without it, standard input) through a translation service\n"
          "into each language of LIST and back, as Tornalo's window does, and writes\n"
          "the result to standard output.\n"
          "\n"
          "  --home CODE       the language of the text (default en, English)\n"
          "  --langs LIST      the languages to travel through, by code or English name,\n"
          "                    comma-separated, any case; visited in the order of the\n"
          "                    list below, whatever the order given\n"
          "  --loops N         run the whole plan N times (0 to 10; 0 counts as 1)\n"
          "  --show-each       write the text after each language, between lines of \"=\"\n"
          "  --reset           start each language from the input again\n"
          "  --chain           go from language to language, home only at the end\n"
          "  --reverse         walk the languages from the end of the list\n"
          "  --pause           wait half a second between requests\n"
          "  --show-original   write the input above the result\n"
          "  --until-stable    run the plan again, from the text reached, until a round\n"
          "                    ends with the text it started with; standard error says\n"
          "                    after how many rounds, or that it never did\n"
          "  --max-rounds N    at most N rounds (default 20)\n"
          "  --url URL         the translation service (default "
        + std::string(ServiceURL)
        + ";\n"
          "                    the local service beside this program is started when\n"
          "                    nothing answers there)\n"
          "  --timeout SECONDS give up on a request after that long without a byte from\n"
          "                    the service, or with its reply begun and not yet whole\n"
          "                    (default "
        + std::to_string(DefaultTimeoutSeconds)
        + "; 0 waits as long as it keeps the connection)\n"
          "  --json            write one JSON object: the route, every step and the\n"
          "                    outcome\n"
          "  --help, --version\n"
          "\n"
          "Exit status: 0 when the run ended normally, 1 when it failed (the reason on\n"
          "standard error), 2 for a usage error, 130 when interrupted by Control+C.\n"
          "Each reply page is kept in translator_replypage.htm in the current folder.\n"
          "\n"
          "Languages:\n"
        + LanguageList();
}

std::string VersionText()
{
    return std::string("tornalo-cli ") + TORNALO_VERSION
        + "\n" TORNALO_LICENSE "\n" TORNALO_WARRANTY "\n";
}
