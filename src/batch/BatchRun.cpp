#include "BatchRun.h"

#include "CaseFold.h"

#include <filesystem>
#include <numeric>
#include <unordered_map>

namespace quillon {

std::string ChainKey(const std::string& path) {
    std::error_code ignored;
    const std::string canonical = std::filesystem::weakly_canonical(path, ignored).string();
    return FoldCase(canonical.empty() ? path : canonical);
}

namespace {

// Union-find over row indices; a set is named by its lowest row.
class RowSets {
public:
    explicit RowSets(std::size_t count) : parent_(count) {
        std::iota(parent_.begin(), parent_.end(), 0);
    }
    std::size_t find(std::size_t i) {
        while (parent_[i] != i) {
            i = parent_[i] = parent_[parent_[i]];
        }
        return i;
    }
    void join(std::size_t a, std::size_t b) {
        a = find(a);
        b = find(b);
        parent_[std::max(a, b)] = std::min(a, b);
    }

private:
    std::vector<std::size_t> parent_;
};

} // namespace

Chains BatchChains(const std::vector<BatchRowJob>& rows) {
    RowSets sets(rows.size());
    std::unordered_map<std::string, std::size_t> owner;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (const std::string* path : {&rows[i].input, &rows[i].target}) {
            const auto [it, fresh] = owner.try_emplace(ChainKey(*path), i);
            if (!fresh) {
                sets.join(it->second, i);
            }
        }
    }
    Chains chains;
    std::unordered_map<std::size_t, std::size_t> chainOf;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto [it, fresh] = chainOf.try_emplace(sets.find(i), chains.size());
        if (fresh) {
            chains.emplace_back();
        }
        chains[it->second].push_back(i);
    }
    return chains;
}

void RunBatch(const std::vector<BatchRowJob>& rows, const RowTransform& transform, int jobs,
              const BatchRunHooks& hooks,
              const std::function<void(std::size_t, const BatchRowResult&)>& done) {
    // One job needs no chains: the rows run in scan order anyway.
    const Chains chains = jobs > 1 ? BatchChains(rows) : Chains{};
    RunInOrder<BatchRowResult>(
        chains, rows.size(), jobs,
        [&](std::size_t i) {
            if (hooks.stopRequested && hooks.stopRequested()) {
                return BatchRowResult{};
            }
            if (hooks.rowStarted) {
                hooks.rowStarted(i);
            }
            return ProcessBatchRow(transform, rows[i].input, rows[i].target);
        },
        done);
}

} // namespace quillon
