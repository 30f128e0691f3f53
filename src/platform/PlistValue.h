// Value of a property list: null, boolean, integer, real, string, data, colour, array,
// dictionary (string keys, insertion order kept) or a keyed object of a named class. The
// currency of keyed archives, user defaults and notification user information.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/AtomicFileWriter.h"
#include "platform/Color.h"

namespace vornex {

class PlistValue {
   public:
    enum class Type { Null, Bool, Integer, Real, String, Data, Color, Array, Dictionary, Object };
    using Array = std::vector<PlistValue>;
    using Entry = std::pair<std::string, PlistValue>;

    PlistValue() = default;
    PlistValue(bool b) : type_(Type::Bool), int_(b ? 1 : 0) {}
    template <std::integral T>
    requires(!std::same_as<T, bool>) PlistValue(T v)
        : type_(Type::Integer), int_(static_cast<std::int64_t>(v)) {}
    PlistValue(double v) : type_(Type::Real), real_(v) {}
    PlistValue(float v) : type_(Type::Real), real_(v) {}
    PlistValue(const char* s);
    PlistValue(std::string s);
    PlistValue(Bytes d);
    PlistValue(const Color& c);
    PlistValue(Array items);
    ~PlistValue();
    PlistValue(const PlistValue& other);
    PlistValue& operator=(const PlistValue& other);
    PlistValue(PlistValue&& other) noexcept;
    PlistValue& operator=(PlistValue&& other) noexcept;

    static PlistValue array(Array items = {}) { return PlistValue(std::move(items)); }
    static PlistValue dictionary();
    // A keyed object: the fields an object wrote with KeyedArchiver, under its class name.
    static PlistValue object(std::string className);

    Type type() const { return type_; }
    bool isNull() const { return type_ == Type::Null; }
    bool isNumber() const {
        return type_ == Type::Bool || type_ == Type::Integer || type_ == Type::Real;
    }
    bool isString() const { return type_ == Type::String; }
    bool isArray() const { return type_ == Type::Array; }
    bool isDictionary() const { return type_ == Type::Dictionary; }
    bool isObject() const { return type_ == Type::Object; }

    // Numbers convert among each other (a real to an integer truncates toward zero, clamped
    // to the integer range); other types give the fallback.
    bool toBool(bool fallback = false) const;
    std::int64_t toInteger(std::int64_t fallback = 0) const;
    double toDouble(double fallback = 0.0) const;
    // The string, or empty for other types.
    const std::string& toString() const;
    // The data, or empty for other types.
    const Bytes& toData() const;
    // The colour, or the fallback for other types.
    Color toColor(const Color& fallback = Color()) const;

    // Arrays. Empty for other types; append() on a non-array does nothing.
    const Array& items() const;
    // The elements for editing in place; null when this is not an array.
    Array* mutableItems();
    std::size_t size() const;
    void append(PlistValue v);
    // Element i; a null value when out of range or not an array.
    const PlistValue& at(std::size_t i) const;

    // Dictionaries and objects: entries in insertion order.
    const std::vector<Entry>& entries() const;
    // Sets or replaces the value of a key (no effect on other types).
    void set(const std::string& key, PlistValue v);
    // Replaces all entries at once, a repeated key keeping its first place and its last value;
    // linear in the number of entries, for readers of large dictionaries.
    void setEntries(std::vector<Entry> entries);
    // The same for entries whose keys the caller knows to be distinct.
    void setDistinctEntries(std::vector<Entry> entries);
    const PlistValue* find(const std::string& key) const;
    PlistValue* find(const std::string& key);
    bool contains(const std::string& key) const { return find(key) != nullptr; }
    // The value of a key; a null value when absent.
    const PlistValue& get(const std::string& key) const;
    std::vector<std::string> keys() const;

    // Objects: the class name.
    const std::string& className() const;

    // Same type and content (dictionaries compare entries in order; reals exactly).
    friend bool operator==(const PlistValue& a, const PlistValue& b);

    static const PlistValue& null();

    // Memory a string, data, colour or container takes beyond the value itself and its
    // payload (bytes, elements, entries): what readers count against their budget.
    static std::size_t heapBytes();

   private:
    // Everything but booleans and numbers lives out of line, so that a value in a large list
    // costs its type, one number and one pointer (a document of 100,000 cases holds millions).
    struct Heap;
    Heap& heap();

    Type type_ = Type::Null;
    union {
        std::int64_t int_ = 0;  // Bool, Integer
        double real_;           // Real
    };
    Heap* heap_ = nullptr;  // owned; null for scalars and for empty containers not yet filled
};

enum class PlistFormat { Binary, Xml };

// A plain property list of a value (not a keyed archive): colours become keyed-archive data
// of the colour, objects dictionaries of their fields, and null values are left out. Empty,
// with the reason in `result`, for a value that parsePlist would refuse or read back changed:
// text with a zero character or not UTF-8, containers nested deeper than it reads.
Bytes serializePlist(const PlistValue& value, PlistFormat format, IoResult* result = nullptr);
// Reads a binary or XML property list; `out` is a null value on failure. A list holding a
// date or a set, which a value does not hold, is refused (NotKept); a reference (UID) reads
// as a dictionary whose one key "CF$UID" holds the index, the form XML lists give it.
IoResult parsePlist(const Bytes& bytes, PlistValue& out);

}  // namespace vornex
