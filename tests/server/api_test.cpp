// The JSON API over HTTP: every request, and each rule that keeps the folder and the server safe.
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "analysis_json.h"
#include "vorta/project.h"
#include "served_folder.h"
#include "vorta/analysis.h"
#include "vorta/cpt_files.h"
#include "vorta/units.h"

namespace vorta::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::string deckText(const Analysis& a) {
    std::ostringstream out;
    writeInputDeck(a, out);
    return out.str();
}

Analysis readProject(const fs::path& file) { return project::readProjectFile(file); }

httplib::Result post(httplib::Client& c, const std::string& path, const json& body) {
    return c.Post(path.c_str(), body.dump(), "application/json");
}

class Api : public ::testing::Test {
protected:
    ServedFolder served{{"closed-pipe-si", "cpt-four-methods-si", "h-pile-clay-silt-sand"}};
    httplib::Client c = served.client();
};

TEST_F(Api, FieldsCarryUnitsRangesDefaultsAndChoicesOfTheFieldTable) {
    const json fields = bodyOf(c.Get("/api/fields"));
    const json* pile = nullptr;
    for (const json& p : fields["parts"]) {
        if (p["key"] == "pile") pile = &p;
    }
    ASSERT_NE(pile, nullptr);
    ASSERT_EQ((*pile)["fields"].size(), pileFields().size());
    for (std::size_t i = 0; i < pileFields().size(); ++i) {
        const FieldInfo<Pile>& f = pileFields()[i];
        const json& j = (*pile)["fields"][i];
        EXPECT_EQ(j["key"], std::string(f.key));
        EXPECT_EQ(j["units"]["SI"], std::string(f.siUnit));
        EXPECT_EQ(j["required"], f.required);
        if (f.limits.limited()) {
            EXPECT_EQ(j["allowed"]["English"], limitsText(f.limits, UnitSystem::English, f.englishUnit));
        }
    }
    const json& type = (*pile)["fields"][0];
    EXPECT_EQ(type["choices"][5]["name"], "h_pile");
}

TEST_F(Api, FilesListsAnalysesAndSoundingsButNotRunControlFiles) {
    std::ofstream(served.folder() / ".hidden.toml") << "x";
    fs::create_directory(served.folder() / ".git");
    std::ofstream(served.folder() / ".git" / "a.toml") << "x";
    const json files = bodyOf(c.Get("/api/files"))["files"];
    std::vector<std::string> paths;
    for (const json& f : files) paths.push_back(f["path"]);
    EXPECT_EQ(paths, (std::vector<std::string>{
                         "closed-pipe-si/input.dat", "closed-pipe-si/project.toml", "closed-pipe-si/sounding.cpt",
                         "cpt-four-methods-si/input.dat", "cpt-four-methods-si/project-ags.toml",
                         "cpt-four-methods-si/project-gef.toml", "cpt-four-methods-si/project.toml",
                         "cpt-four-methods-si/sounding.ags", "cpt-four-methods-si/sounding.cpt",
                         "cpt-four-methods-si/sounding.gef", "h-pile-clay-silt-sand/input.dat",
                         "h-pile-clay-silt-sand/project.toml", "h-pile-clay-silt-sand/sounding.cpt"}));
    EXPECT_EQ(files[1]["kind"], "project");
}

TEST_F(Api, AnAnalysisReadsAsTheProjectFileAndTheDeckWithTheSoundingNamesDatNames) {
    const fs::path example = sourcePath("examples/closed-pipe-si");
    for (const char* file : {"closed-pipe-si/project.toml", "closed-pipe-si/input.dat"}) {
        const auto r = c.Get((std::string("/api/analysis?file=") + file).c_str());
        ASSERT_TRUE(r) << file;
        ASSERT_EQ(r->status, 200) << file << ": " << r->body;
        const Analysis got = analysis_json::analysisFromJson(json::parse(r->body), file, served.folder());
        EXPECT_EQ(deckText(got), deckText(readInputDeck(example / "input.dat", example / "sounding.cpt"))) << file;
    }
}

TEST_F(Api, SavingWritesTheProjectFileWholeAndAsksBeforeReplacingOne) {
    const json analysis = exampleJson("closed-pipe-si");
    const auto put = [&](const std::string& query) {
        return c.Put(("/api/analysis?" + query).c_str(), analysis.dump(), "application/json");
    };
    EXPECT_EQ(put("file=new.toml")->status, 200);
    const fs::path written = served.folder() / "new.toml";
    EXPECT_EQ(deckText(readProject(written)), deckText(readProject(sourcePath("examples/closed-pipe-si/project.toml"))));
    EXPECT_EQ(put("file=new.toml")->status, 409);
    EXPECT_EQ(put("file=new.toml&overwrite=true")->status, 200);
    EXPECT_EQ(put("file=new.dat")->status, 400);
    EXPECT_EQ(put("file=no-such-folder/new.toml")->status, 404);
    // Nothing but the file itself is left beside it.
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(served.folder())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"closed-pipe-si", "cpt-four-methods-si", "h-pile-clay-silt-sand", "new.toml"}));
}

TEST_F(Api, CheckNamesEveryProblemByTheKeyOfItsInput) {
    json a = exampleJson("closed-pipe-si");
    a["layers"][1]["effective_unit_weight"] = 400;
    const json answer = bodyOf(post(c, "/api/check", a));
    EXPECT_EQ(answer["status"], 1);
    ASSERT_FALSE(answer["problems"].empty());
    EXPECT_EQ(answer["problems"][0]["path"], "layers[2].effective_unit_weight");
    EXPECT_EQ(answer["problems"][0]["code"], "out_of_range");
    EXPECT_EQ(answer["problems"][0]["message"],
              "layers[2].effective_unit_weight (top, soil point 3): the effective unit weight 400 kN/m3 is outside the "
              "allowed range 0 to 50 kN/m3");
    EXPECT_TRUE(answer["problems"][0]["line"].is_null());
    EXPECT_EQ(bodyOf(post(c, "/api/check", exampleJson("closed-pipe-si")))["problems"], json::array());
}

TEST_F(Api, AnAnalysisThatCannotBeStatedIs422WithEveryProblemByKey) {
    json a = exampleJson("closed-pipe-si");
    a["pile"]["length"] = "long";
    a["layers"][0]["soil_type"] = "peat";
    a["pile"]["lenght"] = 3;
    const auto r = post(c, "/api/run", a);
    ASSERT_EQ(r->status, 422);
    const json answer = bodyOf(r);
    std::vector<std::string> paths;
    for (const json& p : answer["problems"]) paths.push_back(p["path"]);
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{"layers[1].soil_type", "pile.lenght", "pile.length"}));
}

TEST_F(Api, RunGivesTheNumbersOfARunOfTheProjectFile) {
    const fs::path project = sourcePath("examples/h-pile-clay-silt-sand/project.toml");
    const ModelRun single = runModel(readProject(project), "");
    const json answer = bodyOf(post(c, "/api/run?report=true&plot=true", exampleJson("h-pile-clay-silt-sand")));
    EXPECT_EQ(answer["status"], 0);
    EXPECT_EQ(answer["plot"], single.plot);
    EXPECT_EQ(reportAfterHeader(answer["report"]), single.report);
    // The last row of the first table, to the last bit.
    const json& row = answer["tables"][0]["rows"].back();
    EXPECT_EQ(row[4].get<double>(), single.result.tables[0].rows.back().ultimateCapacity);
    EXPECT_EQ(answer["tables"].size(), single.result.tables.size());
    EXPECT_FALSE(answer["charts"].empty());
}

TEST_F(Api, ImportReadsADeckWithItsSoundingAndASoundingAlone) {
    const fs::path example = sourcePath("examples/closed-pipe-si");
    const json deck = {{"name", "input.dat"}, {"text", readFile(example / "input.dat")},
                       {"cpt_name", "sounding.cpt"}, {"cpt_text", readFile(example / "sounding.cpt")}};
    const json a = bodyOf(post(c, "/api/import", deck))["analysis"];
    EXPECT_EQ(deckText(analysis_json::analysisFromJson(a, "x", served.folder())),
              deckText(readInputDeck(example / "input.dat", example / "sounding.cpt")));
    // Without its CPT file: a sounding with no points, as the command line reads one.
    const json alone = bodyOf(post(c, "/api/import", {{"name", "input.dat"}, {"text", readFile(example / "input.dat")}}));
    EXPECT_FALSE(alone["analysis"].contains("cpt"));
    const json cpt = bodyOf(post(c, "/api/import", {{"name", "s.cpt"}, {"text", "1\n2\n1.5 100\n3 250\n"}}))["cpt"];
    EXPECT_EQ(cpt["points"], json::parse("[[1.5, 100], [3, 250]]"));
    EXPECT_EQ(post(c, "/api/import", {{"name", "s.cpt"}, {"text", "2\n3\n1 x\n"}})->status, 422);
}

TEST_F(Api, ASoundingFileOfAnotherProgramIsReadInTheUnitsOfTheAnalysis) {
    const fs::path gef = sourcePath("examples/cpt-four-methods-si/sounding.gef");
    const json read = bodyOf(post(c, "/api/import", {{"name", "sounding.gef"}, {"text", readFile(gef)}, {"units", "English"}}));
    CptReadOptions english;
    english.units = UnitSystem::English;
    const CptReading want = readCptFile(gef, english);
    ASSERT_EQ(read["cpt"]["points"].size(), want.sounding.points.size());
    EXPECT_EQ(read["cpt"]["points"][3][1], want.sounding.points[3].coneResistance);
    EXPECT_EQ(read["format"], "GEF");
    // A project that names the file: the run reads it and says which points it used.
    const auto project = c.Get("/api/analysis?file=cpt-four-methods-si/project-gef.toml");
    ASSERT_EQ(project->status, 200) << project->body;
    const json analysis = json::parse(project->body);
    EXPECT_EQ(analysis["cpt"]["file"], "sounding.gef");
    const json run = bodyOf(post(c, "/api/run?file=cpt-four-methods-si/project-gef.toml", analysis));
    EXPECT_EQ(run["status"], 0);
    EXPECT_EQ(run["sounding"]["file"], "sounding.gef");
    EXPECT_FALSE(run["sounding"]["points"].empty());
}

TEST_F(Api, UnitsConvertEveryValueAsTheEngineDoes) {
    const Analysis si = readProject(sourcePath("examples/closed-pipe-si/project.toml"));
    const auto r = post(c, "/api/units?to=English", exampleJson("closed-pipe-si"));
    ASSERT_EQ(r->status, 200) << r->body;
    const json english = json::parse(r->body);
    EXPECT_EQ(english["units"], "English");
    EXPECT_EQ(deckText(analysis_json::analysisFromJson(english, "x", served.folder())),
              deckText(convertUnits(si, UnitSystem::English)));
    EXPECT_EQ(post(c, "/api/units?to=Metric", exampleJson("closed-pipe-si"))->status, 400);
}

TEST_F(Api, ExportGivesEachFormAsADownload) {
    const json a = exampleJson("closed-pipe-si");
    struct Case {
        const char* format;
        const char* name;
        const char* holds;
    };
    for (const Case& k : {Case{"toml", "project.toml", "[pile]"}, Case{"deck", "project.dat", "WHARF"},
                          Case{"report", "project.out", "ULTIMATE"}, Case{"charts", "project-charts.html", "<svg"},
                          Case{"csv", "project-tables.csv", "FHWA,"}, Case{"json", "project.json", "\"layers\""}}) {
        const auto r = post(c, std::string("/api/export?file=closed-pipe-si/project.toml&format=") + k.format, a);
        ASSERT_EQ(r->status, 200) << k.format;
        EXPECT_EQ(r->get_header_value("Content-Disposition"), std::string("attachment; filename=\"") + k.name + "\"");
        EXPECT_NE(r->body.find(k.holds), std::string::npos) << k.format;
    }
    EXPECT_EQ(post(c, "/api/export?format=pdf", a)->status, 400);
}

// ---------------------------------------------------------------------------------------------
// Safety

TEST_F(Api, NoPathLeadsOutOfTheFolder) {
    std::ofstream(served.folder().parent_path() / "outside.toml") << "title = \"x\"\n";
    fs::create_symlink(served.folder().parent_path() / "outside.toml", served.folder() / "link-out.toml");
    fs::create_directory_symlink(served.folder().parent_path(), served.folder() / "up");
    const json a = exampleJson("closed-pipe-si");
    for (const char* path : {"../outside.toml", "/etc/passwd", "closed-pipe-si/../../outside.toml", "link-out.toml",
                             "up/outside.toml", "..%5Coutside.toml", "c:outside.toml"}) {
        const std::string q = std::string("file=") + path;
        EXPECT_EQ(c.Get(("/api/analysis?" + q).c_str())->status, 403) << path;
        EXPECT_EQ(c.Put(("/api/analysis?" + q).c_str(), a.dump(), "application/json")->status, 403) << path;
    }
    // A CPT file named by an analysis is held to the folder too.
    json named = a;
    named["cpt"] = {{"file", "../outside.toml"}};
    const auto r = post(c, "/api/run", named);
    EXPECT_EQ(r->status, 422);
    EXPECT_EQ(bodyOf(r)["problems"][0]["path"], "cpt.file");
    // The links are not listed either.
    EXPECT_EQ(c.Get("/api/files")->body.find("outside"), std::string::npos);
}

TEST_F(Api, AForeignHostOrOriginIsRefused) {
    const std::string port = std::to_string(served.port());
    struct Case {
        std::string host;
        std::string origin;
        int status;
    };
    for (const Case& k : {Case{"evil.example:" + port, "", 403}, Case{"127.0.0.1:1", "", 403}, Case{"", "", 403},
                          Case{"localhost:" + port, "", 200}, Case{"127.0.0.1:" + port, "http://evil.example", 403},
                          Case{"127.0.0.1:" + port, "http://127.0.0.1:" + port, 200}}) {
        httplib::Headers headers = {{"Host", k.host}};
        if (!k.origin.empty()) headers.emplace("Origin", k.origin);
        const auto r = c.Post("/api/check", headers, exampleJson("closed-pipe-si").dump(), "application/json");
        ASSERT_TRUE(r);
        EXPECT_EQ(r->status, k.status) << k.host << " " << k.origin;
    }
}

TEST_F(Api, BadBodiesAreAnsweredAndTheServerGoesOn) {
    const auto big = c.Post("/api/run", std::string(8 * 1024 * 1024 + 1, ' '), "application/json");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->status, 413);
    const auto malformed = c.Post("/api/run", "{\"pile\": {", "application/json");
    EXPECT_EQ(malformed->status, 400);
    EXPECT_NE(bodyOf(malformed)["error"].get<std::string>().find("parse error"), std::string::npos);
    for (const char* body : {"[]", "null", "{\"layers\": [null]}", "{\"a\":[[[[[[[[[[[[1]]]]]]]]]]]]}", "\"text\""}) {
        EXPECT_EQ(c.Post("/api/run", body, "application/json")->status, 422) << body;
    }
    EXPECT_EQ(c.Get("/api/no-such")->status, 404);
    EXPECT_EQ(c.Delete("/api/analysis?file=closed-pipe-si/project.toml")->status, 404);
    EXPECT_EQ(c.Get("/api/info")->status, 200);
}

TEST(ApiReadOnly, RefusesEveryWrite) {
    ServedFolder served({"closed-pipe-si"}, true);
    httplib::Client c = served.client();
    const auto r = c.Put("/api/analysis?file=new.toml", exampleJson("closed-pipe-si").dump(), "application/json");
    EXPECT_EQ(r->status, 403);
    EXPECT_FALSE(fs::exists(served.folder() / "new.toml"));
    EXPECT_EQ(bodyOf(c.Get("/api/info"))["read_only"], true);
}

TEST_F(Api, ThePageIsServedFromTheProgram) {
    const auto page = c.Get("/?file=closed-pipe-si/project.toml");
    ASSERT_EQ(page->status, 200);
    EXPECT_NE(page->body.find("<script type=\"module\" src=\"/js/app.js\">"), std::string::npos);
    EXPECT_NE(page->get_header_value("Content-Security-Policy").find("default-src 'self'"), std::string::npos);
    EXPECT_EQ(c.Get("/js/app.js")->get_header_value("Content-Type"), "text/javascript; charset=utf-8");
    EXPECT_EQ(c.Get("/no-such.js")->status, 404);
}

}  // namespace
}  // namespace vorta::test
