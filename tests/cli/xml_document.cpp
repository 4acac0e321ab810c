#include "cli/xml_document.h"

#include <stdexcept>

namespace vorta::test {
namespace {

struct XmlFault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool isNameChar(char c) { return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void appendUtf8(std::string& out, unsigned long cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

class Parser {
public:
    explicit Parser(std::string_view doc) : d_(doc) {}

    std::unique_ptr<XmlElement> document() {
        if (starts("<?xml")) skipPast("?>", "the end of the XML declaration");
        std::unique_ptr<XmlElement> root;
        for (;;) {
            skipSpace();
            if (at_ >= d_.size()) break;
            if (starts("<!--")) {
                comment();
            } else if (starts("<!DOCTYPE")) {
                if (root) fail("a document type declaration after the root element");
                skipPast(">", "the end of the document type declaration");
            } else if (starts("<?")) {
                skipPast("?>", "the end of a processing instruction");
            } else if (d_[at_] == '<') {
                if (root) fail("a second root element");
                root = element();
            } else {
                fail("text outside the root element");
            }
        }
        if (!root) fail("no root element");
        return root;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        int line = 1;
        for (std::size_t i = 0; i < at_ && i < d_.size(); ++i) line += d_[i] == '\n' ? 1 : 0;
        throw XmlFault("line " + std::to_string(line) + ": " + what);
    }

    bool starts(std::string_view s) const { return d_.substr(at_, s.size()) == s; }

    void skipSpace() {
        while (at_ < d_.size() && isSpace(d_[at_])) ++at_;
    }

    void skipPast(std::string_view end, const std::string& what) {
        const std::size_t p = d_.find(end, at_);
        if (p == std::string_view::npos) fail("the document ends before " + what);
        at_ = p + end.size();
    }

    void comment() {
        at_ += 4;
        const std::size_t p = d_.find("--", at_);
        if (p == std::string_view::npos) fail("an unclosed comment");
        if (d_.substr(p, 3) != "-->") fail("\"--\" inside a comment");
        at_ = p + 3;
    }

    std::string name() {
        if (at_ >= d_.size() || !isNameStart(d_[at_])) fail("expected a name");
        const std::size_t start = at_;
        while (at_ < d_.size() && isNameChar(d_[at_])) ++at_;
        return std::string(d_.substr(start, at_ - start));
    }

    // Text up to `stop`, with entity and character references resolved.
    std::string characters(char stop) {
        std::string out;
        while (at_ < d_.size() && d_[at_] != stop) {
            const char c = d_[at_];
            if (c == '<') fail("\"<\" in text or an attribute value");
            if (c == '&') {
                const std::size_t semi = d_.find(';', at_);
                if (semi == std::string_view::npos || semi - at_ > 12) fail("an unterminated entity reference");
                const std::string_view ref = d_.substr(at_ + 1, semi - at_ - 1);
                if (ref == "amp") out += '&';
                else if (ref == "lt") out += '<';
                else if (ref == "gt") out += '>';
                else if (ref == "quot") out += '"';
                else if (ref == "apos") out += '\'';
                else if (ref.size() > 1 && ref[0] == '#') {
                    const bool hex = ref[1] == 'x';
                    const std::string digits(ref.substr(hex ? 2 : 1));
                    if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") !=
                                              std::string::npos) {
                        fail("a malformed character reference");
                    }
                    appendUtf8(out, std::stoul(digits, nullptr, hex ? 16 : 10));
                } else {
                    fail("an unknown entity &" + std::string(ref) + ";");
                }
                at_ = semi + 1;
                continue;
            }
            if (static_cast<unsigned char>(c) < 0x20 && !isSpace(c)) fail("a control character");
            out += c;
            ++at_;
        }
        return out;
    }

    std::unique_ptr<XmlElement> element() {
        ++at_;  // '<'
        auto e = std::make_unique<XmlElement>();
        e->name = name();
        for (;;) {
            const bool spaced = at_ < d_.size() && isSpace(d_[at_]);
            skipSpace();
            if (at_ >= d_.size()) fail("the document ends inside the tag <" + e->name + ">");
            if (starts("/>")) {
                at_ += 2;
                return e;
            }
            if (d_[at_] == '>') {
                ++at_;
                break;
            }
            if (!spaced) fail("expected a space before an attribute of <" + e->name + ">");
            const std::string key = name();
            skipSpace();
            if (at_ >= d_.size() || d_[at_] != '=') fail("expected \"=\" after the attribute " + key);
            ++at_;
            skipSpace();
            if (at_ >= d_.size() || (d_[at_] != '"' && d_[at_] != '\'')) fail("an unquoted value of " + key);
            const char quote = d_[at_++];
            std::string value = characters(quote);
            if (at_ >= d_.size()) fail("the document ends inside the value of " + key);
            ++at_;
            if (!e->attributes.emplace(key, std::move(value)).second) fail("the attribute " + key + " twice");
        }
        // Content up to the matching end tag.
        for (;;) {
            if (at_ >= d_.size()) fail("the element <" + e->name + "> is not closed");
            if (starts("</")) {
                at_ += 2;
                const std::string end = name();
                if (end != e->name) fail("</" + end + "> closes <" + e->name + ">");
                skipSpace();
                if (at_ >= d_.size() || d_[at_] != '>') fail("expected \">\" after </" + end);
                ++at_;
                return e;
            }
            if (starts("<!--")) {
                comment();
            } else if (starts("<![CDATA[")) {
                at_ += 9;
                const std::size_t p = d_.find("]]>", at_);
                if (p == std::string_view::npos) fail("an unclosed CDATA section");
                e->text += std::string(d_.substr(at_, p - at_));
                at_ = p + 3;
            } else if (d_[at_] == '<') {
                e->children.push_back(element());
            } else {
                e->text += characters('<');
            }
        }
    }

    std::string_view d_;
    std::size_t at_ = 0;
};

void collect(const XmlElement& e, std::string_view name, std::vector<const XmlElement*>& out) {
    for (const auto& c : e.children) {
        if (c->name == name) out.push_back(c.get());
        collect(*c, name, out);
    }
}

}  // namespace

const std::string* XmlElement::attribute(const std::string& key) const {
    const auto it = attributes.find(key);
    return it == attributes.end() ? nullptr : &it->second;
}

std::vector<const XmlElement*> XmlElement::descendants(std::string_view elementName) const {
    std::vector<const XmlElement*> out;
    collect(*this, elementName, out);
    return out;
}

std::string XmlElement::allText() const {
    std::string out = text;
    for (const auto& c : children) out += c->allText();
    return out;
}

XmlParse parseXml(std::string_view document) {
    XmlParse result;
    try {
        result.root = Parser(document).document();
    } catch (const XmlFault& e) {
        result.error = e.what();
        result.root.reset();
    }
    return result;
}

}  // namespace vorta::test
