#pragma once
// The page lists of the command line: "1,3-5,8-" (single pages, closed ranges, a range open to
// the last page), counted from 1.
#include <QString>
#include <optional>
#include <vector>

namespace kv {

struct PageList {
    std::vector<int> pages;  // ascending, each page once, all within 1 .. pageCount
    QString error;           // non-empty: the list could not be read, this says why
};

// The pages `text` names of a document of `pageCount` pages. A page beyond the document, a
// range running backwards, 0, a sign or any other character is an error.
PageList parsePageList(const QString& text, int pageCount);

// Only the odd (`odd` true) or the even page numbers of `pages`.
std::vector<int> everyOtherPage(const std::vector<int>& pages, bool odd);

} // namespace kv
