// The service's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace service {

struct ServiceOptions {
    // 0 takes any free port.
    int port = 8787;
    // Where the port it listens on is recorded for its user's programs.
    std::string portFile;
    // Seconds without a request before the service exits; 0 never.
    int idleExitSeconds = 0;
    // How many Apertium pipelines may run at once; 0 chooses from the memory
    // the machine has.
    int maxPipelines = 0;
    // Seconds a pipeline may stay unused before it is stopped.
    int pipelineIdleSeconds = 240;
    std::string libreTranslateUrl;
    std::string libreTranslateKey;
    bool help = false;
    bool version = false;
};

// Nothing, with error set, when an option is unknown or its value is missing
// or out of range.
std::optional<ServiceOptions> ParseServiceOptions(
    const std::vector<std::string>& arguments, std::string& error);

std::string ServiceUsage();

// "tornalo-service 1.10.01": the version the update descriptor records,
// followed by the licence.
std::string ServiceVersion();
// "1.10.01".
std::string ServiceVersionNumber();

} // namespace service
