#include "report/BookmarkParagraph.h"

#include <QString>
#include <algorithm>
#include <string>
#include <vector>

namespace varne {

namespace {

constexpr std::string_view kWordNamespace =
    "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

// Qualified names of the WordprocessingML elements we touch, under the prefix the document
// binds to the main namespace (w: in practice).
class WordNames {
public:
    explicit WordNames(const pugi::xml_node root) {
        for (const auto attribute : root.attributes()) {
            const std::string_view name = attribute.name();
            if (attribute.value() != kWordNamespace) {
                continue;
            }
            if (name == "xmlns") {
                prefix_.clear();
                return;
            }
            if (name.starts_with("xmlns:")) {
                prefix_ = std::string(name.substr(6)) + ":";
                return;
            }
        }
    }

    std::string operator()(std::string_view localName) const {
        return prefix_ + std::string(localName);
    }

private:
    std::string prefix_ = "w:";
};

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

bool isAscii(std::string_view text) {
    return std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Names compared as Word compares bookmark names: ignoring case, of any letter ("Prüfung"
// matches "PRÜFUNG").
bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (equalIgnoringAsciiCase(a, b)) {
        return true;
    }
    if (isAscii(a) && isAscii(b)) {
        return false;
    }
    const auto text = [](std::string_view utf8) {
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    };
    return text(a).compare(text(b), Qt::CaseInsensitive) == 0;
}

pugi::xml_node nextInDocumentOrder(pugi::xml_node node) {
    if (const auto child = node.first_child()) {
        return child;
    }
    for (; node; node = node.parent()) {
        if (const auto sibling = node.next_sibling()) {
            return sibling;
        }
    }
    return {};
}

pugi::xml_node nearestAncestor(pugi::xml_node node, const std::string& name) {
    for (node = node.parent(); node; node = node.parent()) {
        if (name == node.name()) {
            return node;
        }
    }
    return {};
}

pugi::xml_node paragraphOf(const pugi::xml_node bookmarkStart, const WordNames& w) {
    const std::string paragraph = w("p");
    if (const auto enclosing = nearestAncestor(bookmarkStart, paragraph)) {
        return enclosing;
    }
    for (auto node = nextInDocumentOrder(bookmarkStart); node; node = nextInDocumentOrder(node)) {
        if (paragraph == node.name()) {
            return node;
        }
    }
    return {};
}

// Descendants named in `names` that belong to `paragraph` itself, not to a paragraph nested in
// it (a text box), in document order. Walked without recursion: a template's nesting depth is
// not ours to choose.
void collectOwn(const pugi::xml_node paragraph, const std::vector<std::string>& names,
                const std::string& paragraphName, std::vector<pugi::xml_node>& found) {
    auto node = paragraph.first_child();
    while (node) {
        const bool nestedParagraph = paragraphName == node.name();
        if (!nestedParagraph && std::ranges::find(names, node.name()) != names.end()) {
            found.push_back(node);
        }
        if (!nestedParagraph && node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != paragraph && !node.next_sibling()) {
            node = node.parent();
        }
        node = node == paragraph ? pugi::xml_node{} : node.next_sibling();
    }
}

std::vector<pugi::xml_node> ownDescendants(const pugi::xml_node paragraph,
                                           const std::vector<std::string>& names,
                                           const WordNames& w) {
    std::vector<pugi::xml_node> found;
    collectOwn(paragraph, names, w("p"), found);
    return found;
}

void appendText(pugi::xml_node run, std::string_view text, const WordNames& w) {
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const auto end = std::min(text.find_first_of("\n\t", begin), text.size());
        if (end > begin) {
            auto t = run.append_child(w("t").c_str());
            t.append_attribute("xml:space") = "preserve";
            t.text().set(std::string(text.substr(begin, end - begin)).c_str());
        }
        if (end == text.size()) {
            break;
        }
        run.append_child(w(text[end] == '\n' ? "br" : "tab").c_str());
        begin = end + 1;
    }
}

} // namespace

bool FillBookmarkParagraph(pugi::xml_document& document, std::string_view bookmarkName,
                           std::string_view text) {
    if (bookmarkName.empty()) {
        return false;
    }
    const WordNames w(document.document_element());
    const std::string startName = w("bookmarkStart");
    const std::string endName = w("bookmarkEnd");
    const std::string nameAttribute = w("name");
    const std::string idAttribute = w("id");

    const auto start = document.find_node([&](const pugi::xml_node node) {
        return startName == node.name() &&
               equalIgnoringCase(node.attribute(nameAttribute.c_str()).value(), bookmarkName);
    });
    if (!start) {
        return false;
    }
    auto paragraph = paragraphOf(start, w);
    if (!paragraph) {
        return false;
    }

    const auto markers = ownDescendants(paragraph, {startName, endName}, w);
    const auto runs = ownDescendants(paragraph, {w("r")}, w);
    const std::string_view id = start.attribute(idAttribute.c_str()).value();

    auto run = paragraph.append_child(w("r").c_str());
    if (!runs.empty()) {
        if (const auto runProperties = runs.front().child(w("rPr").c_str())) {
            run.append_copy(runProperties);
        }
    }
    appendText(run, text, w);

    // Markers move up to the paragraph, in their order, ahead of removing everything else.
    for (const auto marker : markers) {
        paragraph.append_move(marker);
    }
    const std::string propertiesName = w("pPr");
    for (auto child = paragraph.first_child(); child;) {
        const auto next = child.next_sibling();
        const bool keep = child == run || propertiesName == child.name() ||
                          std::ranges::find(markers, child) != markers.end();
        if (!keep) {
            paragraph.remove_child(child);
        }
        child = next;
    }

    // The text goes inside the bookmark: right after its start, else right before its end,
    // else (the whole paragraph lies within the bookmark) at the paragraph's beginning.
    const auto ownEnd = std::ranges::find_if(markers, [&](const pugi::xml_node marker) {
        return endName == marker.name() && id == marker.attribute(idAttribute.c_str()).value();
    });
    if (start.parent() == paragraph) {
        paragraph.insert_move_after(run, start);
    } else if (ownEnd != markers.end()) {
        paragraph.insert_move_before(run, *ownEnd);
    } else if (const auto properties = paragraph.child(propertiesName.c_str())) {
        paragraph.insert_move_after(run, properties);
    } else {
        paragraph.prepend_move(run);
    }
    return true;
}

} // namespace varne
