#pragma once
// What Array and Vector.<T> do alike over a list of values: join, search, the ranges
// of slice and splice, the callback walks and sort.

#include "player/engine/script/avm2/Object.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace quillon::avm2 {

class Vm;

// The items as text between separators (null and undefined as nothing); localized asks
// each item for its toLocaleString instead, as the lists' toLocaleString do.
std::string JoinItems(Vm& vm, const std::vector<Value>& items, const Value& separator,
                      bool localized = false);
// indexOf / lastIndexOf with their (search, fromIndex) arguments.
std::int32_t FindItem(Vm& vm, const std::vector<Value>& items, std::span<const Value> args,
                      bool last);

struct ItemRange {
    std::size_t start = 0, count = 0;
};
// slice(start, end) and splice(start, deleteCount): negative positions count from the end.
ItemRange SliceRange(Vm& vm, std::size_t length, std::span<const Value> args);
ItemRange SpliceRange(Vm& vm, std::size_t length, std::span<const Value> args);

enum class Each { ForEach, Map, Filter, Some, Every };
// Calls args[0] on each item with (item, index, self); Map and Filter fill out. The
// result is what some/every answer, or undefined.
Value EachItem(Vm& vm, Each each, const std::vector<Value>& items, const Value& self,
               std::span<const Value> args, std::vector<Value>& out);

// sort(compareFunction | flags): sorts items in place and returns self, or returns 0
// (a unique sort that met equal items) or the indexed array.
Value SortItems(Vm& vm, std::vector<Value>& items, const Value& self, std::span<const Value> args);
// sortOn(fieldName | names, flags | flagsList): sorts items by their named fields.
Value SortOnItems(Vm& vm, std::vector<Value>& items, const Value& self,
                  std::span<const Value> args);

} // namespace quillon::avm2
