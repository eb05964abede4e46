// What the tool checks about the files it hands to the applet or writes itself, so that a file it
// cannot honour is named with the operating system's reason instead of passing without a word.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kestrel::tool {

class RemovedOnForcedStop;

// The most values a LUT file of the applet's table can give.
inline constexpr long long kMostLutElements = 4096;

// Why path is no LUT file the applet would take values from ("" when it is): unreadable, no
// "[gray]" section, no positive "nrOfElements" or one larger than a table, or fewer value lines in
// index order than it announces (the counts are named). The applet's reader never fails on
// content, so this is the tool's only chance to say so.
std::string lutFileProblem(const std::string& path);

// The text of errno after a failed call; "" when errno is 0.
std::string osReason(int error);

// Writes content to path, checking every write, the flush and the close. On failure returns the OS
// reason and removes what was written of a regular file (a device such as /dev/full stays). A
// dangling symbolic link is refused as one.
std::string writeWholeFile(const std::string& path, std::string_view content);

// An empty file of its own in the temporary directory, removed with the object: where the applet
// writes a file that the tool then copies to the user's name with every write checked (the
// applet's writers only report a file that cannot be created).
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& suffix);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return path_; }
    std::string content() const;

private:
    std::string path_;
    std::unique_ptr<RemovedOnForcedStop> inWork_; // a stop at once removes it too
};

} // namespace kestrel::tool
