// URLLoader's three data formats on local files, with the events and counts a load
// gives, and flash.text.Font on the movie's embedded fonts: enumerateFonts,
// registerFont, a class bound to a font, and hasGlyphs.

#include "Avm2TestSupport.h"
#include "player/engine/MovieEngine.h"
#include "support/MovieWriter.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;
using testing::Bytes;
using testing::MovieWriter;

constexpr std::uint8_t GetProperty = 0x66, SetProperty = 0x61, CallProperty = 0x46,
                       CallPropVoid = 0x4f, ConstructProp = 0x4a, FindPropStrict = 0x5d,
                       GetLex = 0x60, NewFunction = 0x40, Add = 0xa0, ReturnVoid = 0x47,
                       GetScopeObject = 0x65, NewClass = 0x58, InitProperty = 0x68,
                       ConstructSuper = 0x49;

struct ExtraClass {
    std::string name;
    std::string basePackage, base;
    std::uint16_t characterId = 0; // bound through SymbolClass when not 0
};

// A movie: tags first (fonts), then the ABC with the document class Main (a MovieClip
// running body in its constructor) and empty subclasses of built-ins, bound by
// SymbolClass; two frames so loads asked for in the first finish in the second.
Bytes Movie(MovieWriter& movie, const std::function<void(AbcCode&, Names&)>& body,
            const std::vector<ExtraClass>& extras = {}) {
    AbcWriter abc;
    Names names{abc};
    AbcCode empty(abc);
    empty.op(ReturnVoid);
    AbcCode init(abc);
    init.pushThisScope();
    std::vector<AbcTraitSpec> traits;
    Bytes symbols = {static_cast<std::uint8_t>(extras.size() + 1), 0};
    const auto define = [&](const std::string& name, std::uint32_t base, AbcCode& ctor,
                            std::uint16_t id) {
        AbcClassSpec klass;
        klass.name = abc.name(name);
        klass.superName = base;
        klass.iinit = AddMethod(abc, ctor);
        klass.cinit = AddMethod(abc, empty);
        const std::uint32_t index = abc.addClass(klass);
        init.op(GetScopeObject).u8(0).nameOp(GetLex, base).op(NewClass).u30(index);
        init.nameOp(InitProperty, klass.name);
        traits.push_back(
            {klass.name, 4, static_cast<std::uint32_t>(traits.size() + 1), 0, 0, 0, index});
        symbols.push_back(static_cast<std::uint8_t>(id & 0xff));
        symbols.push_back(static_cast<std::uint8_t>(id >> 8));
        symbols.insert(symbols.end(), name.begin(), name.end());
        symbols.push_back(0);
    };
    for (const ExtraClass& extra : extras) {
        AbcCode ctor(abc);
        ctor.pushThisScope().getLocal(0).op(ConstructSuper).u30(0).op(ReturnVoid);
        define(extra.name, abc.qname(abc.ns(0x16, extra.basePackage), extra.base), ctor,
               extra.characterId);
    }
    AbcCode ctor(abc);
    ctor.pushThisScope().getLocal(0).op(ConstructSuper).u30(0);
    body(ctor, names);
    ctor.op(ReturnVoid);
    define("Main", names.display("MovieClip"), ctor, 0);
    init.op(ReturnVoid);
    abc.script(AddMethod(abc, init), traits);
    const std::vector<std::uint8_t> bytes = abc.bytes();
    Bytes doAbc = {1, 0, 0, 0, 'f', '1', 0};
    doAbc.insert(doAbc.end(), bytes.begin(), bytes.end());
    movie.tag(DoAbc2Tag, doAbc);
    movie.tag(SymbolClassTag, symbols);
    movie.showFrame();
    movie.showFrame();
    return movie.bytes();
}

std::uint32_t PackageName(Names& n, const char* package, const char* name) {
    return n.abc.qname(n.abc.ns(0x16, package), name);
}

MovieWriter NewMovie() {
    MovieWriter movie(100, 100, 10, 10);
    movie.tag(FileAttributesTag, Bytes{0x08, 0, 0, 0});
    return movie;
}

struct Played {
    Lines traces, warnings;
    engine::MovieEngine movie;
    Played(Bytes bytes, const std::string& folder, int frames) {
        engine::ScriptOptions options;
        options.trace = [this](const std::string& line) { traces.push_back(line); };
        options.warning = [this](const std::string& line) { warnings.push_back(line); };
        movie.setScriptOptions(std::move(options));
        movie.loadBytes(std::move(bytes), folder);
        for (int i = 1; i < frames; ++i) {
            movie.advance();
        }
    }
};

// function(e) { trace(e.type + " " + e.target.bytesLoaded + "/" + e.target.bytesTotal);
// then traces each of the loaded data's properties named in show }
std::uint32_t Listener(AbcWriter& abc, const std::vector<std::string>& show) {
    AbcCode code(abc);
    code.pushThisScope().getLocal(1).nameOp(GetProperty, abc.name("type")).pushString(" ");
    code.op(Add).getLocal(1).nameOp(GetProperty, abc.name("target"));
    code.nameOp(GetProperty, abc.name("bytesLoaded")).op(Add).pushString("/").op(Add);
    code.getLocal(1).nameOp(GetProperty, abc.name("target"));
    code.nameOp(GetProperty, abc.name("bytesTotal")).op(Add).traceTop();
    for (const std::string& property : show) {
        code.getLocal(1).nameOp(GetProperty, abc.name("target"));
        code.nameOp(GetProperty, abc.name("data"));
        if (!property.empty()) {
            code.nameOp(GetProperty, abc.name(property));
        }
        code.traceTop();
    }
    code.op(ReturnVoid);
    return AddMethod(abc, code, 1);
}

struct LoadCase {
    std::string format;            // "" leaves the default
    std::vector<std::string> show; // properties of data traced on complete ("" = data)
    Lines expected;                // after the open and progress lines
};

TEST(Avm2UrlLoader, EachDataFormatGivesItsKindOfData) {
    const std::string content = "a=1&b=two%20words&c=%41";
    const std::vector<LoadCase> cases = {
        {"", {""}, {content}},
        {"text", {"length"}, {"23"}},
        {"variables", {"a", "b", "c"}, {"1", "two words", "A"}},
        {"binary", {"length", "0", "4", "position"}, {"23", "97", "98", "0"}},
    };
    for (const LoadCase& c : cases) {
        TempDir dir;
        std::ofstream(dir.file("data.txt"), std::ios::binary) << content;
        MovieWriter movie = NewMovie();
        const Bytes bytes = Movie(movie, [&](AbcCode& code, Names& n) {
            const std::uint32_t loader = PackageName(n, "flash.net", "URLLoader");
            const std::uint32_t request = PackageName(n, "flash.net", "URLRequest");
            code.nameOp(FindPropStrict, loader).callProperty(ConstructProp, loader, 0);
            code.setLocal(1);
            if (!c.format.empty()) {
                code.getLocal(1).pushString(c.format).nameOp(SetProperty, n("dataFormat"));
            }
            code.getLocal(1).nameOp(GetProperty, n("dataFormat")).traceTop();
            for (const char* type : {"open", "progress", "complete"}) {
                const std::vector<std::string> show =
                    std::string(type) == "complete" ? c.show : std::vector<std::string>{};
                code.getLocal(1).pushString(type);
                code.op(NewFunction).u30(Listener(n.abc, show));
                code.callProperty(CallPropVoid, n("addEventListener"), 2);
            }
            code.getLocal(1).nameOp(FindPropStrict, request).pushString("data.txt");
            code.callProperty(ConstructProp, request, 1);
            code.callProperty(CallPropVoid, n("load"), 1);
        });
        Played run(bytes, dir.path(), 2);
        Lines expected = {c.format.empty() ? "text" : c.format, "open 0/23", "progress 23/23",
                          "complete 23/23"};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(run.traces, expected) << c.format;
        EXPECT_TRUE(run.warnings.empty()) << c.format;
    }
}

TEST(Avm2UrlLoader, AMissingFileSendsIoErrorToItsListener) {
    TempDir dir;
    MovieWriter movie = NewMovie();
    const Bytes bytes = Movie(movie, [&](AbcCode& code, Names& n) {
        const std::uint32_t loader = PackageName(n, "flash.net", "URLLoader");
        const std::uint32_t request = PackageName(n, "flash.net", "URLRequest");
        AbcCode handler(n.abc);
        handler.pushThisScope().getLocal(1).nameOp(GetProperty, n("errorID")).traceTop();
        handler.getLocal(1).nameOp(GetProperty, n("text")).traceTop().op(ReturnVoid);
        code.nameOp(FindPropStrict, loader).callProperty(ConstructProp, loader, 0).setLocal(1);
        code.getLocal(1).pushString("ioError").op(NewFunction).u30(AddMethod(n.abc, handler, 1));
        code.callProperty(CallPropVoid, n("addEventListener"), 2);
        code.getLocal(1).nameOp(FindPropStrict, request).pushString("missing.txt");
        code.callProperty(ConstructProp, request, 1).callProperty(CallPropVoid, n("load"), 1);
    });
    Played run(bytes, dir.path(), 2);
    EXPECT_EQ(run.traces, (Lines{"2032", "Error #2032: Stream Error. URL: missing.txt"}));
    EXPECT_EQ(run.warnings.size(), 1u);
}

TEST(Avm2UrlLoader, VariablesDecodeAndPrint) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"x=1", "x=1"},
        {"a=%41%42&b=c%20d", "a=AB&b=c%20d"},
        {"e=", "e="},
        {"no pair", "Error #2101"},
    };
    for (const auto& [text, expected] : cases) {
        MovieWriter movie = NewMovie();
        const Bytes bytes = Movie(movie, [&, text = text](AbcCode& code, Names& n) {
            const std::uint32_t variables = PackageName(n, "flash.net", "URLVariables");
            code.nameOp(FindPropStrict, variables).pushString(text);
            code.callProperty(ConstructProp, variables, 1);
            code.callProperty(CallProperty, n("toString"), 0).traceTop();
        });
        Played run(bytes, "", 1);
        ASSERT_FALSE(run.traces.empty() && run.warnings.empty()) << text;
        const std::string seen = run.traces.empty() ? run.warnings[0] : run.traces[0];
        EXPECT_NE(seen.find(expected), std::string::npos) << text << ": " << seen;
    }
}

// A font of the name and style whose glyphs are the given characters.
testing::FontSpec FontOf(const std::string& name, bool bold, const std::string& chars) {
    testing::FontSpec font;
    font.name = name;
    font.bold = bold;
    for (const char c : chars) {
        testing::ShapeBuilder box;
        box.rectangle(0, -1024, 1024, 1024);
        font.glyphs.push_back({static_cast<std::uint16_t>(c), box, 1024});
    }
    font.ascent = 1024;
    return font;
}

TEST(Avm2Font, EnumeratesEmbeddedFontsByNameAndBindsClasses) {
    MovieWriter movie = NewMovie();
    const std::uint16_t zeta = movie.defineFont(FontOf("zeta", false, "AB"));
    movie.defineFont(FontOf("Alpha", true, "xyz"));
    const Bytes bytes = Movie(
        movie,
        [&](AbcCode& code, Names& n) {
            const std::uint32_t font = PackageName(n, "flash.text", "Font");
            code.nameOp(GetLex, font).op(0x27); // enumerateFonts(false)
            code.callProperty(CallProperty, n("enumerateFonts"), 1).setLocal(1);
            code.getLocal(1).nameOp(GetProperty, n("length")).traceTop();
            for (const char* index : {"0", "1"}) {
                for (const char* property : {"fontName", "fontStyle", "fontType"}) {
                    code.getLocal(1).nameOp(GetProperty, n(index));
                    code.nameOp(GetProperty, n(property)).traceTop();
                }
            }
            // new Zeta(): the class of the first font
            code.nameOp(FindPropStrict, n("Zeta")).callProperty(ConstructProp, n("Zeta"), 0);
            code.setLocal(2).getLocal(2).nameOp(GetProperty, n("fontName")).traceTop();
            for (const char* text : {"ABBA", "ABC", ""}) {
                code.getLocal(2).pushString(text).callProperty(CallProperty, n("hasGlyphs"), 1);
                code.traceTop();
            }
            // registerFont of a bound class adds nothing new to the list
            code.nameOp(GetLex, font).nameOp(GetLex, n("Zeta"));
            code.callProperty(CallPropVoid, n("registerFont"), 1);
            code.nameOp(GetLex, font).op(0x27).callProperty(CallProperty, n("enumerateFonts"), 1);
            code.nameOp(GetProperty, n("length")).traceTop();
            // a plain Font stands for no font
            code.nameOp(FindPropStrict, font).callProperty(ConstructProp, font, 0);
            code.nameOp(GetProperty, n("fontName")).traceTop();
        },
        {{"Zeta", "flash.text", "Font", zeta}});
    Played run(bytes, "", 1);
    EXPECT_EQ(run.traces, (Lines{"2", "Alpha", "bold", "embedded", "zeta", "regular", "embedded",
                                 "zeta", "true", "false", "true", "2", "null"}));
}

} // namespace
} // namespace quillon::test
