#include "folder_access.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <random>
#include <system_error>

namespace vorta::server {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMostEntriesWalked = 20000;
constexpr int kDeepestFolder = 8;

std::string lowerExtension(const fs::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// Whether `inner` is `outer` or lies below it, component by component.
bool within(const fs::path& outer, const fs::path& inner) {
    auto o = outer.begin();
    auto i = inner.begin();
    for (; o != outer.end(); ++o, ++i) {
        if (i == inner.end() || *o != *i) return false;
    }
    return true;
}

}  // namespace

std::string fileKind(const fs::path& file) {
    const std::string ext = lowerExtension(file);
    if (ext == ".toml") return "project";
    if (ext == ".json") return "json";
    // The engine's CPT files and those of other programs (GEF, AGS4).
    if (ext == ".cpt" || ext == ".gef" || ext == ".ags") return "cpt";
    if (ext == ".dat") {
        std::string name = file.filename().string();
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        // The run-control file names the files of a run; it holds no analysis.
        return name == "names.dat" ? "" : "deck";
    }
    return "";
}

Folder::Folder(const fs::path& root) {
    std::error_code ec;
    root_ = fs::canonical(root, ec);
    if (ec || !fs::is_directory(root_, ec)) throw AccessError(404, root.string() + ": no such folder");
}

bool Folder::contains(const fs::path& file) const {
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(file, ec);
    return !ec && within(root_, real);
}

fs::path Folder::file(std::string_view relative, bool toWrite) const {
    if (relative.empty()) throw AccessError(400, "no file named (file=PATH, relative to the served folder)");
    if (relative.find('\0') != std::string_view::npos || relative.find('\\') != std::string_view::npos ||
        relative.find(':') != std::string_view::npos) {
        throw AccessError(403, std::string(relative) + ": a path inside the served folder uses \"/\" between folders "
                                                      "and no \"\\\" or \":\"");
    }
    const fs::path asked{std::string(relative)};
    if (asked.is_absolute() || asked.has_root_name() || asked.has_root_directory()) {
        throw AccessError(403, std::string(relative) + ": absolute paths are not served; give the path relative to the "
                                                      "served folder");
    }
    for (const fs::path& part : asked) {
        if (part == "..") throw AccessError(403, std::string(relative) + ": \"..\" leads out of the served folder");
    }
    const fs::path full = root_ / asked;
    if (!contains(full)) throw AccessError(403, std::string(relative) + ": leads out of the served folder");
    std::error_code ec;
    if (toWrite) {
        if (!fs::is_directory(full.parent_path(), ec)) {
            throw AccessError(404, std::string(relative) + ": the folder " +
                                       std::string(relative.substr(0, relative.rfind('/'))) + " does not exist");
        }
        if (fs::is_directory(full, ec)) throw AccessError(400, std::string(relative) + ": is a folder");
        return full;
    }
    if (!fs::exists(full, ec)) throw AccessError(404, std::string(relative) + ": no such file in the served folder");
    if (!fs::is_regular_file(full, ec)) throw AccessError(400, std::string(relative) + ": is not a file");
    return full;
}

std::string Folder::relative(const fs::path& file) const {
    return file.lexically_relative(root_).generic_string();
}

std::vector<FolderEntry> Folder::list() const {
    std::vector<FolderEntry> entries;
    std::error_code ec;
    fs::recursive_directory_iterator it(root_, fs::directory_options::skip_permission_denied, ec);
    std::size_t walked = 0;
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (++walked > kMostEntriesWalked) break;
        const fs::directory_entry& e = *it;
        const std::string name = e.path().filename().string();
        std::error_code typeError;
        if (e.is_directory(typeError)) {
            // Hidden folders (version control, caches) and folders below the depth walked are skipped,
            // and so is a linked folder (the walk does not follow links).
            if (name.starts_with(".") || it.depth() + 1 >= kDeepestFolder) it.disable_recursion_pending();
            continue;
        }
        const std::string kind = fileKind(e.path());
        if (kind.empty() || name.starts_with(".") || !e.is_regular_file(typeError) || !contains(e.path())) continue;
        entries.push_back({relative(e.path()), kind, e.file_size(typeError)});
    }
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.path < b.path; });
    return entries;
}

void Folder::writeWhole(const fs::path& file, std::string_view content) const {
    // A name no other write uses at the same time: the clock and a random number.
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const fs::path temporary = file.parent_path() / ("." + file.filename().string() + ".tmp-" + std::to_string(stamp) +
                                                     "-" + std::to_string(std::random_device{}()));
    const std::string name = relative(file);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out) {
            std::error_code ec;
            fs::remove(temporary, ec);
            throw AccessError(500, name + ": the file cannot be written");
        }
    }
    std::error_code ec;
    fs::rename(temporary, file, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw AccessError(500, name + ": the file cannot be written (" + ec.message() + ")");
    }
}

}  // namespace vorta::server
