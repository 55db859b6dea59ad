#pragma once

namespace varne {

// Writes the report from the accepted report image (text file or Word document).
class ReportGenerator {
public:
    virtual ~ReportGenerator() = default;
    virtual void WriteReport() = 0;
};

} // namespace varne
