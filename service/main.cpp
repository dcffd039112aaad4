// tornalo-service: the local translation service the window program talks to.
#include "service/ApertiumEngine.h"
#include "service/LibreTranslateEngine.h"
#include "service/ProgramFiles.h"
#include "service/ServiceOptions.h"
#include "service/ServiceServer.h"

#include <malloc.h>

#include <csignal>
#include <iostream>

namespace {

service::ServiceServer* runningServer = nullptr;

extern "C" void StopOnSignal(int)
{
    if (runningServer)
        runningServer->Stop();
}

} // namespace

int main(int argc, char** argv)
{
    std::string error;
    const auto options = service::ParseServiceOptions({ argv + 1, argv + argc }, error);
    if (!options) {
        std::cerr << error << "\n" << service::ServiceUsage();
        return 2;
    }
    if (options->help) {
        std::cout << service::ServiceUsage();
        return 0;
    }
    if (options->version) {
        std::cout << service::ServiceVersion();
        return 0;
    }
    // Large request and reply buffers get memory of their own, which goes back
    // to the system as soon as they are freed, rather than a heap that grows.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    service::ApertiumSettings apertiumSettings;
    apertiumSettings.ownModesFolder = service::DefaultOwnModesFolder();
    if (apertiumSettings.ownModesFolder.empty())
        std::cerr << "tornalo-service: no private folder for mode files; the language pairs "
                     "that ship without a mode are left out\n";
    apertiumSettings.pipelineIdle = std::chrono::seconds(options->pipelineIdleSeconds);
    apertiumSettings.maximumLivePipelines = options->maxPipelines > 0
        ? static_cast<std::size_t>(options->maxPipelines)
        : service::PipelinesForMemory(service::AvailableMemory());
    service::ApertiumEngine apertium(apertiumSettings);
    std::vector<service::TranslationEngine*> engines = { &apertium };
    std::unique_ptr<service::LibreTranslateEngine> libreTranslate;
    if (!options->libreTranslateUrl.empty()) {
        libreTranslate
            = std::make_unique<service::LibreTranslateEngine>(service::LibreTranslateSettings {
                options->libreTranslateUrl, options->libreTranslateKey });
        engines.push_back(libreTranslate.get());
    }
    service::TranslationService translation(engines);
    service::ServerSettings serverSettings;
    serverSettings.port = options->port;
    serverSettings.idleExit = std::chrono::seconds(options->idleExitSeconds);
    // An upgrade or a removal of the program ends the service once it has
    // answered what it was asked, so no old copy answers the new programs.
    const service::ExecutableWatch executable;
    service::ServiceServer* serving = nullptr;
    service::ServiceServer server(translation, serverSettings, [&] {
        apertium.StopIdlePipelines();
        if (serving && executable.Replaced())
            serving->Stop();
    });
    server.SetVersion(service::ServiceVersionNumber());
    if (!server.Bind()) {
        std::cerr << "tornalo-service: cannot listen on 127.0.0.1:" << options->port << ": "
                  << server.BindError() << "\n";
        return 1;
    }
    serving = &server;
    if (!options->portFile.empty()) {
        if (const std::string error = service::RecordPort(options->portFile, server.Port());
            !error.empty())
            std::cerr << "tornalo-service: cannot record the port in " << options->portFile << ": "
                      << error << "\n";
    }
    runningServer = &server;
    // A client that hangs up before its reply is written must not end the service.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGTERM, StopOnSignal);
    std::signal(SIGINT, StopOnSignal);
    std::cout << "tornalo-service: listening on http://127.0.0.1:" << server.Port() << "/"
              << std::endl;
    server.Run();
    runningServer = nullptr;
    if (!options->portFile.empty())
        service::ForgetPort(options->portFile, server.Port());
    return 0;
}
