// Keyed archives in binary property-list form: values and objects stored by key, in the
// layout of the keyed archives of the desktop platform ("$archiver" "NSKeyedArchiver",
// "$version" 100000, "$objects" with "$null" first, "$top" holding the top-level keys), so that
// a document written here is a keyed archive that platform reads, and one it wrote reads here.
//
// Scalars written with encodeBool/Int/Float/Double sit in the current object; strings, data,
// colours, arrays, dictionaries and objects are stored in "$objects" and referenced; equal
// short texts are stored once, long ones (beyond 256 bytes) at each place, so that a file
// never reads back into many times its size.
// Arrays and dictionaries archive as NSMutableArray and NSMutableDictionary of NSNumber,
// NSString, NSData and NSColor values; colours keep their colour space (device or calibrated
// RGB).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/AtomicFileWriter.h"
#include "platform/Color.h"
#include "platform/PlistValue.h"

namespace vornex {

class KeyedArchiver;
class KeyedUnarchiver;

// An object that archives itself field by field under keys of its own.
class Archivable {
   public:
    virtual ~Archivable() = default;
    // The class name recorded in the archive.
    virtual std::string archiveClassName() const = 0;
    virtual void encodeWithCoder(KeyedArchiver& coder) const = 0;
    // Reads the fields back; keys missing from the archive read as 0 or empty.
    virtual void initWithCoder(KeyedUnarchiver& coder) = 0;
};

class KeyedArchiver {
   public:
    KeyedArchiver();

    void encodeBool(const std::string& key, bool v);
    void encodeInt(const std::string& key, std::int64_t v);
    void encodeFloat(const std::string& key, float v);
    void encodeDouble(const std::string& key, double v);
    void encodeString(const std::string& key, const std::string& v);
    void encodeData(const std::string& key, const Bytes& v);
    void encodeColor(const std::string& key, const Color& v);
    // Any value: arrays, dictionaries, objects; numbers inside arrays and dictionaries become
    // number objects. A null value archives as nil.
    void encodeObject(const std::string& key, const PlistValue& v);
    // An object that writes its own fields (nested in the current object).
    void encodeObject(const std::string& key, const Archivable& object);

    // The archive in binary property-list form. What would not read back as it is makes no
    // archive: text with a zero character or bytes that are not UTF-8, objects nested deeper
    // than the reader reads, an object without a class or of a class the reader decodes as
    // another kind of value, short texts shared so often that the reader would refuse to
    // expand them: empty bytes, and the reason in `result` (InvalidData). So does an encoding
    // that runs out of memory (WriteFailed).
    Bytes encodedData(IoResult* result = nullptr) const;
    // Written whole or not at all; refused, the file there untouched, when encodedData is.
    // A path that is a symbolic link saves the file it leads to, in that file's folder: an
    // archive is a document, saved by the name it was opened by.
    IoResult writeToFile(const std::string& path) const;

    // Archive of one value under one key ("root" by default, as the platform's archive of a
    // root object); empty, with the reason in `result`, as encodedData. The value is encoded
    // where it is, not copied: saving a document takes the memory of its bytes only.
    static Bytes archivedData(const PlistValue& value, const std::string& key = "root",
                              IoResult* result = nullptr);
    // The same written to a file, whole or not at all (a document: key "list").
    static IoResult archiveToFile(const std::string& path, const PlistValue& value,
                                  const std::string& key = "root");

   private:
    PlistValue& current() { return frames_.back(); }
    std::vector<PlistValue> frames_;
};

class KeyedUnarchiver {
   public:
    // Parses the bytes, a keyed archive in binary or XML form; ok() tells whether they hold
    // one, error() why not. An archive that nests too deeply, references itself, or expands
    // through shared entries past the memory allowed its size (PlistNode::expansionBudget) is
    // refused whole, before any of it is decoded; one whose decoding finds no memory left is
    // refused too.
    explicit KeyedUnarchiver(const Bytes& data);
    static KeyedUnarchiver fromFile(const std::string& path);

    bool ok() const { return result_.ok(); }
    const IoResult& result() const { return result_; }
    const std::string& error() const { return result_.message; }

    // The decoders read the current object (the top level at first, the object being read
    // inside decodeObject(key, Archivable&)). A missing key or a value of another kind reads as
    // 0, false, empty, the given fallback or a null value.
    bool containsValue(const std::string& key) const;
    bool decodeBool(const std::string& key) const;
    std::int64_t decodeInt(const std::string& key) const;
    float decodeFloat(const std::string& key) const;
    double decodeDouble(const std::string& key) const;
    std::string decodeString(const std::string& key) const;
    Bytes decodeData(const std::string& key) const;
    Color decodeColor(const std::string& key, const Color& fallback = Color()) const;
    bool decodeColor(const std::string& key, Color& out) const;
    PlistValue decodeObject(const std::string& key) const;
    // Lets `object` read its fields from the object stored under key; false (and `object`
    // untouched) when there is none.
    bool decodeObject(const std::string& key, Archivable& object);

    // All top-level keys and values.
    const PlistValue& topLevel() const { return top_; }

    // The value archived under `key` by archivedData; a null value with the reason in
    // `result` when the data is not a keyed archive or lacks the key.
    static PlistValue unarchivedValue(const Bytes& data, const std::string& key = "root",
                                      IoResult* result = nullptr);
    static PlistValue unarchivedValueFromFile(const std::string& path,
                                              const std::string& key = "root",
                                              IoResult* result = nullptr);

   private:
    KeyedUnarchiver() = default;
    void read(const Bytes& data);
    const PlistValue& current() const { return frames_.empty() ? top_ : *frames_.back(); }
    const PlistValue& valueFor(const std::string& key) const;

    IoResult result_;
    PlistValue top_ = PlistValue::dictionary();
    std::vector<const PlistValue*> frames_;
};

}  // namespace vornex
