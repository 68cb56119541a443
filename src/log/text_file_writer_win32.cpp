#include "log/text_file_writer_win32.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <string_view>
#include <vector>

#include "log/text_file_paths.h"
#include "platform/win32_util.h"

namespace tolvane {
namespace {

using win32::ScopedHandle;

constexpr std::uint32_t kTemporaryNameAttempts = 16;
constexpr DWORD kLargestWrite = 1u << 30;

// text as the file holds it: ANSI code page bytes and one CR LF. False when the text cannot be
// converted at all (too long for the conversion calls).
bool AnsiFileBytes(const std::string& text, std::string& bytes) {
    bytes.clear();
    if (!text.empty()) {
        if (text.size() > static_cast<std::size_t>(INT_MAX)) {
            return false;
        }
        const std::wstring wide = win32::Widen(text);
        const int wideSize = static_cast<int>(wide.size());
        if (wideSize == 0) {
            return false;
        }

        // Best-fit would write lookalikes ("l" for an l with stroke, a real backslash or quote for
        // their fullwidth forms), which can change what a batch file does. A UTF-8 system code page
        // takes no such flag, and needs none.
        const UINT codePage = GetACP();
        const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
        const int size = WideCharToMultiByte(codePage, flags, wide.data(), wideSize, nullptr, 0,
                                             nullptr, nullptr);
        if (size <= 0) {
            return false;
        }
        bytes.resize(static_cast<std::size_t>(size));
        WideCharToMultiByte(codePage, flags, wide.data(), wideSize, bytes.data(), size, nullptr,
                            nullptr);
    }
    bytes += "\r\n";
    return true;
}

// The absolute form of path, resolved against the current folder, in the "\\?\" form; empty
// when there is none.
std::wstring ResolvedPath(const std::string& path) {
    const std::wstring wide = win32::Widen(path);
    // A NUL inside the name would silently cut it short and name another file.
    if (wide.empty() || wide.find(L'\0') != std::wstring::npos) {
        return {};
    }
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()),
                                              buffer.data(), nullptr);
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return win32::Widen(
                ExtendedLengthPath(win32::Narrow(std::wstring_view(buffer.data(), length))));
        }
        buffer.resize(length);
    }
}

// Windows refuses to replace or extend a read-only file, but Wine maps the attribute to Unix
// permissions that do not bind root, so the attribute is checked here. A folder is refused
// before any temporary file is made for it.
bool IsProtectedTarget(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0;
}

// Writes all of bytes, or stops short (as on a full disk) after stopAfter bytes when set.
bool WriteBytes(HANDLE file, std::string_view bytes, std::optional<std::uint64_t> stopAfter) {
    const bool stopsShort = stopAfter && *stopAfter < bytes.size();
    std::string_view rest =
        stopsShort ? bytes.substr(0, static_cast<std::size_t>(*stopAfter)) : bytes;
    while (!rest.empty()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(rest.size(), kLargestWrite));
        if (!WriteFile(file, rest.data(), chunk, &written, nullptr) || written == 0) {
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

std::optional<PendingFile> CreateTemporaryBeside(const std::wstring& target) {
    const std::string narrowTarget = win32::Narrow(target);
    for (std::uint32_t attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        const std::string name = TemporaryPathBeside(narrowTarget, GetCurrentProcessId(), attempt);
        if (name.empty()) {
            return std::nullopt;
        }
        std::wstring path = win32::Widen(name);
        ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            return std::optional<PendingFile>(std::in_place, std::move(path), std::move(file));
        }
        // A name left behind by an earlier process with the same id: take the next one.
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool ReplaceFileContents(const std::wstring& target, std::string_view bytes,
                         std::optional<std::uint64_t> stopAfter) {
    std::optional<PendingFile> temporary = CreateTemporaryBeside(target);
    if (!temporary) {
        return false;
    }
    if (!WriteBytes(temporary->Handle(), bytes, stopAfter) ||
        !FlushFileBuffers(temporary->Handle()) || !temporary->Close()) {
        return false;
    }
    if (!MoveFileExW(temporary->Path().c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    temporary->Keep();
    return true;
}

bool AppendToFile(const std::wstring& target, std::string_view bytes,
                  std::optional<std::uint64_t> stopAfter) {
    ScopedHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    LARGE_INTEGER oldEnd{};
    const bool atEnd = SetFilePointerEx(file.Get(), LARGE_INTEGER{}, &oldEnd, FILE_END) != 0;
    if (atEnd && WriteBytes(file.Get(), bytes, stopAfter) && FlushFileBuffers(file.Get())) {
        return CloseHandle(file.Release()) != 0;
    }
    // Take back what was added, so the file is as it was before the call.
    if (created) {
        file.Reset();
        DeleteFileW(target.c_str());
    } else if (atEnd && SetFilePointerEx(file.Get(), oldEnd, nullptr, FILE_BEGIN)) {
        SetEndOfFile(file.Get());
        FlushFileBuffers(file.Get());
    }
    return false;
}

} // namespace

bool Win32TextFileWriter::SaveTextToFile(const std::string& filePath, const std::string& text,
                                         bool overwrite, std::string* /*reason*/) {
    try {
        std::string bytes;
        if (!AnsiFileBytes(text, bytes)) {
            return false;
        }
        const std::wstring target = ResolvedPath(filePath);
        if (target.empty() || IsProtectedTarget(target)) {
            return false;
        }
        std::optional<std::uint64_t> stopAfter;
        if (failure_) {
            stopAfter = failure_->AfterBytes;
        }
        return overwrite ? ReplaceFileContents(target, bytes, stopAfter)
                         : AppendToFile(target, bytes, stopAfter);
    } catch (...) {
        return false;
    }
}

} // namespace tolvane
