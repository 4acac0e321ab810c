# Writes OUTPUT, a C++ source that holds the files of the page under WEB_ROOT as byte arrays and
# the function webAsset (web_assets.h) that finds them by path. Run with cmake -P at build time, so
# that editing a file of the page rebuilds the program.
file(GLOB_RECURSE files RELATIVE ${WEB_ROOT} ${WEB_ROOT}/*)
list(SORT files)
set(arrays "")
set(entries "")
set(index 0)
foreach(relative ${files})
  get_filename_component(ext ${relative} EXT)
  string(TOLOWER "${ext}" ext)
  if(ext STREQUAL ".html")
    set(type "text/html; charset=utf-8")
  elseif(ext STREQUAL ".css")
    set(type "text/css; charset=utf-8")
  elseif(ext STREQUAL ".js")
    set(type "text/javascript; charset=utf-8")
  elseif(ext STREQUAL ".svg")
    set(type "image/svg+xml")
  elseif(ext STREQUAL ".png")
    set(type "image/png")
  else()
    continue()
  endif()
  file(READ ${WEB_ROOT}/${relative} hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
  string(APPEND arrays "const unsigned char kFile${index}[] = {\n${bytes}0};\n")
  string(APPEND entries "    {\"/${relative}\", \"${type}\", {reinterpret_cast<const char*>(kFile${index}), ${size}}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.new "// Made by server/embed_web.cmake from the files of web/; do not edit.
#include \"web_assets.h\"

namespace vorta::server {
namespace {

${arrays}
const WebAsset kAssets[] = {
${entries}};

}  // namespace

std::optional<WebAsset> webAsset(std::string_view path) {
    if (path == \"/\") path = \"/index.html\";
    for (const WebAsset& a : kAssets) {
        if (a.path == path) return a;
    }
    return std::nullopt;
}

}  // namespace vorta::server
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
