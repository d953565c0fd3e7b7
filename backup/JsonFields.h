// Structs as JSON objects with each field named once: one table of fields per
// struct drives both its writer and its reader. The reader trusts nothing it
// reads: a missing field, a value of the wrong type, a number out of range or an
// overlong text raises JsonFieldError naming where it is ("packages[2].driverVer.date").
#pragma once
#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/Text.h"

namespace backup::json {

using Json = nlohmann::ordered_json;

// Longer than any name, path or text a driver package has (a path of 32767
// UTF-16 units is at most 96 KiB of UTF-8).
constexpr size_t kMaxTextBytes = size_t(128) << 10;

class JsonFieldError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where a value is in the document: a chain of field names and array indexes,
// spelled out only when an error names it.
struct Where {
  const Where* parent = nullptr;
  const char* field = nullptr;  // none for an array element
  size_t index = 0;

  Where Child(const char* name) const { return {this, name}; }
  Where Element(size_t i) const { return {this, nullptr, i}; }
  std::string Text() const {
    std::string text = parent ? parent->Text() : std::string();
    if (field) return text.empty() ? field : text + "." + field;
    return parent ? text + "[" + std::to_string(index) + "]" : text;
  }
};

[[noreturn]] inline void Fail(const Where& where, const std::string& cause) {
  throw JsonFieldError(where.Text() + ": " + cause);
}

// What a value is, as an error says it (never the value itself: it is text from
// a disk being read, only numbers are shown).
inline std::string Described(const Json& j) {
  if (j.is_number()) return j.dump();
  if (j.is_null()) return "null";
  return (j.is_array() || j.is_object() ? "an " : "a ") + std::string(j.type_name());
}

inline void Expect(const Json& j, bool is, const char* expected, const Where& where) {
  if (!is) Fail(where, std::string(expected) + " was expected, not " + Described(j));
}

inline const Json& Member(const Json& object, const char* name, const Where& where) {
  const auto it = object.find(name);
  if (it == object.end()) Fail(where.Child(name), "missing");
  return *it;
}

// How a value of type T is written and read; specialised below for the types
// of the fields, and for a struct by its table of fields.
template <class T>
struct Codec;

template <class T>
void Put(Json& j, const T& value) {
  Codec<T>::Put(j, value);
}
template <class T>
void Take(const Json& j, T& value, const Where& where) {
  Codec<T>::Take(j, value, where);
}

template <>
struct Codec<std::string> {
  static void Put(Json& j, const std::string& s) { j = s; }
  static void Take(const Json& j, std::string& s, const Where& where) {
    Expect(j, j.is_string(), "a string", where);
    const std::string& text = j.get_ref<const std::string&>();
    if (text.size() > kMaxTextBytes) Fail(where, "longer than " + std::to_string(kMaxTextBytes) + " bytes");
    s = text;
  }
};

// The parser has checked that every string is UTF-8.
template <>
struct Codec<WString> {
  static void Put(Json& j, const WString& s) { j = text::ToUtf8(s); }
  static void Take(const Json& j, WString& s, const Where& where) {
    std::string utf8;
    json::Take(j, utf8, where);
    s = text::FromUtf8(utf8);
  }
};

template <std::unsigned_integral N>
  requires(!std::same_as<N, bool>)
struct Codec<N> {
  static void Put(Json& j, N n) { j = n; }
  static void Take(const Json& j, N& n, const Where& where) {
    constexpr uint64_t max = std::numeric_limits<N>::max();
    if (!j.is_number_unsigned() || j.get<uint64_t>() > max)
      Fail(where, "a whole number from 0 to " + std::to_string(max) + " was expected, not " + Described(j));
    n = N(j.get<uint64_t>());
  }
};

template <class T>
struct Codec<std::vector<T>> {
  static void Put(Json& j, const std::vector<T>& list) {
    j = Json::array();
    for (const T& value : list) json::Put(j.emplace_back(), value);
  }
  static void Take(const Json& j, std::vector<T>& list, const Where& where) {
    Expect(j, j.is_array(), "an array", where);
    list.clear();
    for (size_t i = 0; i < j.size(); ++i) json::Take(j[i], list.emplace_back(), where.Element(i));
  }
};

// A pair is an array of its two values.
template <class A, class B>
struct Codec<std::pair<A, B>> {
  static void Put(Json& j, const std::pair<A, B>& pair) {
    j = Json::array();
    json::Put(j.emplace_back(), pair.first);
    json::Put(j.emplace_back(), pair.second);
  }
  static void Take(const Json& j, std::pair<A, B>& pair, const Where& where) {
    Expect(j, j.is_array() && j.size() == 2, "an array of two", where);
    json::Take(j[0], pair.first, where.Element(0));
    json::Take(j[1], pair.second, where.Element(1));
  }
};

// None is null.
template <class T>
struct Codec<std::optional<T>> {
  static void Put(Json& j, const std::optional<T>& value) {
    if (value)
      json::Put(j, *value);
    else
      j = nullptr;
  }
  static void Take(const Json& j, std::optional<T>& value, const Where& where) {
    if (j.is_null()) {
      value.reset();
      return;
    }
    json::Take(j, value.emplace(), where);
  }
};

// A field of Owner: its name in the JSON, its member, and how its value is
// written and read (by the member's type unless given).
template <class Owner, class Member, class C = Codec<Member>>
struct Field {
  const char* name;
  Member Owner::*member;

  void Put(Json& object, const Owner& owner) const { C::Put(object[name], owner.*member); }
  void Take(const Json& object, Owner& owner, const Where& where) const {
    C::Take(json::Member(object, name, where), owner.*member, where.Child(name));
  }
};

// Fields written into the object `j`, after what it holds, in the order given.
template <class Owner, class... Fields>
void PutFields(Json& j, const Owner& owner, const std::tuple<Fields...>& fields) {
  std::apply([&](const auto&... field) { (field.Put(j, owner), ...); }, fields);
}
template <class Owner, class... Fields>
void TakeFields(const Json& j, Owner& owner, const std::tuple<Fields...>& fields, const Where& where) {
  Expect(j, j.is_object(), "an object", where);
  std::apply([&](const auto&... field) { (field.Take(j, owner, where), ...); }, fields);
}

// Some of Owner's fields as an object of their own, null when `present` says
// the owner has none (and then left as they are when read).
template <class Owner, class... Fields>
struct Nested {
  const char* name;
  bool (*present)(const Owner&);
  std::tuple<Fields...> fields;

  void Put(Json& object, const Owner& owner) const {
    Json& j = object[name];
    if (!present(owner)) {
      j = nullptr;
      return;
    }
    j = Json::object();
    PutFields(j, owner, fields);
  }
  void Take(const Json& object, Owner& owner, const Where& where) const {
    const Json& j = json::Member(object, name, where);
    if (!j.is_null()) TakeFields(j, owner, fields, where.Child(name));
  }
};

// A struct's table of fields: specialise FieldsOf<T> with
//   static constexpr std::tuple kFields{Field{"name", &T::member}, ...};
template <class T>
struct FieldsOf;

template <class T>
  requires requires { FieldsOf<T>::kFields; }
struct Codec<T> {
  static void Put(Json& j, const T& value) {
    j = Json::object();
    PutFields(j, value, FieldsOf<T>::kFields);
  }
  static void Take(const Json& j, T& value, const Where& where) { TakeFields(j, value, FieldsOf<T>::kFields, where); }
};

}  // namespace backup::json
