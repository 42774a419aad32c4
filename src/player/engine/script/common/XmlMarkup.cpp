#include "player/engine/script/common/XmlMarkup.h"

#include "player/engine/script/common/XmlEntities.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace quillon::engine {

namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class Reader {
public:
    Reader(const std::string& text, bool ignoreWhite, int maxDepth, XmlMarkupSink& sink)
        : text_(text), ignoreWhite_(ignoreWhite), maxDepth_(maxDepth), sink_(sink) {}

    int run() {
        while (at_ < text_.size()) {
            const int status = text_[at_] == '<' ? markup() : textNode();
            if (status != XmlMarkupOk) {
                return status;
            }
        }
        return open_.empty() ? XmlMarkupOk : XmlElementOpen;
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

    int textNode() {
        std::size_t stop = text_.find('<', at_);
        stop = stop == std::string::npos ? text_.size() : stop;
        const std::string_view raw = std::string_view(text_).substr(at_, stop - at_);
        at_ = stop;
        if (!(ignoreWhite_ && std::all_of(raw.begin(), raw.end(), Blank))) {
            sink_.text(DecodeXmlEntities(raw));
        }
        return XmlMarkupOk;
    }

    int markup() {
        std::string body;
        if (startsWith("<!--")) {
            return until(4, "-->", body) ? XmlMarkupOk : XmlCommentOpen;
        }
        if (startsWith("<![CDATA[")) {
            if (!until(9, "]]>", body)) {
                return XmlCdataOpen;
            }
            sink_.text(body);
            return XmlMarkupOk;
        }
        if (startsWith("<?")) {
            return declaration(false, "?>", XmlDeclarationOpen);
        }
        if (startsWith("<!")) {
            return declaration(true, ">", XmlDoctypeOpen);
        }
        return startsWith("</") ? endTag() : startTag();
    }

    int declaration(bool doctype, std::string_view end, int fault) {
        const std::size_t start = at_;
        std::string body;
        if (!until(0, end, body)) {
            return fault;
        }
        sink_.declaration(doctype, text_.substr(start, at_ - start));
        return XmlMarkupOk;
    }

    int endTag() {
        std::string name;
        if (!until(2, ">", name)) {
            return XmlMalformed;
        }
        while (!name.empty() && Blank(name.back())) {
            name.pop_back();
        }
        if (open_.empty() || open_.back() != name) {
            return XmlEndWithoutStart;
        }
        open_.pop_back();
        sink_.close();
        return XmlMarkupOk;
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

    int attribute(std::vector<std::string>& seen) {
        std::string key = name();
        skipBlanks();
        if (key.empty() || at_ >= text_.size() || text_[at_] != '=') {
            return XmlMalformed;
        }
        ++at_;
        skipBlanks();
        if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) {
            return XmlMalformed;
        }
        std::string value;
        if (!until(1, std::string_view(&text_[at_], 1), value)) {
            return XmlAttributeOpen;
        }
        if (std::find(seen.begin(), seen.end(), key) == seen.end()) {
            sink_.attribute(key, DecodeXmlEntities(value));
            seen.push_back(std::move(key));
        }
        return XmlMarkupOk;
    }

    int startTag() {
        ++at_;
        std::string tag = name();
        if (tag.empty()) {
            return XmlMalformed;
        }
        sink_.element(tag);
        std::vector<std::string> seen;
        for (;;) {
            skipBlanks();
            if (at_ >= text_.size()) {
                return XmlElementOpen;
            }
            if (startsWith("/>")) {
                at_ += 2;
                sink_.close();
                return XmlMarkupOk;
            }
            if (text_[at_] == '>') {
                ++at_;
                if (static_cast<int>(open_.size()) >= maxDepth_) {
                    return XmlMalformed;
                }
                open_.push_back(std::move(tag));
                return XmlMarkupOk;
            }
            if (const int status = attribute(seen); status != XmlMarkupOk) {
                return status;
            }
        }
    }

    const std::string& text_;
    bool ignoreWhite_;
    int maxDepth_;
    XmlMarkupSink& sink_;
    std::size_t at_ = 0;
    std::vector<std::string> open_; // the names of the open elements
};

} // namespace

int ReadXmlMarkup(const std::string& text, bool ignoreWhite, int maxDepth, XmlMarkupSink& sink) {
    return Reader(text, ignoreWhite, maxDepth, sink).run();
}

} // namespace quillon::engine
