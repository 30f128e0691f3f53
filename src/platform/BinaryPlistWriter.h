// Binary property list ("bplist00") written straight into bytes: objects are appended to the
// output as they are made (each returns its reference), containers refer to objects made
// before them, and finish() adds the offset table and trailer. Time and memory are linear in
// the size of the list. References are four bytes wide, so a list may hold up to 2^32 objects.
// Internal to the platform layer.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/AtomicFileWriter.h"

namespace vornex {

class BinaryPlistWriter {
   public:
    using Ref = std::uint32_t;

    BinaryPlistWriter();

    Ref addBool(bool v);
    Ref addInteger(std::int64_t v);
    Ref addReal(double v);
    // UTF-8 text; written as ASCII or UTF-16. Equal strings share one object, unless `shared`
    // is false: then the text is an object of its own, shared with no other. Text holding a
    // zero character or not valid UTF-8 cannot be read back as it was: it sets error().
    Ref addString(const std::string& v, bool shared = true);
    Ref addData(const std::uint8_t* data, std::size_t size);
    // A keyed-archive reference; equal ones share one object.
    Ref addUid(std::uint64_t v);
    Ref addArray(const std::vector<Ref>& items);
    // Keys and values in order (keys are string objects).
    Ref addDictionary(const std::vector<Ref>& keys, const std::vector<Ref>& values);

    // The list with `root` as its top object. The writer is spent afterwards.
    Bytes finish(Ref root);
    // Why the list cannot be read back as it was meant (the first text that cannot be
    // written); empty when it can. Such a list is never to be stored.
    const std::string& error() const { return error_; }

   private:
    Ref begin();
    void marker(std::uint8_t type, std::uint64_t count);
    void bigEndian(std::uint64_t v, int bytes);
    void refs(const std::vector<Ref>& r);

    Bytes out_;
    std::vector<std::uint64_t> offsets_;
    std::unordered_map<std::string, Ref> strings_;
    // Reference of each keyed-archive index written so far (kNone where none), by index.
    std::vector<Ref> uids_;
    std::string error_;
};

}  // namespace vornex
