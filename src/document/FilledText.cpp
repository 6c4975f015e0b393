#include "document/FilledText.h"

namespace zt {

std::string filledText(std::string text, std::initializer_list<std::string> values)
{
    size_t from = 0;
    for (const std::string& value : values) {
        size_t at = text.find('%', from);
        while (at != std::string::npos && (at + 1 >= text.size() || (text[at + 1] != '@' && text[at + 1] != 'd')))
            at = text.find('%', at + 1);
        if (at == std::string::npos)
            break;
        text.replace(at, 2, value);
        from = at + value.size();  // a value holding "%@" is not filled again
    }
    return text;
}

}  // namespace zt
