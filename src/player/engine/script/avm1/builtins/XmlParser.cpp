// Reading markup the lenient way the player does: declarations and doctypes are kept as
// text on the document, comments are dropped, and a fault stops the reading with a
// status code while what was read so far stays.

#include "player/engine/script/avm1/builtins/XmlTree.h"
#include "player/engine/script/common/XmlEntities.h"

#include <cstdint>
#include <string_view>

namespace quillon::engine::avm1 {

namespace {

enum Status {
    Ok = 0,
    CdataOpen = -2,
    DeclarationOpen = -3,
    DoctypeOpen = -4,
    CommentOpen = -5,
    Malformed = -6,
    AttributeOpen = -8,
    ElementOpen = -9,
    EndWithoutStart = -10,
};

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// "&#65;" or "&#x41;" as a character; false when it is no such reference.
class Reader {
public:
    Reader(Vm& vm, Object* document, const std::string& text, bool ignoreWhite)
        : vm_(vm), document_(document), text_(text), ignoreWhite_(ignoreWhite) {
        open_.push_back(document);
    }

    int run() {
        while (at_ < text_.size()) {
            const int status = text_[at_] == '<' ? markup() : textNode();
            if (status != Ok) {
                return status;
            }
        }
        return open_.size() > 1 ? ElementOpen : Ok;
    }

private:
    bool startsWith(std::string_view s) const { return text_.compare(at_, s.size(), s) == 0; }

    // The text up to `end` (skipping `skip` first), or false when `end` never comes.
    bool until(std::size_t skip, std::string_view end, std::string& out) {
        const std::size_t stop = text_.find(end, at_ + skip);
        if (stop == std::string::npos) {
            return false;
        }
        out = text_.substr(at_ + skip, stop - at_ - skip);
        at_ = stop + end.size();
        return true;
    }

    void add(Object* node) { AttachXml(vm_, open_.back(), node, nullptr); }

    int textNode() {
        std::size_t stop = text_.find('<', at_);
        stop = stop == std::string::npos ? text_.size() : stop;
        const std::string raw = text_.substr(at_, stop - at_);
        at_ = stop;
        bool allBlank = true;
        for (const char c : raw) {
            allBlank = allBlank && Blank(c);
        }
        if (!(ignoreWhite_ && allBlank)) {
            add(NewXmlNode(vm_, XmlText, vm_.makeString(UnescapeXml(raw))));
        }
        return Ok;
    }

    int markup() {
        std::string body;
        if (startsWith("<!--")) {
            return until(4, "-->", body) ? Ok : CommentOpen;
        }
        if (startsWith("<![CDATA[")) {
            if (!until(9, "]]>", body)) {
                return CdataOpen;
            }
            add(NewXmlNode(vm_, XmlText, vm_.makeString(body)));
            return Ok;
        }
        if (startsWith("<?")) {
            return declaration("xmlDecl", "?>", DeclarationOpen);
        }
        if (startsWith("<!")) {
            return declaration("docTypeDecl", ">", DoctypeOpen);
        }
        return startsWith("</") ? endTag() : startTag();
    }

    int declaration(const char* property, std::string_view end, int fault) {
        const std::size_t start = at_;
        std::string body;
        if (!until(0, end, body)) {
            return fault;
        }
        vm_.set(Value(document_), property, vm_.makeString(text_.substr(start, at_ - start)));
        return Ok;
    }

    int endTag() {
        std::string name;
        if (!until(2, ">", name)) {
            return Malformed;
        }
        while (!name.empty() && Blank(name.back())) {
            name.pop_back();
        }
        if (open_.size() < 2 || vm_.toString(open_.back()->xml->name) != name) {
            return EndWithoutStart;
        }
        open_.pop_back();
        return Ok;
    }

    std::string name() {
        const std::size_t start = at_;
        while (at_ < text_.size() && !Blank(text_[at_]) && text_[at_] != '>' && text_[at_] != '/' &&
               text_[at_] != '=') {
            ++at_;
        }
        return text_.substr(start, at_ - start);
    }

    void skipBlanks() {
        while (at_ < text_.size() && Blank(text_[at_])) {
            ++at_;
        }
    }

    int attribute(Object* node) {
        const std::string key = name();
        skipBlanks();
        if (key.empty() || at_ >= text_.size() || text_[at_] != '=') {
            return Malformed;
        }
        ++at_;
        skipBlanks();
        if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) {
            return Malformed;
        }
        std::string value;
        if (!until(1, std::string_view(&text_[at_], 1), value)) {
            return AttributeOpen;
        }
        Object* attributes = node->xml->attributes;
        if (!vm_.hasOwn(attributes, key)) {
            attributes->put(key, vm_.makeString(UnescapeXml(value)));
        }
        return Ok;
    }

    int startTag() {
        ++at_;
        const std::string tag = name();
        if (tag.empty()) {
            return Malformed;
        }
        Object* node = NewXmlNode(vm_, XmlElement, vm_.makeString(tag));
        add(node);
        for (;;) {
            skipBlanks();
            if (at_ >= text_.size()) {
                return ElementOpen;
            }
            if (startsWith("/>")) {
                at_ += 2;
                return Ok;
            }
            if (text_[at_] == '>') {
                ++at_;
                return enter(node);
            }
            if (const int status = attribute(node); status != Ok) {
                return status;
            }
        }
    }

    int enter(Object* node) {
        if (open_.size() > MaxXmlDepth) {
            return Malformed;
        }
        open_.push_back(node);
        return Ok;
    }

    Vm& vm_;
    Object* document_;
    const std::string& text_;
    bool ignoreWhite_;
    std::size_t at_ = 0;
    std::vector<Object*> open_;
};

} // namespace

std::string UnescapeXml(const std::string& text) {
    return DecodeXmlEntities(text);
}

int ParseXml(Vm& vm, Object* document, const std::string& text, bool ignoreWhite) {
    return Reader(vm, document, text, ignoreWhite).run();
}

} // namespace quillon::engine::avm1
