#pragma once

#include <string>

namespace tolvane {

// The program's one text file writer. Writes sText and one CR LF, in the system's ANSI code
// page, replacing the file (Overwrite true) or appending to it. True when the whole text reached
// the disk; false on any failure, never a message and never an exception.
class TextFileWriter {
public:
    virtual ~TextFileWriter() = default;
    virtual bool SaveTextToFile(const std::string& FileFullPath, const std::string& sText,
                                bool Overwrite) = 0;
};

} // namespace tolvane
