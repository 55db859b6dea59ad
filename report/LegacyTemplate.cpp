#include "report/LegacyTemplate.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace varne {

namespace fs = std::filesystem;

namespace {

constexpr int kConversionTimeoutMs = 120000;

// FNV-1a: a stable name for the cached copy of one .doc path.
std::string cacheKey(const std::string& text) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : text) {
        hash = (hash ^ static_cast<std::uint8_t>(c)) * 0x100000001b3u;
    }
    std::ostringstream key;
    key << std::hex << hash;
    return key.str();
}

// What identifies one state of the .doc: its path, size and modification time.
std::optional<std::string> stampOf(const fs::path& docPath, std::string& error) {
    std::error_code fileError;
    const auto size = fs::file_size(docPath, fileError);
    const auto modified =
        fileError ? fs::file_time_type{} : fs::last_write_time(docPath, fileError);
    if (fileError) {
        error = docPath.string() + ": " + fileError.message();
        return std::nullopt;
    }
    std::ostringstream stamp;
    stamp << docPath.string() << '\n'
          << size << '\n'
          << modified.time_since_epoch().count() << '\n';
    return stamp.str();
}

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

QString officeProgram() {
    for (const auto* name : {"soffice", "libreoffice"}) {
        if (auto found = QStandardPaths::findExecutable(QString::fromLatin1(name));
            !found.isEmpty()) {
            return found;
        }
    }
    return {};
}

} // namespace

fs::path LegacyTemplate::DefaultCacheDirectory() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/') {
        return fs::path(cache) / "varne-report";
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return fs::path(home) / ".cache" / "varne-report";
    }
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    return (error ? fs::path("/tmp") : temporary) / "varne-report-cache";
}

LegacyTemplate::LegacyTemplate(fs::path cacheDirectory)
    : cacheDirectory_(std::move(cacheDirectory)) {}

std::optional<fs::path> LegacyTemplate::Convert(const fs::path& docPath, std::string& error) const {
    std::error_code fileError;
    const fs::path source = fs::absolute(docPath, fileError);
    const auto stamp = fileError ? std::nullopt : stampOf(source, error);
    if (!stamp) {
        return std::nullopt;
    }
    const std::string key = cacheKey(source.string());
    const fs::path cached = cacheDirectory_ / (key + ".docx");
    const fs::path stampPath = cacheDirectory_ / (key + ".stamp");
    if (fs::is_regular_file(cached, fileError) && readWhole(stampPath) == *stamp) {
        return cached;
    }

    const QString office = officeProgram();
    if (office.isEmpty()) {
        error = source.string() + " needs converting to .docx, but LibreOffice (soffice) is not "
                                  "installed";
        return std::nullopt;
    }
    const fs::path work = cacheDirectory_ / (key + ".work");
    const fs::path profile = fs::absolute(cacheDirectory_ / "office-profile", fileError);
    const fs::path workFolder = fileError ? work : fs::absolute(work, fileError);
    fs::remove_all(work, fileError);
    fs::create_directories(work, fileError);
    if (fileError) {
        error = work.string() + ": " + fileError.message();
        return std::nullopt;
    }

    QProcess convert;
    convert.setProcessChannelMode(QProcess::MergedChannels);
    convert.start(office,
                  {QStringLiteral("-env:UserInstallation=") +
                       QUrl::fromLocalFile(QString::fromStdString(profile.string())).toString(),
                   QStringLiteral("--headless"), QStringLiteral("--norestore"),
                   QStringLiteral("--convert-to"), QStringLiteral("docx:MS Word 2007 XML"),
                   QStringLiteral("--outdir"), QString::fromStdString(workFolder.string()),
                   QString::fromStdString(source.string())});
    const bool finished = convert.waitForFinished(kConversionTimeoutMs);
    if (!finished) {
        convert.kill();
        convert.waitForFinished();
    }
    const fs::path converted = work / (source.stem().string() + ".docx");
    if (!finished || convert.exitCode() != 0 || !fs::is_regular_file(converted, fileError)) {
        error = "LibreOffice could not convert " + source.string() + ": " +
                convert.readAll().trimmed().toStdString();
        fs::remove_all(work, fileError);
        return std::nullopt;
    }
    fs::rename(converted, cached, fileError);
    std::error_code ignored;
    fs::remove_all(work, ignored);
    if (fileError) {
        error = cached.string() + ": " + fileError.message();
        return std::nullopt;
    }
    std::ofstream(stampPath, std::ios::binary | std::ios::trunc) << *stamp;
    return cached;
}

} // namespace varne
