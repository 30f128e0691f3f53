#include "platform/PlistValue.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <unordered_map>

#include "platform/KeyedArchiver.h"
#include "platform/PlistNode.h"
#include "platform/Utf8.h"

namespace vornex {

struct PlistValue::Heap {
    std::string string;  // String; class name of an Object
    Bytes data;
    Color color;
    Array items;
    std::vector<Entry> entries;  // Dictionary and Object
};

PlistValue::Heap& PlistValue::heap() {
    if (!heap_) heap_ = new Heap();
    return *heap_;
}

PlistValue::PlistValue(const char* s) : type_(Type::String) {
    heap().string = s ? s : "";
}
PlistValue::PlistValue(std::string s) : type_(Type::String) {
    heap().string = std::move(s);
}
PlistValue::PlistValue(Bytes d) : type_(Type::Data) {
    heap().data = std::move(d);
}
PlistValue::PlistValue(const Color& c) : type_(Type::Color) {
    heap().color = c;
}
PlistValue::PlistValue(Array items) : type_(Type::Array) {
    if (!items.empty()) heap().items = std::move(items);
}

PlistValue::~PlistValue() {
    delete heap_;
}

PlistValue::PlistValue(const PlistValue& other) : type_(other.type_), int_(other.int_) {
    if (other.heap_) heap_ = new Heap(*other.heap_);
}

PlistValue& PlistValue::operator=(const PlistValue& other) {
    if (this != &other) {
        Heap* copy = other.heap_ ? new Heap(*other.heap_) : nullptr;
        delete heap_;
        heap_ = copy;
        type_ = other.type_;
        int_ = other.int_;
    }
    return *this;
}

PlistValue::PlistValue(PlistValue&& other) noexcept
    : type_(other.type_), int_(other.int_), heap_(other.heap_) {
    other.heap_ = nullptr;
    other.type_ = Type::Null;
    other.int_ = 0;
}

PlistValue& PlistValue::operator=(PlistValue&& other) noexcept {
    if (this != &other) {
        // The old content may own `other` (an element assigned over its container).
        Heap* old = heap_;
        heap_ = other.heap_;
        type_ = other.type_;
        int_ = other.int_;
        other.heap_ = nullptr;
        other.type_ = Type::Null;
        other.int_ = 0;
        delete old;
    }
    return *this;
}

namespace {
const PlistValue::Array kNoItems;
const std::vector<PlistValue::Entry> kNoEntries;
const std::string kNoString;
const Bytes kNoData;
}  // namespace

PlistValue::Array* PlistValue::mutableItems() {
    return type_ == Type::Array ? &heap().items : nullptr;
}

const std::vector<PlistValue::Entry>& PlistValue::entries() const {
    return heap_ ? heap_->entries : kNoEntries;
}

const std::string& PlistValue::className() const {
    return heap_ ? heap_->string : kNoString;
}

PlistValue PlistValue::dictionary() {
    PlistValue v;
    v.type_ = Type::Dictionary;
    return v;
}

PlistValue PlistValue::object(std::string className) {
    PlistValue v;
    v.type_ = Type::Object;
    v.heap().string = std::move(className);
    return v;
}

std::size_t PlistValue::heapBytes() {
    return sizeof(Heap) + 2 * sizeof(void*);  // with the allocator's own header
}

const PlistValue& PlistValue::null() {
    static const PlistValue kNull;
    return kNull;
}

bool PlistValue::toBool(bool fallback) const {
    switch (type_) {
        case Type::Bool:
        case Type::Integer:
            return int_ != 0;
        case Type::Real:
            return real_ != 0.0;
        default:
            return fallback;
    }
}

std::int64_t PlistValue::toInteger(std::int64_t fallback) const {
    switch (type_) {
        case Type::Bool:
        case Type::Integer:
            return int_;
        case Type::Real: {
            if (std::isnan(real_)) return fallback;
            constexpr double lo = static_cast<double>(std::numeric_limits<std::int64_t>::min());
            constexpr double hi = static_cast<double>(std::numeric_limits<std::int64_t>::max());
            if (real_ <= lo) return std::numeric_limits<std::int64_t>::min();
            if (real_ >= hi) return std::numeric_limits<std::int64_t>::max();
            return static_cast<std::int64_t>(real_);
        }
        default:
            return fallback;
    }
}

double PlistValue::toDouble(double fallback) const {
    switch (type_) {
        case Type::Bool:
        case Type::Integer:
            return static_cast<double>(int_);
        case Type::Real:
            return real_;
        default:
            return fallback;
    }
}

const std::string& PlistValue::toString() const {
    return type_ == Type::String && heap_ ? heap_->string : kNoString;
}

const Bytes& PlistValue::toData() const {
    return type_ == Type::Data && heap_ ? heap_->data : kNoData;
}

Color PlistValue::toColor(const Color& fallback) const {
    return type_ == Type::Color && heap_ ? heap_->color : fallback;
}

const PlistValue::Array& PlistValue::items() const {
    return type_ == Type::Array && heap_ ? heap_->items : kNoItems;
}

std::size_t PlistValue::size() const {
    if (type_ == Type::Array) return items().size();
    if (type_ == Type::Dictionary || type_ == Type::Object) return entries().size();
    return 0;
}

void PlistValue::append(PlistValue v) {
    if (type_ == Type::Array) heap().items.push_back(std::move(v));
}

const PlistValue& PlistValue::at(std::size_t i) const {
    const Array& a = items();
    return type_ == Type::Array && i < a.size() ? a[i] : null();
}

void PlistValue::set(const std::string& key, PlistValue v) {
    if (type_ != Type::Dictionary && type_ != Type::Object) return;
    if (PlistValue* existing = find(key)) {
        *existing = std::move(v);
        return;
    }
    heap().entries.emplace_back(key, std::move(v));
}

void PlistValue::setEntries(std::vector<Entry> entries) {
    if (type_ != Type::Dictionary && type_ != Type::Object) return;
    std::vector<Entry>& entries_ = heap().entries;
    entries_.clear();
    entries_.reserve(entries.size());
    std::unordered_map<std::string, std::size_t> index;
    for (Entry& e : entries) {
        auto [it, fresh] = index.try_emplace(e.first, entries_.size());
        if (fresh) {
            entries_.push_back(std::move(e));
        } else {
            entries_[it->second].second = std::move(e.second);
        }
    }
}

void PlistValue::setDistinctEntries(std::vector<Entry> entries) {
    if (type_ != Type::Dictionary && type_ != Type::Object) return;
    heap().entries = std::move(entries);
}

const PlistValue* PlistValue::find(const std::string& key) const {
    for (const Entry& e : entries())
        if (e.first == key) return &e.second;
    return nullptr;
}

PlistValue* PlistValue::find(const std::string& key) {
    if (!heap_) return nullptr;
    for (Entry& e : heap_->entries)
        if (e.first == key) return &e.second;
    return nullptr;
}

const PlistValue& PlistValue::get(const std::string& key) const {
    const PlistValue* v = find(key);
    return v ? *v : null();
}

std::vector<std::string> PlistValue::keys() const {
    std::vector<std::string> out;
    for (const Entry& e : entries()) out.push_back(e.first);
    return out;
}

bool operator==(const PlistValue& a, const PlistValue& b) {
    if (a.type_ != b.type_) return false;
    using T = PlistValue::Type;
    switch (a.type_) {
        case T::Null:
            return true;
        case T::Bool:
        case T::Integer:
            return a.int_ == b.int_;
        case T::Real:
            return a.real_ == b.real_ || (std::isnan(a.real_) && std::isnan(b.real_));
        case T::String:
            return a.toString() == b.toString();
        case T::Data:
            return a.toData() == b.toData();
        case T::Color:
            return a.toColor() == b.toColor();
        case T::Array:
            return a.items() == b.items();
        case T::Dictionary:
            return a.entries() == b.entries();
        case T::Object:
            return a.className() == b.className() && a.entries() == b.entries();
    }
    return false;
}

}  // namespace vornex

// -------------------------------------------------------------------------------------------------
// Plain property lists

namespace vornex {

namespace {

plist_t toNode(const PlistValue& v) {
    using T = PlistValue::Type;
    switch (v.type()) {
        case T::Null:
            return nullptr;
        case T::Bool:
            return plist_new_bool(v.toBool());
        case T::Integer:
            return plist_new_uint(static_cast<std::uint64_t>(v.toInteger()));
        case T::Real:
            return plist_new_real(v.toDouble());
        case T::String:
            return plist_new_string(v.toString().c_str());
        case T::Data:
            return plist_new_data(reinterpret_cast<const char*>(v.toData().data()),
                                  v.toData().size());
        case T::Color: {
            Bytes b = KeyedArchiver::archivedData(v);
            return plist_new_data(reinterpret_cast<const char*>(b.data()), b.size());
        }
        case T::Array: {
            plist_t a = plist_new_array();
            for (const PlistValue& item : v.items())
                if (plist_t n = toNode(item)) plist_array_append_item(a, n);
            return a;
        }
        case T::Dictionary:
        case T::Object: {
            plist_t d = plist_new_dict();
            for (const PlistValue::Entry& e : v.entries())
                if (plist_t n = toNode(e.second)) plist_dict_set_item(d, e.first.c_str(), n);
            return d;
        }
    }
    return nullptr;
}

// The value of a node of a plain list; `error` says why not when the node holds what a value
// does not (a date), which would otherwise read as null and be left out when the list is
// saved again. A reference (UID) reads as the XML form writes one, a dictionary whose one key
// "CF$UID" holds the index.
PlistValue fromNode(plist_t node, int depth, std::string& error) {
    if (!node || depth > 512 || !error.empty()) return {};
    switch (plist_get_node_type(node)) {
        case PLIST_ARRAY: {
            PlistValue a = PlistValue::array();
            for (plist_t item : PlistNode::itemsOf(node)) a.append(fromNode(item, depth + 1, error));
            return a;
        }
        case PLIST_DICT: {
            std::vector<PlistValue::Entry> entries;
            PlistNode::forEachEntry(node, [&](std::string key, plist_t value) {
                entries.emplace_back(std::move(key), fromNode(value, depth + 1, error));
                return error.empty();
            });
            PlistValue d = PlistValue::dictionary();
            d.setEntries(std::move(entries));
            return d;
        }
        case PLIST_BOOLEAN:
        case PLIST_UINT:
        case PLIST_REAL:
        case PLIST_STRING:
        case PLIST_DATA:
            return PlistNode::scalarOf(node);
        case PLIST_DATE:
            error = "the property list holds a date, which this program does not keep";
            return {};
        case PLIST_UID: {
            uint64_t index = 0;
            plist_get_uid_val(node, &index);
            PlistValue d = PlistValue::dictionary();
            d.set("CF$UID", static_cast<std::int64_t>(index));
            return d;
        }
        default:
            error = "the property list holds a value of a kind this program does not keep";
            return {};
    }
}

}  // namespace

namespace {

// Why the list of `v` would not read back as it is: text its readers refuse or would stop
// short in, or containers that hold something nested deeper than `deepest` (`depth` such
// containers enclose `v`). Empty when it would read back.
std::string unwritable(const PlistValue& v, int depth, int deepest) {
    using T = PlistValue::Type;
    if (v.type() == T::String) return utf8::refusedText(v.toString());
    if (v.type() != T::Array && v.type() != T::Dictionary && v.type() != T::Object) return {};
    const bool holdsSomething =
        v.type() == T::Array
            ? std::any_of(v.items().begin(), v.items().end(),
                          [](const PlistValue& item) { return !item.isNull(); })
            : std::any_of(v.entries().begin(), v.entries().end(),
                          [](const PlistValue::Entry& e) { return !e.second.isNull(); });
    if (!holdsSomething) return {};
    // Nothing deeper is looked at: a value nested without end would exhaust the stack.
    if (depth >= deepest)
        return "the values nest too deeply (more than " + std::to_string(deepest) + " levels)";
    if (v.type() == T::Array) {
        for (const PlistValue& item : v.items())
            if (std::string why = unwritable(item, depth + 1, deepest); !why.empty()) return why;
        return {};
    }
    for (const PlistValue::Entry& e : v.entries()) {
        if (e.second.isNull()) continue;  // left out
        if (std::string why = utf8::refusedText(e.first); !why.empty()) return why;
        if (std::string why = unwritable(e.second, depth + 1, deepest); !why.empty()) return why;
    }
    return {};
}

}  // namespace

Bytes serializePlist(const PlistValue& value, PlistFormat format, IoResult* result) {
    if (result) *result = {};
    // The binary reader counts the list that holds the deepest value as one more level.
    const int deepest = PlistNode::kMaxNesting - (format == PlistFormat::Binary ? 1 : 0);
    if (std::string why = unwritable(value, 0, deepest); !why.empty()) {
        if (result) *result = IoResult::failure(IoStatus::InvalidData, "cannot be written: " + why);
        return {};
    }
    PlistNode node(toNode(value));
    Bytes bytes;
    if (node)
        bytes = format == PlistFormat::Binary ? node.toBinary() : node.toXml();
    if (bytes.empty() && result)
        *result = IoResult::failure(IoStatus::InvalidData, "cannot be written: no property list");
    return bytes;
}

IoResult parsePlist(const Bytes& bytes, PlistValue& out) {
    out = PlistValue();
    try {
        std::string error;
        bool notKept = false;
        PlistNode node = PlistNode::parse(bytes, error, &notKept);
        if (!node)
            return IoResult::failure(notKept ? IoStatus::NotKept : IoStatus::InvalidData, error);
        out = fromNode(node.get(), 0, error);
        if (!error.empty()) {
            out = PlistValue();
            return IoResult::failure(IoStatus::NotKept, error);
        }
    } catch (const std::bad_alloc&) {
        out = PlistValue();
        return outOfMemory(bytes.size());
    }
    return {};
}

}  // namespace vornex
