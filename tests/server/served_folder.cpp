#include "served_folder.h"

#include "analysis_json.h"
#include "vorta/project.h"

namespace vorta::test {

ServedFolder::ServedFolder(const std::vector<std::string>& examples, bool readOnly) : dir_("served") {
    for (const std::string& e : examples) {
        std::filesystem::copy(sourcePath("examples/" + e), dir_.path() / e, std::filesystem::copy_options::recursive);
    }
    server::ServeOptions options;
    options.folder = dir_.path();
    options.readOnly = readOnly;
    server_ = std::make_unique<server::HttpServer>(options);
    thread_ = std::thread([this] { server_->run(); });
    // Answering: a stop is then heard.
    for (int i = 0; i < 500 && !client().Get("/api/info"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

ServedFolder::~ServedFolder() {
    server_->stop();
    thread_.join();
}

httplib::Client ServedFolder::client() const {
    httplib::Client c("127.0.0.1", port());
    c.set_connection_timeout(5);
    c.set_read_timeout(60);
    return c;
}

nlohmann::json bodyOf(const httplib::Result& r) {
    if (!r) return nullptr;
    return nlohmann::json::parse(r->body, nullptr, false);
}

nlohmann::json exampleJson(const std::string& example) {
    const Analysis a = project::readProjectFile(sourcePath("examples/" + example + "/project.toml"));
    return nlohmann::json::parse(analysis_json::analysisJsonText(a));
}

}  // namespace vorta::test
