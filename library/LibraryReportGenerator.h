#pragma once

#include "library/LibraryLocation.h"
#include "library/RecordLibrary.h"
#include "link/ReportGenerator.h"

#include <functional>
#include <optional>
#include <string>

namespace varne {

class ArchivingReportGenerator;
class MessageSink;
struct SharedState;

namespace library {

// Adds every download whose report was written to the record library, after the report and
// the raw archive: the same for the dialog and varne get. When the library cannot be written,
// the report stands and the user is told (the raw archive keeps the download for varne import).
class LibraryReportGenerator : public ReportGenerator {
public:
    struct Setup {
        ArchivingReportGenerator& report;
        const SharedState& shared;
        // Where the library is (asked at each download); nothing, with the reason, when the
        // location given is malformed.
        std::function<std::optional<LibraryLocation>(std::string& error)> location;
        MessageSink& messages;
        std::function<void(const AddResult&)> added; // may be empty
    };
    explicit LibraryReportGenerator(Setup setup) : s_(std::move(setup)) {}

    void WriteReport() override;

private:
    Setup s_;
};

} // namespace library
} // namespace varne
