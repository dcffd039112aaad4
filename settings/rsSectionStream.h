// The section stream format: a section's subsections and keys, recursively,
// as counted names and typed payloads (little-endian).
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

class TrsKeyTree;

// Writes a section of a tree to a stream and fills one from a stream.
class TrsSectionStream {
public:
    explicit TrsSectionStream(TrsKeyTree& tree) : tree_(tree) { }

    // A path that names no section writes nothing.
    void Save(std::string_view path, std::ostream& stream);
    // Replaces the contents of the section, which is made when missing; a
    // damaged stream raises after the part read so far has been stored.
    void Load(std::string_view path, std::istream& stream);

private:
    void AppendContents(std::string& bytes, int sectionId, std::string_view path) const;
    bool TakeContents(std::string_view& bytes, int sectionId);
    void ChildRange(int parentId, int& first, int& count) const;

    TrsKeyTree& tree_;
};
