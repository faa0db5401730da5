#include "boxsim/frontend/screen/text_fit.h"

#include <algorithm>

namespace boxsim {

std::size_t characterLength(unsigned char lead) {
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

char32_t codePoint(const std::string& text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = characterLength(lead);
    if (length == 1)
        return lead;
    char32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length && at + k < text.size(); ++k)
        code = (code << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3F);
    return code;
}

std::string fitText(const std::string& text, int width, const Measure& measure) {
    if (measure(text) <= width)
        return text;
    std::vector<std::size_t> ends; // after each character
    for (std::size_t at = 0; at < text.size();) {
        at += characterLength(static_cast<unsigned char>(text[at]));
        ends.push_back(std::min(at, text.size()));
    }
    // The longer a start, the wider: the longest that fits is found by halves.
    std::size_t fits = 0, wider = ends.size();
    while (wider - fits > 1) {
        const std::size_t mid = (fits + wider) / 2;
        if (measure(text.substr(0, ends[mid - 1]) + ellipsis) <= width)
            fits = mid;
        else
            wider = mid;
    }
    if (fits > 0)
        return text.substr(0, ends[fits - 1]) + ellipsis;
    return measure(ellipsis) <= width ? ellipsis : "";
}

std::string fitNotice(const std::string& text, int width, const Measure& measure) {
    const std::size_t open = text.rfind(" (");
    if (measure(text) <= width || open == std::string::npos || text.back() != ')')
        return fitText(text, width, measure);
    const std::string remedy = text.substr(open);
    const int room = width - measure(remedy);
    const std::string start = fitText(text.substr(0, open), room, measure);
    return start.empty() ? fitText(text, width, measure) : start + remedy;
}

std::vector<std::string> wrapEntries(const std::vector<std::string>& entries, int width,
                                     const std::string& separator, const Measure& measure) {
    std::vector<std::string> lines;
    for (const std::string& entry : entries) {
        if (!lines.empty() && measure(lines.back() + separator + entry) <= width)
            lines.back() += separator + entry;
        else
            lines.push_back(entry);
    }
    return lines;
}

std::string helpRow(const std::string& head, const std::string& text) {
    constexpr std::size_t indent = 18, width = 78;
    std::vector<std::string> words;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    const auto bytes = [](const std::string& t) { return static_cast<int>(t.size()); };
    std::string out = "  " + head;
    out += out.size() < indent ? std::string(indent - out.size(), ' ')
                               : "\n" + std::string(indent, ' ');
    const std::vector<std::string> lines = wrapEntries(words, width - indent, " ", bytes);
    for (std::size_t i = 0; i < lines.size(); ++i)
        out += (i ? std::string(indent, ' ') : "") + lines[i] + "\n";
    return out;
}

} // namespace boxsim
