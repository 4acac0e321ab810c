// A server of its own for a test: a copy of some example folders in a temporary folder, served on
// a free port of the loopback by a thread of the test, and a client that talks to it.
#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "http_server.h"
#include "support/test_support.h"

namespace vorta::test {

class ServedFolder {
public:
    // Copies the example folders `examples` (names under examples/) into the served folder.
    explicit ServedFolder(const std::vector<std::string>& examples, bool readOnly = false);
    ~ServedFolder();

    const std::filesystem::path& folder() const { return dir_.path(); }
    int port() const { return server_->port(); }
    std::string host() const { return "127.0.0.1:" + std::to_string(port()); }

    // A client with the Host header of the served address.
    httplib::Client client() const;

private:
    TempDir dir_;
    std::unique_ptr<server::HttpServer> server_;
    std::thread thread_;
};

// The body of an answer as JSON (null when it is not JSON).
nlohmann::json bodyOf(const httplib::Result& r);

// The text of an example's project file as JSON, through the library's own conversion.
nlohmann::json exampleJson(const std::string& example);

}  // namespace vorta::test
