#pragma once
// Work on several threads whose results are still reported in input order.

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quillon::cli {

// The number of threads a command uses unless told otherwise.
inline int DefaultJobs() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// Runs work(i) for every index on up to `jobs` threads. The indices of one chain run one
// after another in the chain's order; chains run in parallel. emit(i, result) is called
// on the calling thread for i = 0, 1, ... as soon as that result is there.
template <typename Result>
void RunInOrder(const std::vector<std::vector<std::size_t>>& chains, std::size_t count, int jobs,
                const std::function<Result(std::size_t)>& work,
                const std::function<void(std::size_t, const Result&)>& emit) {
    std::vector<std::optional<Result>> results(count);
    std::mutex mutex;
    std::condition_variable ready;
    std::atomic<std::size_t> nextChain = 0;
    const auto worker = [&] {
        for (std::size_t c; (c = nextChain++) < chains.size();) {
            for (const std::size_t i : chains[c]) {
                Result result = work(i);
                std::lock_guard lock(mutex);
                results[i] = std::move(result);
                ready.notify_all();
            }
        }
    };
    std::vector<std::jthread> workers;
    for (int i = 0; i < std::min<int>(jobs, static_cast<int>(chains.size())); ++i) {
        workers.emplace_back(worker);
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::unique_lock lock(mutex);
        ready.wait(lock, [&] { return results[i].has_value(); });
        const Result result = std::move(*results[i]);
        results[i].reset();
        lock.unlock();
        emit(i, result);
    }
}

// Every index a chain of its own: for work whose items never touch the same file.
inline std::vector<std::vector<std::size_t>> SingleChains(std::size_t count) {
    std::vector<std::vector<std::size_t>> chains(count);
    for (std::size_t i = 0; i < count; ++i) {
        chains[i] = {i};
    }
    return chains;
}

} // namespace quillon::cli
