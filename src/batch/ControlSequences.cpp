#include "ControlSequences.h"

#include <iterator>

namespace quillon {

namespace {

using C = BatchControl;
constexpr bool On = true;
constexpr bool Off = false;

// Controls switched the same way, in the order given.
template <bool enabled, BatchControl... controls>
constexpr ControlStep All[] = {{controls, enabled}...};

// The four batch buttons and the context menu, off in the order Clear and the start use.
constexpr auto& IdleSteps =
    All<Off, C::Compress, C::Decompress, C::Select, C::Clear, C::ContextMenu>;
constexpr auto& ScanStartSteps = All<On, C::ProgressBar, C::Wait>;
constexpr auto& CompressStartSteps = All<On, C::ProgressBar, C::Wait>;
constexpr auto& DecompressStartSteps = All<On, C::Wait, C::ProgressBar>;
constexpr auto& ScanLockSteps = All<Off, C::ModeBatch, C::ModeSingle>;
constexpr auto& ScanLockRestSteps =
    All<Off, C::Tree, C::Compress, C::Clear, C::Select, C::Decompress, C::ContextMenu>;
constexpr auto& RunLockSteps = All<Off, C::ModeBatch, C::ModeSingle, C::Compress, C::Clear,
                                   C::Select, C::Decompress, C::Tree, C::ContextMenu>;
constexpr auto& ScanHideSteps = All<Off, C::ProgressBar, C::Wait>;
constexpr auto& ScanFoundRowsSteps =
    All<On, C::Clear, C::Compress, C::Select, C::Decompress, C::ContextMenu>;
constexpr auto& ScanUnlockSteps = All<On, C::Tree, C::ModeBatch, C::ModeSingle>;
constexpr ControlStep RunEndSteps[] = {
    {C::Wait, Off},      {C::ProgressBar, Off}, {C::Compress, On}, {C::Clear, On},
    {C::Select, On},     {C::Decompress, On},   {C::Tree, On},     {C::ModeBatch, On},
    {C::ModeSingle, On}, {C::ContextMenu, On}};
constexpr auto& ClearSteps =
    All<Off, C::Compress, C::Clear, C::Select, C::Decompress, C::ContextMenu>;
constexpr auto& EmptiedSteps =
    All<Off, C::Clear, C::Compress, C::Select, C::Decompress, C::ContextMenu>;

// Each moment's steps, in BatchMoment's order.
constexpr std::span<const ControlStep> Table[] = {
    IdleSteps,         ScanStartSteps, CompressStartSteps, DecompressStartSteps, ScanLockSteps,
    ScanLockRestSteps, RunLockSteps,   ScanHideSteps,      ScanFoundRowsSteps,   ScanUnlockSteps,
    RunEndSteps,       ClearSteps,     EmptiedSteps};
static_assert(std::size(Table) == static_cast<std::size_t>(BatchMoment::Emptied) + 1);

} // namespace

std::span<const ControlStep> StepsOf(BatchMoment moment) {
    return Table[static_cast<std::size_t>(moment)];
}

void ApplySteps(BatchControls& controls, BatchMoment moment) {
    for (const ControlStep& step : StepsOf(moment)) {
        controls.setControlEnabled(step.control, step.enabled);
    }
}

} // namespace quillon
