#include "api.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>
#include <toml++/toml.h>

#include "analysis_json.h"
#include "chart_page.h"
#include "field_json.h"
#include "problems.h"
#include "project_table.h"
#include "result_json.h"
#include "vorta/analysis.h"
#include "vorta/cpt_files.h"
#include "vorta/units.h"
#include "vorta/vorta.h"

namespace vorta::server {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using nlohmann::ordered_json;

// JSON text of an answer; a text that is not UTF-8 (a title read from an old input data file) is
// sent with its bad bytes replaced rather than refused.
template <class Json>
std::string text(const Json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

ApiAnswer jsonAnswer(const ordered_json& value, int status = 200) { return ApiAnswer{status, "application/json", text(value), ""}; }

ApiAnswer problemAnswer(int status, RunStatus runStatus, const std::vector<Problem>& problems) {
    ordered_json out;
    out["status"] = runStatus;
    out["problems"] = problemsJson(problems);
    return jsonAnswer(out, status);
}

// An analysis that cannot be stated, or a file that cannot be used: 422 with every problem.
struct Unstatable {
    std::vector<Problem> problems;
};

std::string parameter(const ApiRequest& r, const std::string& name) {
    const auto it = r.query.find(name);
    return it == r.query.end() ? std::string() : it->second;
}

bool flag(const ApiRequest& r, const std::string& name) {
    const std::string v = parameter(r, name);
    return v == "1" || v == "true" || v == "yes";
}

std::string readText(const fs::path& file, const std::string& name) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof()) throw AccessError(500, name + ": the file cannot be read");
    return text.str();
}

// The folder of a file named relative to the served folder ("a/b/project.toml" -> "a/b").
std::string folderOf(const std::string& relative) {
    const std::size_t slash = relative.rfind('/');
    return slash == std::string::npos ? std::string() : relative.substr(0, slash);
}

// The file name a request gives for its analysis (for the report header and the names of
// downloads), when it is one a request may name.
std::string analysisName(const Api& api, const ApiRequest& r) {
    const std::string file = parameter(r, "file");
    if (file.empty()) return "";
    try {
        api.folder().file(file, true);
        return file;
    } catch (const AccessError&) {
        return "";
    }
}

// The base name of a download, as a header can quote it.
std::string stemOf(const std::string& name) {
    std::string stem = fs::path(name).stem().string();
    for (char& c : stem) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == 0x7f) c = '_';
    }
    return stem.empty() ? "analysis" : stem;
}

// A CPT file that an analysis names (cpt.file) is read relative to the analysis's folder, and
// only inside the served folder.
void checkNamedCpt(const Api& api, const std::optional<std::string>& name, const std::string& analysisFolder) {
    if (!name) return;
    const std::string relative = analysisFolder.empty() ? *name : analysisFolder + "/" + *name;
    try {
        api.folder().file(relative);
    } catch (const AccessError& e) {
        throw Unstatable{{Problem{"error", "file", "cpt.file", 0, e.what()}}};
    }
}

// A JSON analysis of a request body (400 for a text that is not JSON, 422 for an analysis that
// cannot be stated).
Analysis bodyAnalysis(const Api& api, const ApiRequest& r, const std::string& name) {
    json body;
    try {
        body = json::parse(r.body);
    } catch (const json::parse_error& e) {
        throw AccessError(400, std::string("the body is not JSON: ") + e.what());
    }
    if (body.is_object() && body.contains("cpt") && body["cpt"].is_object() && body["cpt"].contains("file") &&
        body["cpt"]["file"].is_string()) {
        checkNamedCpt(api, body["cpt"]["file"].get<std::string>(), folderOf(name));
    }
    try {
        return vorta::analysis_json::analysisFromJson(body, name.empty() ? "analysis" : name, api.folder().root() / folderOf(name));
    } catch (const project::ProjectError& e) {
        throw Unstatable{statementProblems(e)};
    } catch (const InputError& e) {
        throw Unstatable{{Problem{"error", "file", "", 0, e.what()}}};
    }
}

// The CPT file of an input data file: the one a request names, else the one the names.dat beside
// it names for it, else the file of the same name with .cpt when there is one; none otherwise.
std::string cptOfDeck(const Api& api, const ApiRequest& r, const std::string& deck) {
    const std::string asked = parameter(r, "cpt");
    if (!asked.empty()) return asked;
    const std::string folder = folderOf(deck);
    const std::string prefix = folder.empty() ? "" : folder + "/";
    try {
        std::istringstream names(readText(api.folder().file(prefix + "names.dat"), "names.dat"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(names, line) && lines.size() < 8;) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
            const std::size_t first = line.find_first_not_of(' ');
            lines.push_back(first == std::string::npos ? "" : line.substr(first));
        }
        if (lines.size() >= 8 && prefix + lines[4] == deck && !lines[7].empty()) return prefix + lines[7];
    } catch (const AccessError&) {
    }
    const std::string sameName = prefix + fs::path(deck).stem().string() + ".cpt";
    try {
        api.folder().file(sameName);
        return sameName;
    } catch (const AccessError&) {
        return "";
    }
}

// A project file's text, its CPT file checked before the reader opens it.
Analysis projectAnalysis(const Api& api, const std::string& textOfFile, const std::string& name, bool uploaded) {
    toml::table root;
    try {
        root = toml::parse(textOfFile, name);
    } catch (const toml::parse_error& e) {
        const int line = static_cast<int>(e.source().begin.line);
        throw Unstatable{{Problem{"error", "statement", "", line, std::string(e.description())}}};
    }
    const std::optional<std::string> cpt = root["cpt"]["file"].value<std::string>();
    if (uploaded && cpt) {
        throw Unstatable{{Problem{"error", "file", "cpt.file", 0,
                                  "an uploaded project file holds its sounding inline (cpt.points), not in a file"}}};
    }
    checkNamedCpt(api, cpt, folderOf(name));
    try {
        return project::readProjectTable(root, name, api.folder().root() / folderOf(name), true);
    } catch (const project::ProjectError& e) {
        throw Unstatable{statementProblems(e)};
    } catch (const InputError& e) {
        throw Unstatable{{Problem{"error", "file", "cpt.file", 0, e.what()}}};
    }
}

ApiAnswer getAnalysis(const Api& api, const ApiRequest& r) {
    const std::string name = parameter(r, "file");
    const fs::path file = api.folder().file(name);
    const std::string kind = fileKind(file);
    Analysis analysis;
    std::string cptName;
    if (kind == "project") {
        analysis = projectAnalysis(api, readText(file, name), name, false);
    } else if (kind == "json") {
        std::optional<std::string> namedCpt;
        try {
            const json body = json::parse(readText(file, name));
            if (body.is_object() && body.contains("cpt") && body["cpt"].is_object() && body["cpt"].contains("file") &&
                body["cpt"]["file"].is_string()) {
                namedCpt = body["cpt"]["file"].get<std::string>();
            }
        } catch (const json::parse_error&) {
            // reported with the reading below
        }
        checkNamedCpt(api, namedCpt, folderOf(name));
        try {
            analysis = vorta::analysis_json::readAnalysisJson(readText(file, name), name, api.folder().root() / folderOf(name));
        } catch (const project::ProjectError& e) {
            throw Unstatable{statementProblems(e)};
        }
    } else if (kind == "deck") {
        cptName = cptOfDeck(api, r, name);
        try {
            analysis = readInputDeck(file, cptName.empty() ? fs::path() : api.folder().file(cptName));
        } catch (const InputError& e) {
            throw Unstatable{{Problem{"error", "file", "", 0, e.what()}}};
        }
    } else {
        throw AccessError(400, name + ": not an analysis (a project file .toml, a JSON analysis .json or an input "
                                      "data file .dat)");
    }
    try {
        ApiAnswer answer = jsonAnswer(vorta::analysis_json::analysisToJson(analysis));
        return answer;
    } catch (const InputError& e) {
        throw Unstatable{{Problem{"error", "statement", "", 0, e.what()}}};
    }
}

ApiAnswer putAnalysis(const Api& api, const ApiRequest& r) {
    if (api.readOnly()) throw AccessError(403, "the server was started with --read-only: nothing is written");
    const std::string name = parameter(r, "file");
    const fs::path file = api.folder().file(name, true);
    if (fileKind(file) != "project") throw AccessError(400, name + ": an analysis is saved as a project file, *.toml");
    std::error_code ec;
    if (fs::exists(file, ec) && !flag(r, "overwrite")) {
        ordered_json out;
        out["error"] = name + " exists; give overwrite=true to replace it";
        out["exists"] = true;
        return jsonAnswer(out, 409);
    }
    const Analysis analysis = bodyAnalysis(api, r, name);
    std::ostringstream content;
    try {
        project::writeProjectFile(analysis, content);
    } catch (const InputError& e) {
        throw Unstatable{{Problem{"error", "statement", "", 0, e.what()}}};
    }
    api.folder().writeWhole(file, content.str());
    ordered_json out;
    out["file"] = name;
    out["bytes"] = content.str().size();
    return jsonAnswer(out);
}

struct RunAnswer {
    RunStatus status = kRunCompleted;
    AnalysisResult result;
};

RunAnswer runOf(const Api& api, const Analysis& analysis, const std::string& name) {
    RunAnswer answer;
    std::ostringstream console;
    std::istringstream noAnswers;
    RunOptions options;
    options.console = &console;
    options.consoleInput = &noAnswers;
    options.result = &answer.result;
    // A project file's name lets the run's messages name the keys; the report's header names where
    // it lies.
    if (analysisFileKind(name) == ValueSource::ProjectFile) {
        options.sourceName = (api.folder().root() / name).string();
        options.sourceKind = ValueSource::ProjectFile;
    }
    answer.status = runAnalysis(analysis, options);
    return answer;
}

ApiAnswer postRun(const Api& api, const ApiRequest& r) {
    const std::string name = analysisName(api, r);
    const Analysis analysis = bodyAnalysis(api, r, name);
    const CheckAnswer check = checkProblems(analysis);
    RunAnswer run = runOf(api, analysis, name);
    ordered_json out = resultJson(run.result, run.status, analysis);
    std::vector<Problem> problems = check.problems;
    // A file the run could not use (none is read here, but a run says so in its messages).
    if (run.status == kRunFileError) {
        for (const std::string& m : run.result.messages) problems.push_back({"error", "file", "", 0, m});
    }
    out["problems"] = problemsJson(problems);
    if (flag(r, "report")) out["report"] = run.result.reportText;
    if (flag(r, "plot")) out["plot"] = run.result.plotText;
    return jsonAnswer(out);
}

ApiAnswer postCheck(const Api& api, const ApiRequest& r) {
    const Analysis analysis = bodyAnalysis(api, r, analysisName(api, r));
    const CheckAnswer check = checkProblems(analysis);
    return problemAnswer(200, check.status, check.problems);
}

// The unit system a request names ("units": "English" or "SI", or its code), SI when it names none.
UnitSystem unitsOf(const json& body) {
    if (!body.contains("units")) return UnitSystem::SI;
    const json& u = body["units"];
    std::optional<int> code;
    if (u.is_string()) {
        for (const FieldInfo<Analysis>& f : analysisFields()) {
            if (f.key == "units") code = choiceCode(f.choices, u.get<std::string>());
        }
    } else if (u.is_number_integer()) {
        code = u.get<int>();
    }
    return code == 1 ? UnitSystem::English : UnitSystem::SI;
}

// A CPT file, the engine's or another program's, by its name.
bool isSoundingFile(const std::string& name) {
    std::string ext = fs::path(name).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".cpt" || ext == ".gef" || ext == ".ags" || ext == ".csv" || ext == ".tsv";
}

ApiAnswer postImport(const Api& api, const ApiRequest& r) {
    json body;
    try {
        body = json::parse(r.body);
    } catch (const json::parse_error& e) {
        throw AccessError(400, std::string("the body is not JSON: ") + e.what());
    }
    if (!body.is_object() || !body.contains("name") || !body["name"].is_string() || !body.contains("text") ||
        !body["text"].is_string()) {
        throw AccessError(400, "expected {\"name\": the file's name, \"text\": its content} and, for an input data "
                               "file, \"cpt_name\" and \"cpt_text\"");
    }
    const std::string name = fs::path(body["name"].get<std::string>()).filename().string();
    const std::string content = body["text"].get<std::string>();
    const std::string kind = fileKind(name);
    ordered_json out;
    try {
        if (isSoundingFile(name)) {
            // The points in the units of the analysis they go to.
            CptReadOptions options;
            options.units = unitsOf(body);
            const CptReading reading = readCptText(content, name, options);
            ordered_json points = ordered_json::array();
            for (const CptPoint& p : reading.sounding.points) {
                ordered_json point = {p.depth, p.coneResistance};
                if (p.sleeveFriction || p.porePressure) point.push_back(p.sleeveFriction ? ordered_json(*p.sleeveFriction) : ordered_json());
                if (p.porePressure) point.push_back(*p.porePressure);
                points.push_back(std::move(point));
            }
            out["cpt"] = {{"header", reading.sounding.header}, {"points", std::move(points)}};
            out["format"] = std::string(cptFormatName(reading.format));
            out["notes"] = cptNoteLines(name, reading);
            return jsonAnswer(out);
        }
        Analysis analysis;
        if (kind == "project") {
            analysis = projectAnalysis(api, content, name, true);
        } else if (kind == "json") {
            json value;
            try {
                value = json::parse(content);
            } catch (const json::parse_error& e) {
                throw Unstatable{{Problem{"error", "statement", "", 0, e.what()}}};
            }
            if (value.is_object() && value.contains("cpt") && value["cpt"].is_object() && value["cpt"].contains("file")) {
                throw Unstatable{{Problem{"error", "file", "cpt.file", 0,
                                          "an uploaded analysis holds its sounding inline (cpt.points), not in a file"}}};
            }
            analysis = vorta::analysis_json::analysisFromJson(value, name, api.folder().root());
        } else {
            // An input data file uploaded without its CPT file has a sounding with no points, as
            // the command line reads one.
            const bool withCpt = body.contains("cpt_text") && body["cpt_text"].is_string();
            const std::string cptName = withCpt ? body.value("cpt_name", std::string("CPT file")) : "(no CPT file)";
            const std::string cptText = withCpt ? body["cpt_text"].get<std::string>() : "0 0\n";
            std::istringstream deck(content);
            std::istringstream cpt(cptText);
            analysis = readInputDeck(deck, name, cpt, cptName);
        }
        out["analysis"] = vorta::analysis_json::analysisToJson(analysis);
    } catch (const project::ProjectError& e) {
        throw Unstatable{statementProblems(e)};
    } catch (const InputError& e) {
        throw Unstatable{{Problem{"error", "file", "", 0, e.what()}}};
    }
    return jsonAnswer(out);
}

ApiAnswer postExport(const Api& api, const ApiRequest& r) {
    const std::string format = parameter(r, "format");
    const std::string name = analysisName(api, r);
    const Analysis analysis = bodyAnalysis(api, r, name);
    const std::string stem = stemOf(name);
    std::ostringstream out;
    try {
        if (format == "toml") {
            project::writeProjectFile(analysis, out);
            return {200, "application/toml; charset=utf-8", out.str(), stem + ".toml"};
        }
        if (format == "json") return {200, "application/json", vorta::analysis_json::analysisJsonText(analysis), stem + ".json"};
        if (format == "deck") {
            writeInputDeck(analysis, out);
            return {200, "text/plain; charset=utf-8", out.str(), stem + ".dat"};
        }
        if (format == "cpt") {
            writeCptFile(analysis.cpt, out);
            return {200, "text/plain; charset=utf-8", out.str(), stem + ".cpt"};
        }
    } catch (const InputError& e) {
        throw Unstatable{{Problem{"error", "statement", "", 0, e.what()}}};
    }
    if (format != "report" && format != "plot" && format != "charts" && format != "csv") {
        throw AccessError(400, "format=" + format + ": expected toml, json, deck, cpt, report, plot, charts or csv");
    }
    const RunAnswer run = runOf(api, analysis, name);
    if (format == "report") return {200, "text/plain; charset=utf-8", run.result.reportText, stem + ".out"};
    if (format == "plot") return {200, "text/plain; charset=utf-8", run.result.plotText, stem + ".plt"};
    if (format == "csv") return {200, "text/csv; charset=utf-8", capacityTablesCsv(run.result), stem + "-tables.csv"};
    cli::ChartPageOptions page;
    page.sources = {name.empty() ? "an analysis in vorta serve" : name + " in vorta serve"};
    return {200, "text/html; charset=utf-8", cli::renderChartPage(run.result, page), stem + "-charts.html"};
}

// The analysis with every value in the other unit system.
ApiAnswer postUnits(const Api& api, const ApiRequest& r) {
    const std::string to = parameter(r, "to");
    if (to != "English" && to != "SI") throw AccessError(400, "to=" + to + ": expected to=English or to=SI");
    const Analysis analysis = bodyAnalysis(api, r, analysisName(api, r));
    try {
        return jsonAnswer(vorta::analysis_json::analysisToJson(
            convertUnits(analysis, to == "SI" ? UnitSystem::SI : UnitSystem::English)));
    } catch (const InputError& e) {
        throw Unstatable{{Problem{"error", "statement", "units", 0, e.what()}}};
    }
}

ApiAnswer getFiles(const Api& api) {
    ordered_json files = ordered_json::array();
    for (const FolderEntry& e : api.folder().list()) files.push_back({{"path", e.path}, {"kind", e.kind}, {"size", e.size}});
    ordered_json out;
    out["folder"] = api.folder().root().filename().string();
    out["files"] = std::move(files);
    return jsonAnswer(out);
}

ApiAnswer getInfo(const Api& api) {
    ordered_json out;
    out["version"] = std::string(engineVersion());
    out["folder"] = api.folder().root().filename().string();
    out["read_only"] = api.readOnly();
    return jsonAnswer(out);
}

}  // namespace

ApiAnswer errorAnswer(int status, const std::string& message) {
    ordered_json out;
    out["error"] = message;
    return jsonAnswer(out, status);
}

Api::Api(const Folder& folder, bool readOnly)
    : folder_(folder), readOnly_(readOnly), fieldsText_(text(fieldsJson())) {}

ApiAnswer Api::route(const ApiRequest& r) const {
    const std::string& m = r.method;
    if (r.path == "/api/info" && m == "GET") return getInfo(*this);
    if (r.path == "/api/fields" && m == "GET") return ApiAnswer{200, "application/json", fieldsText_, ""};
    if (r.path == "/api/files" && m == "GET") return getFiles(*this);
    if (r.path == "/api/analysis" && m == "GET") return getAnalysis(*this, r);
    if (r.path == "/api/analysis" && m == "PUT") return putAnalysis(*this, r);
    if (r.path == "/api/check" && m == "POST") return postCheck(*this, r);
    if (r.path == "/api/run" && m == "POST") return postRun(*this, r);
    if (r.path == "/api/import" && m == "POST") return postImport(*this, r);
    if (r.path == "/api/export" && m == "POST") return postExport(*this, r);
    if (r.path == "/api/units" && m == "POST") return postUnits(*this, r);
    for (const char* known : {"/api/info", "/api/fields", "/api/files", "/api/analysis", "/api/check", "/api/run",
                              "/api/import", "/api/export", "/api/units"}) {
        if (r.path == known) return errorAnswer(405, m + " is not answered at " + r.path);
    }
    return errorAnswer(404, r.path + ": no such request");
}

ApiAnswer Api::handle(const ApiRequest& r) const {
    try {
        return route(r);
    } catch (const AccessError& e) {
        return errorAnswer(e.status, e.what());
    } catch (const Unstatable& e) {
        return problemAnswer(422, kRunFileError, e.problems);
    } catch (const std::exception& e) {
        return errorAnswer(500, std::string("the server could not answer: ") + e.what());
    } catch (...) {
        return errorAnswer(500, "the server could not answer");
    }
}

}  // namespace vorta::server
