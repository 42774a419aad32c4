#pragma once
// Work on several threads whose results are still reported in input order. Plain C++.

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quillon {

// The number of cores, at least 1.
inline int CoreCount() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// Groups of indices whose work must run one after another, in the group's order.
using Chains = std::vector<std::vector<std::size_t>>;

// Every index a chain of its own: for work whose items never touch the same file.
inline Chains SingleChains(std::size_t count) {
    Chains chains(count);
    for (std::size_t i = 0; i < count; ++i) {
        chains[i] = {i};
    }
    return chains;
}

namespace detail {

// The results waiting to be emitted, filled by the workers.
template <typename Result> struct OrderedSlots {
    explicit OrderedSlots(std::size_t count) : results(count), errors(count) {}
    std::vector<std::optional<Result>> results;
    std::vector<std::exception_ptr> errors;
    std::mutex mutex;
    std::condition_variable ready;
    std::atomic<bool> stop = false; // the caller has given up: take no further chains

    bool filled(std::size_t i) const { return results[i].has_value() || errors[i]; }
    void put(std::size_t i, std::optional<Result> result, std::exception_ptr error) {
        std::lock_guard lock(mutex);
        results[i] = std::move(result);
        errors[i] = std::move(error);
        ready.notify_all();
    }
    Result take(std::size_t i) {
        std::unique_lock lock(mutex);
        ready.wait(lock, [&] { return filled(i); });
        if (errors[i]) {
            std::rethrow_exception(errors[i]);
        }
        Result result = std::move(*results[i]);
        results[i].reset();
        return result;
    }
};

} // namespace detail

// Runs work(i) for every index on up to `jobs` threads. The indices of one chain run one
// after another in the chain's order; chains run in parallel, taken in their order.
// emit(i, result) is called on the calling thread for i = 0, 1, ... as soon as that
// result is there. An exception from work(i) passes on from the calling thread when
// index i's turn comes, once the workers have finished the chains they hold; one job
// runs everything on the calling thread, in index order.
template <typename Result>
void RunInOrder(const Chains& chains, std::size_t count, int jobs,
                const std::function<Result(std::size_t)>& work,
                const std::function<void(std::size_t, const Result&)>& emit) {
    if (jobs <= 1) {
        // The chains are in index order, so one thread in index order keeps them.
        for (std::size_t i = 0; i < count; ++i) {
            emit(i, work(i));
        }
        return;
    }
    detail::OrderedSlots<Result> pending(count);
    std::atomic<std::size_t> nextChain = 0;
    const auto worker = [&] {
        for (std::size_t c; !pending.stop && (c = nextChain++) < chains.size();) {
            for (const std::size_t i : chains[c]) {
                try {
                    pending.put(i, work(i), nullptr);
                } catch (...) {
                    pending.put(i, std::nullopt, std::current_exception());
                }
            }
        }
    };
    std::vector<std::jthread> workers;
    for (int i = 0; i < std::min<int>(jobs, static_cast<int>(chains.size())); ++i) {
        workers.emplace_back(worker);
    }
    try {
        for (std::size_t i = 0; i < count; ++i) {
            emit(i, pending.take(i));
        }
    } catch (...) {
        pending.stop = true;
        workers.clear(); // joins, so nothing outlives the pending
        throw;
    }
}

} // namespace quillon
