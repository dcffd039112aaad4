#include "platform/InternetConnectionPool.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <vector>

namespace platform {

namespace {

// A program talks to a handful of servers with one set of options each; a
// few handles cover that, and each holds at most curl's four connections.
constexpr std::size_t MaximumIdleConnections = 8;
constexpr std::size_t MaximumIdleEasyHandles = 4;

struct Pool {
    std::mutex mutex;
    bool closed = false;
    // Least recently given back first.
    std::deque<std::unique_ptr<KeptConnections>> idle;
    std::vector<CURL*> idleEasyHandles;
};

// Never destroyed: a worker that was abandoned at the end of the program
// may still give its handles back after the program's own clean-up.
Pool& ThePool()
{
    static Pool* const pool = new Pool;
    return *pool;
}

} // namespace

KeptConnections::KeptConnections(std::string key) : key_(std::move(key)), multi_(curl_multi_init())
{
}

KeptConnections::~KeptConnections()
{
    curl_multi_cleanup(multi_);
}

BorrowedConnections BorrowConnections(const std::string& key)
{
    Pool& pool = ThePool();
    {
        std::lock_guard lock(pool.mutex);
        const auto found = std::find_if(pool.idle.rbegin(), pool.idle.rend(),
            [&key](const auto& connections) { return connections->Key() == key; });
        if (found != pool.idle.rend()) {
            BorrowedConnections borrowed(found->release());
            pool.idle.erase(std::next(found).base());
            return borrowed;
        }
    }
    return BorrowedConnections(new KeptConnections(key));
}

void KeptConnectionsReturner::operator()(KeptConnections* connections) const
{
    connections->SetListener(nullptr);
    std::unique_ptr<KeptConnections> given(connections);
    std::unique_ptr<KeptConnections> evicted;
    Pool& pool = ThePool();
    {
        std::lock_guard lock(pool.mutex);
        if (pool.closed)
            return;
        pool.idle.push_back(std::move(given));
        if (pool.idle.size() > MaximumIdleConnections) {
            evicted = std::move(pool.idle.front());
            pool.idle.pop_front();
        }
    }
}

BorrowedEasyHandle BorrowEasyHandle()
{
    Pool& pool = ThePool();
    {
        std::lock_guard lock(pool.mutex);
        if (!pool.idleEasyHandles.empty()) {
            BorrowedEasyHandle borrowed(pool.idleEasyHandles.back());
            pool.idleEasyHandles.pop_back();
            return borrowed;
        }
    }
    return BorrowedEasyHandle(curl_easy_init());
}

void EasyHandleReturner::operator()(CURL* easy) const
{
    // curl's reset keeps the list of cookie files the request named, so it is
    // cleared first (the session's cookies, in its share, stay). The share
    // belongs to a session that ends with its requests.
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, nullptr);
    curl_easy_setopt(easy, CURLOPT_SHARE, nullptr);
    curl_easy_reset(easy);
    Pool& pool = ThePool();
    {
        std::lock_guard lock(pool.mutex);
        if (!pool.closed && pool.idleEasyHandles.size() < MaximumIdleEasyHandles) {
            pool.idleEasyHandles.push_back(easy);
            return;
        }
    }
    curl_easy_cleanup(easy);
}

void CloseKeptConnections()
{
    Pool& pool = ThePool();
    std::deque<std::unique_ptr<KeptConnections>> idle;
    std::vector<CURL*> easyHandles;
    {
        std::lock_guard lock(pool.mutex);
        pool.closed = true;
        idle.swap(pool.idle);
        easyHandles.swap(pool.idleEasyHandles);
    }
    for (CURL* easy : easyHandles)
        curl_easy_cleanup(easy);
}

} // namespace platform
