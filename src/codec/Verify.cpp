#include "Verify.h"

#include "Errors.h"
#include "FileIO.h"
#include "SwfHeader.h"
#include "SwfImage.h"
#include "codec/swf/TagCodes.h"
#include "codec/swf/TagStream.h"

#include <algorithm>

namespace quillon {

namespace {

std::string At(std::size_t offset) {
    return " at offset " + std::to_string(offset);
}

// Walks the top-level tags of a plain image up to the End tag, counting ShowFrame tags.
// Returns the problem that ended the walk early, or an empty text.
std::string WalkTags(std::span<const std::uint8_t> image, std::size_t bodyStart,
                     std::uint32_t& showFrames) {
    if (image.size() < bodyStart) {
        return "the header runs past the end of the movie";
    }
    swf::TagStream stream(image, bodyStart);
    swf::Tag tag;
    for (swf::TagRead read; (read = stream.next(tag)) != swf::TagRead::NoMore;) {
        if (read != swf::TagRead::Ok) {
            return "tag " + std::to_string(tag.code) + At(tag.offset) +
                   " runs past the end of the movie";
        }
        if (tag.code == swf::tags::End) {
            return {};
        }
        showFrames += tag.code == swf::tags::ShowFrame;
    }
    return "the tag stream has no End tag";
}

void CheckTags(std::span<const std::uint8_t> image, std::size_t bodyStart, MovieCheck& check) {
    const std::string problem = WalkTags(image, bodyStart, check.showFrames);
    if (!problem.empty()) {
        check.problems.push_back(problem);
    }
    // Counted as far as the tags could be read: a player shows those frames.
    if (check.showFrames != check.frameCount) {
        check.problems.push_back("the header's frame count is " + std::to_string(check.frameCount) +
                                 " but there are " + std::to_string(check.showFrames) +
                                 " ShowFrame tags");
    }
}

void CheckStream(const WholeBody& whole, MovieCheck& check) {
    switch (whole.outcome) {
    case InflateOutcome::Complete:
        break;
    case InflateOutcome::RanOut:
        check.problems.push_back("the compressed data ends early");
        break;
    case InflateOutcome::Corrupt:
        check.problems.push_back("the compressed data is corrupt");
        break;
    case InflateOutcome::OtherError:
        check.problems.push_back("the compressed data cannot be decoded");
        break;
    }
    if (whole.trailingBytes > 0) {
        check.problems.push_back(std::to_string(whole.trailingBytes) +
                                 " bytes follow the compressed data");
    }
}

} // namespace

MovieCheck CheckMovie(std::span<const std::uint8_t> file) {
    MovieCheck check;
    check.signature.assign(file.begin(), file.begin() + std::min<std::size_t>(file.size(), 3));
    if (check.signature != "FWS" && check.signature != "CWS" && check.signature != "ZWS") {
        check.problems.push_back(file.empty() ? "the file is empty"
                                              : "the signature is not FWS, CWS or ZWS");
        return check;
    }
    if (file.size() < 8) {
        check.problems.push_back("the file ends inside the header");
        return check;
    }
    check.version = file[3];
    check.declaredLength = ParseSwfHeaderFields(file).declaredLength;

    WholeBody whole;
    std::span<const std::uint8_t> image = file;
    if (check.signature != "FWS") {
        whole = DecodeWholeBody(file);
        CheckStream(whole, check);
        image = whole.image;
    }
    check.plainLength = image.size();
    if (check.plainLength != check.declaredLength) {
        check.problems.push_back("the declared length is " + std::to_string(check.declaredLength) +
                                 " but the plain movie has " + std::to_string(check.plainLength) +
                                 " bytes");
    }
    const SwfHeaderFields fields = ParseSwfHeaderFields(image);
    check.frameCount = fields.frameCount;
    // Tags of a stream that did not decode in full would only repeat that problem.
    if (whole.outcome == InflateOutcome::Complete) {
        CheckTags(image, fields.bodyStart, check);
    }
    return check;
}

MovieCheck CheckMovieFile(const std::string& path) {
    try {
        return CheckMovie(ReadWholeFile(path));
    } catch (const QuillonError& error) {
        MovieCheck check;
        check.problems.push_back(error.what());
        return check;
    }
}

} // namespace quillon
