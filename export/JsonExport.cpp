#include "export/JsonExport.h"

#include "export/ExportText.h"
#include "report/PrintfFormat.h"
#include "report/model/KneePoint.h"
#include "report/model/TestTimeText.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace varne {

namespace {

void appendString(std::string& out, std::string_view text) {
    out += '"';
    while (!text.empty()) {
        const char c = text.front();
        if (static_cast<std::uint8_t>(c) >= 0x80) {
            const std::size_t length = Utf8SequenceLength(text);
            if (length == 0) {
                out += "\xEF\xBF\xBD";
                text.remove_prefix(1);
            } else {
                out.append(text.substr(0, length));
                text.remove_prefix(length);
            }
            continue;
        }
        text.remove_prefix(1);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (static_cast<std::uint8_t>(c) < 0x20) {
                appendPrintf(out, "\\u%04x", static_cast<unsigned>(c));
            } else {
                out += c;
            }
            break;
        }
    }
    out += '"';
}

void appendNumber(std::string& out, double value) {
    out += std::isfinite(value) ? ShortestNumber(value) : std::string("null");
}

void appendKey(std::string& out, std::string_view key) {
    appendString(out, key);
    out += ':';
}

void appendField(std::string& out, std::string_view key, std::string_view text) {
    appendKey(out, key);
    appendString(out, text);
    out += ',';
}

void appendField(std::string& out, std::string_view key, int code) {
    appendKey(out, key);
    out += std::to_string(code);
    out += ',';
}

void appendObject(std::string& out, const ExportedRecord& exported) {
    const TestRecord& r = exported.record;
    out += '{';
    appendField(out, "fingerprint", exported.fingerprint);
    appendField(out, "type", r.type);
    appendField(out, "subtype", r.subtype);
    appendField(out, "option", r.option);
    appendField(out, "kind", r.kind);
    appendField(out, "subkind", r.subkind);
    appendKey(out, "tested_at");
    if (r.testedAt) {
        appendString(out, IsoTestTime(*r.testedAt));
    } else {
        out += "null";
    }
    out += ',';
    appendField(out, "heading", r.heading);
    appendField(out, "date", r.date);
    appendField(out, "result", r.result);

    appendKey(out, "quantities");
    out += '[';
    for (std::size_t q = 0; q < r.quantities.size(); ++q) {
        out += q == 0 ? "{" : ",{";
        appendField(out, "name", r.quantities[q].name);
        appendKey(out, "value");
        appendNumber(out, r.quantities[q].value);
        out += ',';
        appendKey(out, "unit");
        appendString(out, r.quantities[q].unit);
        out += '}';
    }
    out += "],";

    appendKey(out, "curve");
    out += '[';
    for (std::size_t p = 0; p < r.curve.size(); ++p) {
        out += p == 0 ? "{" : ",{";
        appendKey(out, "current_a");
        appendNumber(out, static_cast<double>(r.curve[p].current));
        out += ',';
        appendKey(out, "voltage_v");
        appendNumber(out, static_cast<double>(r.curve[p].voltage));
        out += '}';
    }
    out += "],";

    appendKey(out, "knee_point");
    if (const auto knee = FindKneePoint(r.curve)) {
        out += '{';
        appendKey(out, "voltage_v");
        appendNumber(out, knee->voltage);
        out += ',';
        appendKey(out, "current_a");
        appendNumber(out, knee->current);
        out += "},";
    } else {
        out += "null,";
    }

    appendKey(out, "downloads");
    out += '[';
    for (std::size_t d = 0; d < exported.downloads.size(); ++d) {
        if (d != 0) {
            out += ',';
        }
        appendString(out, exported.downloads[d]);
    }
    out += "]}";
}

} // namespace

JsonExportWriter::JsonExportWriter(std::ostream& out) : out_(out) {
    out_ << '[';
}

void JsonExportWriter::write(const ExportedRecord& record) {
    std::string line;
    line.reserve(1024);
    line += first_ ? "\n" : ",\n";
    first_ = false;
    appendObject(line, record);
    out_.write(line.data(), static_cast<std::streamsize>(line.size()));
}

void JsonExportWriter::finish() {
    if (!finished_) {
        out_ << (first_ ? "]\n" : "\n]\n");
        finished_ = true;
    }
}

void WriteJsonExport(std::ostream& out, std::span<const ExportedRecord> records) {
    JsonExportWriter writer(out);
    for (const ExportedRecord& record : records) {
        writer.write(record);
    }
    writer.finish();
}

} // namespace varne
