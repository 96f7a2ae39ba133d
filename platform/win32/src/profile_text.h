// Private to the host simulation: the text of a profile (ini) file, looked up and edited.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win32sim::detail {

// One line of a profile text, as offsets into it.
struct ProfileLine {
    // Other: a line that is neither header nor key (no '='), ignored as Windows ignores it. A
    // comment (';') is no kind of its own: it is only left out of the lists of keys.
    enum class Kind { Blank, Other, Section, Key };
    Kind kind;
    std::size_t begin; // first byte of the line
    std::size_t end;   // end of its content, before the line break
    std::size_t next;  // first byte of the next line (== end when the text ends without a break)
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // key value, trimmed, quotes kept
};

// A parsed view of a profile text; the text must outlive it. Names compare without regard to
// case (code page 1251); where a section or key occurs twice, the first one counts for reading.
class ProfileText {
public:
    explicit ProfileText(std::string_view text);

    // Names of the sections and of the keys of one section (comments left out), in file order,
    // each occurrence listed as Windows lists it. Empty names are left out: they cannot be told
    // from the end of a NUL-separated list.
    std::vector<std::string_view> SectionNames() const;
    std::vector<std::string_view> KeyNames(std::string_view section) const;

    // The value of a key with enclosing quotes removed; nullopt when the key is missing.
    std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;

    // The edited text. Lines written anew end with CR LF; all other bytes are kept.
    std::string WithValue(std::string_view section, std::string_view key,
                          std::string_view value) const;
    // nullopt when there is nothing to delete.
    std::optional<std::string> WithoutKey(std::string_view section, std::string_view key) const;
    std::optional<std::string> WithoutSection(std::string_view section) const;

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // Index of the header of the first section with this name, or kNone.
    std::size_t FindSection(std::string_view section, std::size_t from = 0) const;
    // Index past the last line of the section whose header is at `header`.
    std::size_t SectionEnd(std::size_t header) const;
    // Index of the first key with this name in lines [from, to), or kNone.
    std::size_t FindKey(std::string_view key, std::size_t from, std::size_t to) const;

    std::string_view text_;
    std::vector<ProfileLine> lines_;
};

} // namespace win32sim::detail
