// `vorta serve`: the page and its JSON API over HTTP, for one folder, on this machine.
#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace vorta::server {

struct ServeOptions {
    std::filesystem::path folder = ".";
    std::string host = "127.0.0.1";  // the address listened on
    int port = 0;                    // 0: a free port
    bool readOnly = false;           // refuse every write
};

// A server bound to its address. Requests are answered on a pool of threads; a request whose Host
// header is not the address served is refused (403), and so is a write from a page of another
// origin; bodies above 8 MiB get 413.
class HttpServer {
public:
    // Binds the address. Throws std::runtime_error naming the address or the folder when it cannot.
    explicit HttpServer(const ServeOptions& options);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    int port() const;
    std::string address() const;  // "http://127.0.0.1:PORT/"

    // Answers requests until stop() is called (from another thread or a signal's waiter).
    void run();
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// vorta serve [FOLDER] [--port N] [--host ADDR] [--open] [--read-only]. Prints the address as the
// first line of `out`, then serves until Ctrl-C (SIGINT) or SIGTERM. Returns the exit code.
int serveCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

}  // namespace vorta::server
