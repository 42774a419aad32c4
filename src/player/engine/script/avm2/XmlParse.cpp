// A small XML parser for E4X: elements, attributes, text, CDATA, comments and
// processing instructions, with the five named entities and character references.
// It keeps its own stack of open elements, so nesting costs no recursion, and caps
// the depth.

#include "player/engine/script/avm2/Text.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/avm2/XmlObject.h"
#include "player/engine/script/common/XmlEntities.h"

#include <charconv>

namespace quillon::avm2 {
namespace {

constexpr std::size_t kMaxDepth = 200; // printing recurses; keep well inside its limit

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Trimmed(const std::string& s) {
    std::size_t a = 0, b = s.size();
    while (a < b && IsSpace(s[a])) {
        ++a;
    }
    while (b > a && IsSpace(s[b - 1])) {
        --b;
    }
    return s.substr(a, b - a);
}

class Parser {
public:
    Parser(Vm& vm, const std::string& text) : vm_(vm), s_(text), settings_(SettingsOf(vm)) {}
    std::vector<XmlObject*> run();

private:
    [[noreturn]] void fail(int id, const std::string& message) {
        vm_.throwError(ErrorKind::TypeError, id, message);
    }
    bool at(std::string_view token) const { return s_.compare(pos_, token.size(), token) == 0; }
    std::size_t until(std::string_view end, int id, const char* what);
    std::string name();
    std::string decoded(std::string_view raw);
    void add(XmlObject* node);
    void text();
    void startTag();
    void attributes(XmlObject& element);
    void endTag();
    void special();
    std::string section(std::string_view open, std::string_view close, int id, const char* what);
    XmlObject* node(XmlKind kind, std::string text);
    void resolve(XmlObject& element);

    Vm& vm_;
    const std::string& s_;
    const XmlSettings& settings_;
    std::size_t pos_ = 0;
    std::vector<XmlObject*> top_, open_;
};

std::size_t Parser::until(std::string_view end, int id, const char* what) {
    const std::size_t found = s_.find(end, pos_);
    if (found == std::string::npos) {
        fail(id, std::string("XML parser failure: Unterminated ") + what + ".");
    }
    return found;
}

std::string Parser::name() {
    const std::size_t start = pos_;
    while (pos_ < s_.size() && !IsSpace(s_[pos_]) && s_[pos_] != '>' && s_[pos_] != '/' &&
           s_[pos_] != '=' && s_[pos_] != '<') {
        ++pos_;
    }
    if (pos_ == start) {
        fail(1090, "XML parser failure: element is malformed.");
    }
    return s_.substr(start, pos_ - start);
}

std::string Parser::decoded(std::string_view raw) {
    return engine::DecodeXmlEntities(raw);
}

void Parser::add(XmlObject* node) {
    if (open_.empty()) {
        top_.push_back(node);
    } else {
        node->parent = open_.back();
        open_.back()->children.push_back(node);
    }
}

void Parser::text() {
    const std::size_t end = std::min(s_.find('<', pos_), s_.size());
    std::string value = decoded(std::string_view(s_).substr(pos_, end - pos_));
    pos_ = end;
    if (settings_.ignoreWhitespace) {
        value = Trimmed(value);
        if (value.empty()) {
            return;
        }
    }
    add(node(XmlKind::Text, std::move(value)));
}

void Parser::startTag() {
    ++pos_;
    XmlObject* element = NewXmlNode(vm_, XmlKind::Element);
    element->local = name();
    attributes(*element);
    add(element);
    if (at("/>")) {
        pos_ += 2;
        resolve(*element);
        return;
    }
    ++pos_;
    if (open_.size() >= kMaxDepth) {
        vm_.limitReached("XML nested deeper than the limit");
    }
    open_.push_back(element);
    resolve(*element);
}

// The attributes and namespace declarations of a start tag, up to its end.
void Parser::attributes(XmlObject& element) {
    while (true) {
        while (pos_ < s_.size() && IsSpace(s_[pos_])) {
            ++pos_;
        }
        if (pos_ >= s_.size()) {
            fail(1090, "XML parser failure: element is malformed.");
        }
        if (at("/>") || at(">")) {
            return;
        }
        const std::string attr = name();
        if (!at("=") || pos_ + 1 >= s_.size() || (s_[pos_ + 1] != '"' && s_[pos_ + 1] != '\'')) {
            fail(1090, "XML parser failure: element is malformed.");
        }
        const char quote = s_[pos_ + 1];
        pos_ += 2;
        const std::size_t end = s_.find(quote, pos_);
        if (end == std::string::npos) {
            fail(1095, "XML parser failure: Unterminated attribute.");
        }
        std::string value = decoded(std::string_view(s_).substr(pos_, end - pos_));
        pos_ = end + 1;
        if (attr == "xmlns" || attr.rfind("xmlns:", 0) == 0) {
            element.namespaces.emplace_back(attr.size() > 5 ? attr.substr(6) : "", value);
            continue;
        }
        XmlObject* a = node(XmlKind::Attribute, std::move(value));
        a->local = attr;
        a->parent = &element;
        element.attributes.push_back(a);
    }
}

// Splits prefixed names into prefix and local name and finds the namespace in scope.
void Parser::resolve(XmlObject& element) {
    const auto split = [&](XmlObject& node, bool unprefixedHasDefault) {
        const std::size_t colon = node.local.find(':');
        if (colon != std::string::npos) {
            node.prefix = node.local.substr(0, colon);
            node.local = node.local.substr(colon + 1);
        } else if (!unprefixedHasDefault) {
            return;
        }
        for (const XmlObject* e = &element; e; e = e->parent) {
            for (const auto& [prefix, uri] : e->namespaces) {
                if (prefix == node.prefix) {
                    node.uri = uri;
                    return;
                }
            }
        }
    };
    split(element, true);
    for (XmlObject* a : element.attributes) {
        split(*a, false);
    }
}

void Parser::endTag() {
    pos_ += 2;
    const std::string closing = name();
    while (pos_ < s_.size() && IsSpace(s_[pos_])) {
        ++pos_;
    }
    if (!at(">") || open_.empty()) {
        fail(1090, "XML parser failure: element is malformed.");
    }
    XmlObject* element = open_.back();
    const std::string opened =
        element->prefix.empty() ? element->local : element->prefix + ":" + element->local;
    if (closing != opened) {
        fail(1085, "The element type \"" + opened +
                       "\" must be terminated by the matching end-tag \"</" + opened + ">\".");
    }
    ++pos_;
    open_.pop_back();
}

// The body of a section from here (at its opening) to its closing, which it passes.
std::string Parser::section(std::string_view open, std::string_view close, int id,
                            const char* what) {
    pos_ += open.size();
    const std::size_t end = until(close, id, what);
    std::string body = s_.substr(pos_, end - pos_);
    pos_ = end + close.size();
    return body;
}

XmlObject* Parser::node(XmlKind kind, std::string text) {
    XmlObject* made = NewXmlNode(vm_, kind);
    made->text = std::move(text);
    return made;
}

// Comments, CDATA sections, processing instructions and declarations.
void Parser::special() {
    XmlObject* made = nullptr;
    if (at("<!--")) {
        std::string body = section("<!--", "-->", 1094, "comment");
        made = settings_.ignoreComments ? nullptr : node(XmlKind::Comment, std::move(body));
    } else if (at("<![CDATA[")) {
        made = node(XmlKind::Text, section("<![CDATA[", "]]>", 1091, "CDATA section"));
        made->cdata = true;
    } else if (at("<?")) {
        const std::string body = section("<?", "?>", 1097, "processing instruction");
        const std::size_t space = body.find_first_of(" \t\r\n");
        const std::string target = body.substr(0, space);
        if (!settings_.ignoreProcessingInstructions && target != "xml") {
            made = node(XmlKind::Instruction,
                        space == std::string::npos ? "" : body.substr(space + 1));
            made->local = target;
        }
    } else {
        pos_ = until(">", 1090, "declaration") + 1;
    }
    if (made) {
        add(made);
    }
}

std::vector<XmlObject*> Parser::run() {
    while (pos_ < s_.size()) {
        if (at("</")) {
            endTag();
        } else if (at("<!") || at("<?")) {
            special();
        } else if (at("<")) {
            startTag();
        } else {
            text();
        }
    }
    if (!open_.empty()) {
        const XmlObject* e = open_.back();
        fail(1085, "The element type \"" + e->local +
                       "\" must be terminated by the matching end-tag \"</" + e->local + ">\".");
    }
    return top_;
}

} // namespace

std::vector<XmlObject*> ParseXml(Vm& vm, const std::string& markup) {
    return Parser(vm, markup).run();
}

} // namespace quillon::avm2
