#pragma once
// One stream of FLV data played on a clock: what a script's NetStream plays, from a
// file read whole or from bytes the script appends. It decodes the video tags that
// fall due, shows each picture at its presentation time, hands the script data tags
// (onMetaData, onCuePoint) on, and reports its status changes with the player's codes.
// No Qt in this header: the script interpreters include it.

#include "player/engine/video/Amf0.h"
#include "player/engine/video/VideoScreen.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::engine {

struct StreamEvent {
    enum class Kind { Status, Data };
    Kind kind = Kind::Status;
    std::string code, level = "status", description; // Status
    ScriptData data;                                 // Data: a handler and its argument
};

// The most bytes one stream holds; appends beyond it are dropped with a warning.
inline constexpr std::size_t MaxStreamBytes = 64u << 20;

class FlvPlayback {
public:
    // seekDetail: seeks report SeekStart.Notify and Seek.Complete around Seek.Notify,
    // as ActionScript 3 hears them (ActionScript 1 and 2 hear Seek.Notify alone).
    explicit FlvPlayback(bool seekDetail);
    ~FlvPlayback();
    FlvPlayback(const FlvPlayback&) = delete;
    FlvPlayback& operator=(const FlvPlayback&) = delete;

    // play("file"): the file's bytes, or nothing when it could not be read.
    void play(std::optional<std::vector<std::uint8_t>> file);
    // play(null): the bytes come through append.
    void playAppended();
    void append(std::span<const std::uint8_t> bytes);
    // "resetBegin" (a new file with its header follows), "resetSeek" (tags follow, after
    // a seek) or "endSequence" (no more bytes come).
    void appendAction(std::string_view action);
    void pause();
    void resume();
    void seek(double seconds);
    void close();
    // Shows what falls due now, then moves the clock on by ms while playing. Status
    // changes and data tags since the last call are added to out in order.
    void advance(double ms, std::vector<StreamEvent>& out);

    bool paused() const;
    double time() const; // seconds
    std::size_t bytesLoaded() const;
    std::size_t bytesTotal() const;
    int videoWidth() const;
    int videoHeight() const;
    std::shared_ptr<const VideoFeed> feed() const;
    // How many pictures the feed has shown.
    std::uint64_t pictureSerial() const;
    // What went wrong in the data since the last call (damage, missing decoders).
    std::vector<std::string> takeWarnings();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace quillon::engine
