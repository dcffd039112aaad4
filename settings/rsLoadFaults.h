// What a load met in a settings file that it could not use. Only the fault of
// the lowest line is kept with its text, and the others are counted, so that
// one message can name the first and say how many more there are, however
// damaged the file.
#pragma once

#include <string>
#include <string_view>

struct TrsLoadFault {
    // The line in the file, counted from 1; 0 stands for the file as a whole.
    int Line = 0;
    // What was met and what became of it: "'abc' is not a valid integer
    // value for Width; the default is used".
    std::string Text;
};

class TrsLoadFaults {
public:
    void Add(int line, std::string text);
    void Clear();
    bool Empty() const { return count_ == 0; }
    int Count() const { return count_; }
    const TrsLoadFault& First() const { return first_; }
    // "Tornalo.ini, line 7: <text>." followed, when there are more faults,
    // by how many more lines could not be used.
    std::string Summary(std::string_view fileName) const;

private:
    TrsLoadFault first_;
    int count_ = 0;
};
