// What the service needs of a machine translation engine.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace service {

// For each source code, the target codes an engine reaches.
using LanguagePairs = std::map<std::string, std::set<std::string>>;
// A source code and a target code.
using LanguagePair = std::pair<std::string, std::string>;

// What an engine throws when others kept it too busy to take a text in time;
// the service answers 503 with the reason.
class ServiceBusy : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The way a text takes from one language to another, as the reply page tells it.
struct HopRoute {
    // "apertium", or "libretranslate" and the server's address.
    std::string engine;
    // The languages the text passes through on its way, in order, as the
    // program's codes; none for a direct translation.
    std::vector<std::string> via;
};

class TranslationEngine {
public:
    virtual ~TranslationEngine() = default;

    virtual std::string Name() const = 0;
    virtual LanguagePairs Pairs() = 0;
    virtual bool CanTranslate(const std::string& from, const std::string& to) = 0;
    // The way Translate takes between two languages it can translate.
    virtual HopRoute HopRouteOf(const std::string& from, const std::string& to) = 0;

    // As many lines out as in, or nothing when the engine failed; throws
    // ServiceBusy when it could not take the text in time.
    virtual std::optional<std::vector<std::string>> Translate(
        const std::string& from, const std::string& to, const std::vector<std::string>& lines)
        = 0;

    // Gets ready for these pairs, which it can translate, in the background:
    // returns at once.
    virtual void Prepare(const std::vector<LanguagePair>&) { }

    // Why the engine offers fewer pairs than it was set up for ("the
    // LibreTranslate server at ... did not answer"); empty when nothing is wrong.
    virtual std::string Trouble() { return {}; }
};

} // namespace service
