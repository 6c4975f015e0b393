#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

namespace plat::detail {

// The bytes of an XML property list as libxml2 is given them. Mostly the
// list's own bytes; rewritten where the list relies on what our reader has
// always taken and XML does not:
// - A document type with an internal subset is blanked out (its line
//   ends kept, so libxml2's line numbers stay right): lists name no entities
//   of their own, so no declaration ever reaches libxml2 and nothing can
//   expand, and subsets that are not XML ('[ "]>" ]') are skipped as before.
// - Raw control characters and carriage returns in the text of elements
//   are kept as written (an earlier writer of ours put controls in
//   unescaped, and line ends in text are not normalised): a carriage return
//   becomes "&#13;", a control a private-use stand-in that
//   restoreRawCharacters turns back. In comments, instructions and
//   attribute values, which are dropped, a control becomes a space.
// Why the encoding the XML declaration names cannot be read, or nothing
// when it can. libxml2 decodes the text with that encoding, while the
// document type is blanked out of the bytes: only encodings in which every
// ASCII byte stands for itself (UTF-8 and the 8-bit ones) let the one see
// what the other reads. UTF-16 is left to libxml2: text really in UTF-16
// holds NUL bytes and is refused before this, and 8-bit text labelled
// UTF-16 libxml2 refuses itself.
std::optional<std::string> reasonToRefuseDeclaredEncoding(std::string_view text);

class XMLPropertyListInput {
public:
    // data must outlive this.
    explicit XMLPropertyListInput(const Data& data);

    // Rewrites the text for raw controls too, when the list has any and
    // they were not kept yet: false when there is nothing to rewrite.
    bool keepRawControls();

    std::string_view bytes() const { return _isRewritten ? std::string_view(_rewritten) : _original; }
    // Puts the raw controls back in the text of one element; returns how
    // many it put back.
    size_t restoreRawCharacters(std::string& text) const;
    // How many stand-ins the rewriting put in. When the elements gave back
    // another count, the list itself held the stand-in characters and its
    // text cannot be told apart from ours.
    size_t standInCount() const { return _standIns; }

private:
    void blankDocumentType();
    void keepRawCharactersInText();

    std::string_view _original;
    std::string _rewritten;
    bool _isRewritten = false;
    bool _keepsRawCharacters = false;
    size_t _standIns = 0;
};

}  // namespace plat::detail
