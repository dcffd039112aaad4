// A stand-in translation service on 127.0.0.1 for the window's run tests and
// the run benchmark. It runs on its own thread, answers every POST with a
// reply page that carries the markers the window cuts the translation out
// of, and records every request. A test can make it answer with an error
// status, with a page of its own, or hold the replies until released. A GET
// asks for its language list, which a test may set; those are counted, not
// recorded with the translations.
#pragma once

#include "tests/support/EventLoopThread.h"
#include "text/PercentCoding.h"

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct ServiceRequest {
    std::string method;
    std::string target;
    std::string headers; // raw header lines, CR LF separated
    std::string body;
    std::map<std::string, std::string> fields; // the decoded form fields
};

struct ServiceReply {
    int status = 200;
    std::string page;
};

namespace standin {

inline std::string FormDecode(const std::string& value)
{
    return text::PercentDecode(value, text::Blank::Plus).text;
}

inline std::map<std::string, std::string> DecodeForm(const std::string& body)
{
    std::map<std::string, std::string> fields;
    std::size_t from = 0;
    while (from <= body.size()) {
        std::size_t end = body.find('&', from);
        if (end == std::string::npos)
            end = body.size();
        const std::string pair = body.substr(from, end - from);
        const std::size_t equals = pair.find('=');
        if (equals != std::string::npos)
            fields[FormDecode(pair.substr(0, equals))] = FormDecode(pair.substr(equals + 1));
        from = end + 1;
    }
    return fields;
}

inline std::string EscapeHtml(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// The page a translation service of the old kind sends back: the form with
// its "Translate" button, then the result box whose pieces are marked by
// the background colour they take when the pointer leaves them.
inline std::string ReplyPage(const std::vector<std::string>& pieces)
{
    std::string page = "<html><head><title>Translator</title></head><body>\n"
                       "<form action=\"/\" method=post><textarea name=text></textarea>\n"
                       "<input type=submit value=\"Translate\"></form>\n"
                       "<div id=result><span id=result_box class=\"long_text\">";
    for (const std::string& piece : pieces)
        page += "<span title=\"source\" onmouseover=\"this.style.backgroundColor='#ebeff9'\" "
                "onmouseout=\"this.style.backgroundColor='#fff'\">"
            + EscapeHtml(piece) + "</span>";
    page += "</span></div>\n</body></html>\n";
    return page;
}

// The stand-in's translation: the target code and a colon before the text,
// line breaks sent as the service sends them, trailing breaks dropped.
inline std::string Translate(const std::string& text, const std::string& target)
{
    std::string result = target + ":";
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n'))
        --end;
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\r' && i + 1 < end && text[i + 1] == '\n')
            continue;
        if (text[i] == '\r' || text[i] == '\n')
            result += "<br>";
        else
            result += text[i];
    }
    return result;
}

inline ServiceReply TranslationReply(const ServiceRequest& request)
{
    return { 200,
        ReplyPage({ Translate(request.fields.count("text") ? request.fields.at("text") : "",
            request.fields.count("tl") ? request.fields.at("tl") : "") }) };
}

// Adds one "+" to the text (its final line breaks dropped) until it holds
// four: out and back through one language, a run until stable changes the
// text in its first two rounds and not in the third.
inline ServiceReply SettlingReply(const ServiceRequest& request, int)
{
    std::string text = request.fields.count("text") ? request.fields.at("text") : "";
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    if (std::count(text.begin(), text.end(), '+') < 4)
        text += "+";
    return { 200, ReplyPage({ text }) };
}

} // namespace standin

class StandInService {
public:
    using Responder = std::function<ServiceReply(const ServiceRequest& request, int index)>;

    StandInService()
    {
        thread.Call([this] { Listen(); });
    }

    ~StandInService()
    {
        thread.Call([this] { StopListening(); });
    }

    StandInService(const StandInService&) = delete;
    StandInService& operator=(const StandInService&) = delete;

    std::string URL() const { return "http://127.0.0.1:" + std::to_string(port); }

    // Called on the service's thread; set it before the run starts.
    void SetResponder(Responder value)
    {
        std::lock_guard lock(mutex);
        responder = std::move(value);
    }

    // The answer to GET /languages; empty: 404.
    void SetLanguages(std::string json)
    {
        std::lock_guard lock(mutex);
        languages = std::move(json);
    }

    int LanguageQueries() const
    {
        std::lock_guard lock(mutex);
        return languageQueries;
    }

    // The "pairs" of each POST /prepare, in order; those are not counted
    // with the translations either.
    std::vector<std::string> Prepares() const
    {
        std::lock_guard lock(mutex);
        return prepares;
    }

    void HoldReplies(bool hold)
    {
        std::lock_guard lock(mutex);
        holding = hold;
    }

    // Sends every reply held so far; later replies are held or not as set.
    void ReleaseHeld()
    {
        thread.Call([this] { SendHeld(); });
    }

    std::vector<ServiceRequest> Requests() const
    {
        std::lock_guard lock(mutex);
        return requests;
    }

    std::size_t RequestCount() const
    {
        std::lock_guard lock(mutex);
        return requests.size();
    }

    std::vector<std::string> Bodies() const
    {
        std::vector<std::string> bodies;
        for (const ServiceRequest& request : Requests())
            bodies.push_back(request.body);
        return bodies;
    }

    // The step entry ("sl|tl") of each request, in order.
    std::vector<std::string> RequestedSteps() const
    {
        std::vector<std::string> steps;
        for (const ServiceRequest& request : Requests())
            steps.push_back(request.fields.at("sl") + "|" + request.fields.at("tl"));
        return steps;
    }

    // The text each request carried, in order.
    std::vector<std::string> RequestTexts() const
    {
        std::vector<std::string> texts;
        for (const ServiceRequest& request : Requests())
            texts.push_back(request.fields.at("text"));
        return texts;
    }

    // When each request arrived, on the steady clock.
    std::vector<std::chrono::steady_clock::time_point> ArrivalTimes() const
    {
        std::lock_guard lock(mutex);
        return arrivals;
    }

    // How long each reply took to build and send, so that a benchmark can
    // leave the service out of the time it charges to the program.
    std::vector<std::chrono::nanoseconds> ServiceTimes() const
    {
        std::lock_guard lock(mutex);
        return serviceTimes;
    }

private:
    struct Held {
        QTcpSocket* socket;
        QByteArray response;
    };

    void Listen()
    {
        server = new QTcpServer(&context);
        QObject::connect(server, &QTcpServer::newConnection, &context, [this] { Accept(); });
        server->listen(QHostAddress::LocalHost, 0);
        port = server->serverPort();
    }

    void StopListening()
    {
        for (QTcpSocket* socket : context.findChildren<QTcpSocket*>()) {
            socket->abort();
            delete socket;
        }
        delete server;
        server = nullptr;
    }

    void Accept()
    {
        while (QTcpSocket* socket = server->nextPendingConnection()) {
            socket->setParent(&context);
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                buffer->append(socket->readAll());
                while (TakeRequest(socket, *buffer)) { }
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    // Answers one complete request from the front of the buffer, if there is one.
    bool TakeRequest(QTcpSocket* socket, QByteArray& buffer)
    {
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return false;
        const std::string head = buffer.left(headerEnd).toStdString();
        const std::size_t length = ContentLength(head);
        const qsizetype total = headerEnd + 4 + static_cast<qsizetype>(length);
        if (buffer.size() < total)
            return false;
        ServiceRequest request = ParseHead(head);
        request.body = buffer.mid(headerEnd + 4, static_cast<qsizetype>(length)).toStdString();
        request.fields = standin::DecodeForm(request.body);
        buffer.remove(0, total);
        Answer(socket, std::move(request));
        return true;
    }

    static std::size_t ContentLength(const std::string& head)
    {
        const QByteArray lower = QByteArray::fromStdString(head).toLower();
        const qsizetype at = lower.indexOf("\r\ncontent-length:");
        if (at < 0)
            return 0;
        return static_cast<std::size_t>(
            lower.mid(at + 17).split('\r').front().trimmed().toULongLong());
    }

    static ServiceRequest ParseHead(const std::string& head)
    {
        ServiceRequest request;
        const std::size_t lineEnd = head.find("\r\n");
        const std::string requestLine = head.substr(0, lineEnd);
        const std::size_t space = requestLine.find(' ');
        request.method = requestLine.substr(0, space);
        request.target = requestLine.substr(space + 1, requestLine.rfind(' ') - space - 1);
        request.headers = lineEnd == std::string::npos ? "" : head.substr(lineEnd + 2);
        return request;
    }

    void Answer(QTcpSocket* socket, ServiceRequest request)
    {
        if (request.method == "GET" || request.target != "/") {
            socket->write(Response(request.method == "GET" ? LanguageList() : Prepared(request)));
            socket->flush();
            return;
        }
        const auto started = std::chrono::steady_clock::now();
        std::unique_lock lock(mutex);
        const int index = static_cast<int>(requests.size());
        requests.push_back(request);
        arrivals.push_back(started);
        const Responder answer = responder ? responder : [](const ServiceRequest& r, int) {
            return standin::TranslationReply(r);
        };
        const bool hold = holding;
        lock.unlock();
        const QByteArray response = Response(answer(request, index));
        if (hold) {
            held.push_back({ socket, response });
        } else {
            socket->write(response);
            socket->flush();
        }
        lock.lock();
        serviceTimes.push_back(std::chrono::steady_clock::now() - started);
    }

    // POST /prepare is recorded; /hold and the like are only answered.
    ServiceReply Prepared(const ServiceRequest& request)
    {
        std::lock_guard lock(mutex);
        if (request.target != "/prepare")
            return { 202, "" };
        const auto pairs = request.fields.find("pairs");
        prepares.push_back(pairs == request.fields.end() ? std::string() : pairs->second);
        return { 202, "{\"preparing\":[],\"unknown\":[]}" };
    }

    ServiceReply LanguageList()
    {
        std::lock_guard lock(mutex);
        ++languageQueries;
        return languages.empty() ? ServiceReply { 404, "" } : ServiceReply { 200, languages };
    }

    static QByteArray Response(const ServiceReply& reply)
    {
        const std::string reason = reply.status == 200 ? "OK"
            : reply.status == 202                      ? "Accepted"
                                                       : "Not Found";
        const std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + reason
            + "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(reply.page.size())
            + "\r\n\r\n";
        return QByteArray::fromStdString(head + reply.page);
    }

    void SendHeld()
    {
        for (const Held& reply : held) {
            if (context.findChildren<QTcpSocket*>().contains(reply.socket)) {
                reply.socket->write(reply.response);
                reply.socket->flush();
            }
        }
        held.clear();
    }

    EventLoopThread thread;
    QObject& context = thread.Context();
    QTcpServer* server = nullptr;
    quint16 port = 0;
    std::vector<Held> held;

    mutable std::mutex mutex;
    Responder responder;
    bool holding = false;
    std::string languages;
    int languageQueries = 0;
    std::vector<std::string> prepares;
    std::vector<ServiceRequest> requests;
    std::vector<std::chrono::steady_clock::time_point> arrivals;
    std::vector<std::chrono::nanoseconds> serviceTimes;
};
