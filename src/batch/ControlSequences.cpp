#include "ControlSequences.h"

#include <array>

namespace quillon {

namespace {

using C = BatchControl;
constexpr bool On = true;
constexpr bool Off = false;

// The four batch buttons and the context menu, off in the order Clear and the start use.
constexpr ControlStep IdleSteps[] = {{C::Compress, Off},
                                     {C::Decompress, Off},
                                     {C::Select, Off},
                                     {C::Clear, Off},
                                     {C::ContextMenu, Off}};
constexpr ControlStep ScanStartSteps[] = {{C::ProgressBar, On}, {C::Wait, On}};
constexpr ControlStep CompressStartSteps[] = {{C::ProgressBar, On}, {C::Wait, On}};
constexpr ControlStep DecompressStartSteps[] = {{C::Wait, On}, {C::ProgressBar, On}};
constexpr ControlStep ScanLockSteps[] = {{C::ModeBatch, Off}, {C::ModeSingle, Off}};
constexpr ControlStep ScanLockRestSteps[] = {{C::Tree, Off},       {C::Compress, Off},
                                             {C::Clear, Off},      {C::Select, Off},
                                             {C::Decompress, Off}, {C::ContextMenu, Off}};
constexpr ControlStep RunLockSteps[] = {
    {C::ModeBatch, Off}, {C::ModeSingle, Off}, {C::Compress, Off}, {C::Clear, Off},
    {C::Select, Off},    {C::Decompress, Off}, {C::Tree, Off},     {C::ContextMenu, Off}};
constexpr ControlStep ScanHideSteps[] = {{C::ProgressBar, Off}, {C::Wait, Off}};
constexpr ControlStep ScanFoundRowsSteps[] = {
    {C::Clear, On}, {C::Compress, On}, {C::Select, On}, {C::Decompress, On}, {C::ContextMenu, On}};
constexpr ControlStep ScanUnlockSteps[] = {{C::Tree, On}, {C::ModeBatch, On}, {C::ModeSingle, On}};
constexpr ControlStep RunEndSteps[] = {
    {C::Wait, Off},      {C::ProgressBar, Off}, {C::Compress, On}, {C::Clear, On},
    {C::Select, On},     {C::Decompress, On},   {C::Tree, On},     {C::ModeBatch, On},
    {C::ModeSingle, On}, {C::ContextMenu, On}};
constexpr ControlStep ClearSteps[] = {{C::Compress, Off},
                                      {C::Clear, Off},
                                      {C::Select, Off},
                                      {C::Decompress, Off},
                                      {C::ContextMenu, Off}};
constexpr ControlStep EmptiedSteps[] = {{C::Clear, Off},
                                        {C::Compress, Off},
                                        {C::Select, Off},
                                        {C::Decompress, Off},
                                        {C::ContextMenu, Off}};

struct MomentSteps {
    BatchMoment moment;
    std::span<const ControlStep> steps;
};

constexpr std::array<MomentSteps, 13> Table = {{
    {BatchMoment::Idle, IdleSteps},
    {BatchMoment::ScanStart, ScanStartSteps},
    {BatchMoment::CompressStart, CompressStartSteps},
    {BatchMoment::DecompressStart, DecompressStartSteps},
    {BatchMoment::ScanLock, ScanLockSteps},
    {BatchMoment::ScanLockRest, ScanLockRestSteps},
    {BatchMoment::RunLock, RunLockSteps},
    {BatchMoment::ScanHide, ScanHideSteps},
    {BatchMoment::ScanFoundRows, ScanFoundRowsSteps},
    {BatchMoment::ScanUnlock, ScanUnlockSteps},
    {BatchMoment::RunEnd, RunEndSteps},
    {BatchMoment::Clear, ClearSteps},
    {BatchMoment::Emptied, EmptiedSteps},
}};

} // namespace

std::span<const ControlStep> StepsOf(BatchMoment moment) {
    for (const MomentSteps& entry : Table) {
        if (entry.moment == moment) {
            return entry.steps;
        }
    }
    return {};
}

void ApplySteps(BatchControls& controls, BatchMoment moment) {
    for (const ControlStep& step : StepsOf(moment)) {
        controls.setControlEnabled(step.control, step.enabled);
    }
}

} // namespace quillon
