#include "analysis_json.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>
#include <vector>

#include "project_table.h"

namespace vorta::analysis_json {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using nlohmann::ordered_json;

// A project file nests no deeper than a list of pairs in a table of a list of tables
// (load_transfer.modifiers, layers[i].value = [top, bottom]); a little room above that.
constexpr int kDeepestNesting = 8;

// The conversion of one JSON value to TOML, with the problems that TOML cannot hold.
class ToToml {
public:
    explicit ToToml(std::string sourceName) : sourceName_(std::move(sourceName)) {}

    toml::table root(const json& value) {
        toml::table table;
        if (!value.is_object()) {
            problem("", std::string("expected an object with the keys of a project file, found ") + typeName(value));
            return table;
        }
        fill(table, value, "", 1);
        return table;
    }

    const std::vector<std::string>& problems() const { return problems_; }
    const std::vector<project::ProjectProblem>& details() const { return details_; }

private:
    static const char* typeName(const json& v) {
        switch (v.type()) {
            case json::value_t::null: return "null";
            case json::value_t::object: return "an object";
            case json::value_t::array: return "a list";
            case json::value_t::string: return "a text";
            case json::value_t::boolean: return "true or false";
            default: return "a number";
        }
    }

    void problem(const std::string& path, const std::string& what) {
        problems_.push_back(sourceName_ + ": " + (path.empty() ? std::string() : path + ": ") + what);
        details_.push_back(project::ProjectProblem{path, 0, what});
    }

    // The members of an object; a member that is null is left out (the key's default).
    void fill(toml::table& table, const json& object, const std::string& path, int depth) {
        for (const auto& [key, member] : object.items()) {
            if (member.is_null()) continue;
            put(member, path.empty() ? key : path + "." + key, depth + 1, &table, key, nullptr);
        }
    }

    // A value as TOML, put into `table` under `key` or at the end of `array`; nothing is put for a
    // value TOML cannot hold (the problem is noted).
    void put(const json& v, const std::string& path, int depth, toml::table* table, const std::string& key,
             toml::array* array) {
        const auto add = [&](auto&& value) {
            if (table != nullptr) table->insert_or_assign(key, std::move(value));
            else array->push_back(std::move(value));
        };
        if (depth > kDeepestNesting) {
            problem(path, "nested deeper than a project file nests its values");
            return;
        }
        switch (v.type()) {
            case json::value_t::object: {
                toml::table t;
                fill(t, v, path, depth);
                add(std::move(t));
                return;
            }
            case json::value_t::array: {
                toml::array a;
                for (std::size_t i = 0; i < v.size(); ++i) {
                    const std::string elementPath = path + "[" + std::to_string(i + 1) + "]";
                    if (v[i].is_null()) {
                        problem(elementPath, "expected a value, found null");
                        continue;
                    }
                    put(v[i], elementPath, depth + 1, nullptr, "", &a);
                }
                add(std::move(a));
                return;
            }
            case json::value_t::string: add(v.get<std::string>()); return;
            case json::value_t::boolean: add(v.get<bool>()); return;
            case json::value_t::number_integer: add(v.get<std::int64_t>()); return;
            case json::value_t::number_unsigned: {
                const std::uint64_t u = v.get<std::uint64_t>();
                if (u <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
                    add(static_cast<std::int64_t>(u));
                } else {
                    add(static_cast<double>(u));
                }
                return;
            }
            case json::value_t::number_float: add(v.get<double>()); return;
            default: problem(path, std::string("expected a value, found ") + typeName(v)); return;
        }
    }

    std::string sourceName_;
    std::vector<std::string> problems_;
    std::vector<project::ProjectProblem> details_;
};

ordered_json fromToml(const toml::node& node) {
    if (const toml::table* t = node.as_table()) {
        // The members in the order of the text they were parsed from: the project file's order.
        std::vector<std::pair<std::string_view, const toml::node*>> members;
        for (auto&& [key, member] : *t) members.emplace_back(key.str(), &member);
        std::stable_sort(members.begin(), members.end(), [](const auto& a, const auto& b) {
            const toml::source_position& x = a.second->source().begin;
            const toml::source_position& y = b.second->source().begin;
            return x.line != y.line ? x.line < y.line : x.column < y.column;
        });
        ordered_json object = ordered_json::object();
        for (const auto& [key, member] : members) object[std::string(key)] = fromToml(*member);
        return object;
    }
    if (const toml::array* a = node.as_array()) {
        ordered_json list = ordered_json::array();
        for (const toml::node& element : *a) list.push_back(fromToml(element));
        return list;
    }
    if (auto i = node.as_integer()) return i->get();
    if (auto d = node.as_floating_point()) return d->get();
    if (auto s = node.as_string()) return s->get();
    if (auto b = node.as_boolean()) return b->get();
    // The writer writes no dates or times.
    return nullptr;
}

}  // namespace

Analysis analysisFromJson(const json& value, const std::string& sourceName, const fs::path& folder) {
    ToToml converter(sourceName);
    const toml::table root = converter.root(value);
    // The problems of the conversion and of the reading are reported together.
    std::vector<std::string> problems = converter.problems();
    std::vector<project::ProjectProblem> details = converter.details();
    try {
        Analysis a = project::readProjectTable(root, sourceName, folder);
        if (problems.empty()) return a;
    } catch (const project::ProjectError& e) {
        problems.insert(problems.end(), e.problems().begin(), e.problems().end());
        details.insert(details.end(), e.details().begin(), e.details().end());
    }
    throw project::ProjectError(std::move(problems), std::move(details));
}

Analysis readAnalysisJson(std::string_view text, const std::string& sourceName, const fs::path& folder) {
    json value;
    try {
        value = json::parse(text);
    } catch (const json::parse_error& e) {
        throw project::ProjectError({sourceName + ": " + e.what()}, {project::ProjectProblem{"", 0, e.what()}});
    }
    return analysisFromJson(value, sourceName, folder);
}

ordered_json analysisToJson(const Analysis& analysis) { return fromToml(project::writeProjectTable(analysis)); }

std::string analysisJsonText(const Analysis& analysis) { return analysisToJson(analysis).dump(2) + "\n"; }

bool isJsonFileName(const fs::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".json";
}

}  // namespace vorta::analysis_json
