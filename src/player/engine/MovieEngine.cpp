#include "player/engine/MovieEngine.h"

#include "codec/Errors.h"
#include "codec/FileIO.h"
#include "codec/SwfHeader.h"
#include "codec/SwfImage.h"
#include "player/engine/MovieFiles.h"
#include "player/engine/characters/BitmapImage.h"
#include "player/engine/characters/Records.h"
#include "player/engine/display/ButtonPointer.h"
#include "player/engine/display/DisplayList.h"
#include "player/engine/display/ScriptStage.h"
#include "player/engine/parse/ImportParser.h"
#include "player/engine/parse/ParseContext.h"
#include "player/engine/parse/TimelineParser.h"
#include "player/engine/render/Renderer.h"
#include "player/engine/script/avm1/Runner.h"
#include "player/engine/script/avm2stage/MovieRunner.h"
#include "player/engine/sound/SoundDirector.h"

#include <QPainter>
#include <algorithm>
#include <filesystem>

namespace quillon::engine {

struct MovieEngine::State {
    bool loaded = false;
    SwfHeaderFields header;
    ParseContext context;
    Timeline timeline;
    std::shared_ptr<Clip> root;
    std::unique_ptr<ClipRunner> runner;
    std::unique_ptr<Renderer> renderer;
    SoundDirector sound{context};
    std::unique_ptr<ScriptStage> stage;
    std::unique_ptr<avm1::Runner> scripts;
    std::unique_ptr<avm2stage::MovieRunner> as3;
    std::unique_ptr<ButtonPointer> pointer;
    double frameMs = 1000.0 / 12;
};

namespace {

std::function<void(const std::string&)> WarningSink(const ScriptOptions& options,
                                                    std::vector<std::string>& warnings) {
    if (options.warning) {
        return options.warning;
    }
    return [&warnings](const std::string& text) {
        if (warnings.size() < 100 &&
            std::find(warnings.begin(), warnings.end(), text) == warnings.end()) {
            warnings.push_back(text);
        }
    };
}

// A file's url as scripts read it (_url, LoaderInfo.url).
std::string FileUrl(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return "file://" + (error ? path : full.lexically_normal().string());
}

// A movie a script asked for: from a file beside the movie, or from bytes already read;
// bytes with no url take the address of the movie that asked.
std::shared_ptr<const ScriptMovie> ReadScriptMovie(const ParseContext& context,
                                                   const std::string& url, const std::string* bytes,
                                                   const std::string& ownUrl) {
    std::shared_ptr<ImportedLibrary> movie =
        bytes ? ReadMovieBytes(*bytes, context) : ReadMovieBeside(url, context);
    if (!movie) {
        return nullptr;
    }
    auto read = std::make_shared<ScriptMovie>();
    read->timeline = &movie->timeline;
    read->facts = std::make_shared<MovieFacts>(
        MovieFacts{url.empty() ? ownUrl : FileUrl(context.folder + "/" + url),
                   movie->declaredLength, movie->fileBytes, movie->context.version});
    read->actionScript3 = movie->context.actionScript3;
    read->width = movie->width;
    read->height = movie->height;
    read->frameRate = movie->frameRate;
    for (const AbcBlock& block : movie->context.abcBlocks) {
        read->abcBlocks.emplace_back(block.tagCode, block.body);
    }
    read->symbolClasses = movie->context.symbolClasses;
    read->owner = std::move(movie);
    return read;
}

} // namespace

// ActionScript 3 runs on its own machine; its ABC blocks load in tag order.
void MovieEngine::startAs3Scripts(State& state) const {
    const ScriptOptions& options = scriptOptions_;
    avm2stage::RunnerSetup setup;
    setup.seed = options.seed;
    setup.dateMs = options.dateMs;
    setup.swfVersion = state.header.version;
    setup.useNetwork = state.context.useNetwork;
    setup.trace = options.trace;
    setup.warning = WarningSink(options, state.context.warnings);
    setup.stepsPerFrame = options.stepsPerFrame;
    const auto& r = state.header.frameRect;
    setup.stageWidth = (r[1] - r[0]) / TwipsPerPixel;
    setup.stageHeight = (r[3] - r[2]) / TwipsPerPixel;
    setup.frameRate = state.header.frameRate8_8 / 256.0;
    if (!state.context.folder.empty()) {
        setup.readFile = [folder = state.context.folder](const std::string& url) {
            return ReadBesideMovie(folder, url);
        };
    }
    state.as3 = std::make_unique<avm2stage::MovieRunner>(*state.stage, setup);
    state.runner->setScripts(state.as3.get());
}

void MovieEngine::startScripts(State& state, const std::string& folder) const {
    const ScriptOptions& options = scriptOptions_;
    state.stage = std::make_unique<ScriptStage>(*state.runner, state.context.exports);
    state.stage->setClipPainter([&state](QPainter& painter, const Placed& clip, const QTransform& m,
                                         const ColorTransform& cx, int blendMode) {
        state.renderer->drawObject(painter, clip, m, cx, blendMode);
    });
    state.stage->setPointer([&state] { return state.pointer->point(); });
    const ParseContext& context = state.context;
    state.stage->setMovieLoader([&context](const std::string& url) {
        ScriptStage::LoadedMovie loaded;
        auto movie = ReadMovieBeside(url, context);
        if (movie) {
            loaded.timeline = &movie->timeline;
            loaded.facts = std::make_shared<MovieFacts>(
                MovieFacts{FileUrl(context.folder + "/" + url), movie->declaredLength,
                           movie->fileBytes, movie->context.version});
            loaded.owner = std::move(movie);
            return loaded;
        }
        // a picture file loads as well; it has no movie version
        const std::optional<std::string> data =
            context.folder.empty() ? std::nullopt : ReadBesideMovie(context.folder, url);
        loaded.picture = data ? DecodePictureFile(*data) : nullptr;
        if (loaded.picture) {
            loaded.facts = std::make_shared<MovieFacts>(
                MovieFacts{FileUrl(context.folder + "/" + url), data->size(), data->size(), -1});
            loaded.owner = loaded.picture;
        }
        return loaded;
    });
    state.stage->setBinaryData(&state.context.binaryData);
    state.stage->setScriptMovieReader([&state](const std::string& url, const std::string* bytes) {
        return ReadScriptMovie(state.context, url, bytes, state.root->movie->url);
    });
    if (state.context.actionScript3) {
        startAs3Scripts(state);
        return;
    }
    avm1::VmLimits limits;
    if (options.stepsPerFrame > 0) {
        limits.stepsPerFrame = options.stepsPerFrame;
    }
    state.scripts = std::make_unique<avm1::Runner>(*state.stage, state.header.version, limits);
    avm1::Vm& vm = state.scripts->vm();
    vm.random.seed(options.seed);
    vm.dateMs = options.dateMs;
    vm.onTrace = options.trace;
    vm.setLocalSandbox(state.context.useNetwork);
    const auto& frame = state.header.frameRect;
    vm.setStageSize((frame[1] - frame[0]) / TwipsPerPixel, (frame[3] - frame[2]) / TwipsPerPixel);
    vm.onWarning = WarningSink(options, state.context.warnings);
    if (options.request) {
        vm.onGetUrl = [request = options.request](const std::string& url, const std::string& target,
                                                  ClipId) { request(url, target); };
    }
    if (!folder.empty()) {
        vm.readFile = [folder](const std::string& url) { return ReadBesideMovie(folder, url); };
    }
    state.runner->setScripts(state.scripts.get());
}

void MovieEngine::startDocument(State& state) const {
    for (const AbcBlock& block : state.context.abcBlocks) {
        state.as3->loadAbcTag(block.tagCode, block.body);
    }
    state.as3->startDocument(state.context.symbolClasses);
}

MovieEngine::MovieEngine() : state_(std::make_unique<State>()) {}
MovieEngine::~MovieEngine() = default;

void MovieEngine::load(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    loadBytes(ReadWholeFile(path), folder.empty() ? std::string(".") : folder.string(),
              FileUrl(path));
}

void MovieEngine::loadBytes(std::vector<std::uint8_t> fileBytes, const std::string& folder,
                            const std::string& url) {
    if (fileBytes.size() < 8) {
        throw QuillonError("Not a movie: the file is shorter than its header");
    }
    if (fileBytes[1] != 'W' || fileBytes[2] != 'S') {
        throw QuillonError("Not a movie: the file has no movie signature");
    }
    auto next = std::make_unique<State>();
    const std::size_t fileSize = fileBytes.size();
    std::vector<std::uint8_t> image;
    if (fileBytes[0] == 'F') {
        image = std::move(fileBytes);
    } else {
        const InflateOutcome outcome = DecompressSwfImage(fileBytes, image);
        if (outcome != InflateOutcome::Complete) {
            next->context.warnings.push_back(
                "compressed data damaged or short; drawing what could be read");
        }
        if (image.size() < 8) {
            throw QuillonError("Not a movie: its compressed data cannot be read");
        }
    }
    next->header = ParseSwfHeaderFields(image);
    next->context.version = next->header.version;
    next->context.folder = folder;
    const std::size_t start = std::min(next->header.bodyStart, image.size());
    ParseTimeline(std::span<const std::uint8_t>(image).subspan(start), next->context,
                  next->timeline, 0);
    next->root = std::make_shared<Clip>();
    next->root->timeline = &next->timeline;
    next->root->movie = std::make_shared<MovieFacts>(
        MovieFacts{url, next->header.declaredLength, fileSize, next->header.version});
    next->runner = std::make_unique<ClipRunner>(next->context.dictionary, next->context.warnings);
    next->runner->setRoot(next->root);
    next->pointer = std::make_unique<ButtonPointer>(*next->runner);
    next->renderer = std::make_unique<Renderer>(next->context.dictionary, next->runner.get());
    next->renderer->setMovieVersion(next->header.version);
    next->sound.setFrameRate(next->header.frameRate8_8);
    next->sound.setEnabled(soundEnabled_);
    const double rate = next->header.frameRate8_8 / 256.0;
    next->frameMs = rate > 0 ? 1000.0 / rate : 1000.0 / 12;
    if (scriptOptions_.scripts) {
        startScripts(*next, folder);
    }
    // ActionScript 3 names its unnamed instances itself
    next->runner->setDefaultNames(!next->as3);
    next->runner->start(next->root);
    next->runner->runQueuedActions();
    // the first frame ends as every other does: its time passes before the next one
    if (next->scripts) {
        next->scripts->endFrame(next->frameMs);
        next->runner->runQueuedActions();
    }
    if (next->as3) {
        startDocument(*next);
    }
    next->sound.frameDone(next->root, false);
    next->loaded = true;
    state_ = std::move(next);
}

bool MovieEngine::isLoaded() const {
    return state_->loaded;
}

int MovieEngine::frameCount() const {
    return state_->loaded ? std::max<int>(1, static_cast<int>(state_->timeline.frames.size())) : 0;
}

std::uint16_t MovieEngine::frameRate8_8() const {
    return state_->header.frameRate8_8;
}

QRectF MovieEngine::frameRect() const {
    const auto& r = state_->header.frameRect;
    return QRectF(r[0], r[2], r[1] - r[0], r[3] - r[2]);
}

QColor MovieEngine::backgroundColor() const {
    return state_->context.background.value_or(QColor(Qt::white));
}

int MovieEngine::currentFrame() const {
    return state_->loaded ? std::max(0, state_->root->frame) : 0;
}

bool MovieEngine::isPlaying() const {
    return state_->loaded && state_->root->playing;
}

void MovieEngine::advance() {
    if (!state_->loaded) {
        return;
    }
    state_->runner->beginFrame();
    if (state_->scripts) {
        state_->scripts->beginFrame();
    }
    if (state_->as3) {
        state_->as3->beginFrame();
    }
    const auto tops = state_->runner->tops();
    for (const auto& top : tops) {
        state_->runner->queueEnterFrame(top);
    }
    for (const auto& top : tops) {
        state_->runner->tick(top);
    }
    if (const auto offstage = state_->runner->offstageIfAny()) {
        state_->runner->tick(offstage);
    }
    state_->runner->runQueuedActions();
    if (state_->scripts) {
        state_->scripts->endFrame(state_->frameMs);
        state_->runner->runQueuedActions();
    }
    if (state_->as3) {
        state_->as3->endFrame(state_->frameMs);
    }
    followRolls(state_->pointer->refresh());
    state_->sound.frameDone(state_->root, false);
}

void MovieEngine::setScriptOptions(ScriptOptions options) {
    scriptOptions_ = std::move(options);
}

void MovieEngine::gotoFrame(int frame) {
    if (!state_->loaded) {
        return;
    }
    state_->runner->resetBudget();
    state_->runner->gotoFrame(state_->root, std::clamp(frame, 0, frameCount() - 1));
    state_->runner->dropQueuedActions();
    followRolls(state_->pointer->refresh());
    state_->sound.frameDone(state_->root, true);
}

void MovieEngine::render(QPainter& painter, const QRectF& target, const QRectF& viewTwips,
                         ScaleMode mode, std::optional<QColor> background) const {
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.fillRect(target, background.value_or(backgroundColor()));
    if (state_->loaded) {
        painter.setRenderHint(QPainter::Antialiasing, antialiasing_);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        const QTransform view = viewTransform(target, viewTwips, mode);
        for (const auto& top : state_->runner->tops()) {
            state_->renderer->draw(painter, *top, view);
        }
        drawFocusRect(painter, view);
    }
    painter.restore();
}

void MovieEngine::drawFocusRect(QPainter& painter, const QTransform& view) const {
    FocusState* focus = state_->stage ? state_->stage->focus() : nullptr;
    if (!focus || !focus->showsRectangle() || !state_->stage->exists(focus->focused())) {
        return;
    }
    const ClipId clip = focus->focused();
    const int level = state_->stage->levelOf(clip);
    const ClipId top = level >= 0 ? state_->stage->level(level) : state_->stage->root();
    const ClipBounds b = state_->stage->bounds(clip, top);
    Renderer::DrawFocusRect(painter, QRectF(QPointF(b.xMin, b.yMin), QPointF(b.xMax, b.yMax)),
                            view);
}

void MovieEngine::keyPressed(int keyCode, bool shift) {
    if (!state_->loaded) {
        return;
    }
    if (state_->scripts) {
        state_->scripts->keyPressed(keyCode, shift);
    }
    if (state_->as3) {
        state_->as3->keyPressed(keyCode, shift);
    }
    state_->runner->runQueuedActions();
}

void MovieEngine::keyReleased(int keyCode) {
    if (!state_->loaded) {
        return;
    }
    if (state_->scripts) {
        state_->scripts->keyReleased(keyCode);
    }
    if (state_->as3) {
        state_->as3->keyReleased(keyCode);
    }
    state_->runner->runQueuedActions();
}

QTransform MovieEngine::viewTransform(const QRectF& target, const QRectF& viewTwips,
                                      ScaleMode mode) {
    return Renderer::ViewTransform(target, viewTwips, mode == ScaleMode::ShowAll);
}

void MovieEngine::pointerMoved(QPointF twips) {
    if (state_->loaded) {
        followRolls(state_->pointer->moveTo(twips));
    }
}

void MovieEngine::pointerLeft() {
    if (state_->loaded) {
        followRolls(state_->pointer->moveTo(std::nullopt));
    }
}

std::uint16_t MovieEngine::buttonUnderPointer() const {
    return state_->loaded ? state_->pointer->overButton() : 0;
}

// Each roll sounds, then its actions run with the button's parent as their target.
void MovieEngine::followRolls(const std::vector<ButtonRoll>& rolls) {
    for (const ButtonRoll& roll : rolls) {
        state_->sound.buttonTransition(roll.buttonId, roll.entered ? ButtonTransition::UpToOver
                                                                   : ButtonTransition::OverToUp);
        const std::uint16_t condition = roll.entered ? IdleToOverUp : OverUpToIdle;
        auto parent = roll.parent.lock();
        if (!parent || !roll.button) {
            continue;
        }
        for (const ButtonAction& action : roll.button->actions) {
            if (action.conditions & condition) {
                state_->runner->runNow(*parent, action.code);
            }
        }
    }
    if (!rolls.empty()) {
        state_->runner->runQueuedActions();
    }
}

std::size_t MovieEngine::bitmapBytes() const {
    return state_->context.bitmapBytes;
}

void MovieEngine::setAntialiasing(bool on) {
    antialiasing_ = on;
}
bool MovieEngine::antialiasing() const {
    return antialiasing_;
}

void MovieEngine::renderSound(std::vector<std::int16_t>& out) {
    state_->sound.renderFrame(out);
}

void MovieEngine::setSoundEnabled(bool on) {
    soundEnabled_ = on;
    state_->sound.setEnabled(on);
}

void MovieEngine::stopSounds() {
    state_->sound.stopAll();
}

const SoundLibrary& MovieEngine::sounds() const {
    return state_->context.sounds;
}

void MovieEngine::buttonStateChanged(std::uint16_t buttonId, ButtonTransition transition) {
    state_->sound.buttonTransition(buttonId, transition);
}

ScriptSound& MovieEngine::scriptSound() {
    return state_->sound;
}

const std::vector<std::string>& MovieEngine::warnings() const {
    return state_->context.warnings;
}

} // namespace quillon::engine
