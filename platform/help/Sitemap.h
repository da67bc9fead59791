#pragma once

// The contents (.hhc) and index (.hhk) files of a help project: nested lists of entries, each
// with a name and the topic it opens.

#include <string>
#include <string_view>
#include <vector>

namespace foliant::help {

struct SitemapEntry {
    std::string name;  // as shown, entities resolved (UTF-8 when the file is)
    std::string local; // the topic it opens ("fields.htm", "styles.htm#table"); "" for a heading
    std::vector<SitemapEntry> children;
};

// The entries of a contents or index file, in order, nested as its lists nest. Reads the
// sitemap objects (<OBJECT type="text/sitemap"> with "Name" and "Local" parameters) and the
// <UL> lists around them; everything else is skipped. Never throws: a damaged file gives what
// could be read of it.
std::vector<SitemapEntry> ParseSitemap(std::string_view text);

// Every entry of a tree, depth first, in order. The pointers point into entries, which must
// outlive them (so a temporary tree is refused).
std::vector<const SitemapEntry*> Flatten(const std::vector<SitemapEntry>& entries);
std::vector<const SitemapEntry*> Flatten(std::vector<SitemapEntry>&& entries) = delete;

} // namespace foliant::help
