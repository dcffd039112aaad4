#include "text/SocketTable.h"

#include <fstream>
#include <sstream>

namespace text {

std::vector<SocketTableEntry> ReadSocketTable(const std::string& path)
{
    std::vector<SocketTableEntry> entries;
    std::ifstream table(path);
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        SocketTableEntry entry;
        std::string slot, queues, timer, retransmits;
        if (fields >> slot >> entry.local >> entry.remote >> entry.state >> queues >> timer
            >> retransmits >> entry.owner)
            entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace text
