#include "browser/browser_host.hpp"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <chrono>
#include <list>
#include <map>

#include <nlohmann/json.hpp>

#include "base/socket_peer.hpp"
#include "browser/local_socket.hpp"
#include "browser/tab_report.hpp"
#include "system/instance_requests.hpp"

namespace zerlith::browser {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

/// A request from one of Zerlith's processes is a line of JSON, never large.
constexpr std::size_t kLongestRequest = 64 * 1024;
/// How long a slow reader may hold the host up.
constexpr auto kWriteTimeout = 2s;
/// Connections from Zerlith's processes held at once; more are closed as they come.
constexpr std::size_t kMostClients = 32;
/// How long a connection may hold its place without a request.
constexpr auto kIdleTimeout = 2s;

using SteadyClock = std::chrono::steady_clock;

struct Client {
    Socket socket;
    FrameReader reader{kLongestRequest};
    SteadyClock::time_point heard = SteadyClock::now();  ///< when it connected or last asked
};

std::optional<json> parsed(const std::string& text) {
    try {
        auto value = json::parse(text);
        if (value.is_object()) return value;
    } catch (const json::exception&) {
    }
    return std::nullopt;
}

std::string typeOf(const json& message) {
    const auto type = message.find("type");
    return type != message.end() && type->is_string() ? type->get<std::string>() : std::string();
}

/// The relay's state: the latest report and the selections waiting for the browser's answer.
class Host {
public:
    Host(std::string_view kind, std::string_view name, Pid browserPid, std::string folder, int output,
         std::ostream& log)
        : kind_(kind), name_(name), pid_(browserPid), folder_(std::move(folder)), output_(output), log_(log) {}

    void fromBrowser(const std::string& text) {
        const auto message = parsed(text);
        const auto type = message ? typeOf(*message) : std::string();
        if (type == "tabs") {
            const auto windows = message->find("windows");
            if (auto tabs = windows != message->end() ? parseTabReport(*windows) : std::nullopt) {
                report_ = tabReport(*tabs);
                pokeApplication();
                return;
            }
        } else if (type == "selected") {
            if (answerSelection(*message)) return;
        }
        log_ << "zerlith: dropped a message from the browser that is not a tab report or an answer\n";
    }

    /// False when the client is to be dropped.
    bool fromClient(Client& client, const std::string& text) {
        const auto message = parsed(text);
        const auto type = message ? typeOf(*message) : std::string();
        if (type == "report") {
            const json answer{{"kind", kind_}, {"name", name_}, {"pid", pid_}, {"windows", report_}};
            return writeAll(client.socket.fd(), frame(answer.dump(-1, ' ', false, json::error_handler_t::replace)),
                            kWriteTimeout);
        }
        if (type == "select") return forwardSelection(client, *message);
        log_ << "zerlith: dropped a request that is not a report or a selection\n";
        return false;
    }

    /// Whether `client` waits for the browser to answer its selection (it is not idle then).
    bool awaits(const Client& client) const {
        return std::any_of(waiting_.begin(), waiting_.end(), [&](const auto& entry) { return entry.second == &client; });
    }

    void forget(const Client& client) { std::erase_if(waiting_, [&](const auto& entry) { return entry.second == &client; }); }

    /// Tells the running application that this browser's tabs changed (or went). Never waits: a
    /// switcher that cannot take the line at once goes without it, and the browser is served on.
    void pokeApplication() {
        const auto instance = connectTo(folder_ + "/" + std::string(instance_request::socketName));
        if (!instance || !peerIsThisUser(instance.fd())) return;
        const auto line = std::string(instance_request::tabsChanged) + kind_ + "\n";
        ::send(instance.fd(), line.data(), line.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    }

private:
    bool forwardSelection(Client& client, const json& message) {
        const auto windowID = message.find("windowId");
        const auto index = message.find("index");
        if (windowID == message.end() || !windowID->is_number_integer() || index == message.end() ||
            !index->is_number_integer() || index->get<std::int64_t>() < 1) {
            log_ << "zerlith: dropped a selection without a window and a position\n";
            return false;
        }
        const auto request = ++lastRequest_;
        waiting_[request] = &client;
        const json select{{"type", "select"}, {"request", request}, {"windowId", *windowID},
                          {"index", index->get<std::int64_t>() - 1}};
        return writeAll(output_, frame(select.dump()), kWriteTimeout);
    }

    bool answerSelection(const json& message) {
        const auto request = message.find("request");
        if (request == message.end() || !request->is_number_integer()) return false;
        const auto waiting = waiting_.find(request->get<std::int64_t>());
        if (waiting == waiting_.end()) return true;  // its asker has gone
        const auto ok = message.find("ok");
        const json answer{{"ok", ok != message.end() && ok->is_boolean() && ok->get<bool>()}};
        writeAll(waiting->second->socket.fd(), frame(answer.dump()), kWriteTimeout);
        waiting_.erase(waiting);
        return true;
    }

    std::string kind_;
    std::string name_;
    Pid pid_;
    std::string folder_;
    int output_;
    std::ostream& log_;
    json report_ = json::array();
    std::int64_t lastRequest_ = 0;
    std::map<std::int64_t, Client*> waiting_;
};

/// Reads what is there; false when the peer has closed.
bool readInto(int fd, FrameReader& reader) {
    char buffer[65536];
    const auto count = ::read(fd, buffer, sizeof buffer);
    if (count > 0) reader.feed({buffer, static_cast<std::size_t>(count)});
    return count > 0 || (count < 0 && (errno == EINTR || errno == EAGAIN));
}

/// How long poll may wait before a silent client is due to be dropped; -1: for ever.
int pollTimeout(const Host& host, const std::list<Client>& clients) {
    std::optional<SteadyClock::time_point> due;
    for (const auto& client : clients) {
        if (!host.awaits(client)) due = std::min(due.value_or(SteadyClock::time_point::max()), client.heard + kIdleTimeout);
    }
    if (!due) return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*due - SteadyClock::now()).count();
    return static_cast<int>(std::max<std::int64_t>(left, 0)) + 1;
}

/// Reads from the clients poll found ready (`watched` from its third entry on, in the order of
/// `clients`) and answers them; drops those that closed, broke the protocol or stayed silent.
void serveClients(Host& host, std::list<Client>& clients, const std::vector<pollfd>& watched) {
    const auto now = SteadyClock::now();
    auto client = clients.begin();
    for (std::size_t i = 2; i < watched.size(); ++i) {
        bool keep = watched[i].revents == 0 || readInto(client->socket.fd(), client->reader);
        while (keep) {
            const auto message = client->reader.next();
            if (!message) break;
            client->heard = now;
            keep = host.fromClient(*client, *message);
        }
        const bool silent = now - client->heard >= kIdleTimeout && !host.awaits(*client);
        if (keep && !silent && client->reader.dropped() == 0) {
            ++client;
            continue;
        }
        host.forget(*client);
        client = clients.erase(client);
    }
}

}  // namespace

std::optional<std::string> hostKind(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return std::nullopt;
    if (arguments[0].starts_with("chrome-extension://")) return "chrome";
    if (arguments.size() >= 2 && arguments[0].ends_with(".json") && arguments[1] == kFirefoxExtensionID)
        return "firefox";
    return std::nullopt;
}

int runHost(std::string_view kind, std::string_view name, Pid browserPid, Pid hostPid, const std::string& folder, int input, int output,
            std::ostream& log) {
    // A browser that has gone must end the host through its closed input, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    const auto path = folder + "/" + std::string(kHostSocketPrefix) + std::string(kind) + "-" + std::to_string(hostPid);
    const auto listener = listenAt(path);
    const auto made = identityOf(path);
    if (!listener || !made) {
        log << "zerlith: cannot listen at " << path << '\n';
        return 1;
    }
    Host host(kind, name, browserPid, folder, output, log);
    auto spare = spareDescriptor();
    FrameReader fromBrowser;
    std::size_t droppedSoFar = 0;
    std::list<Client> clients;
    for (;;) {
        std::vector<pollfd> watched{{input, POLLIN, 0}, {listener.fd(), POLLIN, 0}};
        for (const auto& client : clients) watched.push_back({client.socket.fd(), POLLIN, 0});
        if (::poll(watched.data(), watched.size(), pollTimeout(host, clients)) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (watched[0].revents != 0) {
            const bool open = readInto(input, fromBrowser);
            while (auto message = fromBrowser.next()) host.fromBrowser(*message);
            if (fromBrowser.dropped() > droppedSoFar) log << "zerlith: dropped an oversized message from the browser\n";
            droppedSoFar = fromBrowser.dropped();
            if (!open) break;
        }
        if (watched[1].revents & POLLIN) {
            auto accepted = acceptNext(listener.fd(), spare);
            // A crowd beyond the limit, and a peer of another user, are closed at once.
            if (accepted && clients.size() < kMostClients && peerIsThisUser(accepted.fd()))
                clients.push_back({std::move(accepted)});
        }
        serveClients(host, clients, watched);
    }
    removeIfSame(path, *made);
    host.pokeApplication();
    return 0;
}

}  // namespace zerlith::browser
