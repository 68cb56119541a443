#include "log/text_file_writer_win32.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <string_view>

#include "log/text_file_paths.h"
#include "platform/win32_util.h"

namespace tolvane {
namespace {

using win32::ScopedHandle;

constexpr std::uint32_t kTemporaryNameAttempts = 16;
constexpr DWORD kLargestWrite = 1u << 30;

// text converted to the ANSI code page, added to bytes; the error when it cannot be converted.
DWORD AppendAnsiBytes(std::string_view text, UINT codePage, std::string& bytes) {
    if (text.empty()) {
        return ERROR_SUCCESS;
    }
    const std::wstring wide = win32::Widen(text);
    const int wideSize = static_cast<int>(wide.size());
    if (wideSize == 0) {
        return ERROR_NO_UNICODE_TRANSLATION;
    }
    // Best-fit would write lookalikes ("l" for an l with stroke, a real backslash or quote for
    // their fullwidth forms), which can change what a batch file does. A UTF-8 system code page
    // takes no such flag, and needs none.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size =
        WideCharToMultiByte(codePage, flags, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return GetLastError();
    }
    const std::size_t start = bytes.size();
    bytes.resize(start + static_cast<std::size_t>(size));
    WideCharToMultiByte(codePage, flags, wide.data(), wideSize, bytes.data() + start, size, nullptr,
                        nullptr);
    return ERROR_SUCCESS;
}

// Windows refuses to replace or extend a read-only file, but Wine maps the attribute to Unix
// permissions that do not bind root, so the attribute is checked here and refused in the words
// Windows uses for it. A folder is refused before any temporary file is made for it.
DWORD ProtectedTargetError(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool refused = attributes != INVALID_FILE_ATTRIBUTES &&
                         (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0;
    return refused ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

// Writes all of bytes, or stops short (as on a full disk) after stopAfter bytes when set. The
// last error tells why it stopped.
bool WriteBytes(HANDLE file, std::string_view bytes, std::optional<std::uint64_t> stopAfter) {
    const bool stopsShort = stopAfter && *stopAfter < bytes.size();
    std::string_view rest =
        stopsShort ? bytes.substr(0, static_cast<std::size_t>(*stopAfter)) : bytes;
    while (!rest.empty()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(rest.size(), kLargestWrite));
        if (!WriteFile(file, rest.data(), chunk, &written, nullptr)) {
            return false;
        }
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        rest.remove_prefix(written);
    }
    if (stopsShort) {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    return true;
}

// A temporary file being written; deleted when it goes out of scope before Keep.
class PendingFile {
public:
    PendingFile(std::wstring path, ScopedHandle file)
        : path_(std::move(path)), file_(std::move(file)) {}
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() {
        file_.Reset();
        if (!kept_) {
            DeleteFileW(path_.c_str());
        }
    }

    const std::wstring& Path() const { return path_; }
    HANDLE Handle() const { return file_.Get(); }
    bool Close() { return CloseHandle(file_.Release()) != 0; }
    void Keep() { kept_ = true; }

private:
    std::wstring path_;
    ScopedHandle file_;
    bool kept_ = false;
};

std::optional<PendingFile> CreateTemporaryBeside(const std::wstring& target, DWORD& error) {
    const std::string narrowTarget = win32::Narrow(target);
    error = ERROR_FILE_EXISTS; // when every name is taken
    for (std::uint32_t attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        const std::string name = TemporaryPathBeside(narrowTarget, GetCurrentProcessId(), attempt);
        if (name.empty()) {
            error = ERROR_INVALID_NAME;
            return std::nullopt;
        }
        std::wstring path = win32::Widen(name);
        ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            return std::optional<PendingFile>(std::in_place, std::move(path), std::move(file));
        }
        // A name left behind by an earlier process with the same id: take the next one.
        error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Writes over the file from its start, then cuts off what is left of the old text. A new text
// that begins with the old one, as a growing log's does, leaves the old text whole even when the
// write stops short.
DWORD RewriteInPlace(const std::wstring& target, std::string_view bytes,
                     std::optional<std::uint64_t> stopAfter) {
    ScopedHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !WriteBytes(file.Get(), bytes, stopAfter) || !SetEndOfFile(file.Get()) ||
        !FlushFileBuffers(file.Get())) {
        return GetLastError();
    }
    return CloseHandle(file.Release()) ? ERROR_SUCCESS : GetLastError();
}

DWORD ReplaceFileContents(const std::wstring& target, std::string_view bytes,
                          std::optional<std::uint64_t> stopAfter) {
    DWORD error = ERROR_SUCCESS;
    std::optional<PendingFile> temporary = CreateTemporaryBeside(target, error);
    if (!temporary) {
        return error;
    }
    if (!WriteBytes(temporary->Handle(), bytes, stopAfter) ||
        !FlushFileBuffers(temporary->Handle()) || !temporary->Close()) {
        return GetLastError();
    }
    if (MoveFileExW(temporary->Path().c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        temporary->Keep();
        return ERROR_SUCCESS;
    }
    // A reader holding the log open without sharing its deletion (a viewer that follows it)
    // stops every move over it, which Windows and Wine report in either of these words. Auto
    // Save would then stop for good: the file is written in place instead.
    error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) {
        return RewriteInPlace(target, bytes, stopAfter);
    }
    return error;
}

DWORD AppendToFile(const std::wstring& target, std::string_view bytes,
                   std::optional<std::uint64_t> stopAfter) {
    ScopedHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return GetLastError();
    }
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    LARGE_INTEGER oldEnd{};
    const bool atEnd = SetFilePointerEx(file.Get(), LARGE_INTEGER{}, &oldEnd, FILE_END) != 0;
    if (atEnd && WriteBytes(file.Get(), bytes, stopAfter) && FlushFileBuffers(file.Get())) {
        return CloseHandle(file.Release()) ? ERROR_SUCCESS : GetLastError();
    }
    const DWORD error = GetLastError();
    // Take back what was added, so the file is as it was before the call.
    if (created) {
        file.Reset();
        DeleteFileW(target.c_str());
    } else if (atEnd && SetFilePointerEx(file.Get(), oldEnd, nullptr, FILE_BEGIN)) {
        SetEndOfFile(file.Get());
        FlushFileBuffers(file.Get());
    }
    return error;
}

DWORD WriteBytesTo(const std::string& filePath, std::string_view bytes, bool overwrite,
                   std::optional<std::uint64_t> stopAfter) {
    const std::wstring target = win32::ExtendedFullPath(filePath);
    if (target.empty()) {
        return ERROR_INVALID_NAME;
    }
    if (const DWORD error = ProtectedTargetError(target); error != ERROR_SUCCESS) {
        return error;
    }
    return overwrite ? ReplaceFileContents(target, bytes, stopAfter)
                     : AppendToFile(target, bytes, stopAfter);
}

// text as the file holds it: ANSI code page bytes and one CR LF, or the conversion's error.
// A text that begins with the one converted last, which ends in a plain ASCII character (so on a
// whole character), has only its new part converted: a log that grows by an entry costs each save
// the same, however long it is.
DWORD FileBytes(const std::string& text, ConvertedText& converted, std::string& bytes) {
    if (text.size() > static_cast<std::size_t>(INT_MAX)) {
        return ERROR_FILE_TOO_LARGE;
    }
    const UINT codePage = GetACP();
    const bool grown = codePage == converted.CodePage && !converted.Text.empty() &&
                       static_cast<unsigned char>(converted.Text.back()) < 0x80 &&
                       text.starts_with(converted.Text);
    if (!grown) {
        converted.Text.clear();
        converted.Bytes.clear();
    }
    converted.CodePage = codePage;
    const DWORD error = AppendAnsiBytes(std::string_view(text).substr(converted.Text.size()),
                                        codePage, converted.Bytes);
    if (error != ERROR_SUCCESS) {
        converted.Text.clear();
        converted.Bytes.clear();
        return error;
    }
    converted.Text.append(text, converted.Text.size());
    bytes.reserve(converted.Bytes.size() + 2);
    bytes = converted.Bytes;
    bytes += "\r\n";
    return ERROR_SUCCESS;
}

} // namespace

bool WriteFileBytes(const std::string& filePath, std::string_view bytes, bool overwrite,
                    std::string& reason) {
    try {
        const DWORD error = WriteBytesTo(filePath, bytes, overwrite, std::nullopt);
        reason = error != ERROR_SUCCESS ? win32::ErrorText(error) : std::string();
        return error == ERROR_SUCCESS;
    } catch (...) {
        return false;
    }
}

std::string ReadFileBytes(const std::string& filePath) {
    win32::ScopedHandle file(CreateFileW(win32::ExtendedFullPath(filePath).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (file && ReadFile(file.Get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    return bytes;
}

bool Win32TextFileWriter::SaveTextToFile(const std::string& filePath, const std::string& text,
                                         bool overwrite, std::string* reason) {
    try {
        std::optional<std::uint64_t> stopAfter;
        if (failure_) {
            stopAfter = failure_->AfterBytes;
        }
        std::string bytes;
        DWORD error = FileBytes(text, converted_, bytes);
        if (error == ERROR_SUCCESS) {
            error = WriteBytesTo(filePath, bytes, overwrite, stopAfter);
        }
        if (error != ERROR_SUCCESS && reason != nullptr) {
            *reason = win32::ErrorText(error);
        }
        return error == ERROR_SUCCESS;
    } catch (...) {
        // Out of memory: not even the reason can be written then.
        converted_ = {};
        return false;
    }
}

} // namespace tolvane
