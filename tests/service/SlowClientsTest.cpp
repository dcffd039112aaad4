// Clients that hold a connection, send their request a byte at a time or
// keep a pipeline busy must neither hold the service for long nor keep
// others from being served.
#include "service/ApertiumEngine.h"

#include "FakeModes.h"
#include "ServiceTestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <future>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using service_test::ExtractFromPage;

namespace {

const std::string Request = "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                            "Content-Type: application/x-www-form-urlencoded\r\n"
                            "Content-Length: 23\r\n\r\nsl=en&tl=en&text=slowly";

// Sends its request one byte at a time, a pause after each, until the server
// closes the connection or the test ends; with no request it only holds the
// connection.
class SlowClient {
public:
    SlowClient(int port, Clock::duration pause, std::string request = Request)
        : socket_(socket(AF_INET, SOCK_STREAM, 0)), request_(std::move(request))
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_
            = connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        thread_ = std::thread([this, pause] { Dribble(pause); });
    }
    ~SlowClient()
    {
        stop_ = true;
        thread_.join();
        close(socket_);
    }

    bool Connected() const { return connected_; }
    // How long the server kept the connection, once it has closed it.
    std::optional<Clock::duration> DroppedAfter() const
    {
        const auto dropped = droppedAfter_.load();
        return dropped < Clock::duration::zero() ? std::nullopt : std::optional(dropped);
    }

private:
    void Dribble(Clock::duration pause)
    {
        const auto started = Clock::now();
        for (std::size_t sent = 0; connected_ && !stop_; ++sent) {
            const bool gone
                = (sent < request_.size() && send(socket_, &request_[sent], 1, MSG_NOSIGNAL) != 1)
                || ClosedWithin(pause);
            if (gone) {
                droppedAfter_ = Clock::now() - started;
                return;
            }
        }
    }

    // Waits for the pause, in short steps so that the test can end it.
    bool ClosedWithin(Clock::duration pause)
    {
        for (const auto end = Clock::now() + pause; !stop_ && Clock::now() < end;) {
            pollfd wait { socket_, POLLIN, 0 };
            char byte = 0;
            if (poll(&wait, 1, 50) > 0 && recv(socket_, &byte, 1, 0) <= 0)
                return true;
        }
        return false;
    }

    int socket_;
    std::string request_;
    bool connected_ = false;
    std::atomic<bool> stop_ = false;
    std::atomic<Clock::duration> droppedAfter_ = Clock::duration(-1);
    std::thread thread_;
};

bool AllConnected(const std::vector<std::unique_ptr<SlowClient>>& clients)
{
    return std::all_of(clients.begin(), clients.end(), [](auto& c) { return c->Connected(); });
}

bool NoneDropped(const std::vector<std::unique_ptr<SlowClient>>& clients)
{
    return std::none_of(clients.begin(), clients.end(), [](auto& c) { return c->DroppedAfter(); });
}

class SlowClients : public testing::Test {
protected:
    service::TranslationService translation { {} };
};

} // namespace

// The deadline is for the whole request: a client that sends a byte every
// 300 ms, never silent for long, is dropped as one that sends nothing is.
TEST_F(SlowClients, AClientIsDroppedWhenItsRequestIsNotWholeByTheDeadline)
{
    const service_test::RunningService running(translation, { 0, {}, 1024 * 1024, 1000ms });
    for (const auto pause : { 300ms, 2000ms, 60000ms }) {
        const SlowClient slow(running.Port(), pause, pause == 60000ms ? "" : Request);
        ASSERT_TRUE(slow.Connected());
        for (const auto end = Clock::now() + 8s; !slow.DroppedAfter() && Clock::now() < end;)
            std::this_thread::sleep_for(50ms);
        ASSERT_TRUE(slow.DroppedAfter()) << "still connected after 8 s";
        EXPECT_GE(*slow.DroppedAfter(), 900ms) << pause.count();
        EXPECT_LT(*slow.DroppedAfter(), 3s) << pause.count();
    }
}

// More clients holding connections than the service has workers: a request
// is answered while every one of them is still connected.
TEST_F(SlowClients, ARequestIsAnsweredWhileHundredsOfConnectionsAreHeld)
{
    const service_test::RunningService running(translation);
    std::vector<std::unique_ptr<SlowClient>> slow;
    for (int i = 0; i < 164; ++i)
        slow.push_back(std::make_unique<SlowClient>(
            running.Port(), i < 100 ? 300ms : 60s, i < 100 ? Request : std::string()));
    ASSERT_TRUE(AllConnected(slow));
    const auto reply = running.Post("en", "en", "Hello");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    EXPECT_TRUE(NoneDropped(slow));
}

// A text that keeps its pipeline busy for seconds: another text for the same
// direction gets a second pipeline, or the one kept for small texts, one for
// another direction is not held up, and past the bound on pipelines and on
// the wait the service says it is busy.
TEST_F(SlowClients, ASlowTextHoldsOnlyItsOwnPipeline)
{
    service_test::FakeModes modes;
    modes.AddDirection("eng-spa", "sed -u '/slow/e sleep 4'");
    modes.AddDirection("eng-fra", "sed -u ''");
    struct Case {
        std::size_t pipelines;
        std::size_t smallText;
        std::string slowText;
        bool sameAnswered;
    };
    const std::string large = "slow " + std::string(5000, 'x');
    for (const Case& row : { Case { 2, 0, "slow", true }, Case { 1, 4096, large, true },
             Case { 1, 4096, "slow", true }, Case { 1, 0, "slow", false } }) {
        service::ApertiumSettings settings;
        settings.modeFolders = { modes.Folder() };
        settings.pipelinesPerMode = row.pipelines;
        settings.smallText = row.smallText;
        settings.busyWait = 300ms;
        service::ApertiumEngine engine(settings);
        service::TranslationService service({ &engine });
        const service_test::RunningService running(service);
        auto slow = std::async(
            std::launch::async, [&] { return running.Post("en", "es", row.slowText); });
        while (engine.PipelineStarts() == 0)
            std::this_thread::sleep_for(10ms);
        const auto other = running.Post("en", "fr", "other direction");
        const auto same = running.Post("en", "es", "same direction");
        EXPECT_EQ(slow.wait_for(0s), std::future_status::timeout) << "the slow text took no time";
        ASSERT_TRUE(other && same);
        EXPECT_EQ(ExtractFromPage(other->body).text, "other direction");
        if (row.sameAnswered) {
            EXPECT_EQ(ExtractFromPage(same->body).text, "same direction") << row.pipelines;
        } else {
            EXPECT_EQ(same->status, 503);
            EXPECT_NE(
                same->body.find("<p id=\"tornalo-reason\">the translation from English to Spanish "
                                "stayed busy with other texts for 0.3 seconds</p>"),
                std::string::npos)
                << same->body;
        }
        EXPECT_EQ(ExtractFromPage(slow.get()->body).text, row.slowText);
    }
}
