// Fitting text into the room a front end has, measured however it measures
// (pixels of a font, terminal cells): a name cut at a character's end with
// "…", the key strip wrapped onto lines. Text here is printable UTF-8 (see
// printable_text.h), so every character's bytes are found by its lead byte.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace boxsim {

using Measure = std::function<int(const std::string&)>;

inline constexpr const char* ellipsis = "\u2026";

// How many bytes the character starting with lead takes (1 to 4).
std::size_t characterLength(unsigned char lead);
// The code point of the character at text[at], which is printable UTF-8.
char32_t codePoint(const std::string& text, std::size_t at);

// text when it fits in width; otherwise its longest start of whole
// characters that fits with "…" after it (just "…", or "" if even that
// does not fit).
std::string fitText(const std::string& text, int width, const Measure& measure);

// A notice in width: whole where it fits; otherwise, where it ends in its
// remedy in brackets ("... (--dsp to choose)"), its start cut with "…" and
// the remedy whole after it; else as fitText cuts it.
std::string fitNotice(const std::string& text, int width, const Measure& measure);

// The entries in order on as few lines as fit width, each line's entries
// joined by separator; an entry wider than width has a line of its own.
std::vector<std::string> wrapEntries(const std::vector<std::string>& entries, int width,
                                     const std::string& separator, const Measure& measure);

// A row of --help: head in its column, then text wrapped beside it within
// 78 columns (below head where head is wider than its column).
std::string helpRow(const std::string& head, const std::string& text);

} // namespace boxsim
