// The field tables as JSON, for the page to build its forms from.
#pragma once

#include <nlohmann/json.hpp>

namespace vorta::server {

// The field tables: for each part of a project file its keys, types, units in both systems,
// defaults, allowed ranges, meanings and names of choices.
nlohmann::ordered_json fieldsJson();

}  // namespace vorta::server
