// The built-ins that reach past the interpreter: Color on a clip's colour transform, text
// fields bound to variables, and loads, which read only files below the movie's folder.

#include "player/engine/MovieFiles.h"
#include "script/ScriptTestSupport.h"
#include "support/TempDir.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <tuple>
#include <variant>

using namespace quillon::testing;
namespace fs = std::filesystem;

namespace {

TEST(HostObjects, ColorTintsTheClipInFixedPoint) {
    MovieWriter movie(100, 100);
    TagStream inner;
    inner.showFrame();
    Place place(1, movie.defineSprite(inner));
    place.name = "mc";
    movie.place(place);
    ActionAssembler a;
    // c = new Color(mc); c.setRGB(0xff0066); t = c.getTransform();
    a.push({"c", "mc"}).op(Action::GetVariable).push({1, "Color"}).op(Action::NewObject);
    a.op(Action::SetVariable);
    CallOn(a, "c", "setRGB", {0xff0066}).op(Action::Pop);
    CallOn(a, "c", "getRGB", {}).op(Action::Trace);
    // c.setTransform({ra: 1, ab: 70000}): 1% is 2/256; offsets wrap at 16 bits
    a.push({"ra", 1, "ab", 70000, 2}).op(Action::InitObject).push({1, "c"});
    a.op(Action::GetVariable).push({"setTransform"}).op(Action::CallMethod).op(Action::Pop);
    a.push({"t"});
    CallOn(a, "c", "getTransform", {}).op(Action::SetVariable);
    for (const char* key : {"t.ra", "t.ga", "t.rb", "t.bb", "t.ab"}) {
        a.traceVariable(key);
    }
    // an empty path names no clip, not the root: nothing is tinted
    a.push({"e", "", 1, "Color"}).op(Action::NewObject).op(Action::SetVariable);
    CallOn(a, "e", "setRGB", {0x333333}).op(Action::Pop);
    CallOn(a, "e", "getRGB", {}).op(Action::Trace);
    movie.doAction(a.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(),
              "16711782\n0.78125\n0\n255\n102\n4464\nundefined\n");
}

// setTransform reads only the object's own keys: one inherited from Object.prototype is
// not a setting, and a key present but not a number counts as 0.
TEST(HostObjects, ColorSetTransformReadsOnlyOwnKeys) {
    MovieWriter movie(100, 100);
    PlaceEmptyClip(movie, 1, "mc");
    ActionAssembler a;
    a.push({"c", "mc"}).op(Action::GetVariable).push({1, "Color"}).op(Action::NewObject);
    a.op(Action::SetVariable);
    a.push({"ab", 25, "ga", 50, 2}).op(Action::InitObject).push({1, "c"});
    a.op(Action::GetVariable).push({"setTransform"}).op(Action::CallMethod).op(Action::Pop);
    a.push({"Object"}).op(Action::GetVariable).push({"prototype"}).op(Action::GetMember);
    a.push({"ab", -66}).op(Action::SetMember);
    a.push({"ga", Undefined{}, 1}).op(Action::InitObject).push({1, "c"});
    a.op(Action::GetVariable).push({"setTransform"}).op(Action::CallMethod).op(Action::Pop);
    a.push({"t"});
    CallOn(a, "c", "getTransform", {}).op(Action::SetVariable);
    a.traceVariable("t.ab").traceVariable("t.ga");
    movie.doAction(a.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(), "25\n0\n");
}

TEST(HostObjects, BoundTextFieldFollowsItsVariable) {
    MovieWriter movie(100, 100);
    EditTextSpec field;
    field.text = "start";
    field.variable = "score";
    Place place(1, movie.defineEditText(field));
    place.name = "field";
    movie.place(place);
    // the field gives its text to the unset variable; then the variable drives the field
    ActionAssembler a;
    a.traceVariable("score").traceVariable("field.text").set("score", 42);
    a.traceVariable("field.text").push({"field"}).op(Action::GetVariable);
    a.push({"text", "typed"}).op(Action::SetMember);
    a.traceVariable("score").traceVariable("field.variable").traceVariable("field.length");
    movie.doAction(a.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(), "start\nstart\n42\ntyped\nscore\n5\n");
}

// Bound to a variable that is unset, a field shows its defined text again and gives it to
// the variable; a field defined empty leaves the variable unset.
TEST(HostObjects, RebindingAFieldRestoresItsDefinedText) {
    MovieWriter movie(100, 100);
    EditTextSpec field;
    field.text = "Hello";
    Place place(1, movie.defineEditText(field));
    place.name = "field";
    movie.place(place);
    EditTextSpec empty;
    Place second(2, movie.defineEditText(empty));
    second.name = "blank";
    movie.place(second);
    ActionAssembler a;
    a.push({"field"}).op(Action::GetVariable).push({"text", "changed"}).op(Action::SetMember);
    a.push({"field"}).op(Action::GetVariable).push({"variable", "foo"}).op(Action::SetMember);
    a.traceVariable("foo").traceVariable("field.text");
    a.push({"blank"}).op(Action::GetVariable).push({"variable", "bar"}).op(Action::SetMember);
    a.traceVariable("bar").traceVariable("blank.text");
    movie.doAction(a.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(), "Hello\nHello\nundefined\n\n");
}

// An HTML field's layout alignment gives way to the markup's (left unless a paragraph
// says otherwise), and setting htmlText makes new text left-aligned too.
TEST(HostObjects, HtmlTextIsLeftAlignedUnlessItSaysOtherwise) {
    MovieWriter movie(100, 100);
    EditTextSpec plain;
    plain.align = 2;
    plain.text = "a";
    Place first(1, movie.defineEditText(plain));
    first.name = "plain";
    movie.place(first);
    EditTextSpec html = plain;
    html.html = true;
    Place second(2, movie.defineEditText(html));
    second.name = "marked";
    movie.place(second);
    ActionAssembler a;
    for (const char* name : {"plain", "marked"}) {
        CallOn(a, name, "getNewTextFormat", {}).push({"align"}).op(Action::GetMember);
        a.op(Action::Trace);
    }
    a.push({"plain"}).op(Action::GetVariable).push({"html", true}).op(Action::SetMember);
    a.push({"plain"}).op(Action::GetVariable).push({"htmlText", "b"}).op(Action::SetMember);
    CallOn(a, "plain", "getNewTextFormat", {}).push({"align"}).op(Action::GetMember);
    a.op(Action::Trace);
    a.push({"plain"}).op(Action::GetVariable).push({"htmlText", "<p align='right'>b</p>"});
    a.op(Action::SetMember);
    CallOn(a, "plain", "getTextFormat", {}).push({"align"}).op(Action::GetMember);
    a.op(Action::Trace);
    movie.doAction(a.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(), "center\nleft\nleft\nright\n");
}

// A text settings tag for a field: the smoothing kind, grid fitting, thickness, sharpness.
Bytes TextSettings(std::uint16_t id, int kind, int gridFit, float thickness, float sharpness) {
    Bytes body = {static_cast<std::uint8_t>(id & 0xff), static_cast<std::uint8_t>(id >> 8),
                  static_cast<std::uint8_t>(kind << 6 | gridFit << 3)};
    for (float f : {thickness, sharpness}) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &f, sizeof bits);
        for (int i = 0; i < 4; ++i) {
            body.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
        }
    }
    body.push_back(0);
    return body;
}

TEST(HostObjects, TextSettingsTagSmoothsOnlyItsFieldUntilAScriptChangesIt) {
    MovieWriter movie(100, 100, 12, 8);
    EditTextSpec field;
    const std::uint16_t smooth = movie.defineEditText(field);
    movie.tag(74, TextSettings(smooth, 1, 2, 1.5f, -50));
    const std::uint16_t plain = movie.defineEditText(field);
    for (auto [depth, id, name] : {std::tuple{1, smooth, "a"}, std::tuple{2, plain, "b"}}) {
        Place place(static_cast<std::uint16_t>(depth), id);
        place.name = name;
        movie.place(place);
    }
    ActionAssembler a;
    for (const char* field : {"a", "b"}) {
        for (const char* name : {"antiAliasType", "gridFitType", "thickness", "sharpness"}) {
            a.traceVariable(std::string(field) + "." + name);
        }
    }
    // names in any case change it, unknown ones do not
    a.push({"a"}).op(Action::GetVariable).push({"antiAliasType", "NORMAL"}).op(Action::SetMember);
    a.push({"a"}).op(Action::GetVariable).push({"gridFitType", "edges"}).op(Action::SetMember);
    a.traceVariable("a.antiAliasType").traceVariable("a.gridFitType");
    movie.doAction(a.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(),
              "advanced\nsubpixel\n1.5\n-50\nnormal\npixel\n0\n0\nnormal\nsubpixel\n");
}

class ScriptLoads : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder() + "/data");
        Write(folder() + "/vars.txt", "a=1&b=two+words%21");
        Write(folder() + "/data/more.txt", "c=3");
        Write(outside_.file("secret.txt"), "secret=1");
        fs::create_symlink(outside_.file("secret.txt"), folder() + "/link.txt");
    }
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string folder() const { return movieDir_.file("movie"); }

    quillon::test::TempDir movieDir_, outside_;
};

TEST_F(ScriptLoads, OnlyFilesBelowTheMovieFolderAreRead) {
    using quillon::engine::ReadBesideMovie;
    EXPECT_EQ(ReadBesideMovie(folder(), "vars.txt"), "a=1&b=two+words%21");
    EXPECT_EQ(ReadBesideMovie(folder(), "data/more.txt?x=1"), "c=3");
    EXPECT_EQ(ReadBesideMovie(folder(), "./data/../vars.txt"), std::nullopt);
    for (const std::string& refused :
         {std::string("../movie/vars.txt"), outside_.file("secret.txt"),
          "file://" + folder() + "/vars.txt", std::string("link.txt"), std::string("data"),
          std::string("missing.txt"), std::string("")}) {
        EXPECT_EQ(ReadBesideMovie(folder(), refused), std::nullopt) << refused;
    }
    EXPECT_EQ(ReadBesideMovie("", "vars.txt"), std::nullopt);
}

TEST_F(ScriptLoads, LoadVarsAndLoadVariablesFinishAfterTheFrame) {
    // lv = new LoadVars(); lv.onLoad = function (ok) { trace(ok); trace(this.b); };
    // lv.load("vars.txt"); bad = new LoadVars(); bad.onLoad = same; bad.load("../x.txt");
    // _root.loadVariables("data/more.txt"); trace(c) now and on frame 2
    ActionAssembler onLoad;
    onLoad.push({"ok"}).op(Action::GetVariable).op(Action::Trace);
    onLoad.push({"this"}).op(Action::GetVariable).push({"b"}).op(Action::GetMember);
    onLoad.op(Action::Trace);
    ActionAssembler a;
    for (const char* name : {"lv", "bad"}) {
        a.push({name, 0, "LoadVars"}).op(Action::NewObject).op(Action::SetVariable);
        a.push({name}).op(Action::GetVariable).push({"onLoad"});
        a.function(FunctionSpec("", {{0, "ok"}}), onLoad).op(Action::SetMember);
    }
    CallOn(a, "lv", "load", {"vars.txt"}).op(Action::Trace);
    CallOn(a, "bad", "load", {"../x.txt"}).op(Action::Pop);
    CallOn(a, "_root", "loadVariables", {"data/more.txt"}).op(Action::Pop);
    a.traceVariable("c");
    MovieWriter movie(100, 100);
    movie.doAction(a.block());
    movie.showFrame();
    movie.doAction(ActionAssembler().traceVariable("c").op(Action::Stop).block());
    movie.showFrame();
    const std::string path = folder() + "/test.swf";
    const Bytes bytes = movie.bytes();
    Write(path, std::string(bytes.begin(), bytes.end()));

    std::string out;
    quillon::engine::MovieEngine engine;
    quillon::engine::ScriptOptions options;
    options.trace = [&out](const std::string& line) { out += line + "\n"; };
    engine.setScriptOptions(options);
    engine.load(path);
    engine.advance();
    EXPECT_EQ(out, "true\nundefined\ntrue\ntwo words!\nfalse\nundefined\n3\n");
}

// A tag body of 16-bit numbers and strings, as the import and export tags are made.
Bytes TagBody(std::initializer_list<std::variant<int, std::string>> parts) {
    Bytes out;
    for (const auto& part : parts) {
        if (const int* number = std::get_if<int>(&part)) {
            out.push_back(static_cast<std::uint8_t>(*number & 0xff));
            out.push_back(static_cast<std::uint8_t>(*number >> 8));
        } else {
            const std::string& text = std::get<std::string>(part);
            out.insert(out.end(), text.begin(), text.end());
            out.push_back(0);
        }
    }
    return out;
}

TEST_F(ScriptLoads, ImportedSymbolsComeFromALibraryBelowTheFolder) {
    MovieWriter library(100, 100);
    TagStream inner;
    inner.doAction(ActionAssembler().trace("lib frame 1").op(Action::Stop).block());
    inner.showFrame();
    const std::uint16_t sprite = library.defineSprite(inner);
    library.tag(56, TagBody({1, sprite, std::string("shared")})); // ExportAssets
    Bytes init = TagBody({sprite});
    const Bytes code = ActionAssembler().trace("lib init").block();
    init.insert(init.end(), code.begin(), code.end());
    library.tag(59, init); // DoInitAction
    library.showFrame();
    const Bytes libraryBytes = library.bytes();
    Write(folder() + "/data/lib.swf", std::string(libraryBytes.begin(), libraryBytes.end()));

    MovieWriter movie(100, 100);
    movie.tag(57, TagBody({std::string("data/lib.swf"), 1, 1, std::string("shared")}));
    movie.tag(57, TagBody({std::string("../movie/data/lib.swf"), 1, 2, std::string("shared")}));
    for (int id : {1, 2}) {
        Place place(id, static_cast<std::uint16_t>(id));
        place.name = id == 1 ? "imp" : "bad";
        movie.place(place);
    }
    ActionAssembler a;
    CallOn(a, "_root", "attachMovie", {5, "b", "shared"}).op(Action::Pop);
    for (const char* name : {"imp", "b", "bad"}) {
        a.push({name}).op(Action::GetVariable).op(Action::TypeOf).op(Action::Trace);
    }
    movie.doAction(a.block());
    movie.showFrame();
    const Bytes bytes = movie.bytes();
    Write(folder() + "/test.swf", std::string(bytes.begin(), bytes.end()));

    std::string out;
    quillon::engine::MovieEngine engine;
    quillon::engine::ScriptOptions options;
    options.trace = [&out](const std::string& line) { out += line + "\n"; };
    engine.setScriptOptions(options);
    engine.load(folder() + "/test.swf");
    EXPECT_EQ(out.rfind("lib init\n", 0), 0u) << out;
    EXPECT_NE(out.find("movieclip\nmovieclip\nundefined\n"), std::string::npos) << out;
    const std::size_t first = out.find("lib frame 1");
    ASSERT_NE(first, std::string::npos) << out;
    EXPECT_NE(out.find("lib frame 1", first + 1), std::string::npos)
        << "both clips run it: " << out;
}

TEST_F(ScriptLoads, LoadMovieReplacesAClipWithAMovieBelowTheFolder) {
    MovieWriter child(100, 100);
    child.doAction(ActionAssembler().trace("child frame 1").op(Action::Stop).block());
    child.showFrame();
    const Bytes childBytes = child.bytes();
    Write(folder() + "/data/child.swf", std::string(childBytes.begin(), childBytes.end()));
    Write(outside_.file("child.swf"), std::string(childBytes.begin(), childBytes.end()));

    // good = createEmptyMovieClip("good", 1); bad likewise; good.loadMovie("data/child.swf");
    // bad.loadMovie(<the copy outside>); then on frame 2: trace(good._totalframes)
    ActionAssembler a;
    CallOn(a, "_root", "createEmptyMovieClip", {1, "good"}).op(Action::Pop);
    CallOn(a, "_root", "createEmptyMovieClip", {2, "bad"}).op(Action::Pop);
    CallOn(a, "good", "loadMovie", {"data/child.swf"}).op(Action::Pop);
    CallOn(a, "bad", "loadMovie",
           {"../" + fs::path(outside_.path()).filename().string() + "/child.swf"})
        .op(Action::Pop);
    MovieWriter movie(100, 100);
    movie.doAction(a.block());
    movie.showFrame();
    movie.doAction(ActionAssembler().traceVariable("bad._totalframes").op(Action::Stop).block());
    movie.showFrame();
    const Bytes bytes = movie.bytes();
    Write(folder() + "/test.swf", std::string(bytes.begin(), bytes.end()));

    std::string out;
    std::vector<std::string> warnings;
    quillon::engine::MovieEngine engine;
    quillon::engine::ScriptOptions options;
    options.trace = [&out](const std::string& line) { out += line + "\n"; };
    options.warning = [&warnings](const std::string& line) { warnings.push_back(line); };
    engine.setScriptOptions(options);
    engine.load(folder() + "/test.swf");
    engine.advance();
    EXPECT_EQ(out, "child frame 1\n1\n");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("child.swf"), std::string::npos) << warnings[0];
}

} // namespace

namespace {

// tf.name = value; trace(tf.name) for each case on a new field; then the defaults.
TEST(ScriptTextFields, SettingsKeepThePlayersDefaultsAndCoercions) {
    struct Case {
        const char* name;
        PushValue value;
        const char* read;
    };
    const std::vector<Case> cases = {
        {"backgroundColor", -1, "16777215"},
        {"backgroundColor", 4210752, "4210752"},
        {"borderColor", 2164260863.0, "16777215"},
        {"type", "INPUT", "input"},
        {"type", "invalid", "dynamic"},
        {"border", "yes", "true"},
        {"gridFitType", "subpixel", "subpixel"},
        {"autoSize", "RIght", "right"},
        {"autoSize", "rightf", "none"},
        {"tabIndex", -4, "4294967292"},
        {"tabIndex", "x", "0"},
        {"tabIndex", Null{}, "undefined"},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        CallOn(a, "_root", "createTextField", {100, 100, 0, 0, 1, "tf"}).op(Action::Pop);
        a.push({"tf"}).op(Action::GetVariable).push({c.name, c.value}).op(Action::SetMember);
        a.push({"tf"}).op(Action::GetVariable).push({c.name}).op(Action::GetMember);
        a.op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), std::string(c.read) + "\n") << c.name;
    }
    ActionAssembler a;
    CallOn(a, "_root", "createTextField", {100, 100, 0, 0, 1, "tf"}).op(Action::Pop);
    for (const char* name : {"backgroundColor", "borderColor", "type", "condenseWhite"}) {
        a.push({"tf"}).op(Action::GetVariable).push({name}).op(Action::GetMember);
        a.op(Action::Trace);
    }
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "16777215\n0\ndynamic\nfalse\n");
}

// getTextFormat over a range, setTextFormat on part of it, htmlText and textWidth.
TEST(ScriptTextFields, FormatsOverRangesAndMarkup) {
    ActionAssembler a;
    CallOn(a, "_root", "createTextField", {100, 20, 0, 2.7, 1, "tf"}).op(Action::Pop);
    a.push({"tf"}).op(Action::GetVariable).push({"_x"}).op(Action::GetMember).op(Action::Trace);
    a.push({"tf"}).op(Action::GetVariable).push({"text", "abcd"}).op(Action::SetMember);
    a.push({"tf"}).op(Action::GetVariable).push({"html", true}).op(Action::SetMember);
    // f = new TextFormat("Arial", 20); tf.setTextFormat(1, 3, f)
    a.push({"f", 20, "Arial", 2, "TextFormat"}).op(Action::NewObject).op(Action::DefineLocal);
    a.push({"f"}).op(Action::GetVariable).push({3, 1, 3, "tf"}).op(Action::GetVariable);
    a.push({"setTextFormat"}).op(Action::CallMethod).op(Action::Pop);
    CallOn(a, "tf", "getTextFormat", {4, 0}).push({"font"}).op(Action::GetMember);
    a.op(Action::Trace);
    CallOn(a, "tf", "getTextFormat", {3, 1}).push({"size"}).op(Action::GetMember);
    a.op(Action::Trace);
    a.push({"tf"}).op(Action::GetVariable).push({"htmlText"}).op(Action::GetMember);
    a.op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(),
              "2\nnull\n20\n<P ALIGN=\"LEFT\"><FONT FACE=\"Times New Roman\" SIZE=\"12\" "
              "COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\">a<FONT FACE=\"Arial\" "
              "SIZE=\"20\">bc</FONT>d</FONT></P>\n");
}

// autoSize keeps the left edge, the centre or the right edge where it was, and the field's
// _x shows the move.
TEST(ScriptTextFields, AutoSizeMovesTheFieldItself) {
    struct Case {
        const char* mode;
        double fraction; // of the width that stays at the old place: left 0, right 1
        double edge;     // pixels: where that point was
    };
    for (const Case c : {Case{"left", 0, 50}, Case{"center", 0.5, 100}, Case{"right", 1, 150}}) {
        ActionAssembler a;
        CallOn(a, "_root", "createTextField", {20, 100, 0, 50, 1, "tf"}).op(Action::Pop);
        a.push({"tf"}).op(Action::GetVariable).push({"text", "abc"}).op(Action::SetMember);
        a.push({"tf"}).op(Action::GetVariable).push({"autoSize", c.mode}).op(Action::SetMember);
        for (const char* property : {"_x", "_width"}) {
            a.push({"tf"}).op(Action::GetVariable).push({property}).op(Action::GetMember);
            a.op(Action::Trace);
        }
        std::istringstream lines(RunMovie(OneScriptMovie(a, 8)).joined());
        double x = 0, width = 0;
        lines >> x >> width;
        EXPECT_LT(width, 100) << c.mode;
        EXPECT_NEAR(x + c.fraction * width, c.edge, 0.01) << c.mode;
    }
}

// scroll takes a 32-bit whole number, counted from 0 inside: the lowest wraps to the top.
TEST(ScriptTextFields, ScrollTakesA32BitLineNumber) {
    struct Case {
        PushValue line;
        const char* atMost; // whether the field then shows its last lines
    };
    const Case cases[] = {{2147483647.0, "true"},
                          {767100486418432.0, "true"},
                          {767100486418433.0, "false"},
                          {Null{}, "false"},
                          {-3, "false"}};
    for (const Case& c : cases) {
        ActionAssembler a;
        CallOn(a, "_root", "createTextField", {30, 100, 0, 0, 1, "tf"}).op(Action::Pop);
        a.push({"tf"}).op(Action::GetVariable).push({"multiline", true}).op(Action::SetMember);
        a.push({"tf"}).op(Action::GetVariable).push({"text", "1\r2\r3\r4\r5\r6\r7"});
        a.op(Action::SetMember);
        a.push({"tf"}).op(Action::GetVariable).push({"scroll", c.line}).op(Action::SetMember);
        a.push({"tf"}).op(Action::GetVariable).push({"scroll"}).op(Action::GetMember);
        a.push({"tf"}).op(Action::GetVariable).push({"maxscroll"}).op(Action::GetMember);
        a.op(Action::Equals2).op(Action::Trace);
        a.push({"tf"}).op(Action::GetVariable).push({"scroll"}).op(Action::GetMember);
        a.op(Action::Trace);
        const std::string out = RunMovie(OneScriptMovie(a, 8)).joined();
        EXPECT_EQ(out.substr(0, out.find('\n')), c.atMost);
        if (std::string(c.atMost) == "false") {
            EXPECT_EQ(out.substr(out.find('\n') + 1), "1\n");
        }
    }
}

// condenseWhite: blanks and line ends collapse to one blank, none at a line's start.
TEST(ScriptTextFields, CondensedMarkupDropsBlanksAtLineStarts) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"\n", ""}, {" \t\n a  \n b \n", "a b "}, {"x<br>  y", "x\ny"}, {"<b>a </b> b", "a b"}};
    for (const auto& [html, text] : cases) {
        ActionAssembler a;
        CallOn(a, "_root", "createTextField", {100, 100, 0, 0, 1, "tf"}).op(Action::Pop);
        for (const char* flag : {"html", "multiline", "condenseWhite"}) {
            a.push({"tf"}).op(Action::GetVariable).push({flag, true}).op(Action::SetMember);
        }
        a.push({"tf"}).op(Action::GetVariable).push({"htmlText", html}).op(Action::SetMember);
        a.push({"tf"}).op(Action::GetVariable).push({"text"}).op(Action::GetMember);
        a.op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), std::string(text) + "\n") << html;
    }
}

} // namespace

namespace {

// No container hosts the preview: calls give null, and the XML helpers read back only the
// five entities as written; nothing or empty text gives null.
TEST(HostObjects, ExternalInterfaceIsUnavailableButEscapesXml) {
    ActionAssembler a;
    const std::string path = "flash.external.ExternalInterface";
    a.push({path + ".available"}).op(Action::GetVariable).op(Action::Trace);
    CallOn(a, path, "call", {"f"}).op(Action::Trace);
    CallOn(a, path, "_escapeXML", {"a<b>&'\""}).op(Action::Trace);
    CallOn(a, path, "_unescapeXML", {"&lt;&Amp;&amp;amp;"}).op(Action::Trace);
    CallOn(a, path, "_escapeXML", {""}).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(),
              "false\nnull\na&lt;b&gt;&amp;&apos;&quot;\n<&Amp;&amp;\nnull\n");
}

// isFinite() with nothing is NaN even where undefined is 0; Object() plainly is bare.
TEST(HostObjects, GlobalsCalledWithNothing) {
    ActionAssembler a;
    a.push({0, "isFinite"}).op(Action::CallFunction).op(Action::Trace);
    a.push({Undefined{}, 1, "isFinite"}).op(Action::CallFunction).op(Action::Trace);
    a.push({0, "Object"}).op(Action::CallFunction).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 6)).joined(), "false\ntrue\n[type Object]\n");
}

// A listener is on a broadcaster's list once (undefined and null naming each other), and
// an empty message calls each listener itself.
TEST(HostObjects, BroadcastersKeepEachListenerOnce) {
    ActionAssembler listener;
    listener.push({"called "}).push({"arguments"}).op(Action::GetVariable);
    listener.push({"length"}).op(Action::GetMember).op(Action::Add2).op(Action::Trace);
    ActionAssembler a;
    a.push({"b", 0}).op(Action::InitObject).op(Action::SetVariable);
    a.push({"b"}).op(Action::GetVariable).push({1, "AsBroadcaster"}).op(Action::GetVariable);
    a.push({"initialize"}).op(Action::CallMethod).op(Action::Pop);
    CallOn(a, "b", "addListener", {}).op(Action::Pop);
    CallOn(a, "b", "addListener", {Null{}}).op(Action::Pop);
    CallOn(a, "b", "addListener", {false}).op(Action::Pop);
    a.traceVariable("b._listeners");
    CallOn(a, "b", "removeListener", {Undefined{}}).op(Action::Trace);
    a.traceVariable("b._listeners");
    a.push({"b"}).op(Action::GetVariable).push({"_listeners"}).function({}, listener);
    a.push({1}).op(Action::InitArray).op(Action::SetMember);
    CallOn(a, "b", "broadcastMessage", {7, ""}).op(Action::Pop);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "null,false\ntrue\nfalse\ncalled 1\n");
}

} // namespace
