// Writes the blocks of a reply to its output file in large pieces: blocks
// are gathered until a few hundred kilobytes are there, then written in whole
// multiples of the file system's preferred size, so that one system call
// covers many blocks and whole pages. Internal to the HTTP request component.
#pragma once

#include <QFileDevice>
#include <cstddef>
#include <memory>

class GatheringFileWriter {
public:
    // Starts afresh for the file; nothing gathered so far is kept. Without
    // it, every block is written as it comes.
    void Start(QFileDevice& file);
    // False when the file refused bytes.
    bool Write(QIODevice& file, const char* data, std::size_t size);
    bool Flush(QIODevice& file);

private:
    bool WriteOut(QIODevice& file, std::size_t count);

    std::unique_ptr<char[]> bytes_;
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
    std::size_t unit_ = 4096;
};
