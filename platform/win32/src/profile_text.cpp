// The parser and editor of profile (ini) texts: one pass over the lines, edits by byte ranges.
#include "profile_text.h"

#include "cp1251.h"

namespace win32sim::detail {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\''))
        return value.substr(1, value.size() - 2);
    return value;
}

ProfileLine ParseLine(std::string_view content, std::size_t begin) {
    ProfileLine line{ProfileLine::Kind::Blank, begin, begin + content.size(), 0, {}, {}};
    std::size_t i = 0;
    while (i < content.size() && IsBlank(content[i]))
        ++i;
    if (i == content.size())
        return line;
    if (content[i] == '[') {
        const std::size_t close = content.find(']', i + 1);
        if (close != std::string_view::npos) {
            line.kind = ProfileLine::Kind::Section;
            line.name = Trim(content.substr(i + 1, close - i - 1));
            return line;
        }
        // Without its ']' the line is no header; like any other line it may be a key.
    }
    const std::size_t eq = content.find('=');
    if (eq == std::string_view::npos) {
        line.kind = ProfileLine::Kind::Other;
        return line;
    }
    line.kind = ProfileLine::Kind::Key;
    line.name = Trim(content.substr(0, eq));
    line.value = Trim(content.substr(eq + 1));
    return line;
}

} // namespace

ProfileText::ProfileText(std::string_view text) : text_(text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        ProfileLine line = ParseLine(text.substr(pos, end - pos), pos);
        std::size_t next = end;
        if (end < text.size())
            next = (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? end + 2
                                                                                         : end + 1;
        line.next = next;
        lines_.push_back(line);
        pos = next;
    }
}

std::size_t ProfileText::FindSection(std::string_view section, std::size_t from) const {
    for (std::size_t i = from; i < lines_.size(); ++i)
        if (lines_[i].kind == ProfileLine::Kind::Section &&
            cp1251::EqualNoCase(lines_[i].name, section))
            return i;
    return kNone;
}

std::size_t ProfileText::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != ProfileLine::Kind::Section)
        ++i;
    return i;
}

std::size_t ProfileText::FindKey(std::string_view key, std::size_t from, std::size_t to) const {
    for (std::size_t i = from; i < to; ++i)
        if (lines_[i].kind == ProfileLine::Kind::Key && cp1251::EqualNoCase(lines_[i].name, key))
            return i;
    return kNone;
}

std::vector<std::string_view> ProfileText::SectionNames() const {
    std::vector<std::string_view> names;
    for (const auto& line : lines_)
        if (line.kind == ProfileLine::Kind::Section && !line.name.empty())
            names.push_back(line.name);
    return names;
}

std::vector<std::string_view> ProfileText::KeyNames(std::string_view section) const {
    std::vector<std::string_view> names;
    const std::size_t header = FindSection(section);
    if (header == kNone)
        return names;
    for (std::size_t i = header + 1, end = SectionEnd(header); i < end; ++i)
        if (lines_[i].kind == ProfileLine::Kind::Key && !lines_[i].name.empty() &&
            lines_[i].name.front() != ';')
            names.push_back(lines_[i].name);
    return names;
}

std::optional<std::string_view> ProfileText::Value(std::string_view section,
                                                   std::string_view key) const {
    const std::size_t header = FindSection(section);
    if (header == kNone)
        return std::nullopt;
    const std::size_t k = FindKey(key, header + 1, SectionEnd(header));
    if (k == kNone)
        return std::nullopt;
    return Unquote(lines_[k].value);
}

std::string ProfileText::WithValue(std::string_view section, std::string_view key,
                                   std::string_view value) const {
    std::string out;
    const std::size_t header = FindSection(section);
    if (header == kNone) {
        out = text_;
        if (!lines_.empty()) {
            const ProfileLine& last = lines_.back();
            if (last.next == last.end)
                out += "\r\n";
            if (last.kind != ProfileLine::Kind::Blank)
                out += "\r\n";
        }
        out.append("[").append(section).append("]\r\n");
        out.append(key).append("=").append(value).append("\r\n");
        return out;
    }

    const std::size_t end = SectionEnd(header);
    const std::size_t k = FindKey(key, header + 1, end);
    if (k != kNone) {
        const ProfileLine& line = lines_[k];
        out.append(text_.substr(0, line.begin));
        out.append(line.name).append("=").append(value).append("\r\n");
        out.append(text_.substr(line.next));
        return out;
    }

    // A new key goes after the last key line, ahead of trailing blank and comment lines.
    std::size_t after = header;
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == ProfileLine::Kind::Key)
            after = i;
    const ProfileLine& line = lines_[after];
    out.append(text_.substr(0, line.next));
    if (line.next == line.end)
        out += "\r\n";
    out.append(key).append("=").append(value).append("\r\n");
    out.append(text_.substr(line.next));
    return out;
}

// Deleting removes every line of the key in its section (and every section of the name), so
// that an occurrence hidden behind the first one does not come to light afterwards.
std::optional<std::string> ProfileText::WithoutKey(std::string_view section,
                                                   std::string_view key) const {
    const std::size_t header = FindSection(section);
    if (header == kNone)
        return std::nullopt;
    std::string out;
    std::size_t copied = 0;
    bool found = false;
    for (std::size_t i = header + 1, end = SectionEnd(header); i < end; ++i) {
        if (lines_[i].kind != ProfileLine::Kind::Key || !cp1251::EqualNoCase(lines_[i].name, key))
            continue;
        out.append(text_.substr(copied, lines_[i].begin - copied));
        copied = lines_[i].next;
        found = true;
    }
    if (!found)
        return std::nullopt;
    out.append(text_.substr(copied));
    return out;
}

std::optional<std::string> ProfileText::WithoutSection(std::string_view section) const {
    std::string out;
    std::size_t copied = 0;
    bool found = false;
    for (std::size_t header = FindSection(section); header != kNone;) {
        const std::size_t end = SectionEnd(header);
        out.append(text_.substr(copied, lines_[header].begin - copied));
        copied = lines_[end - 1].next;
        found = true;
        header = FindSection(section, end);
    }
    if (!found)
        return std::nullopt;
    out.append(text_.substr(copied));
    return out;
}

} // namespace win32sim::detail
