#include "library/LibraryLocation.h"

#include <charconv>
#include <cstdlib>

namespace varne::library {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// %XX escapes decoded; a stray or malformed '%' is an error.
std::optional<std::string> percentDecode(std::string_view text, std::string& error) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        const bool complete = i + 2 < text.size();
        const int high = complete ? hexDigit(text[i + 1]) : -1;
        const int low = complete ? hexDigit(text[i + 2]) : -1;
        if (high < 0 || low < 0) {
            error = "malformed percent escape in '" + std::string(text) + "'";
            return std::nullopt;
        }
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return out;
}

std::optional<int> parsePort(std::string_view text, std::string& error) {
    int port = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || port < 1 ||
        port > 65535) {
        error = "bad port '" + std::string(text) + "' in the library URL";
        return std::nullopt;
    }
    return port;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::optional<LibraryLocation> parsePostgresUrl(std::string_view rest, std::string& error) {
    LibraryLocation location;
    location.engine = LibraryLocation::Engine::PostgreSQL;

    std::string_view query;
    if (const auto q = rest.find('?'); q != std::string_view::npos) {
        query = rest.substr(q + 1);
        rest = rest.substr(0, q);
    }
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos) {
        error = "the library URL names no database (postgresql://[user[:password]@]host[:port]/"
                "dbname)";
        return std::nullopt;
    }
    std::string_view authority = rest.substr(0, slash);
    const auto database = percentDecode(rest.substr(slash + 1), error);
    if (!database) {
        return std::nullopt;
    }
    if (database->empty() || database->find('/') != std::string::npos) {
        error = "the library URL names no database (postgresql://[user[:password]@]host[:port]/"
                "dbname)";
        return std::nullopt;
    }
    location.database = *database;

    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        const std::string_view userInfo = authority.substr(0, at);
        authority = authority.substr(at + 1);
        const auto colon = userInfo.find(':');
        const auto user = percentDecode(userInfo.substr(0, colon), error);
        if (!user) {
            return std::nullopt;
        }
        location.user = *user;
        if (colon != std::string_view::npos) {
            const auto password = percentDecode(userInfo.substr(colon + 1), error);
            if (!password) {
                return std::nullopt;
            }
            location.password = *password;
        }
    }

    std::string_view hostPart = authority;
    std::string_view portPart;
    if (startsWith(authority, "[")) { // [IPv6 address]
        const auto close = authority.find(']');
        if (close == std::string_view::npos) {
            error = "unclosed '[' in the library URL's host";
            return std::nullopt;
        }
        hostPart = authority.substr(1, close - 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') {
                error = "unexpected text after the host in the library URL";
                return std::nullopt;
            }
            portPart = after.substr(1);
            if (portPart.empty()) {
                error = "bad port '' in the library URL";
                return std::nullopt;
            }
        }
    } else if (const auto colon = authority.rfind(':'); colon != std::string_view::npos) {
        hostPart = authority.substr(0, colon);
        portPart = authority.substr(colon + 1);
        if (portPart.empty()) {
            error = "bad port '' in the library URL";
            return std::nullopt;
        }
    }
    const auto host = percentDecode(hostPart, error);
    if (!host) {
        return std::nullopt;
    }
    location.host = *host;
    if (!portPart.empty()) {
        const auto port = parsePort(portPart, error);
        if (!port) {
            return std::nullopt;
        }
        location.port = *port;
    }

    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (pair.empty()) {
            continue;
        }
        const auto eq = pair.find('=');
        const auto key = percentDecode(pair.substr(0, eq), error);
        const auto value = percentDecode(
            eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1), error);
        if (!key || !value) {
            return std::nullopt;
        }
        if (*key == "host") {
            location.host = *value;
        } else if (*key == "port") {
            const auto port = parsePort(*value, error);
            if (!port) {
                return std::nullopt;
            }
            location.port = *port;
        } else if (*key == "user") {
            location.user = *value;
        } else if (*key == "password") {
            location.password = *value;
        } else {
            error = "unknown parameter '" + *key +
                    "' in the library URL (host, port, user and password are known)";
            return std::nullopt;
        }
    }
    if (location.host.empty()) {
        error = "the library URL names no host (a host name, or ?host=/socket/dir)";
        return std::nullopt;
    }
    return location;
}

} // namespace

std::string LibraryLocation::describe() const {
    if (engine == Engine::SQLite) {
        return file.string();
    }
    std::string text = "postgresql://";
    if (!user.empty()) {
        text += user + "@";
    }
    const bool socket = startsWith(host, "/");
    if (!socket) {
        text += host.find(':') != std::string::npos ? "[" + host + "]" : host;
    }
    if (port > 0) {
        text += ":" + std::to_string(port);
    }
    text += "/" + database;
    if (socket) {
        text += "?host=" + host;
    }
    return text;
}

std::optional<LibraryLocation> ParseLibraryLocation(const std::string& text, std::string& error) {
    for (const std::string_view scheme : {"postgresql://", "postgres://"}) {
        if (startsWith(text, scheme)) {
            return parsePostgresUrl(std::string_view(text).substr(scheme.size()), error);
        }
    }
    if (text.find("://") != std::string::npos) {
        error = "unknown kind of library '" + text +
                "' (an SQLite file, or postgresql://[user[:password]@]host[:port]/dbname)";
        return std::nullopt;
    }
    if (text.empty()) {
        error = "the library location is empty";
        return std::nullopt;
    }
    LibraryLocation location;
    location.file = std::filesystem::absolute(text);
    return location;
}

std::optional<LibraryLocation> ResolveLibraryLocation(const std::optional<std::string>& option,
                                                      const std::filesystem::path& defaultFile,
                                                      std::string& error) {
    if (option) {
        return ParseLibraryLocation(*option, error);
    }
    if (const char* environment = std::getenv(kLibraryEnvironmentVariable);
        environment != nullptr && *environment != '\0') {
        auto location = ParseLibraryLocation(environment, error);
        if (!location) {
            error = std::string(kLibraryEnvironmentVariable) + ": " + error;
        }
        return location;
    }
    LibraryLocation location;
    location.file = std::filesystem::absolute(defaultFile);
    return location;
}

} // namespace varne::library
