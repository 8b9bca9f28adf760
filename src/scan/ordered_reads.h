// Reading the items of a list on several threads, with each item's result
// taken in list order.
#pragma once

#include <cstddef>
#include <functional>
#include <span>

#include "platform/status.h"

namespace scan {

// One call for item `index` of a list; `slot` says where its result is kept
// between its reading and its taking.
using ItemCall = std::function<platform::Status(std::size_t index, std::size_t slot)>;

// One call for the items [first, first + statuses.size()) of a list, on the
// thread numbered `worker` (0 the caller's, and below the threads allowed):
// sets statuses[i] to how item first + i went, and keeps its result in slot
// first_slot + i.
using BatchCall = std::function<void(std::size_t first, std::span<platform::Status> statuses,
                                     std::size_t first_slot, std::size_t worker)>;

// The number of result slots RunInOrder gives out for `count` items on up to
// `threads` threads: each slot given is below it.
std::size_t SlotCount(std::size_t count, int threads);

// Calls `read` for every item of [0, count), up to `threads` at once (1: one
// after another on the caller's thread), and `take` for each item read, in list
// order, one at a time, on any of its threads. A slot is given to no other
// item until the `take` of the item that has it returned. Returns the first
// failure in list order, of `read` or `take`; no item is read after that is
// known, and no thread of its own is left running when it returns.
platform::Status RunInOrder(std::size_t count, int threads, const ItemCall& read, const ItemCall& take);

// RunInOrder with the items read a few at a time where threads read them
// (one at a time on the caller's thread alone), by a thread that may keep
// what it needs for that by its `worker` number.
platform::Status RunInOrder(std::size_t count, int threads, const BatchCall& read, const ItemCall& take);

}  // namespace scan
