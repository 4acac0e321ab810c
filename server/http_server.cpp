#include "http_server.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <stdexcept>
#include <thread>
#include <vector>

#include <httplib.h>

#if !defined(_WIN32)
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#endif

#include "api.h"
#include "vorta/vorta.h"
#include "web_assets.h"

namespace vorta::server {
namespace {

constexpr int kUsageError = 64;

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// An address to listen on: a host name or an IPv4 or IPv6 address, nothing a shell or a URL would
// read otherwise.
bool plainHost(std::string_view host) {
    return !host.empty() && std::all_of(host.begin(), host.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '.' || c == '-' || c == ':';
    });
}

std::string hostInUrl(const std::string& host) { return host.find(':') != std::string::npos ? "[" + host + "]" : host; }

bool loopback(const std::string& host) { return host == "127.0.0.1" || host == "localhost" || host == "::1"; }

// httplib's server with a longer queue of connections waiting to be accepted: its own is five, and
// a burst of requests beyond that waits a second for the connection to be retried.
class Listener : public httplib::Server {
public:
    void widenBacklog() {
#if !defined(_WIN32)
        ::listen(svr_sock_, SOMAXCONN);
#endif
    }
};

}  // namespace

struct HttpServer::Impl {
    Impl(const ServeOptions& o) : options(o), api(Folder(o.folder), o.readOnly) {}

    // The Host headers of requests to this server: its address with the port; a loopback address
    // also by the names of the loopback. Any other host is a page that reached us through a name of
    // its own (DNS rebinding).
    void allowHosts() {
        const std::string port = ":" + std::to_string(boundPort);
        std::vector<std::string> names = {options.host};
        if (loopback(options.host)) names.insert(names.end(), {"127.0.0.1", "localhost", "::1"});
        for (const std::string& name : names) {
            allowedHosts.push_back(lower(hostInUrl(name) + port));
            if (boundPort == 80) allowedHosts.push_back(lower(hostInUrl(name)));
        }
        origins.clear();
        for (const std::string& host : allowedHosts) origins.push_back("http://" + host);
    }

    bool hostAllowed(const httplib::Request& req) const {
        const std::string host = lower(req.get_header_value("Host"));
        return std::find(allowedHosts.begin(), allowedHosts.end(), host) != allowedHosts.end();
    }

    // A write or a run asked by a page of another origin (a form or a script elsewhere).
    bool originAllowed(const httplib::Request& req) const {
        if (req.method == "GET" || req.method == "HEAD" || !req.has_header("Origin")) return true;
        const std::string origin = lower(req.get_header_value("Origin"));
        return std::find(origins.begin(), origins.end(), origin) != origins.end();
    }

    static void refuse(httplib::Response& res, int status, const std::string& message) {
        const ApiAnswer a = errorAnswer(status, message);
        res.status = a.status;
        res.set_content(a.body, a.contentType);
        // The body of a refused request is not read: the connection is not used again.
        res.set_header("Connection", "close");
    }

    void answerApi(const httplib::Request& req, httplib::Response& res) const {
        ApiRequest request{req.method, req.path, {}, req.body};
        for (const auto& [name, value] : req.params) request.query.emplace(name, value);
        const ApiAnswer a = api.handle(request);
        res.status = a.status;
        res.set_content(a.body, a.contentType);
        res.set_header("Cache-Control", "no-store");
        if (!a.fileName.empty()) res.set_header("Content-Disposition", "attachment; filename=\"" + a.fileName + "\"");
    }

    static void answerPage(const httplib::Request& req, httplib::Response& res) {
        const std::optional<WebAsset> asset = webAsset(req.path);
        if (!asset) {
            refuse(res, 404, req.path + ": no such page");
            return;
        }
        res.status = 200;
        res.set_content(std::string(asset->content), std::string(asset->contentType));
        res.set_header("Cache-Control", "no-cache");
        if (asset->contentType.starts_with("text/html")) {
            // Scripts and data only from this server: nothing fetched from elsewhere.
            res.set_header("Content-Security-Policy",
                           "default-src 'self'; img-src 'self' data: blob:; style-src 'self' 'unsafe-inline'; "
                           "connect-src 'self'; frame-ancestors 'none'; base-uri 'none'; form-action 'none'");
        }
    }

    ServeOptions options;
    Api api;
    Listener http;
    int boundPort = 0;
    std::vector<std::string> allowedHosts;
    std::vector<std::string> origins;
};

HttpServer::HttpServer(const ServeOptions& options) : impl_(std::make_unique<Impl>(options)) {
    Impl& s = *impl_;
    if (!plainHost(options.host)) throw std::runtime_error("--host " + options.host + ": not a host name or address");
    s.http.set_payload_max_length(kLargestBody);
    // Headers and body are written apart: without this each answer waits for the acknowledgement.
    s.http.set_tcp_nodelay(true);
    // A browser keeps a few connections open between requests, each holding a thread of the pool
    // until it closes: more threads than cores, so that runs are not kept waiting behind them.
    s.http.new_task_queue = [] {
        return new httplib::ThreadPool(std::max<std::size_t>(16, 2 * std::thread::hardware_concurrency()));
    };
    s.http.set_keep_alive_timeout(2);
    s.http.set_read_timeout(10);
    s.http.set_write_timeout(10);
    s.http.set_default_headers({{"X-Content-Type-Options", "nosniff"}, {"Referrer-Policy", "no-referrer"}});
    s.http.set_pre_routing_handler([&s](const httplib::Request& req, httplib::Response& res) {
        if (!s.hostAllowed(req)) {
            Impl::refuse(res, 403, "Host \"" + req.get_header_value("Host") + "\" is not the address this server serves; open " +
                                       "http://" + hostInUrl(s.options.host) + ":" + std::to_string(s.boundPort) + "/");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (!s.originAllowed(req)) {
            Impl::refuse(res, 403, "a page of another origin (" + req.get_header_value("Origin") + ") may not use this server");
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    const auto api = [&s](const httplib::Request& req, httplib::Response& res) { s.answerApi(req, res); };
    s.http.Get("/api/.*", api);
    s.http.Post("/api/.*", api);
    s.http.Put("/api/.*", api);
    s.http.Get("/.*", [](const httplib::Request& req, httplib::Response& res) { Impl::answerPage(req, res); });
    // Answers httplib makes itself (413 for a body above the limit, 404, 400) say what happened.
    s.http.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        std::string message = "the request cannot be answered (HTTP status " + std::to_string(res.status) + ")";
        if (res.status == 413) message = "the body is larger than 8 MiB";
        if (res.status == 404) message = "no such page or request";
        const ApiAnswer a = errorAnswer(res.status, message);
        res.set_content(a.body, a.contentType);
        return httplib::Server::HandlerResponse::Handled;
    }));
    s.http.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        const ApiAnswer a = errorAnswer(500, "the server could not answer");
        res.status = 500;
        res.set_content(a.body, a.contentType);
    });
    if (options.port == 0) {
        s.boundPort = s.http.bind_to_any_port(options.host);
    } else if (s.http.bind_to_port(options.host, options.port)) {
        s.boundPort = options.port;
    } else {
        s.boundPort = -1;
    }
    if (s.boundPort <= 0) {
        throw std::runtime_error("cannot listen on " + hostInUrl(options.host) + ":" + std::to_string(options.port) +
                                 " (the port is taken, or the address is not this machine's)");
    }
    s.http.widenBacklog();
    s.allowHosts();
}

HttpServer::~HttpServer() = default;

int HttpServer::port() const { return impl_->boundPort; }

std::string HttpServer::address() const {
    return "http://" + hostInUrl(impl_->options.host) + ":" + std::to_string(impl_->boundPort) + "/";
}

void HttpServer::run() { impl_->http.listen_after_bind(); }

void HttpServer::stop() { impl_->http.stop(); }

namespace {

void printServeUsage(std::ostream& out) {
    out << "usage: vorta serve [FOLDER] [--port N] [--host ADDR] [--open] [--read-only]\n"
           "  serves FOLDER (default: the current folder) to the browser at http://127.0.0.1:PORT/;\n"
           "  --port 0 (the default) picks a free port; --host listens on another address;\n"
           "  --open opens the system browser; --read-only refuses every write. Ctrl-C stops it.\n";
}

// The system's browser, started without waiting for it.
void openBrowser(const std::string& url, std::ostream& err) {
#if defined(_WIN32)
    const std::string command = "start \"\" \"" + url + "\"";
#elif defined(__APPLE__)
    const std::string command = "open '" + url + "' >/dev/null 2>&1 &";
#else
    const std::string command = "xdg-open '" + url + "' >/dev/null 2>&1 &";
#endif
    if (std::system(command.c_str()) != 0) err << "vorta: the browser could not be opened; open " << url << "\n";
}

}  // namespace

int serveCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    ServeOptions options;
    bool open = false;
    bool folderGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (a == "--port" || a == "--host") {
            if (i + 1 >= args.size()) {
                err << "vorta: serve: " << a << " needs a value\n";
                return kUsageError;
            }
            const std::string value(args[++i]);
            if (a == "--host") {
                options.host = value;
                continue;
            }
            char* end = nullptr;
            const long port = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || port < 0 || port > 65535) {
                err << "vorta: serve: --port " << value << ": expected a port number from 0 to 65535\n";
                return kUsageError;
            }
            options.port = static_cast<int>(port);
        } else if (a == "--open") {
            open = true;
        } else if (a == "--read-only") {
            options.readOnly = true;
        } else if (a == "--help" || a == "-h") {
            printServeUsage(out);
            return 0;
        } else if (!a.empty() && a[0] == '-') {
            err << "vorta: serve: unknown option " << a << "\n";
            printServeUsage(err);
            return kUsageError;
        } else if (!folderGiven) {
            options.folder = std::filesystem::path(std::string(a));
            folderGiven = true;
        } else {
            err << "vorta: serve takes one folder\n";
            return kUsageError;
        }
    }

#if !defined(_WIN32)
    // Ctrl-C and SIGTERM are taken by a thread of their own, which stops the server; every other
    // thread (the pool's included) is started with them blocked.
    // A shell that starts the server in the background ignores Ctrl-C for it; it is heard again.
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
#endif

    std::unique_ptr<HttpServer> server;
    try {
        server = std::make_unique<HttpServer>(options);
    } catch (const AccessError& e) {
        err << "vorta: serve: " << e.what() << "\n";
        return kRunFileError;
    } catch (const std::exception& e) {
        err << "vorta: serve: " << e.what() << "\n";
        return kRunFileError;
    }
    const std::string url = server->address();
    out << url << std::endl;
    out << "Serving the folder " << std::filesystem::absolute(options.folder).lexically_normal().string()
        << (options.readOnly ? " (read-only)" : "") << "; Ctrl-C stops the server." << std::endl;
    if (open) openBrowser(url, err);

#if !defined(_WIN32)
    std::atomic<bool> signalled{false};
    std::thread waiter([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        signalled = true;
        server->stop();
    });
    server->run();
    // The server stopped on its own (it could not listen): the waiter is woken and ends.
    if (!signalled) pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
#else
    // Ctrl-C ends the process with the console's default handling.
    server->run();
#endif
    out << "Stopped." << std::endl;
    return 0;
}

}  // namespace vorta::server
