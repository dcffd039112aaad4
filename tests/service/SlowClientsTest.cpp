// Clients that open a connection and send their request a byte at a time
// must neither keep a worker for long nor keep others from being served.
#include "ServiceTestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

const std::string RequestHead = "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                "Content-Type: application/x-www-form-urlencoded\r\n"
                                "Content-Length: 23\r\n\r\nsl=en&tl=en&text=slowly";

// Sends the request one byte at a time, a pause after each, until the
// server closes the connection or the request is out.
class SlowClient {
public:
    SlowClient(int port, Clock::duration pause) : socket_(socket(AF_INET, SOCK_STREAM, 0))
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
        for (std::size_t sent = 0; connected_ && !stop_ && sent < RequestHead.size(); ++sent) {
            if (send(socket_, &RequestHead[sent], 1, MSG_NOSIGNAL) != 1 || ClosedWithin(pause)) {
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
    bool connected_ = false;
    std::atomic<bool> stop_ = false;
    std::atomic<Clock::duration> droppedAfter_ = Clock::duration(-1);
    std::thread thread_;
};

class SlowClients : public testing::Test {
protected:
    service::TranslationService translation { {} };
    service_test::RunningService running { translation };
};

} // namespace

TEST_F(SlowClients, ARealRequestIsAnsweredWhileEightSlowClientsAreConnected)
{
    std::vector<std::unique_ptr<SlowClient>> slow;
    for (int i = 0; i < 8; ++i) {
        slow.push_back(std::make_unique<SlowClient>(running.Port(), 2s));
        ASSERT_TRUE(slow.back()->Connected());
    }
    std::this_thread::sleep_for(100ms);
    const auto started = Clock::now();
    const auto reply = running.Post("en", "en", "Hello");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    EXPECT_LT(Clock::now() - started, 1s);
}

TEST_F(SlowClients, AClientThatDoesNotSendItsRequestInTimeIsDropped)
{
    const SlowClient slow(running.Port(), 2s);
    ASSERT_TRUE(slow.Connected());
    for (const auto end = Clock::now() + 8s; !slow.DroppedAfter() && Clock::now() < end;)
        std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(slow.DroppedAfter()) << "still connected after 8 s";
    EXPECT_LT(*slow.DroppedAfter(), 5s);
}
