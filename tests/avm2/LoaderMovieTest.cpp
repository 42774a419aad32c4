// ActionScript 3's Loader on whole movies: a written child movie loaded from a file
// beside the parent or from its bytes plays as the loader's content, its document class
// built and its classes found through its LoaderInfo; the events come in order, errors
// and the main movie's LoaderInfo read as the reference gives them, and a movie that
// loads itself stops.

#include "Avm2TestSupport.h"
#include "PlayedFile.h"
#include "player/engine/MovieEngine.h"
#include "support/EngineTestSupport.h"
#include "support/MovieWriter.h"
#include "support/TempDir.h"

#include <QImage>
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;
using testing::Bytes;
using testing::MovieWriter;

constexpr std::uint8_t GetProperty = 0x66, SetProperty = 0x61, CallPropVoid = 0x4f,
                       CallProperty = 0x46, ConstructProp = 0x4a, FindPropStrict = 0x5d, Add = 0xa0,
                       ReturnVoid = 0x47, GetScopeObject = 0x65, NewClass = 0x58,
                       InitProperty = 0x68, ConstructSuper = 0x49, GetLex = 0x60;

constexpr int DefineBinaryDataTag = 87;

using Body = std::function<void(AbcCode&)>;

struct MoviePlan {
    std::string main = "Main"; // the document class, a MovieClip
    Body ctor;                 // its constructor: this in local 0, locals 1 to 7 free
    // Its methods of one argument (an event, in local 1).
    std::map<std::string, Body> handlers;
    std::vector<std::string> helpers; // more classes, empty Sprites
    bool square = false;              // a red 20 by 20 pixel square at its origin
    int frames = 2;
    // Binary data of the movie, bound to a class Embedded that extends ByteArray.
    std::optional<Bytes> embedded;
    bool compressed = false; // a CWS movie
};

Bytes As3Movie(AbcWriter& abc, const MoviePlan& plan) {
    const std::uint32_t sprite = abc.qname(abc.ns(0x16, "flash.display"), "Sprite");
    const std::uint32_t movieClip = abc.qname(abc.ns(0x16, "flash.display"), "MovieClip");
    AbcCode empty(abc);
    empty.op(ReturnVoid);
    AbcCode init(abc);
    init.pushThisScope();
    std::vector<AbcTraitSpec> traits;
    const auto define = [&](const std::string& name, std::uint32_t base, const Body& body,
                            const std::map<std::string, Body>& methods) {
        AbcCode ctor(abc);
        ctor.pushThisScope().getLocal(0).op(ConstructSuper).u30(0);
        if (body) {
            body(ctor);
        }
        ctor.op(ReturnVoid);
        AbcClassSpec klass;
        klass.name = abc.name(name);
        klass.superName = base;
        klass.iinit = AddMethod(abc, ctor);
        klass.cinit = AddMethod(abc, empty);
        for (const auto& [method, code] : methods) {
            AbcCode handler(abc);
            handler.pushThisScope();
            code(handler);
            handler.op(ReturnVoid);
            klass.instanceTraits.push_back(
                {abc.name(method), 1, 0, 0, 0, 0, AddMethod(abc, handler, 1)});
        }
        const std::uint32_t index = abc.addClass(klass);
        init.op(GetScopeObject).u8(0).nameOp(GetLex, base).op(NewClass).u30(index);
        init.nameOp(InitProperty, klass.name);
        traits.push_back(
            {klass.name, 4, static_cast<std::uint32_t>(traits.size() + 1), 0, 0, 0, index});
    };
    define(plan.main, movieClip, plan.ctor, plan.handlers);
    for (const std::string& helper : plan.helpers) {
        define(helper, sprite, {}, {});
    }
    if (plan.embedded) {
        define("Embedded", abc.qname(abc.ns(0x16, "flash.utils"), "ByteArray"), {}, {});
    }
    init.op(ReturnVoid);
    abc.script(AddMethod(abc, init), traits);
    const std::vector<std::uint8_t> code = abc.bytes();
    MovieWriter movie(100, 100, 10, 10);
    movie.tag(FileAttributesTag, Bytes{0x08, 0, 0, 0});
    Bytes doAbc = {1, 0, 0, 0, 'f', '1', 0};
    doAbc.insert(doAbc.end(), code.begin(), code.end());
    movie.tag(DoAbc2Tag, doAbc);
    Bytes symbols = {static_cast<std::uint8_t>(plan.embedded ? 2 : 1), 0, 0, 0};
    symbols.insert(symbols.end(), plan.main.begin(), plan.main.end());
    symbols.push_back(0);
    if (plan.embedded) {
        const std::uint16_t id = movie.takeId();
        Bytes data = {
            static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8), 0, 0, 0, 0};
        data.insert(data.end(), plan.embedded->begin(), plan.embedded->end());
        movie.tag(DefineBinaryDataTag, data);
        for (const std::uint8_t b :
             {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8), std::uint8_t{'E'},
              std::uint8_t{'m'}, std::uint8_t{'b'}, std::uint8_t{'e'}, std::uint8_t{'d'},
              std::uint8_t{'d'}, std::uint8_t{'e'}, std::uint8_t{'d'}, std::uint8_t{0}}) {
            symbols.push_back(b);
        }
    }
    movie.tag(SymbolClassTag, symbols);
    if (plan.square) {
        movie.place(testing::Place{1, movie.defineRectangle(0, 0, 400, 400, {255, 0, 0})});
    }
    for (int i = 0; i < plan.frames; ++i) {
        movie.showFrame();
    }
    return plan.compressed ? movie.compressedBytes() : movie.bytes();
}

// An ActionScript 2 movie of the red square.
Bytes As2Movie() {
    MovieWriter movie(100, 100, 10, 8);
    movie.place(testing::Place{1, movie.defineRectangle(0, 0, 400, 400, {255, 0, 0})});
    movie.showFrame();
    return movie.bytes();
}

void Write(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

struct Played : PlayedFile {
    Played(const std::string& path, int frames) { start(path, frames); }
    bool warned(const std::string& part) const {
        return std::any_of(warnings.begin(), warnings.end(),
                           [&](const std::string& w) { return w.find(part) != std::string::npos; });
    }
};

std::uint32_t Display(AbcWriter& abc, const char* name) {
    return abc.qname(abc.ns(0x16, "flash.display"), name);
}
std::uint32_t Net(AbcWriter& abc, const char* name) {
    return abc.qname(abc.ns(0x16, "flash.net"), name);
}

// local 1 = new Loader() at (10, 10), this.addChild(it); its LoaderInfo calls
// this.onEvent for each type.
Body MakeLoader(AbcWriter& abc, const std::vector<std::string>& types) {
    return [&abc, types](AbcCode& c) {
        const std::uint32_t loader = Display(abc, "Loader");
        c.nameOp(FindPropStrict, loader).callProperty(ConstructProp, loader, 0).setLocal(1);
        c.getLocal(1).pushInt(10).nameOp(SetProperty, abc.name("x"));
        c.getLocal(1).pushInt(10).nameOp(SetProperty, abc.name("y"));
        c.getLocal(0).getLocal(1).callProperty(CallPropVoid, abc.name("addChild"), 1);
        for (const std::string& type : types) {
            c.getLocal(1).nameOp(GetProperty, abc.name("contentLoaderInfo")).pushString(type);
            c.getLocal(0).nameOp(GetProperty, abc.name("onEvent"));
            c.callProperty(CallPropVoid, abc.name("addEventListener"), 2);
        }
    };
}

// new URLRequest(url) on the stack.
void Request(AbcWriter& abc, AbcCode& c, const std::string& url) {
    c.nameOp(FindPropStrict, Net(abc, "URLRequest")).pushString(url);
    c.callProperty(ConstructProp, Net(abc, "URLRequest"), 1);
}

// (what is on the stack).load(new URLRequest(url))
void Load(AbcWriter& abc, AbcCode& c, const std::string& url) {
    Request(abc, c, url);
    c.callProperty(CallPropVoid, abc.name("load"), 1);
}

// onEvent(e): trace(e.type + " " + e.target.content); on complete, each of `done` too.
Body TraceEvent(AbcWriter& abc) {
    return [&abc](AbcCode& c) {
        c.getLocal(1).nameOp(GetProperty, abc.name("type")).pushString(" ").op(Add);
        c.getLocal(1).nameOp(GetProperty, abc.name("target"));
        c.nameOp(GetProperty, abc.name("content")).op(Add).traceTop();
    };
}

const std::vector<std::string> LoadEvents = {"open",     "progress", "init",
                                             "complete", "ioError",  "unload"};

// The child: class Child traces its parent and its LoaderInfo's version as it is built;
// a class Helper beside it.
Bytes ChildMovie(bool square = true, bool compressed = false) {
    AbcWriter abc;
    MoviePlan child;
    child.main = "Child";
    child.helpers = {"Helper"};
    child.square = square;
    child.compressed = compressed;
    child.ctor = [&abc](AbcCode& c) {
        c.pushString("built, parent ").getLocal(0).nameOp(GetProperty, abc.name("parent"));
        c.op(Add).pushString(", script ").op(Add).getLocal(0);
        c.nameOp(GetProperty, abc.name("loaderInfo"));
        c.nameOp(GetProperty, abc.name("actionScriptVersion")).op(Add).traceTop();
    };
    return As3Movie(abc, child);
}

// What the parent traces once the child is in: its class from the child's domain, the
// child's facts, and its place under the loader.
void TraceLoaded(AbcWriter& abc, AbcCode& c) {
    const auto info = [&] { c.getLocal(1).nameOp(GetProperty, abc.name("target")); };
    info();
    c.nameOp(GetProperty, abc.name("applicationDomain")).pushString("Helper");
    c.callProperty(CallProperty, abc.name("getDefinition"), 1).traceTop();
    for (const char* field : {"swfVersion", "frameRate", "width", "contentType"}) {
        info();
        c.nameOp(GetProperty, abc.name(field)).traceTop();
    }
    info();
    c.nameOp(GetProperty, abc.name("content")).nameOp(GetProperty, abc.name("parent"));
    c.traceTop();
    info();
    c.nameOp(GetProperty, abc.name("content")).nameOp(GetProperty, abc.name("loaderInfo"));
    info();
    c.op(0xab).traceTop(); // content.loaderInfo == the loader's
}

const Lines LoadedLines = {"open null",
                           "progress null",
                           "progress null",
                           "built, parent null, script 3",
                           "init [object Child]",
                           "complete [object Child]",
                           "[class Helper]",
                           "10",
                           "10",
                           "100",
                           "application/x-shockwave-flash",
                           "[object Loader]",
                           "true"};

enum class Source { File, ReadBytes, EmbeddedBytes };

TEST(Avm2LoaderMovie, AMovieFromAFileOrBytesPlaysAsTheLoadersContent) {
    for (const Source source : {Source::File, Source::ReadBytes, Source::EmbeddedBytes}) {
        SCOPED_TRACE(static_cast<int>(source));
        const bool fromBytes = source != Source::File;
        TempDir dir;
        Write(dir.file("child.swf"), ChildMovie());
        AbcWriter abc;
        MoviePlan parent;
        parent.frames = 3;
        const Body make = MakeLoader(abc, LoadEvents);
        if (source == Source::EmbeddedBytes) {
            parent.embedded = ChildMovie(true, true); // compressed, as movies embed them
        }
        parent.ctor = [&](AbcCode& c) {
            make(c);
            if (source == Source::EmbeddedBytes) {
                const std::uint32_t embedded = abc.name("Embedded");
                c.getLocal(1).nameOp(FindPropStrict, embedded);
                c.callProperty(ConstructProp, embedded, 0);
                c.callProperty(CallPropVoid, abc.name("loadBytes"), 1);
            } else if (fromBytes) {
                // the file read by a URLLoader, its bytes handed to loadBytes
                const std::uint32_t urlLoader = Net(abc, "URLLoader");
                c.nameOp(FindPropStrict, urlLoader).callProperty(ConstructProp, urlLoader, 0);
                c.setLocal(2).getLocal(2).pushString("binary");
                c.nameOp(SetProperty, abc.name("dataFormat"));
                c.getLocal(2).pushString("complete").getLocal(0);
                c.nameOp(GetProperty, abc.name("onBytes"));
                c.callProperty(CallPropVoid, abc.name("addEventListener"), 2).getLocal(2);
                Load(abc, c, "child.swf");
            } else {
                c.getLocal(1);
                Load(abc, c, "child.swf");
            }
        };
        const Body traceEvent = TraceEvent(abc);
        parent.handlers["onEvent"] = [&](AbcCode& c) {
            traceEvent(c);
            AbcCode::Label skip = c.label();
            c.getLocal(1).nameOp(GetProperty, abc.name("type")).pushString("complete");
            c.branch(0x14, skip); // ifne
            TraceLoaded(abc, c);
            c.place(skip);
        };
        parent.handlers["onBytes"] = [&](AbcCode& c) {
            c.getLocal(0).pushInt(0).callProperty(CallProperty, abc.name("getChildAt"), 1);
            c.getLocal(1).nameOp(GetProperty, abc.name("target"));
            c.nameOp(GetProperty, abc.name("data"));
            c.callProperty(CallPropVoid, abc.name("loadBytes"), 1);
        };
        Write(dir.file("test.swf"), As3Movie(abc, parent));
        Played run(dir.file("test.swf"), source == Source::ReadBytes ? 2 : 1);
        // bytes given are not opened
        Lines expected = LoadedLines;
        if (fromBytes) {
            expected.erase(expected.begin());
        }
        EXPECT_EQ(run.traces, expected);
        // the child's square stands where the loader is
        const QImage frame = testing::Draw(run.movie);
        EXPECT_PIXEL(frame, 15, 15, QColor(255, 0, 0));
        EXPECT_PIXEL(frame, 29, 29, QColor(255, 0, 0));
        EXPECT_PIXEL(frame, 35, 35, QColor(255, 255, 255));
        EXPECT_PIXEL(frame, 5, 5, QColor(255, 255, 255));
    }
}

TEST(Avm2LoaderMovie, MissingFilesAndEarlyQuestionsAreErrorsAndUnloadIsTold) {
    TempDir dir;
    Write(dir.file("child.swf"), ChildMovie());
    AbcWriter abc;
    MoviePlan parent;
    parent.frames = 4;
    const Body make = MakeLoader(abc, LoadEvents);
    parent.ctor = [&](AbcCode& c) {
        // the main movie's LoaderInfo, and none for an object off the display list
        c.getLocal(0).nameOp(GetProperty, abc.name("loaderInfo"));
        c.nameOp(GetProperty, abc.name("swfVersion")).traceTop();
        c.getLocal(0)
            .nameOp(GetProperty, abc.name("root"))
            .nameOp(GetProperty, abc.name("loaderInfo"));
        c.nameOp(GetProperty, abc.name("content")).getLocal(0).op(0xab).traceTop();
        c.getLocal(0).nameOp(GetProperty, abc.name("loaderInfo"));
        c.nameOp(GetProperty, abc.name("loader")).traceTop();
        const std::uint32_t sprite = Display(abc, "Sprite");
        c.nameOp(FindPropStrict, sprite).callProperty(ConstructProp, sprite, 0);
        c.nameOp(GetProperty, abc.name("loaderInfo")).traceTop();
        make(c);
        c.getLocal(1);
        Load(abc, c, "../child.swf"); // outside the folder: as if missing
        // nothing loaded yet: the reference's error 2099, uncaught, ends the constructor
        c.getLocal(1).nameOp(GetProperty, abc.name("contentLoaderInfo"));
        c.nameOp(GetProperty, abc.name("swfVersion")).traceTop();
    };
    const Body traceEvent = TraceEvent(abc);
    parent.handlers["onEvent"] = [&](AbcCode& c) {
        traceEvent(c);
        // the failed load is followed by a good one, and each that completes by another,
        // which unloads its content first
        AbcCode::Label load = c.label(), skip = c.label();
        c.getLocal(1).nameOp(GetProperty, abc.name("type")).pushString("ioError");
        c.branch(0x13, load); // ifeq
        c.getLocal(1).nameOp(GetProperty, abc.name("type")).pushString("complete");
        c.branch(0x14, skip); // ifne
        c.place(load);
        c.getLocal(1).nameOp(GetProperty, abc.name("target"));
        c.nameOp(GetProperty, abc.name("loader"));
        Load(abc, c, "child.swf");
        c.place(skip);
    };
    Write(dir.file("test.swf"), As3Movie(abc, parent));
    Played run(dir.file("test.swf"), 3);
    const Lines loaded = {"open null",           "progress null",
                          "progress null",       "built, parent null, script 3",
                          "init [object Child]", "complete [object Child]",
                          "unload null"};
    Lines expected = {"10", "true", "null", "null", "ioError null"};
    expected.insert(expected.end(), loaded.begin(), loaded.end());
    expected.insert(expected.end(), loaded.begin(), loaded.end());
    EXPECT_EQ(run.traces, expected);
    EXPECT_TRUE(run.warned("Error #2099"));
}

TEST(Avm2LoaderMovie, AnActionScript2MovieIsDrawnAsAnAvm1Movie) {
    TempDir dir;
    Write(dir.file("old.swf"), As2Movie());
    AbcWriter abc;
    MoviePlan parent;
    const Body make = MakeLoader(abc, {"complete"});
    parent.ctor = [&](AbcCode& c) {
        make(c);
        c.getLocal(1);
        Load(abc, c, "old.swf");
    };
    const Body traceEvent = TraceEvent(abc);
    parent.handlers["onEvent"] = [&](AbcCode& c) {
        traceEvent(c);
        c.getLocal(1).nameOp(GetProperty, abc.name("target"));
        c.nameOp(GetProperty, abc.name("actionScriptVersion")).traceTop();
    };
    Write(dir.file("test.swf"), As3Movie(abc, parent));
    Played run(dir.file("test.swf"), 1);
    EXPECT_EQ(run.traces, (Lines{"complete [object AVM1Movie]", "2"}));
    EXPECT_TRUE(run.warned("without its scripts"));
    const QImage frame = testing::Draw(run.movie);
    EXPECT_PIXEL(frame, 15, 15, QColor(255, 0, 0));
    EXPECT_PIXEL(frame, 35, 35, QColor(255, 255, 255));
}

TEST(Avm2LoaderMovie, AMovieThatLoadsItselfStops) {
    TempDir dir;
    AbcWriter abc;
    MoviePlan self;
    const Body make = MakeLoader(abc, {});
    self.ctor = [&](AbcCode& c) {
        c.pushString("built").traceTop();
        make(c);
        c.getLocal(1);
        Load(abc, c, "test.swf");
    };
    Write(dir.file("test.swf"), As3Movie(abc, self));
    Played run(dir.file("test.swf"), 12);
    // the main movie and eight loaded into each other
    EXPECT_EQ(run.traces, Lines(9, "built"));
    EXPECT_TRUE(run.warned("nest too deep"));
}

} // namespace
} // namespace quillon::test
