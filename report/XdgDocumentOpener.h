#pragma once

#include "report/DocumentOpener.h"

#include <memory>
#include <string>
#include <vector>

class QProcess;

namespace varne {

// Opens documents with the desktop's default application: asks xdg-mime whether any
// application handles documents of its type (Word documents unless told otherwise), then runs
// xdg-open.
class XdgDocumentOpener : public DocumentOpener {
public:
    XdgDocumentOpener();
    explicit XdgDocumentOpener(std::string mimeType);
    ~XdgDocumentOpener() override;
    XdgDocumentOpener(const XdgDocumentOpener&) = delete;
    XdgDocumentOpener& operator=(const XdgDocumentOpener&) = delete;

    OpenOutcome Open(const std::filesystem::path& document) override;

private:
    // xdg-open may stay in the foreground as long as the application runs (on desktops
    // without their own opener); such runs are left alone here instead of being killed.
    std::vector<std::unique_ptr<QProcess>> stillRunning_;
    std::string mimeType_;
};

} // namespace varne
