#pragma once
#include <optional>
#include <string>

#include "document/FrameFiles.h"
#include "platform/foundation/Result.h"

namespace zt {

// One frame's files (FrameFiles' names) as they were before a change of
// the frame that writes several of them (a painting: its strokes, layers
// and pictures), kept on disk until the change is whole, so that a change
// that cannot be finished puts every file back as it was, and so does the
// next start after a run killed half way. The files are kept as second
// names in a hidden folder beside them (".frame-ID.before"), which appears
// whole before the change writes anything; every write puts a new file in
// place, so the kept names go on holding what was. Any thread; one
// snapshot of a frame at a time.
class FrameFilesSnapshot {
public:
    // Fails when the folder cannot be listed or the files cannot be kept
    // (then nothing of them is left behind). A snapshot that an earlier
    // change left is put back first.
    static plat::Result<FrameFilesSnapshot> take(const std::string& folder, const std::string& frameID);

    // The change is whole: the kept files are let go. A snapshot neither
    // restored nor released is released when it goes.
    void release();
    // Removes the frame's files made since and writes back those changed
    // or removed, going on past a file that cannot be put back. The kept
    // files are let go when every one was put back, and otherwise stay for
    // the next start to try again.
    [[nodiscard]] FrameFilesReport restore();

    // At start, before anything writes: puts back the frames in the folder
    // whose change a killed run left unfinished.
    static void restoreUnfinishedChanges(const std::string& folder);

    FrameFilesSnapshot(FrameFilesSnapshot&& other) noexcept;
    FrameFilesSnapshot& operator=(FrameFilesSnapshot&& other) noexcept;
    FrameFilesSnapshot(const FrameFilesSnapshot&) = delete;
    FrameFilesSnapshot& operator=(const FrameFilesSnapshot&) = delete;
    ~FrameFilesSnapshot();

private:
    FrameFilesSnapshot(std::string folder, std::string frameID);

    std::string _folder;
    std::string _frameID;
    bool _held = false;  // the kept folder is this snapshot's to restore or let go
};

}  // namespace zt
