#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/Frame.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace zt {

// The play order of a project: record dictionaries in an array, stored as
// "frames.meta". A hold is a run of neighbouring entries that share a
// FRAME_ID. A list that was just made or loaded holds at least one capture
// placeholder. Indexes are signed 64-bit; a search that finds nothing gives
// plat::kNotFound. Main queue.
class FrameList {
public:
    FrameList();  // one capture placeholder
    // Reads "frames.meta" bytes (any property-list format). Entries that are
    // not records or whose FRAME_ID could not safely name a file are dropped;
    // unreadable data gives a list with only the placeholder.
    explicit FrameList(const plat::Data& data);
    // The records in order (a repaired list), checked as stored entries are.
    explicit FrameList(const std::vector<plat::Dictionary>& records);

    // True when the data given to the constructor could not be read whole
    // (unreadable, or entries dropped): its owner keeps a copy before replacing it.
    bool wasDamaged() const { return _wasDamaged; }

    // The "frames.meta" bytes: an XML property list.
    plat::Result<plat::Data> getFrameListRepresentationData() const;

    int64_t count() const { return static_cast<int64_t>(_entries.size()); }
    std::optional<std::string> getFrameIDAtIndex(int64_t index) const;
    std::optional<Frame> getFrameAtIndex(int64_t index) const;

    void addFrame(const Frame& frame);
    // Before the entry at index; appends when index >= count; ignores index < 0.
    void insertFrame(const Frame& frame, int64_t index);
    void removeFrameAtIndex(int64_t index);
    void removeFrameWithFrameType(int type);

    int64_t findFirstOccurrenceOfFrameWithType(int type) const;
    int64_t findLastOccurrenceOfFrameWithType(int type) const;
    int64_t getCaptureIndex() const { return findFirstOccurrenceOfFrameWithType(FrameTypeCapturePlaceholder); }
    bool containsFrameWithFrameID(const std::string& frameID) const;
    int64_t getIndexForFrame(const Frame& frame) const { return getIndexOfFrameWithUID(frame.UID()); }
    int64_t getIndexOfFrameWithUID(const std::string& uid) const;

    // The movie shows every entry but the capture placeholder, wherever it
    // stands. An entry's place among the movie's frames (the placeholder's
    // is that of the entry after it), and the entry at a place of the movie;
    // both go on counting past either end of the list.
    int64_t getMovieIndexForIndex(int64_t index) const;
    int64_t getIndexForMovieIndex(int64_t movieIndex) const;
    // The entry the movie shows for index: the entry itself, or for the
    // placeholder the entry before it (after it when it comes first);
    // plat::kNotFound outside the list and when the movie shows nothing.
    int64_t getShownIndexForIndex(int64_t index) const;

    // Frames of the range, clipped to the list; an empty or out-of-list range gives none.
    std::vector<Frame> subarrayWithRange(int64_t location, int64_t length) const;

    // Length of the run of equal FRAME_IDs around index; 1 outside the list.
    int64_t getHoldTimeForFrameAtIndex(int64_t index) const;
    // Makes the frame's run `times` entries long (at least 1): removes entries
    // before the run's last one, or inserts copies (new UIDs) after it.
    void setHoldForFrame(const Frame& frame, int64_t times);

    int64_t frameIndexAtPlayhead() const { return _frameIndexAtPlayhead; }
    void setFrameIndexAtPlayhead(int64_t index) { _frameIndexAtPlayhead = index; }

    // Enumeration yields a new Frame per entry, in order.
    class Iterator {
    public:
        Iterator(const FrameList* list, size_t index)
            : _list(list)
            , _index(index)
        {
        }
        Frame operator*() const { return Frame(_list->_entries[_index]); }
        Iterator& operator++()
        {
            ++_index;
            return *this;
        }
        friend bool operator==(const Iterator&, const Iterator&) = default;

    private:
        const FrameList* _list;
        size_t _index;
    };
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, _entries.size()); }

private:
    bool isInside(int64_t index) const { return index >= 0 && index < count(); }
    std::string frameIDAt(size_t index) const;
    int typeAt(size_t index) const;
    int64_t lastIndexOfRunFrom(int64_t index) const;
    // Takes the records that can name files, then makes sure of a placeholder.
    void adoptRecords(const std::vector<plat::Dictionary>& records);

    std::vector<plat::Dictionary> _entries;
    int64_t _frameIndexAtPlayhead = 0;
    bool _wasDamaged = false;
};

}  // namespace zt
