// The JSON API of `vorta serve`, apart from HTTP: a request in, an answer out. Every request is
// answered, however bad; each run works on its own analysis state, so requests may be handled on
// many threads at once.
//
//   GET  /api/info                      version, folder, whether writes are refused
//   GET  /api/fields                    the field tables
//   GET  /api/files                     the analyses and CPT files under the folder
//   GET  /api/analysis?file=PATH        an analysis as JSON (the keys and nesting of a project file)
//   PUT  /api/analysis?file=PATH        writes a JSON analysis as a project file (&overwrite=true to replace one)
//   POST /api/check                     the problems of a JSON analysis
//   POST /api/run                       its results (&report=true, &plot=true add the texts)
//   POST /api/import                    a file's text (input data file, project file, JSON, CPT file of
//                                       the engine or another program: GEF, AGS4, CSV) as JSON
//   POST /api/units?to=SI               a JSON analysis with every value in the other unit system
//   POST /api/export?format=F           a JSON analysis as a file to download: toml, json, deck, cpt,
//                                       report, plot, charts (the page of `vorta plot`), csv (the tables)
#pragma once

#include <map>
#include <string>

#include "folder_access.h"

namespace vorta::server {

inline constexpr std::size_t kLargestBody = 8u * 1024u * 1024u;  // 8 MiB

struct ApiRequest {
    std::string method;  // "GET", "PUT", "POST"
    std::string path;    // "/api/run"
    std::multimap<std::string, std::string> query;
    std::string body;
};

struct ApiAnswer {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::string fileName;  // a download: the name the browser saves it under
};

class Api {
public:
    Api(const Folder& folder, bool readOnly);

    // Never throws: a fault of the server itself is answered with 500.
    ApiAnswer handle(const ApiRequest& request) const;

    bool readOnly() const { return readOnly_; }
    const Folder& folder() const { return folder_; }

private:
    ApiAnswer route(const ApiRequest& request) const;

    Folder folder_;
    bool readOnly_;
    std::string fieldsText_;  // the field tables do not change while the server runs
};

// {"error": message} with its status.
ApiAnswer errorAnswer(int status, const std::string& message);

}  // namespace vorta::server
