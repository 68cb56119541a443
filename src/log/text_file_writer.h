#pragma once

#include <string>

namespace tolvane {

// The program's one text file writer. Writes text and one CR LF, in the system's ANSI code
// page, replacing the file (overwrite true) or appending to it. True when the whole text reached
// the disk; false on any failure, never a message and never an exception. On a failure, reason
// (when given) receives the system's description of why.
class TextFileWriter {
public:
    virtual ~TextFileWriter() = default;
    virtual bool SaveTextToFile(const std::string& filePath, const std::string& text,
                                bool overwrite, std::string* reason = nullptr) = 0;
};

} // namespace tolvane
