#include "service/PipelineScript.h"

#include <string_view>

namespace service {

namespace {

// Characters that would make the shell do more than run a pipeline.
constexpr std::string_view ControlCharacters = ";&<>()`";

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

class ScriptReader {
public:
    ScriptReader(const std::string& script, const std::vector<std::string>& arguments)
        : script_(script), arguments_(arguments)
    {
    }

    std::optional<std::vector<Command>> Read()
    {
        while (at_ < script_.size()) {
            if (!ReadCharacter())
                return std::nullopt;
        }
        if (!EndCommand())
            return std::nullopt;
        return commands_;
    }

private:
    bool ReadCharacter()
    {
        const char c = script_[at_++];
        if (IsSpace(c)) {
            EndWord();
        } else if (c == '|') {
            return EndCommand();
        } else if (c == '\'') {
            return ReadSingleQuoted();
        } else if (c == '"') {
            return ReadDoubleQuoted();
        } else if (c == '\\') {
            if (at_ >= script_.size())
                return false;
            Append(script_[at_++]);
        } else if (c == '$') {
            return ReadArgument(false);
        } else if (ControlCharacters.find(c) != std::string_view::npos || (c == '#' && !inWord_)) {
            return false;
        } else {
            Append(c);
        }
        return true;
    }

    bool ReadSingleQuoted()
    {
        const std::size_t end = script_.find('\'', at_);
        if (end == std::string::npos)
            return false;
        inWord_ = true;
        word_.append(script_, at_, end - at_);
        at_ = end + 1;
        return true;
    }

    bool ReadDoubleQuoted()
    {
        inWord_ = true;
        while (at_ < script_.size()) {
            const char c = script_[at_++];
            if (c == '"')
                return true;
            if (c == '$') {
                if (!ReadArgument(true))
                    return false;
            } else if (c == '`') {
                return false;
            } else if (c == '\\' && at_ < script_.size()
                && std::string_view("\"\\$`").find(script_[at_]) != std::string_view::npos) {
                word_ += script_[at_++];
            } else {
                word_ += c;
            }
        }
        return false;
    }

    // After a "$": only numbered arguments are known here.
    bool ReadArgument(bool quoted)
    {
        std::size_t number = 0;
        const std::size_t start = at_;
        while (at_ < script_.size() && IsDigit(script_[at_]))
            number = number * 10 + static_cast<std::size_t>(script_[at_++] - '0');
        if (at_ == start || number == 0)
            return false;
        const std::string value = number <= arguments_.size() ? arguments_[number - 1] : "";
        if (quoted || !value.empty())
            inWord_ = true;
        word_ += value;
        return true;
    }

    void Append(char c)
    {
        inWord_ = true;
        word_ += c;
    }

    void EndWord()
    {
        if (inWord_)
            command_.push_back(word_);
        word_.clear();
        inWord_ = false;
    }

    bool EndCommand()
    {
        EndWord();
        if (command_.empty())
            return false;
        commands_.push_back(std::move(command_));
        command_.clear();
        return true;
    }

    const std::string& script_;
    const std::vector<std::string>& arguments_;
    std::size_t at_ = 0;
    std::string word_;
    bool inWord_ = false;
    Command command_;
    std::vector<Command> commands_;
};

} // namespace

std::optional<std::vector<Command>> CommandsOfPipelineScript(
    const std::string& script, const std::vector<std::string>& arguments)
{
    return ScriptReader(script, arguments).Read();
}

} // namespace service
