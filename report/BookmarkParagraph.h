#pragma once

#include <pugixml.hpp>
#include <string_view>

namespace varne {

// Replaces the first paragraph of the bookmark `bookmarkName` in a WordprocessingML document
// part by `text` (UTF-8; "\n" becomes a line break, "\t" a tab), as Word does when a
// bookmark's first paragraph is given a new text:
// - the bookmark is the first of that name in document order, its name compared ignoring case;
// - its first paragraph is the one holding its start, or, for a start outside any paragraph
//   (at body level, at a table row), the next paragraph in document order;
// - the paragraph keeps its properties, the run properties of its first run and every bookmark
//   marker in it; its other content gives way to the text. Later paragraphs of the bookmark stay.
// Gives false, leaving the document untouched, when no such bookmark (or paragraph) exists.
bool FillBookmarkParagraph(pugi::xml_document& document, std::string_view bookmarkName,
                           std::string_view text);

} // namespace varne
