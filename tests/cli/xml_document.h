// A small, strict XML parser for the tests of the chart pages: elements, attributes, text,
// comments, the XML declaration and a document type declaration. It refuses what a conforming
// parser refuses in such documents (unclosed or mismatched tags, unquoted or repeated attributes,
// a bare "&" or "<" in text, unknown entities, more than one root element) and says where.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorta::test {

struct XmlElement {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::vector<std::unique_ptr<XmlElement>> children;
    std::string text;  // all text directly inside the element, entities resolved

    const std::string* attribute(const std::string& key) const;
    // Every descendant element (not the element itself) with this name, in document order.
    std::vector<const XmlElement*> descendants(std::string_view elementName) const;
    // All text inside the element and its descendants.
    std::string allText() const;
};

struct XmlParse {
    std::unique_ptr<XmlElement> root;  // empty when the document is not well formed
    std::string error;                 // what is wrong, and the line
};

XmlParse parseXml(std::string_view document);

}  // namespace vorta::test
