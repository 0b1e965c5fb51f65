// A small JSON document for the tool's --json output: objects keep their
// keys sorted, and the text is laid out as the tool has always printed it
// (indented by four spaces, or compact on one line).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class Json {
public:
    enum class Kind { Null, Bool, Integer, Double, String, Array, Object };

    Json() = default;
    Json(bool value) : kind_(Kind::Bool), integer_(value) {}
    Json(int value) : kind_(Kind::Integer), integer_(value) {}
    Json(int64_t value) : kind_(Kind::Integer), integer_(value) {}
    Json(double value) : kind_(Kind::Double), double_(value) {}
    // Text in UTF-8.
    Json(std::string value) : kind_(Kind::String), text_(std::move(value)) {}
    Json(const char* value) : kind_(Kind::String), text_(value) {}

    static Json Array() { return Json(Kind::Array); }
    static Json Object() { return Json(Kind::Object); }

    // The member `key` of an object, made (null) when missing.
    Json& operator[](const std::string& key);
    // Appends to an array.
    void Append(Json value);

    // The document as text: indented ends with a line break, compact not.
    std::string Indented() const;
    std::string Compact() const;

private:
    explicit Json(Kind kind) : kind_(kind) {}
    void Write(std::string& out, int indent, bool compact) const;

    Kind kind_ = Kind::Null;
    int64_t integer_ = 0;
    double double_ = 0.0;
    std::string text_;
    std::vector<Json> items_;
    std::map<std::string, Json> members_;
};

// Bytes taken one for one as the characters U+0000 to U+00FF, in UTF-8.
std::string Latin1ToUtf8(const std::string& text);

// A double as the tool prints it: the fewest digits that read back as the
// same value, in fixed notation unless the exponent form is shorter.
std::string ShortestDouble(double value);
