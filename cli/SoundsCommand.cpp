// quillon-cli sounds: lists the sounds a movie holds and writes each to a file: MP3 as
// stored, anything else decoded to WAV at its own rate.

#include "CommandLine.h"
#include "Commands.h"
#include "Json.h"
#include "codec/Errors.h"
#include "codec/FileIO.h"
#include "player/engine/MovieEngine.h"
#include "player/engine/characters/Sound.h"
#include "player/engine/sound/SoundDecoder.h"
#include "player/engine/sound/WavFile.h"

#include <QDir>
#include <iostream>
#include <sstream>

namespace quillon::cli {

namespace {

using namespace quillon::engine;

constexpr const char* SoundsUsage = "sounds SOURCE [--json] [--extract DIR]";

struct Entry {
    std::string name;  // "sound-ID" or "stream-main" / "stream-ID"
    std::string label; // what the listing shows in its first column
    const SoundCharacter* sound = nullptr;
    const StreamSound* stream = nullptr;
    SoundFormat format;
    std::uint64_t samples = 0;
    std::uint64_t bytes = 0;
};

std::vector<Entry> Entries(const SoundLibrary& library) {
    std::vector<Entry> entries;
    for (const auto& sound : library.sounds) {
        const std::string id = std::to_string(sound->id);
        entries.push_back({"sound-" + id, id, sound.get(), nullptr, sound->format,
                           sound->sampleCount, sound->data.size()});
    }
    for (const auto& [timeline, stream] : library.streams) {
        const std::string owner = timeline == 0 ? "main" : std::to_string(timeline);
        Entry entry{"stream-" + owner, "stream " + owner, nullptr, stream.get(), stream->format};
        const bool mp3 = stream->format.codec == static_cast<int>(SoundCodec::Mp3);
        for (const auto& block : stream->blocks) {
            entry.samples +=
                static_cast<std::uint64_t>(mp3 ? block.sampleCount : stream->samplesPerFrame);
            entry.bytes += block.data.size();
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

void List(const std::vector<Entry>& entries, bool json) {
    std::ostringstream out;
    if (json) {
        out << "[";
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        if (json) {
            out << (i ? ",\n " : "") << "{\"sound\": " << JsonString(e.label)
                << ", \"format\": " << JsonString(SoundCodecName(e.format.codec))
                << ", \"rate\": " << e.format.rate << ", \"channels\": " << e.format.channels
                << ", \"samples\": " << e.samples << ", \"bytes\": " << e.bytes << "}";
        } else {
            out << e.label << "\t" << SoundCodecName(e.format.codec) << "\t" << e.format.rate
                << "\t" << e.format.channels << "\t" << e.samples << "\t" << e.bytes << "\n";
        }
    }
    if (json) {
        out << "]\n";
    }
    std::cout << out.str();
}

// The MP3 frames of a sound as stored, one after another: a plain MP3 file.
std::vector<std::uint8_t> StoredMp3(const Entry& e) {
    if (e.sound) {
        return e.sound->data;
    }
    std::vector<std::uint8_t> bytes;
    for (const auto& block : e.stream->blocks) {
        bytes.insert(bytes.end(), block.data.begin(), block.data.end());
    }
    return bytes;
}

// Writes one entry; false (with the reason on stderr) when it cannot be decoded.
bool Extract(const Entry& e, const std::string& folder, const std::string& source) {
    std::vector<std::string> warnings;
    std::vector<std::uint8_t> bytes;
    std::string file = folder + "/" + e.name;
    if (e.format.codec == static_cast<int>(SoundCodec::Mp3)) {
        bytes = StoredMp3(e);
        file += ".mp3";
    } else {
        const Pcm pcm =
            e.sound ? DecodeSound(*e.sound, warnings) : DecodeStream(*e.stream, warnings).pcm;
        bytes = EncodeWav(pcm);
        file += ".wav";
    }
    for (const auto& warning : warnings) {
        std::cerr << "quillon-cli: " << source << ": " << warning << "\n";
    }
    if (e.format.codec != static_cast<int>(SoundCodec::Mp3) && bytes.size() <= 44 &&
        !warnings.empty()) {
        return false; // nothing decoded: no empty file
    }
    if (!WriteFileReplacing(file, bytes)) {
        throw EWriteError();
    }
    return true;
}

} // namespace

int RunSoundsCommand(const Args& args) {
    CommandLine line(args);
    const bool json = line.flag("--json");
    const std::string folder = line.option("--extract", "");
    const auto words = line.positionals(1, 1, SoundsUsage);
    MovieEngine movie;
    movie.load(words[0]);
    const std::vector<Entry> entries = Entries(movie.sounds());
    if (folder.empty()) {
        List(entries, json);
        return ExitOk;
    }
    if (!QDir().mkpath(QString::fromStdString(folder))) {
        throw QuillonError("sounds: cannot create folder \"" + folder + "\"");
    }
    int written = 0;
    for (const Entry& entry : entries) {
        written += Extract(entry, folder, words[0]) ? 1 : 0;
    }
    std::cout << written << " of " << entries.size() << " sounds written to " << folder << "\n";
    return ExitOk;
}

} // namespace quillon::cli
