#pragma once
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace zt {

// Whether the full pictures of a project's frames (the pictures exports are
// made of) can be read. A picture's file is looked at (a JPEG's header and
// end, other pictures decoded) once per state of the file: showing the frame again costs a file status only,
// and a file written anew is checked anew. Shared by the screens holding one
// project handle. Any thread.
class FramePictureChecks {
public:
    // False for a missing file too.
    bool canReadPictureFile(const std::string& path);

private:
    // A file written anew (our writes replace the file) has another inode or time.
    struct FileState {
        uint64_t device = 0;
        uint64_t inode = 0;
        int64_t size = 0;
        int64_t modifiedSeconds = 0;
        int64_t modifiedNanoseconds = 0;
        friend bool operator==(const FileState&, const FileState&) = default;
    };
    struct Verdict {
        FileState state;
        bool readable = false;
    };

    std::mutex _lock;
    std::map<std::string, Verdict> _verdicts;  // by path; guarded by _lock
};

}  // namespace zt
