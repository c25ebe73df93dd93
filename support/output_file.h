#pragma once

#include "support/byte_sink.h"
#include "support/cwstr.h"
#include "support/non_copyable.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A file replaced whole or not at all: the new version is written under a
// name of its own in the target's folder and moved over the target only by
// commit(), once it is complete and on the disk. Any end before that removes
// it and leaves an earlier file as it was. Targets that are not regular files
// (a device, a FIFO, standard output) are written directly, and so is a
// writable file in a folder that takes no new file: the one case in which an
// earlier file cannot be protected, and even then it is cut short only when
// the first block goes out. Links are followed to the file they name. Writes
// are collected and go out in blocks.
class OutputFile final : public ByteSink, NonCopyable {
public:
    // The path that names standard output, as converters take "-".
    static constexpr char16_t kStandardOutput[] = u"-";

    OutputFile() = default;
    ~OutputFile() { close(); }

    // False when the target cannot take the file: a folder, a file that
    // cannot be opened for writing, a missing folder. A new file gets
    // `newFileMode` less the umask (POSIX); a replaced one keeps the target's
    // permission bits.
    bool create(const CWStr& path, uint32_t newFileMode = 0666);
    // False once any write failed; nothing more is written then.
    bool write(const void* data, uint32_t size) override;
    // Writes what is left, forces it to the disk and puts the file in its
    // place; false if anything failed, and then an earlier file is untouched.
    bool commit();
    // Abandons the file: nothing more is written and nothing replaced.
    void close();
    bool isOpen() const { return handle != kInvalid; }

    // Whether create() would take `path`, found out without harm: an earlier
    // file is not touched, and a device or FIFO is not even opened (opening
    // a FIFO would wait for its reader).
    static bool accepts(const CWStr& path);

private:
    static constexpr intptr_t kInvalid = -1;

    // Platform backends. writeThrough() and syncAndPlace() first cut the
    // target short if that is still pending; syncAndPlace() closes the file
    // and leaves nothing for release() once the file is in its place;
    // release() closes and removes a file that never got there.
    bool open(const CWStr& path, uint32_t newFileMode);
    bool writeThrough(const char* data, size_t size);
    bool syncAndPlace();
    void release();

    bool flush();

    intptr_t handle = kInvalid;
    // The file written, the file it replaces at commit (empty when the
    // target itself is written), and whether the target must be cut short
    // before the first block.
    CWStr writtenPath;
    CWStr replacedPath;
    bool truncatePending = false;
    std::vector<char> pending;
    bool failed = false;
};
