#include "base/ConfigureFolder.h"

#include "base/ShippedDefaults.h"

#include <system_error>

namespace varne {

namespace fs = std::filesystem;

ConfigurationPlace FindConfiguration(const fs::path& workingDirectory,
                                     const fs::path& shippedDefaults) {
    ConfigurationPlace place{BuildPaths(workingDirectory), {}};
    std::error_code error;
    const fs::file_status own = fs::symlink_status(workingDirectory / "Configure", error);
    // Only a Configure/ known to be missing gives way; one that cannot be looked at is still
    // the user's, and reading it tells what is wrong.
    if (own.type() != fs::file_type::not_found || shippedDefaults.empty()) {
        return place;
    }
    place.paths.templatePath = shippedDefaults / "Varne_Report.docx";
    place.paths.labelPath = shippedDefaults / "Varne_wordlabel.abl";
    place.paths.portFilePath = shippedDefaults / "Varne_Com.txt";
    place.shippedDefaults = shippedDefaults;
    return place;
}

ConfigurationPlace FindConfiguration() {
    std::error_code error;
    fs::path workingDirectory = fs::current_path(error);
    if (error) {
        workingDirectory = "."; // removed under the program: as BuildPaths() does
    }
    return FindConfiguration(workingDirectory, ShippedConfigureDirectory());
}

} // namespace varne
