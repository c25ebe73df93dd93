#pragma once

#include <string>
#include <string_view>
#include <vector>

// The settings file outside Windows: UTF-8 text in the INI form that desktop
// toolkits read and write ("[General]" sections, "key=value" lines, ';'
// comment lines, values quoted and escaped the way Qt's QSettings does it).
// Every line that a change does not touch is kept as it was, so notes and
// foreign sections in the file survive a save.
class IniDocument {
public:
    void parse(std::string_view text);
    std::string text() const;

    // Lines above the first section header belong to [General], as in QSettings.
    // The raw text after '=' of the last `key` line in `section`; false when absent.
    bool find(std::string_view section, std::string_view key, std::string& raw) const;
    // Replaces the last `key` line of `section`, or adds one (and the section).
    void set(std::string_view section, std::string_view key, std::string_view raw);

private:
    std::vector<std::string> lines;
};

// Decodes a raw value into its text. False for what is not a single text:
// a list (an unquoted comma) or a typed value such as "@Variant(...)".
bool decodeIniText(std::string_view raw, std::string& text);
// The raw form of a text: escaped, and quoted where the reader would
// otherwise cut or split it.
std::string encodeIniText(std::string_view text);
