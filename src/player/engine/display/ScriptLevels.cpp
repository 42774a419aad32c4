// Movies scripts load: into a clip (loadMovie) or into a level above the main timeline.

#include "player/engine/display/ScriptStage.h"

namespace quillon::engine {

namespace {

// Movies a script may load in one run, each holding a whole movie; and the most levels.
constexpr std::size_t MaxLoadedMovies = 64;
constexpr int MaxLevel = 1024;
// How far a walk up the tree goes (clips nest at most MaxClipNesting deep per movie).
constexpr int MaxWalk = 4096;

// How many clips hold this one.
int DepthInTree(const Clip& clip) {
    int depth = 0;
    for (auto parent = clip.parent.lock(); parent && depth < MaxWalk;
         parent = parent->parent.lock()) {
        ++depth;
    }
    return depth;
}

} // namespace

ScriptStage::LoadedMovie ScriptStage::fetch(const std::string& url) {
    if (!loader_ || loaded_.size() >= MaxLoadedMovies) {
        return {};
    }
    LoadedMovie movie = loader_(url);
    if (movie.picture && !movie.timeline) {
        movie.timeline = &EmptyTimeline();
    }
    if (movie.timeline) {
        loaded_.push_back(movie.owner);
    }
    return movie;
}

const Timeline& ScriptStage::EmptyTimeline() {
    static const Timeline Empty = [] {
        Timeline empty;
        empty.frames.resize(1);
        return empty;
    }();
    return Empty;
}

bool ScriptStage::loadMovie(ClipId clip, const std::string& url) {
    if (clip == root() && url.empty()) {
        return false; // the main timeline stays; only levels above it unload
    }
    auto c = clipOf(clip);
    if (!c || DepthInTree(*c) >= MaxClipNesting) {
        return false; // a movie loaded into a movie loaded into ... stops here
    }
    LoadedMovie movie;
    if (!url.empty()) {
        movie = fetch(url);
        if (!movie.timeline) {
            return false;
        }
    }
    return replaceMovie(clip, movie.timeline, movie.facts, movie.picture);
}

bool ScriptStage::replaceMovie(ClipId clip, const Timeline* timeline,
                               std::shared_ptr<const MovieFacts> facts,
                               std::shared_ptr<const BitmapPixels> picture) {
    auto c = clipOf(clip);
    if (!c || DepthInTree(*c) >= MaxClipNesting) {
        return false;
    }
    // the clips of the movie that was there hear that they go
    std::vector<int> depths;
    for (const auto& entry : c->list) {
        depths.push_back(entry.first);
    }
    for (const int depth : depths) {
        runner_.removeAt(*c, depth);
    }
    c->timeline = timeline ? timeline : &EmptyTimeline();
    c->movie = std::move(facts);
    c->bitmap = std::move(picture);
    c->smoothBitmap = false;
    c->playing = true;
    runner_.startLoaded(c);
    return true;
}

std::shared_ptr<const ScriptMovie> ScriptStage::readMovie(const std::string& url,
                                                          const std::string* bytes) {
    if (!reader_ || loaded_.size() >= MaxLoadedMovies) {
        return nullptr;
    }
    auto movie = reader_(url, bytes);
    if (movie) {
        loaded_.push_back(movie->owner);
    }
    return movie;
}

bool ScriptStage::playMovie(ClipId clip, const ScriptMovie& movie) {
    return movie.timeline && replaceMovie(clip, movie.timeline, movie.facts, nullptr);
}

ClipId ScriptStage::level(int number) {
    if (number == 0) {
        return root();
    }
    const auto& levels = runner_.levels();
    const auto it = levels.find(number);
    return it == levels.end() ? 0 : it->second->scriptId;
}

Clip* ScriptStage::topOf(ClipId clip) {
    Clip* c = runner_.resolve(clip).clip;
    if (!c) {
        const Placed p = runner_.resolve(clip);
        c = p.parent;
    }
    for (int walk = 0; c && walk < MaxWalk; ++walk) {
        auto parent = c->parent.lock();
        if (!parent) {
            return c;
        }
        c = parent.get();
    }
    return nullptr;
}

int ScriptStage::levelOf(ClipId clip) {
    const Clip* top = topOf(clip);
    if (top && top == runner_.root().get()) {
        return 0;
    }
    for (const auto& [number, level] : runner_.levels()) {
        if (level.get() == top) {
            return number;
        }
    }
    return -1;
}

bool ScriptStage::loadLevel(int number, const std::string& url) {
    if (number < 0 || number > MaxLevel) {
        return false;
    }
    if (number == 0) {
        return loadMovie(root(), url);
    }
    if (url.empty()) {
        runner_.removeLevel(number);
        return true;
    }
    LoadedMovie movie = fetch(url);
    if (!movie.timeline) {
        return false;
    }
    auto clip = std::make_shared<Clip>();
    clip->timeline = movie.timeline;
    clip->movie = movie.facts;
    clip->bitmap = movie.picture;
    runner_.setLevel(number, clip);
    runner_.startLoaded(clip);
    return true;
}

ClipId ScriptStage::movieRoot(ClipId clip) {
    Clip* c = runner_.resolve(clip).clip;
    if (!c) {
        c = runner_.resolve(clip).parent;
    }
    for (int walk = 0; c && walk < MaxWalk; ++walk) {
        auto parent = c->parent.lock();
        if (parent && parent == runner_.offstageIfAny()) {
            return root(); // held off the display list: the main movie's
        }
        if (c->movie || !parent) {
            return runner_.idOf(*c);
        }
        c = parent.get();
    }
    return root();
}

MovieFacts ScriptStage::movieFacts(ClipId clip) {
    const auto c = clipOf(movieRoot(clip));
    return c && c->movie ? *c->movie : MovieFacts{};
}

} // namespace quillon::engine
