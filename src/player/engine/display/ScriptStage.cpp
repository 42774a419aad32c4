#include "player/engine/display/ScriptStage.h"

#include "player/engine/characters/ExportNames.h"
#include "player/engine/characters/Sound.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace quillon::engine {

namespace {

// Script-made depths stay in the range the player allows.
constexpr int MaxScriptDepth = 2130706428;
// The search for text fields bound to variables goes no deeper than this.
constexpr int MaxFieldNesting = 64;

const EditTextCharacter* EditTextOf(const Instance* instance) {
    return instance ? dynamic_cast<const EditTextCharacter*>(instance->character.get()) : nullptr;
}

// The field an instance shows, its own copy: the definition is shared with every
// placement of it.
EditField* OwnField(Instance* instance) {
    const EditTextCharacter* edit = EditTextOf(instance);
    if (!edit) {
        return nullptr;
    }
    if (instance->character.use_count() > 1) {
        instance->character = std::make_shared<EditTextCharacter>(*edit);
    }
    return &static_cast<EditTextCharacter*>(instance->character.get())->field;
}

// A placement, which first takes any sideways move autoSize gave its field: a field
// that autoSize moved reads as moved.
Instance* Settle(Instance* i) {
    const EditTextCharacter* edit = EditTextOf(i);
    if (edit && edit->field.hasShift()) {
        const double shift = OwnField(i)->takeShift();
        i->matrix.translate(shift, 0);
    }
    return i;
}

QRectF LocalBounds(const Instance& instance, int nesting);

QRectF ListBounds(const Clip& clip, int nesting) {
    QRectF out = OwnBounds(clip);
    for (const auto& [depth, child] : clip.list) {
        const QRectF b = LocalBounds(child, nesting + 1);
        if (!b.isNull()) {
            const QRectF mapped = child.matrix.mapRect(b);
            out = out.isNull() ? mapped : out.united(mapped);
        }
    }
    return out;
}

QRectF LocalBounds(const Instance& instance, int nesting) {
    if (nesting > MaxClipNesting) {
        return {};
    }
    if (instance.clip) {
        return ListBounds(*instance.clip, nesting);
    }
    return instance.character ? instance.character->bounds(instance.ratio) : QRectF();
}

// What a clip or placed character covers in its own twips; null for nothing.
QRectF ContentBounds(const Placed& p) {
    return p.clip ? ListBounds(*p.clip, 0) : p.instance ? LocalBounds(*p.instance, 0) : QRectF();
}

// Bounds as the player keeps them, in whole twips.
QRectF WholeTwipsRect(const QRectF& r) {
    return QRectF(QPointF(std::round(r.left()), std::round(r.top())),
                  QPointF(std::round(r.right()), std::round(r.bottom())));
}

// A matrix as the player keeps it: its shift in whole twips. Each step of a chain of
// matrices is kept so, which the points it maps show.
QTransform WholeTwipsShift(const QTransform& m) {
    return QTransform(m.m11(), m.m12(), m.m21(), m.m22(), std::round(m.dx()), std::round(m.dy()));
}

// A number as the player makes it whole: cut toward zero, and past 32 bits (or
// endless, or no number) the most negative one.
std::int32_t PlayerWhole(double value) {
    const double whole = std::trunc(value);
    constexpr double Lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double Highest = std::numeric_limits<std::int32_t>::max();
    return whole >= Lowest && whole <= Highest ? static_cast<std::int32_t>(whole)
                                               : std::numeric_limits<std::int32_t>::min();
}

// A position as the player keeps it, in whole twips.
double WholeTwips(double pixels) {
    return PlayerWhole(pixels * 20);
}

// An alpha percentage as the player keeps it: a multiplier of 16 bits in 256ths.
float AlphaMultiplier(double percent) {
    const auto steps = static_cast<std::int16_t>(PlayerWhole(percent * 256 / 100) & 0xffff);
    return static_cast<float>(steps / 256.0);
}

struct Decomposed {
    double xScale, yScale, rotation;
};

bool SameTurnAndScale(const QTransform& a, const QTransform& b) {
    return a.m11() == b.m11() && a.m12() == b.m12() && a.m21() == b.m21() && a.m22() == b.m22();
}

// A placement's scales and turn: as a script gave them while its matrix is the one they
// made, otherwise read off the matrix.
Decomposed Decompose(const Instance& i) {
    if (i.scaleAndTurn && SameTurnAndScale(i.scaleAndTurn->made, i.matrix)) {
        return {i.scaleAndTurn->xScale, i.scaleAndTurn->yScale, i.scaleAndTurn->rotation};
    }
    const QTransform& m = i.matrix;
    return {std::hypot(m.m11(), m.m12()), std::hypot(m.m21(), m.m22()),
            std::atan2(m.m12(), m.m11())};
}

// Gives a placement scales and a turn, kept as given; the matrix takes the largest
// scale it can hold for an endless one, and keeps its turn for a turn of no number.
void Compose(Instance& i, const Decomposed& d) {
    const auto held = [](double v) {
        return std::isnan(v) ? 0.0 : std::clamp(v, -32768.0, 32768.0);
    };
    const double xScale = held(d.xScale), yScale = held(d.yScale);
    const QTransform& old = i.matrix;
    const double turn = std::isfinite(d.rotation) ? d.rotation : std::atan2(old.m12(), old.m11());
    const double c = std::cos(turn), s = std::sin(turn);
    i.matrix = QTransform(xScale * c, xScale * s, -yScale * s, yScale * c, old.dx(), old.dy());
    i.scaleAndTurn = Instance::ScaleAndTurn{i.matrix, d.xScale, d.yScale, d.rotation};
}

const std::shared_ptr<SpriteCharacter>& EmptySprite() {
    static const auto sprite = [] {
        auto s = std::make_shared<SpriteCharacter>();
        s->timeline.frames.resize(1);
        return s;
    }();
    return sprite;
}

// A clip of one empty frame, as createEmptyMovieClip makes.
Instance EmptyClipInstance() {
    Instance fresh;
    fresh.character = EmptySprite();
    fresh.clip = std::make_shared<Clip>();
    fresh.clip->timeline = &EmptySprite()->timeline;
    fresh.clip->frame = 0;
    return fresh;
}

} // namespace

std::shared_ptr<Clip> ScriptStage::clipOf(ClipId id) {
    const Placed p = runner_.resolve(id);
    if (!p.clip) {
        return nullptr;
    }
    return p.clip->shared_from_this();
}

ClipKind ScriptStage::kind(ClipId clip) {
    const Placed p = runner_.resolve(clip);
    if (p.clip) {
        return p.clip->timeline ? ClipKind::Sprite : ClipKind::Button;
    }
    if (p.instance && dynamic_cast<const EditTextCharacter*>(p.instance->character.get())) {
        return ClipKind::Text;
    }
    if (p.instance && (dynamic_cast<const VideoCharacter*>(p.instance->character.get()) ||
                       dynamic_cast<const StreamVideoCharacter*>(p.instance->character.get()))) {
        return ClipKind::Video;
    }
    return ClipKind::Other;
}

ClipId ScriptStage::parent(ClipId clip) {
    const Placed p = runner_.resolve(clip);
    // what is held off the display list has no parent
    return p.parent && p.parent != runner_.offstageIfAny().get() ? runner_.idOf(*p.parent) : 0;
}

ClipId ScriptStage::childByName(ClipId clip, const std::string& name, bool caseSensitive) {
    const Placed p = runner_.resolve(clip);
    if (!p.clip) {
        return 0;
    }
    for (auto& [depth, instance] : p.clip->list) {
        const bool same = caseSensitive ? instance.name == name
                                        : AsciiLowerName(instance.name) == AsciiLowerName(name);
        if (!instance.name.empty() && same) {
            return runner_.idOf(*p.clip, depth);
        }
    }
    return 0;
}

std::vector<ClipId> ScriptStage::childrenOf(ClipId clip, bool namedOnly) {
    std::vector<ClipId> out;
    const Placed p = runner_.resolve(clip);
    if (p.clip) {
        // Depths first: giving an id can touch the list.
        std::vector<int> depths;
        for (auto& [depth, instance] : p.clip->list) {
            if (!namedOnly || !instance.name.empty()) {
                depths.push_back(depth);
            }
        }
        for (int depth : depths) {
            out.push_back(runner_.idOf(*p.clip, depth));
        }
    }
    return out;
}

std::vector<ClipId> ScriptStage::children(ClipId clip) {
    return childrenOf(clip, true);
}

std::vector<ClipId> ScriptStage::allChildren(ClipId clip) {
    return childrenOf(clip, false);
}

std::uint16_t ScriptStage::characterId(ClipId clip) {
    const Placed p = runner_.resolve(clip);
    return p.instance ? p.instance->characterId : 0;
}

std::vector<std::string> ScriptStage::symbolNames(ClipId clip) {
    const Placed p = runner_.resolve(clip);
    std::vector<std::string> names;
    if (!p.instance || !p.instance->character) {
        return names;
    }
    for (const auto& [name, id] : exports_) {
        // the same character, not one of that id in a movie loaded into a clip
        if (id == p.instance->characterId &&
            runner_.dictionary().find(id, p.instance->epoch) == p.instance->character) {
            names.push_back(name);
        }
    }
    return names;
}

std::string ScriptStage::name(ClipId clip) {
    if (clip == root()) {
        return rootName_;
    }
    const Placed p = runner_.resolve(clip);
    return p.instance ? p.instance->name : std::string();
}

void ScriptStage::setName(ClipId clip, const std::string& name) {
    if (clip == root()) {
        rootName_ = name; // the main timeline has no place of its own, but a name
    } else if (Instance* instance = runner_.resolve(clip).instance) {
        instance->name = name;
    }
}

int ScriptStage::depth(ClipId clip) {
    const Placed p = runner_.resolve(clip);
    if (!p.parent) {
        return -16384;
    }
    for (auto& [depth, instance] : p.parent->list) {
        if (&instance == p.instance) {
            return depth;
        }
    }
    return 0;
}

double ScriptStage::property(ClipId clip, ClipProperty which) {
    const Placed p = runner_.resolve(clip);
    const Instance* i = placementOf(p);
    const Decomposed d = i ? Decompose(*i) : Decomposed{1, 1, 0};
    switch (which) {
    case ClipProperty::X:
        return i ? i->matrix.dx() / 20 : 0;
    case ClipProperty::Y:
        return i ? i->matrix.dy() / 20 : 0;
    case ClipProperty::XScale:
        return d.xScale * 100;
    case ClipProperty::YScale:
        return d.yScale * 100;
    case ClipProperty::Rotation:
        return d.rotation * 180 / std::numbers::pi;
    case ClipProperty::Alpha:
        return i ? i->colorTransform.am * 100 : 100;
    case ClipProperty::Visible:
        return i ? (i->visible ? 1 : 0) : 1;
    case ClipProperty::CurrentFrame:
        return p.clip ? std::max(1, p.clip->frame + 1) : 1;
    case ClipProperty::TotalFrames:
    case ClipProperty::FramesLoaded:
        return p.clip && p.clip->timeline ? static_cast<double>(p.clip->timeline->frames.size())
                                          : 1;
    case ClipProperty::Width:
    case ClipProperty::Height: {
        if (!i) {
            return 0;
        }
        const QRectF b = WholeTwipsRect(i->matrix.mapRect(ContentBounds(p)));
        return (which == ClipProperty::Width ? b.width() : b.height()) / 20;
    }
    case ClipProperty::XMouse:
    case ClipProperty::YMouse: {
        // the pointer in the clip's own space, in whole twips; at the origin when away
        const std::optional<QPointF> at = pointer_ ? pointer_() : std::nullopt;
        if (!at) {
            return 0;
        }
        double x = at->x(), y = at->y();
        globalToLocal(clip, x, y);
        return std::round(which == ClipProperty::XMouse ? x : y) / 20;
    }
    case ClipProperty::HighQuality:
        return 1;
    case ClipProperty::SoundBufTime:
        return 5;
    default:
        return 0;
    }
}

void ScriptStage::setProperty(ClipId clip, ClipProperty which, double value) {
    const Placed p = runner_.resolve(clip);
    Instance* i = placementOf(p);
    if (!i) {
        return;
    }
    QTransform& m = i->matrix;
    const QTransform before = m;
    const ColorTransform colorBefore = i->colorTransform;
    setPropertyOf(*i, ContentBounds(p), which, value);
    // once a script has moved or tinted a clip, the timeline no longer does
    i->scriptMoved = i->scriptMoved || m != before || !(i->colorTransform == colorBefore);
}

void ScriptStage::setPropertyOf(Instance& instance, const QRectF& local, ClipProperty which,
                                double value) {
    Instance* i = &instance;
    QTransform& m = i->matrix;
    const bool position = which == ClipProperty::X || which == ClipProperty::Y;
    // Positions, scales, turns and alpha take endless values. No number puts a position
    // at 0 and makes a turn of no number; it changes nothing else.
    const bool endless = position || which == ClipProperty::XScale ||
                         which == ClipProperty::YScale || which == ClipProperty::Rotation ||
                         which == ClipProperty::Alpha;
    const bool none = std::isnan(value) && !position && which != ClipProperty::Rotation;
    if ((!endless && !std::isfinite(value)) || none) {
        return;
    }
    if (position && std::isnan(value)) {
        value = 0;
    }
    Decomposed d = Decompose(*i);
    switch (which) {
    // positions are whole twips, the fraction cut off
    case ClipProperty::X:
        m = QTransform(m.m11(), m.m12(), m.m21(), m.m22(), WholeTwips(value), m.dy());
        break;
    case ClipProperty::Y:
        m = QTransform(m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), WholeTwips(value));
        break;
    case ClipProperty::XScale:
        d.xScale = value / 100;
        Compose(*i, d);
        break;
    case ClipProperty::YScale:
        d.yScale = value / 100;
        Compose(*i, d);
        break;
    case ClipProperty::Rotation:
        // within a half turn either way; an endless turn is no number
        d.rotation = std::remainder(value, 360) * std::numbers::pi / 180;
        Compose(*i, d);
        break;
    case ClipProperty::Alpha:
        i->colorTransform.am = AlphaMultiplier(value);
        break;
    case ClipProperty::Visible:
        i->visible = value != 0;
        break;
    case ClipProperty::Width:
    case ClipProperty::Height: {
        const bool width = which == ClipProperty::Width;
        if (EditField* field = OwnField(i)) {
            // a field's box takes the size as it is (in whole twips), whatever its scale
            if (std::isfinite(value)) {
                const double twips = std::trunc(std::clamp(value, 0.0, 1e8) * 20);
                width ? field->area.setWidth(twips) : field->area.setHeight(twips);
                field->fitToText();
            }
            break;
        }
        const double size = width ? local.width() : local.height();
        if (size > 0) {
            (width ? d.xScale : d.yScale) = value * 20 / size;
            Compose(*i, d);
        }
        break;
    }
    default:
        break;
    }
}

void ScriptStage::gotoFrame(ClipId clip, int frame, bool play) {
    if (auto c = clipOf(clip)) {
        runner_.gotoFrame(c, frame);
        c->playing = play;
    }
}

int ScriptStage::frameOfLabel(ClipId clip, const std::string& label) {
    auto c = clipOf(clip);
    return c && c->timeline ? c->timeline->frameOfLabel(label) : -1;
}

void ScriptStage::setPlaying(ClipId clip, bool playing) {
    if (auto c = clipOf(clip)) {
        c->playing = playing;
    }
}

bool ScriptStage::playing(ClipId clip) {
    auto c = clipOf(clip);
    return c && c->playing;
}

ClipId ScriptStage::placeNew(ClipId parent, int depth, Instance instance, const std::string& name) {
    auto c = clipOf(parent);
    if (!c || depth < -16384 || depth > MaxScriptDepth) {
        return 0;
    }
    instance.scripted = true;
    runner_.place(*c, depth, std::move(instance), name);
    return runner_.idOf(*c, depth);
}

ClipId ScriptStage::attach(ClipId parent, const std::string& exportName, const std::string& name,
                           int depth) {
    auto it = exports_.find(AsciiLowerName(exportName));
    if (it == exports_.end()) {
        return 0;
    }
    Instance fresh;
    if (!runner_.makeInstance(fresh, it->second, UINT32_MAX)) {
        return 0;
    }
    return placeNew(parent, depth, std::move(fresh), name);
}

ClipId ScriptStage::duplicate(ClipId clip, const std::string& name, int depth) {
    const Placed p = runner_.resolve(clip);
    if (!p.instance || !p.parent) {
        return 0;
    }
    // a clip a script made empty has no character to make it from again
    const bool scriptMade = p.instance->characterId == 0 && p.clip;
    Instance fresh = scriptMade ? EmptyClipInstance() : Instance{};
    // the copy's load and construct events are queued as it is made: its actions go first
    fresh.clipActions = p.instance->clipActions;
    if (!scriptMade && !runner_.makeInstance(fresh, p.instance->characterId, p.instance->epoch)) {
        return 0;
    }
    fresh.matrix = p.instance->matrix;
    fresh.colorTransform = p.instance->colorTransform;
    fresh.visible = p.instance->visible;
    if (fresh.clip && p.clip) {
        fresh.clip->drawing = copyOf(p.clip->drawing);
    }
    return placeNew(runner_.idOf(*p.parent), depth, std::move(fresh), name);
}

ClipId ScriptStage::createEmpty(ClipId parent, const std::string& name, int depth) {
    return placeNew(parent, depth, EmptyClipInstance(), name);
}

ClipId ScriptStage::createText(ClipId parent, const std::string& name, int depth,
                               const ClipBounds& bounds) {
    auto edit = std::make_shared<EditTextCharacter>();
    EditField& field = edit->field;
    // a negative size reaches back from the field's position
    field.area = QRectF(0, 0, bounds.xMax - bounds.xMin, bounds.yMax - bounds.yMin).normalized();
    field.fonts = fieldFonts();
    Instance fresh;
    fresh.character = edit;
    fresh.matrix = QTransform::fromTranslate(bounds.xMin, bounds.yMin);
    return placeNew(parent, depth, std::move(fresh), name);
}

ClipId ScriptStage::createVideo(ClipId parent, const std::string& name, int depth,
                                std::shared_ptr<VideoScreen> screen) {
    auto video = std::make_shared<StreamVideoCharacter>();
    video->screen = std::move(screen);
    Instance fresh;
    fresh.character = std::move(video);
    return placeNew(parent, depth, std::move(fresh), name);
}

bool ScriptStage::showVideo(ClipId clip, std::shared_ptr<VideoScreen> screen) {
    const Placed p = runner_.resolve(clip);
    if (!p.instance || p.clip || !screen) {
        return false;
    }
    if (auto* placed = dynamic_cast<const VideoCharacter*>(p.instance->character.get())) {
        screen->width = placed->width;
        screen->height = placed->height;
        screen->smoothing = placed->smoothing;
        screen->deblocking = placed->deblocking;
    } else if (!dynamic_cast<const StreamVideoCharacter*>(p.instance->character.get())) {
        return false;
    }
    auto video = std::make_shared<StreamVideoCharacter>();
    video->screen = std::move(screen);
    p.instance->character = std::move(video);
    return true;
}

bool ScriptStage::remove(ClipId clip) {
    const Placed p = runner_.resolve(clip);
    if (!p.parent) {
        return false;
    }
    runner_.removeAt(*p.parent, depth(clip));
    return true;
}

ClipId ScriptStage::createSymbol(std::uint16_t characterId) {
    Instance fresh;
    if (!runner_.makeInstance(fresh, characterId, UINT32_MAX) || !fresh.clip ||
        !fresh.clip->timeline) {
        return 0;
    }
    Clip& holder = *runner_.offstage();
    const int depth = holder.list.empty() ? 0 : holder.list.rbegin()->first + 1;
    if (depth == std::numeric_limits<int>::max()) {
        return 0;
    }
    fresh.scripted = true;
    runner_.place(holder, depth, std::move(fresh), std::string());
    return runner_.idOf(holder, depth);
}

bool ScriptStage::moveClip(ClipId clip, ClipId parent, int depth) {
    if (!parent) {
        Clip& holder = *runner_.offstage();
        const int last = holder.list.empty() ? -1 : holder.list.rbegin()->first;
        return last < std::numeric_limits<int>::max() &&
               runner_.moveInstance(clip, holder, last + 1);
    }
    auto c = clipOf(parent);
    return c && depth >= -16384 && depth <= MaxScriptDepth && runner_.moveInstance(clip, *c, depth);
}

void ScriptStage::swapDepths(ClipId clip, int depth) {
    const Placed p = runner_.resolve(clip);
    if (p.parent && depth >= -16384 && depth <= MaxScriptDepth) {
        runner_.moveDepth(*p.parent, this->depth(clip), depth);
    }
}

int ScriptStage::nextHighestDepth(ClipId clip) {
    auto c = clipOf(clip);
    if (!c || c->list.empty()) {
        return 16384;
    }
    return std::max(16384, c->list.rbegin()->first + 1);
}

ClipId ScriptStage::atDepth(ClipId parent, int depth) {
    auto c = clipOf(parent);
    return c && c->list.contains(depth) ? runner_.idOf(*c, depth) : 0;
}

QTransform ScriptStage::toStage(ClipId id) {
    QTransform m;
    for (int guard = 0; id && guard < 256; ++guard) {
        const Placed p = runner_.resolve(id);
        const Instance* i = placementOf(p);
        if (!i) {
            break;
        }
        m = WholeTwipsShift(m * i->matrix);
        id = p.parent ? runner_.idOf(*p.parent) : 0;
    }
    return m;
}

ClipBounds ScriptStage::bounds(ClipId clip, ClipId space) {
    QRectF local = ContentBounds(runner_.resolve(clip));
    if (local.isNull()) {
        // nothing covered: every edge at the far corner of twips, one short of it for
        // movies before version 8
        const double corner = movieFacts(root()).version >= 8 ? 134217728 : 134217727;
        return ClipBounds{corner, corner, corner, corner};
    }
    if (space != clip) {
        const QTransform m =
            WholeTwipsShift(toStage(clip) * WholeTwipsShift(toStage(space).inverted()));
        local = m.mapRect(local);
    }
    local = WholeTwipsRect(local);
    return ClipBounds{local.left(), local.top(), local.right(), local.bottom()};
}

void ScriptStage::localToGlobal(ClipId clip, double& x, double& y) {
    const QPointF p = toStage(clip).map(QPointF(x, y));
    x = p.x();
    y = p.y();
}

void ScriptStage::globalToLocal(ClipId clip, double& x, double& y) {
    bool invertible = false;
    const QTransform inverse = WholeTwipsShift(toStage(clip).inverted(&invertible));
    if (!invertible) {
        return; // a flattened clip has no point for it: the point stays
    }
    const QPointF p = inverse.map(QPointF(x, y));
    x = p.x();
    y = p.y();
}

ClipColor ScriptStage::color(ClipId clip) {
    ClipColor out;
    if (const Instance* i = placementOf(runner_.resolve(clip))) {
        const ColorTransform& c = i->colorTransform;
        out = ClipColor{{c.rm, c.gm, c.bm, c.am}, {c.ra, c.ga, c.ba, c.aa}};
    }
    return out;
}

void ScriptStage::setColor(ClipId clip, const ClipColor& color) {
    if (Instance* i = placementOf(runner_.resolve(clip))) {
        const auto f = [](double v) { return static_cast<float>(v); };
        i->colorTransform = ColorTransform{
            f(color.multiply[0]), f(color.multiply[1]), f(color.multiply[2]), f(color.multiply[3]),
            f(color.add[0]),      f(color.add[1]),      f(color.add[2]),      f(color.add[3])};
        i->scriptMoved = true;
    }
}

EditField* ScriptStage::textField(ClipId clip) {
    return OwnField(runner_.resolve(clip).instance);
}

FontSource ScriptStage::fieldFonts() {
    return FontsOf(runner_.dictionary(), UINT32_MAX);
}

Instance* ScriptStage::settled(ClipId clip) {
    return placementOf(runner_.resolve(clip));
}

Instance* ScriptStage::placementOf(const Placed& p) {
    if (p.instance) {
        return Settle(p.instance);
    }
    return p.clip ? &p.clip->placement : nullptr;
}

std::vector<EmbeddedFont> ScriptStage::embeddedFonts() {
    std::vector<EmbeddedFont> out;
    const Dictionary& dictionary = runner_.dictionary();
    for (const std::uint16_t id : dictionary.fontIds()) {
        const auto font = dictionary.findAs<FontCharacter>(id, UINT32_MAX);
        if (font && !font->name.empty()) {
            out.push_back({id, font->name, font->bold, font->italic});
        }
    }
    return out;
}

bool ScriptStage::fontHasGlyphs(std::uint16_t id, const std::string& text) {
    const auto font = runner_.dictionary().findAs<FontCharacter>(id, UINT32_MAX);
    if (!font) {
        return false;
    }
    for (const QChar c : QString::fromStdString(text)) {
        if (font->glyphFor(c.unicode()) < 0) {
            return false;
        }
    }
    return true;
}

std::vector<std::u16string> ScriptStage::staticTextLines(ClipId clip) {
    std::vector<std::u16string> lines;
    const Placed p = runner_.resolve(clip);
    if (!p.clip) {
        return lines;
    }
    for (const auto& [depth, instance] : p.clip->list) {
        const auto* text = dynamic_cast<const TextCharacter*>(instance.character.get());
        if (!text) {
            continue;
        }
        std::optional<double> lineY;
        for (const TextRun& run : text->runs) {
            if (!lineY || *lineY != run.y) {
                lines.emplace_back();
                lineY = run.y;
            }
            const auto font = runner_.dictionary().findAs<FontCharacter>(run.fontId, UINT32_MAX);
            for (const auto& [glyph, advance] : run.glyphs) {
                if (font && glyph >= 0 && static_cast<std::size_t>(glyph) < font->codes.size()) {
                    lines.back().push_back(static_cast<char16_t>(font->codes[glyph]));
                }
            }
        }
    }
    return lines;
}

std::optional<double> ScriptStage::soundLength(const std::string& exportName) {
    const auto it = exports_.find(AsciiLowerName(exportName));
    if (it == exports_.end()) {
        return {};
    }
    const auto sound = runner_.dictionary().findAs<const SoundCharacter>(it->second, UINT32_MAX);
    if (!sound || sound->format.rate <= 0) {
        return {};
    }
    return sound->sampleCount * 1000.0 / sound->format.rate;
}

void ScriptStage::collectBoundFields(Clip& clip, int nesting, std::vector<ClipId>& out) {
    // Bounded like every walk of the tree: nesting and the number of fields.
    constexpr std::size_t MaxBoundFields = 4096;
    for (auto& [depth, instance] : clip.list) {
        if (out.size() >= MaxBoundFields) {
            return;
        }
        const EditTextCharacter* edit = EditTextOf(&instance);
        if (edit && !edit->field.variable.empty()) {
            out.push_back(runner_.idOf(clip, depth));
        } else if (instance.clip && nesting < MaxFieldNesting) {
            collectBoundFields(*instance.clip, nesting + 1, out);
        }
    }
}

std::vector<ClipId> ScriptStage::boundTextFields() {
    std::vector<ClipId> out;
    if (auto top = clipOf(root())) {
        collectBoundFields(*top, 0, out);
    }
    return out;
}

void ScriptStage::callFrame(ClipId clip, int frame) {
    auto c = clipOf(clip);
    if (!c || !c->timeline || frame < 0 || frame >= static_cast<int>(c->timeline->frames.size())) {
        return;
    }
    for (const auto& code : c->timeline->frames[static_cast<std::size_t>(frame)].actions) {
        runner_.runNow(*c, code);
    }
}

bool ScriptStage::hasSymbol(const std::string& exportName) {
    return exports_.contains(AsciiLowerName(exportName));
}

} // namespace quillon::engine

namespace quillon::engine {

std::vector<ButtonPart> ScriptStage::buttonParts(ClipId button, std::uint8_t state) {
    const Placed p = runner_.resolve(button);
    const auto character =
        p.instance ? std::dynamic_pointer_cast<ButtonCharacter>(p.instance->character) : nullptr;
    if (!character) {
        return {};
    }
    std::vector<ButtonPart> parts;
    for (const ButtonRecord& record : character->records) {
        if (!(record.states & state)) {
            continue;
        }
        const auto found = runner_.dictionary().find(record.characterId, p.instance->epoch);
        if (!found) {
            continue;
        }
        ButtonPart part;
        part.characterId = record.characterId;
        part.depth = record.depth;
        const QTransform& m = record.matrix;
        part.matrix = {m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), m.dy()};
        if (const auto* edit = dynamic_cast<const EditTextCharacter*>(found.get())) {
            part.kind = ClipKind::Text;
            part.field = std::make_shared<EditField>(edit->field);
        } else if (dynamic_cast<const SpriteCharacter*>(found.get())) {
            part.kind = ClipKind::Sprite;
        } else if (dynamic_cast<const ButtonCharacter*>(found.get())) {
            part.kind = ClipKind::Button;
        } else if (dynamic_cast<const VideoCharacter*>(found.get()) ||
                   dynamic_cast<const StreamVideoCharacter*>(found.get())) {
            part.kind = ClipKind::Video;
        }
        parts.push_back(std::move(part));
    }
    // A later record at the same depth takes the place, as on the display list.
    std::stable_sort(parts.begin(), parts.end(),
                     [](const ButtonPart& a, const ButtonPart& b) { return a.depth < b.depth; });
    std::vector<ButtonPart> unique;
    for (ButtonPart& part : parts) {
        if (!unique.empty() && unique.back().depth == part.depth) {
            unique.back() = std::move(part);
        } else {
            unique.push_back(std::move(part));
        }
    }
    return unique;
}

} // namespace quillon::engine
