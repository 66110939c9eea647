#pragma once

// Reading gumbo's elements: attributes as written, and what an element is.
#include <gumbo.h>

#include <string_view>

namespace formreader {

// An attribute's value, entities decoded; empty when absent.
inline std::string_view Attribute(const GumboElement& element, const char* name)
{
    const GumboAttribute* attribute = gumbo_get_attribute(&element.attributes, name);
    return attribute ? std::string_view(attribute->value) : std::string_view();
}

inline bool HasAttribute(const GumboElement& element, const char* name)
{
    return gumbo_get_attribute(&element.attributes, name) != nullptr;
}

inline bool IsHtml(const GumboNode* node, GumboTag tag)
{
    return node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == tag &&
        node->v.element.tag_namespace == GUMBO_NAMESPACE_HTML;
}

} // namespace formreader
