#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace varne::library {

// Where the record library lives: an SQLite file, or a PostgreSQL database written as
// postgresql://[user[:password]@]host[:port]/dbname, with ?host=/socket/dir for a Unix socket.
struct LibraryLocation {
    enum class Engine { SQLite, PostgreSQL };
    Engine engine = Engine::SQLite;

    std::filesystem::path file; // SQLite

    std::string host; // PostgreSQL: a host name, an address, or a socket directory ("/...")
    int port = -1;    // -1: the server's default
    std::string user;
    std::string password;
    std::string database;

    // For messages: the file, or the URL without its password.
    std::string describe() const;
};

// Reads a location as the user writes it; nothing with `error` set when it is malformed.
std::optional<LibraryLocation> ParseLibraryLocation(const std::string& text, std::string& error);

// The location the commands and the dialog use: `option` (--library) when given, else the
// VARNE_LIBRARY environment variable, else `defaultFile` (Varne_Report/records.sqlite below
// the working directory).
std::optional<LibraryLocation> ResolveLibraryLocation(const std::optional<std::string>& option,
                                                      const std::filesystem::path& defaultFile,
                                                      std::string& error);

// The default library beside the text report: Varne_Report/records.sqlite.
inline std::filesystem::path DefaultLibraryFile(const std::filesystem::path& textReportPath) {
    return textReportPath.parent_path() / "records.sqlite";
}

// The environment variable that names the library.
inline constexpr const char* kLibraryEnvironmentVariable = "VARNE_LIBRARY";

} // namespace varne::library
