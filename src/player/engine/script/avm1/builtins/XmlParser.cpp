// Markup read into a document's nodes; declarations and doctypes are kept as text on the
// document.

#include "player/engine/script/avm1/builtins/XmlTree.h"
#include "player/engine/script/common/XmlEntities.h"
#include "player/engine/script/common/XmlMarkup.h"

#include <vector>

namespace quillon::engine::avm1 {

namespace {

class TreeBuilder : public XmlMarkupSink {
public:
    TreeBuilder(Vm& vm, Object* document) : vm_(vm), document_(document), open_{document} {}

    void element(const std::string& name) override {
        Object* node = NewXmlNode(vm_, XmlElement, vm_.makeString(name));
        AttachXml(vm_, open_.back(), node, nullptr);
        open_.push_back(node);
    }
    void attribute(const std::string& name, const std::string& value) override {
        open_.back()->xml->attributes->put(name, vm_.makeString(value));
    }
    void close() override { open_.pop_back(); }
    void text(const std::string& value) override {
        AttachXml(vm_, open_.back(), NewXmlNode(vm_, XmlText, vm_.makeString(value)), nullptr);
    }
    void declaration(bool doctype, const std::string& markup) override {
        vm_.set(Value(document_), doctype ? "docTypeDecl" : "xmlDecl", vm_.makeString(markup));
    }

private:
    Vm& vm_;
    Object* document_;
    std::vector<Object*> open_;
};

} // namespace

std::string UnescapeXml(const std::string& text) {
    return DecodeXmlEntities(text);
}

int ParseXml(Vm& vm, Object* document, const std::string& text, bool ignoreWhite) {
    TreeBuilder builder(vm, document);
    return ReadXmlMarkup(text, ignoreWhite, MaxXmlDepth, builder);
}

} // namespace quillon::engine::avm1
