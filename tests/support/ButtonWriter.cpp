// The button tag of the movie writer.

#include "support/MovieWriter.h"

namespace quillon::testing {

namespace {
constexpr int DefineButton2 = 34;
}

std::uint16_t MovieWriter::defineButton2(const std::vector<ButtonRecordSpec>& records,
                                         const std::vector<ButtonActionSpec>& actions) {
    const std::uint16_t id = takeId();
    BitWriter head;
    head.u16(id);
    head.u8(0); // not tracked as a menu
    BitWriter body;
    for (const ButtonRecordSpec& record : records) {
        body.u8(record.states);
        body.u16(record.characterId);
        body.u16(record.depth);
        body.matrix(record.matrix);
        body.colorXf(ColorXf{}, true);
    }
    body.u8(0);
    // The action offset counts from its own field: itself (2) and the records.
    head.u16(actions.empty() ? 0 : static_cast<std::uint16_t>(2 + body.data().size()));
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const bool last = i + 1 == actions.size();
        body.u16(last ? 0 : static_cast<std::uint16_t>(4 + actions[i].actions.size()));
        body.u16(actions[i].conditions);
        body.bytes(actions[i].actions);
    }
    head.bytes(body.data());
    tag(DefineButton2, head.data());
    return id;
}

} // namespace quillon::testing
