// The files of the page (web/), compiled into the program at build time: the page works offline
// and needs nothing beside the program.
#pragma once

#include <optional>
#include <string_view>

namespace vorta::server {

struct WebAsset {
    std::string_view path;         // "/index.html", "/js/app.js"
    std::string_view contentType;  // "text/html; charset=utf-8"
    std::string_view content;
};

// The file of the page at a path, or nothing.
std::optional<WebAsset> webAsset(std::string_view path);

}  // namespace vorta::server
