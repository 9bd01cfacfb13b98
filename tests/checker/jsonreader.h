// ReadJson: JSON text read into values, for the tests that read zStartupCheck --json. Strings
// come back as UTF-8, their \uXXXX escapes (surrogate pairs too) decoded.
#ifndef ZSTARTUP_TESTS_CHECKER_JSONREADER_H
#define ZSTARTUP_TESTS_CHECKER_JSONREADER_H

#include <string>
#include <utility>
#include <vector>

struct JsonValue {
    enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };

    // The member named key; a null value when there is none or this is no object.
    const JsonValue& operator[](const std::string& key) const;

    Kind kind = Kind::kNull;
    bool boolean = false;
    double number = 0;
    std::string text;                                        // a string, as UTF-8
    std::vector<JsonValue> items;                            // an array
    std::vector<std::pair<std::string, JsonValue>> members;  // an object, in text order
};

// True when text holds exactly one JSON value (blanks around it allowed), read into value;
// false, with error naming the offset and what was wrong there, otherwise.
bool ReadJson(const std::string& text, JsonValue& value, std::string& error);

#endif
