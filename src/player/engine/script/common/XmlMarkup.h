#pragma once
// Reading markup the lenient way the player's XML documents do (ActionScript 1 and 2's
// XML, ActionScript 3's flash.xml): declarations and doctypes are handed on as text,
// comments are dropped, and a fault stops the reading with a status code while what
// was read so far stays. Both interpreters build their own nodes from what is found.

#include <string>

namespace quillon::engine {

// What the reader finds, in document order.
class XmlMarkupSink {
public:
    virtual ~XmlMarkupSink() = default;
    // An element opens inside the innermost open one (the document at first).
    virtual void element(const std::string& name) = 0;
    // An attribute of the element just opened; only the first of a name is given.
    virtual void attribute(const std::string& name, const std::string& value) = 0;
    // The innermost open element ends.
    virtual void close() = 0;
    // Text (references decoded) or a CDATA section (as written).
    virtual void text(const std::string& value) = 0;
    // "<?...?>" (doctype false) or "<!...>" (doctype true), whole.
    virtual void declaration(bool doctype, const std::string& markup) = 0;
};

enum XmlMarkupStatus {
    XmlMarkupOk = 0,
    XmlCdataOpen = -2,
    XmlDeclarationOpen = -3,
    XmlDoctypeOpen = -4,
    XmlCommentOpen = -5,
    XmlMalformed = -6,
    XmlAttributeOpen = -8,
    XmlElementOpen = -9,
    XmlEndWithoutStart = -10,
};

// Reads text into sink: the status the player reports, 0 when well formed. Elements
// nest at most maxDepth deep; deeper markup is malformed.
int ReadXmlMarkup(const std::string& text, bool ignoreWhite, int maxDepth, XmlMarkupSink& sink);

} // namespace quillon::engine
