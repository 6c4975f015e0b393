#pragma once
#include <string>
#include <string_view>

#include "platform/foundation/Coding.h"
#include "platform/foundation/Value.h"

namespace plat {
class KeyedUnarchiver;
}

namespace zt {

// Kinds of frame-list entries ("FRAME_TYPE").
enum FrameType : int {
    FrameTypePicture = 0,
    FrameTypeCapturePlaceholder = 1,  // where newly captured frames go
    FrameTypeTitle = 2,
    FrameTypeCredits = 3,
    FrameTypeThemeCard = 4,
};

inline constexpr const char* kCapturePlaceholderFrameID = "RESERVED_PLACEHOLDER_CAPTURE";
inline constexpr const char* kTitleFrameID = "PLACEHOLDER_TITLE_SCREEN";
inline constexpr const char* kCreditsFrameID = "PLACEHOLDER_CREDITS_SCREEN";

// True for a "FRAME_ID" that can safely name files in a project folder:
// 1 to 128 letters, digits, "-" or "_". Identifiers from files and the
// pasteboard are outside input and must pass this before they name files.
bool isValidFrameID(std::string_view frameID);

// One entry of a project's frame list. It wraps the record dictionary
// {"FRAME_TYPE", "FRAME_ID", "UID"} without copying it, so a Frame made from
// a list entry shares the list's dictionary (which nobody changes in place).
// Archived (for the pasteboard) as {"FRAME_DATA": record}. Main queue.
class Frame : public plat::Coding {
public:
    // A new record of the type, with a new UID and the type's FRAME_ID
    // (the UID itself for pictures and theme cards).
    explicit Frame(int type);
    Frame(int type, std::string frameID);
    explicit Frame(plat::Dictionary record);
    static Frame initFrameWithDictonary(plat::Dictionary record) { return Frame(std::move(record)); }

    int type() const;  // 0 when absent or not a number
    std::string frameID() const;  // empty when absent or not a string
    std::string UID() const;
    // The record dictionary itself, not a copy.
    const plat::Dictionary& encode() const { return _record; }

    // A new Frame over a copy of the record with a new UID: the copy shows the same pictures.
    Frame copy() const;

    bool canCopy() const { return type() != FrameTypeCapturePlaceholder; }
    bool canHold() const { return type() != FrameTypeCapturePlaceholder; }
    bool canDelete() const { return type() != FrameTypeCapturePlaceholder; }
    bool canSelect() const { return type() != FrameTypeCapturePlaceholder; }
    bool canCapture() const { return type() != FrameTypeCapturePlaceholder; }
    bool canPaste() const { return true; }

    std::string classNameForCoder() const override { return "Frame"; }
    void encodeWithCoder(plat::KeyedArchiver& coder) const override;
    // The factory for keyed unarchivers: a record that is not a dictionary, or
    // whose FRAME_ID could not safely name a file, fails the archive.
    static std::shared_ptr<plat::Coding> initWithCoder(plat::KeyedUnarchiver& coder);

private:
    plat::Dictionary _record;
};

}  // namespace zt
