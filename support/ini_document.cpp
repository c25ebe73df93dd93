#include "support/ini_document.h"

#include "support/hex_digit.h"
#include "support/utf8_text.h"

#include <cstdint>

namespace {

// Keys above the first section header belong to it, as QSettings reads them.
constexpr std::string_view kGeneral = "General";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// "[name]" gives name; false for any other line.
bool sectionOf(std::string_view line, std::string_view& name) {
    line = trimmed(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return false;
    name = line.substr(1, line.size() - 2);
    return true;
}

// "key=value" gives both, trimmed; false for comments and other lines.
bool entryOf(std::string_view line, std::string_view& key, std::string_view& raw) {
    const std::string_view whole = trimmed(line);
    const size_t equals = whole.find('=');
    if (whole.empty() || whole.front() == ';' || equals == std::string_view::npos)
        return false;
    key = trimmed(whole.substr(0, equals));
    raw = trimmed(whole.substr(equals + 1));
    return !key.empty();
}

// The escapes Qt writes by letter, both ways; a backslash before any other
// character stands for that character, the quote and the backslash among them.
struct LetterEscape {
    char letter;
    char character;
};
constexpr LetterEscape kLetterEscapes[] = {
    {'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},  {'r', '\r'},
    {'t', '\t'}, {'v', '\v'}, {'"', '"'},  {'\\', '\\'},
};

// Decodes the escape after a backslash at raw[pos]; returns the next position.
size_t decodeEscape(std::string_view raw, size_t pos, std::string& out) {
    if (pos >= raw.size())
        return pos;
    const char c = raw[pos++];
    for (const LetterEscape& escape : kLetterEscapes) {
        if (escape.letter == c) {
            out += escape.character;
            return pos;
        }
    }
    if (c == 'x') {
        // \x and up to four hex digits name one 16-bit character.
        uint32_t value = 0;
        for (int digits = 0; digits < 4 && pos < raw.size() && hexDigitValue(raw[pos]) >= 0;
             ++digits)
            value = value * 16 + static_cast<uint32_t>(hexDigitValue(raw[pos++]));
        appendUtf8(value, out);
        return pos;
    }
    if (c >= '0' && c <= '7') {
        uint32_t value = static_cast<uint32_t>(c - '0');
        for (int digits = 1; digits < 3 && pos < raw.size() && raw[pos] >= '0' && raw[pos] <= '7';
             ++digits)
            value = value * 8 + static_cast<uint32_t>(raw[pos++] - '0');
        appendUtf8(value, out);
        return pos;
    }
    out += c;
    return pos;
}

// The letter that escapes `c`, or 0 when it has none.
char escapeLetterOf(char c) {
    for (const LetterEscape& escape : kLetterEscapes) {
        if (escape.character == c)
            return escape.letter;
    }
    return 0;
}

void appendHexEscape(uint8_t byte, std::string& out) {
    static const char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

// Qt marks typed values as "@Type(...)" and doubles the '@' of a text that
// starts with one.
bool untypedText(std::string& text) {
    static const std::string_view kTypes[] = {"@ByteArray(", "@String(", "@Variant(", "@DateTime(",
                                              "@Rect(",      "@Size(",   "@Point(",   "@Invalid("};
    if (text.compare(0, 2, "@@") == 0) {
        text.erase(0, 1);
        return true;
    }
    for (const std::string_view type : kTypes)
        if (text.compare(0, type.size(), type) == 0 && text.back() == ')')
            return false;
    return true;
}

} // namespace

void IniDocument::parse(std::string_view text) {
    lines.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string IniDocument::text() const {
    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += '\n';
    }
    return out;
}

bool IniDocument::find(std::string_view section, std::string_view key, std::string& raw) const {
    bool found = false;
    bool inSection = section == kGeneral;
    for (const std::string& line : lines) {
        std::string_view name, lineKey, lineRaw;
        if (sectionOf(line, name)) {
            inSection = name == section;
        } else if (inSection && entryOf(line, lineKey, lineRaw) && lineKey == key) {
            raw.assign(lineRaw);
            found = true;
        }
    }
    return found;
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view raw) {
    std::string line(key);
    line += '=';
    line += raw;

    // Keys above any header make a [General] section of their own; a
    // comment alone there does not.
    bool sectionFound = false;
    size_t sectionEnd = 0;
    size_t lastEntry = lines.size();
    bool inSection = section == kGeneral;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view name, lineKey, lineRaw;
        if (sectionOf(lines[i], name)) {
            inSection = name == section;
            if (inSection) {
                sectionFound = true;
                sectionEnd = i + 1;
            }
        } else if (inSection) {
            if (!trimmed(lines[i]).empty())
                sectionEnd = i + 1;
            if (entryOf(lines[i], lineKey, lineRaw)) {
                sectionFound = true;
                if (lineKey == key)
                    lastEntry = i;
            }
        }
    }
    if (lastEntry < lines.size()) {
        lines[lastEntry] = line;
    } else if (sectionFound) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), line);
    } else {
        // A new section goes first, where Qt puts [General], set off by a blank line.
        // Built by appends: GCC 12 at -O3 misreads "[" + section + "]" as an
        // overlapping copy (-Werror=restrict) and stops the release build.
        std::string header = "[";
        header.append(section).append("]");
        std::vector<std::string> head{header, line};
        if (!lines.empty())
            head.emplace_back();
        lines.insert(lines.begin(), head.begin(), head.end());
    }
}

bool decodeIniText(std::string_view raw, std::string& text) {
    text.clear();
    // Blanks before a ';' comment are trimmed, but never quoted or escaped ones.
    size_t keep = 0;
    bool quoted = false;
    size_t pos = 0;
    while (pos < raw.size()) {
        const char c = raw[pos++];
        if (c == '\\') {
            pos = decodeEscape(raw, pos, text);
            keep = text.size();
        } else if (c == '"') {
            quoted = !quoted;
            keep = text.size();
        } else if (quoted) {
            text += c;
            keep = text.size();
        } else if (c == ';') {
            break;
        } else if (c == ',') {
            return false;
        } else {
            text += c;
            if (!isBlank(c))
                keep = text.size();
        }
    }
    text.resize(keep);
    return untypedText(text);
}

std::string encodeIniText(std::string_view text) {
    std::string out;
    bool needsQuotes = !text.empty() && (isBlank(text.front()) || isBlank(text.back()));
    bool hexPending = false;
    for (const char c : text) {
        const auto byte = static_cast<uint8_t>(c);
        // "\x41" followed by a hex digit would read as one longer number.
        if (hexPending && hexDigitValue(c) >= 0) {
            appendHexEscape(byte, out);
            continue;
        }
        hexPending = false;
        if (const char letter = escapeLetterOf(c)) {
            out += '\\';
            out += letter;
        } else if (byte < 0x20) {
            appendHexEscape(byte, out);
            hexPending = true;
        } else {
            needsQuotes = needsQuotes || c == ';' || c == ',' || c == '=';
            out += c;
        }
    }
    if (!out.empty() && out.front() == '@')
        out.insert(out.begin(), '@');
    return needsQuotes ? "\"" + out + "\"" : out;
}
