#include "player/engine/script/ActionRunner.h"

#include "codec/swf/BitReader.h"

namespace quillon::engine {

namespace {

enum Action : std::uint8_t {
    NextFrame = 0x04,
    PreviousFrame = 0x05,
    Play = 0x06,
    Stop = 0x07,
    GotoFrame = 0x81,
    SetTarget = 0x8b,
    GoToLabel = 0x8c,
    Jump = 0x99,
    If = 0x9d,
    Call = 0x9e,
    GotoFrame2 = 0x9f,
    SetTarget2 = 0x20,
};

} // namespace

bool RunSimpleActions(std::span<const std::uint8_t> code, TimelineControl& timeline) {
    swf::BitReader in(code);
    bool otherTarget = false; // actions aimed at another clip are not ours to run
    while (!in.atEnd()) {
        const std::uint8_t action = in.u8();
        if (action == 0) {
            break;
        }
        std::span<const std::uint8_t> body;
        if (action >= 0x80) {
            body = in.take(in.u16());
        }
        if (in.overrun()) {
            return false;
        }
        swf::BitReader args(body);
        switch (action) {
        case SetTarget:
            otherTarget = !args.string().empty();
            continue;
        case If:
        case Jump:
        case Call:
        case SetTarget2:
        case GotoFrame2:
            return false;
        default:
            break;
        }
        if (otherTarget) {
            continue;
        }
        switch (action) {
        case NextFrame:
            timeline.nextFrame();
            break;
        case PreviousFrame:
            timeline.prevFrame();
            break;
        case Play:
            timeline.play();
            break;
        case Stop:
            timeline.stop();
            break;
        case GotoFrame:
            timeline.gotoFrame(args.u16());
            break;
        case GoToLabel:
            timeline.gotoLabel(args.string());
            break;
        default:
            break;
        }
    }
    return true;
}

} // namespace quillon::engine
