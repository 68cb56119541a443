#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "log/text_file_writer.h"

namespace tolvane {

// A text converted to a file's bytes in a code page (without the final CR LF), kept so that a
// text grown from it converts only its new part.
struct ConvertedText {
    std::string Text;
    std::string Bytes;
    unsigned CodePage = 0;
};

// Writes through the wide file calls. Replacing goes through a temporary file beside the target
// that is flushed and then moved over it, so a failure at any point leaves the old file as it
// was; a failed append takes back what it added. A read-only target is refused in both modes.
// A target that another program holds open without sharing its deletion cannot be moved over:
// it is written over in place instead. A failure's reason is the system's text for its error.
//
// Text is converted from UTF-8 to the ANSI code page; a character the code page lacks becomes
// its default character ("?" in the Western code pages), never a best-fit lookalike, and an
// invalid UTF-8 sequence becomes that default character too.
class Win32TextFileWriter : public TextFileWriter {
public:
    // Lets a test stop the file write short, as a full disk does, once this many bytes of the
    // new content have reached the file.
    struct InjectedWriteFailure {
        std::uint64_t AfterBytes = 0;
    };

    Win32TextFileWriter() = default;
    explicit Win32TextFileWriter(InjectedWriteFailure failure) : failure_(failure) {}

    bool SaveTextToFile(const std::string& filePath, const std::string& text, bool overwrite,
                        std::string* reason = nullptr) override;

private:
    std::optional<InjectedWriteFailure> failure_;
    ConvertedText converted_;
};

// Writes bytes as they are, replacing the file as SaveTextToFile does (overwrite true) or adding
// them at its end; false and the system's reason on any failure, never an exception.
bool WriteFileBytes(const std::string& filePath, std::string_view bytes, bool overwrite,
                    std::string& reason);

// The file's bytes as they are; as far as they could be read, nothing when it cannot be opened.
std::string ReadFileBytes(const std::string& filePath);

} // namespace tolvane
