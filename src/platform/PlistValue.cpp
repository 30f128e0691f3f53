#include "platform/PlistValue.h"

#include <cmath>
#include <limits>
#include <unordered_map>

#include "platform/KeyedArchiver.h"
#include "platform/PlistNode.h"

namespace vornex {

PlistValue PlistValue::dictionary() {
    PlistValue v;
    v.type_ = Type::Dictionary;
    return v;
}

PlistValue PlistValue::object(std::string className) {
    PlistValue v;
    v.type_ = Type::Object;
    v.string_ = std::move(className);
    return v;
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
    static const std::string kEmpty;
    return type_ == Type::String ? string_ : kEmpty;
}

const Bytes& PlistValue::toData() const {
    static const Bytes kEmpty;
    return type_ == Type::Data ? data_ : kEmpty;
}

Color PlistValue::toColor(const Color& fallback) const {
    return type_ == Type::Color ? color_ : fallback;
}

const PlistValue::Array& PlistValue::items() const {
    static const Array kEmpty;
    return type_ == Type::Array ? items_ : kEmpty;
}

std::size_t PlistValue::size() const {
    if (type_ == Type::Array) return items_.size();
    if (type_ == Type::Dictionary || type_ == Type::Object) return entries_.size();
    return 0;
}

void PlistValue::append(PlistValue v) {
    if (type_ == Type::Array) items_.push_back(std::move(v));
}

const PlistValue& PlistValue::at(std::size_t i) const {
    return type_ == Type::Array && i < items_.size() ? items_[i] : null();
}

void PlistValue::set(const std::string& key, PlistValue v) {
    if (type_ != Type::Dictionary && type_ != Type::Object) return;
    if (PlistValue* existing = find(key)) {
        *existing = std::move(v);
        return;
    }
    entries_.emplace_back(key, std::move(v));
}

void PlistValue::setEntries(std::vector<Entry> entries) {
    if (type_ != Type::Dictionary && type_ != Type::Object) return;
    entries_.clear();
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

const PlistValue* PlistValue::find(const std::string& key) const {
    for (const Entry& e : entries_)
        if (e.first == key) return &e.second;
    return nullptr;
}

PlistValue* PlistValue::find(const std::string& key) {
    for (Entry& e : entries_)
        if (e.first == key) return &e.second;
    return nullptr;
}

const PlistValue& PlistValue::get(const std::string& key) const {
    const PlistValue* v = find(key);
    return v ? *v : null();
}

bool PlistValue::remove(const std::string& key) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->first == key) {
            entries_.erase(it);
            return true;
        }
    }
    return false;
}

std::vector<std::string> PlistValue::keys() const {
    std::vector<std::string> out;
    for (const Entry& e : entries_) out.push_back(e.first);
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
            return a.string_ == b.string_;
        case T::Data:
            return a.data_ == b.data_;
        case T::Color:
            return a.color_ == b.color_;
        case T::Array:
            return a.items_ == b.items_;
        case T::Dictionary:
            return a.entries_ == b.entries_;
        case T::Object:
            return a.string_ == b.string_ && a.entries_ == b.entries_;
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

PlistValue fromNode(plist_t node, int depth) {
    if (!node || depth > 512) return {};
    switch (plist_get_node_type(node)) {
        case PLIST_ARRAY: {
            PlistValue a = PlistValue::array();
            for (plist_t item : PlistNode::itemsOf(node)) a.append(fromNode(item, depth + 1));
            return a;
        }
        case PLIST_DICT: {
            std::vector<PlistValue::Entry> entries;
            PlistNode::forEachEntry(node, [&](std::string key, plist_t value) {
                entries.emplace_back(std::move(key), fromNode(value, depth + 1));
                return true;
            });
            PlistValue d = PlistValue::dictionary();
            d.setEntries(std::move(entries));
            return d;
        }
        default:
            return PlistNode::scalarOf(node);
    }
}

}  // namespace

Bytes serializePlist(const PlistValue& value, PlistFormat format) {
    PlistNode node(toNode(value));
    if (!node) return {};
    return format == PlistFormat::Binary ? node.toBinary() : node.toXml();
}

IoResult parsePlist(const Bytes& bytes, PlistValue& out) {
    out = PlistValue();
    std::string error;
    PlistNode node = PlistNode::parse(bytes, error);
    if (!node) return IoResult::failure(IoStatus::InvalidData, error);
    out = fromNode(node.get(), 0);
    return {};
}

}  // namespace vornex
