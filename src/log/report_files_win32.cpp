#include "log/report_files_win32.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "log/text_file_writer_win32.h"
#include "platform/win32_util.h"

namespace tolvane {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr DWORD kChunk = 1u << 20;

std::string Reason(DWORD error) {
    return win32::ErrorText(error);
}

} // namespace

bool Win32ReportFiles::OpenStore(std::string& reason) {
    if (store_) {
        return true;
    }
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"tvr", 0, name) == 0) {
        reason = Reason(GetLastError());
        return false;
    }
    store_.Reset(CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                             nullptr));
    if (!store_) {
        reason = Reason(GetLastError());
        DeleteFileW(name);
        return false;
    }
    return true;
}

bool Win32ReportFiles::Keep(std::string_view report, std::string& reason) {
    if (!OpenStore(reason)) {
        return false;
    }
    LARGE_INTEGER end{};
    if (!SetFilePointerEx(store_.Get(), LARGE_INTEGER{}, &end, FILE_END)) {
        reason = Reason(GetLastError());
        return false;
    }
    while (!report.empty()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(report.size(), kChunk));
        if (!WriteFile(store_.Get(), report.data(), chunk, &written, nullptr) || written == 0) {
            reason = Reason(written == 0 ? ERROR_WRITE_FAULT : GetLastError());
            // What was added is taken back, so the store holds whole reports only.
            SetFilePointerEx(store_.Get(), end, nullptr, FILE_BEGIN);
            SetEndOfFile(store_.Get());
            return false;
        }
        report.remove_prefix(written);
    }
    return true;
}

bool Win32ReportFiles::WriteAll(const std::string& path, std::string& reason) {
    std::string bytes(kByteOrderMark);
    if (store_) {
        if (!SetFilePointerEx(store_.Get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN)) {
            reason = Reason(GetLastError());
            return false;
        }
        std::vector<char> chunk(kChunk);
        DWORD read = 0;
        while (ReadFile(store_.Get(), chunk.data(), kChunk, &read, nullptr) && read > 0) {
            bytes.append(chunk.data(), read);
        }
    }
    return WriteFileBytes(path, bytes, true, reason);
}

bool Win32ReportFiles::Append(const std::string& path, std::string_view report,
                              std::string& reason) {
    const std::wstring target = win32::ExtendedFullPath(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const bool empty = !GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data) ||
                       (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0);
    std::string bytes = empty ? std::string(kByteOrderMark) : std::string();
    bytes += report;
    return WriteFileBytes(path, bytes, false, reason);
}

} // namespace tolvane
