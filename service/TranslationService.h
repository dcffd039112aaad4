// What the service answers, apart from the HTTP plumbing: the translation
// form, the list of languages and the preparing of pairs.
#pragma once

#include "service/TranslationEngine.h"

#include <memory>
#include <string>
#include <vector>

namespace service {

struct ServiceReply {
    int status = 200;
    std::string contentType;
    std::string body;
};

class TranslationService {
public:
    // Engines are asked in order; the first that can translate a pair does.
    explicit TranslationService(std::vector<TranslationEngine*> engines);

    ServiceReply HandleForm(const std::string& body, const std::string& contentType);
    ServiceReply Languages();
    // Answers at once which of the form's "pairs" (for example "en|fr,fr|en")
    // an engine can translate, and has those engines get ready for them.
    ServiceReply Prepare(const std::string& body, const std::string& contentType);

private:
    ServiceReply Translate(const std::string& from, const std::string& to, const std::string& text);
    // Why no engine translated the text; tried when one took it and failed.
    std::string RefusalReason(const std::string& from, const std::string& to, bool tried);
    std::string EngineTroubles();

    std::vector<TranslationEngine*> engines_;
};

} // namespace service
