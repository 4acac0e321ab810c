// The folder a server serves: the files a request names are found inside it and nowhere else (no
// absolute path, no "..", no symbolic link that leads out), and a file is written whole or not at all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorta::server {

// A file a request may not have or that is not there; `status` is the HTTP status of the answer
// (400 a name that is not a file's, 403 outside the folder, 404 not there).
class AccessError : public std::runtime_error {
public:
    AccessError(int status, const std::string& message) : std::runtime_error(message), status(status) {}
    int status;
};

// One file of the folder that the page can open.
struct FolderEntry {
    std::string path;  // relative to the folder, with "/" between folders
    std::string kind;  // "project" (.toml), "json" (.json), "deck" (an input data file, .dat) or "cpt"
                       // (.cpt, .gef, .ags)
    std::uintmax_t size = 0;
};

class Folder {
public:
    // Throws AccessError (404) when `root` is not a folder.
    explicit Folder(const std::filesystem::path& root);

    const std::filesystem::path& root() const { return root_; }

    // The file that `relative` names inside the folder. A file to read must exist; a file to write
    // must lie in a folder that exists. Throws AccessError.
    std::filesystem::path file(std::string_view relative, bool toWrite = false) const;

    // The path of a file inside the folder relative to it, with "/" between folders.
    std::string relative(const std::filesystem::path& file) const;

    // The project files, JSON analyses, input data files and CPT files of the folder and the
    // folders below it (not those whose names begin with a dot), in name order. The walk stops
    // after a bounded number of entries, so that a huge tree cannot hold a request.
    std::vector<FolderEntry> list() const;

    // Writes `content` to a temporary file beside `file` and renames it to `file`, so that a failed
    // write never leaves half a file. Throws AccessError (500) naming the file.
    void writeWhole(const std::filesystem::path& file, std::string_view content) const;

    // Whether `file`, wherever it leads, lies inside the folder.
    bool contains(const std::filesystem::path& file) const;

private:
    std::filesystem::path root_;  // canonical
};

// The kind of a file by its name ("project", "json", "deck", "cpt"), or empty for another file.
std::string fileKind(const std::filesystem::path& file);

}  // namespace vorta::server
