#pragma once

#include <QCoreApplication>
#include <memory>
#include <vector>

namespace varne::cli {

// Whether `varne` with these arguments (argv[0] first) draws a PDF: get, render or export
// with --format pdf. Only those runs need Qt GUI.
bool drawsPdf(int argc, const char* const* argv);

// The application object of one varne run, chosen before it is made: a GUI application on the
// offscreen platform when the run draws a PDF (no display needed; the programs it starts, such
// as the PDF viewer, keep the desktop's platform), a core application otherwise.
class ApplicationChoice {
public:
    ApplicationChoice(int argc, char** argv);
    ApplicationChoice(const ApplicationChoice&) = delete;
    ApplicationChoice& operator=(const ApplicationChoice&) = delete;

    std::unique_ptr<QCoreApplication> make();

private:
    bool gui_;
    std::vector<char*> arguments_; // argv as the application object sees it
    int count_;                    // kept alive for the application object, which refers to it
};

} // namespace varne::cli
