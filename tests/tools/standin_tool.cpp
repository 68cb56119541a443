// Stand-in for a system tool, installed into the test prefix's system folder under the tool's
// name. Driven by the environment it inherits:
//   TOLVANE_STANDIN_JOURNAL  file to which the exact command line is appended, one per line;
//   TOLVANE_STANDIN_CODES    exit codes separated by blanks; the Nth call (counted by the
//                            journal's lines) exits with the Nth, the last one repeating;
//   TOLVANE_STANDIN_DELAY_MS how long to run before exiting.
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

std::wstring Variable(const wchar_t* name) {
    wchar_t buffer[4096];
    const DWORD length = GetEnvironmentVariableW(name, buffer, 4096);
    return length > 0 && length < 4096 ? std::wstring(buffer, length) : std::wstring();
}

// Appends one line and returns how many lines the journal held before it.
size_t AppendToJournal(const std::wstring& path, const std::wstring& line) {
    // Stand-ins started side by side (one chkntfs per drive) take turns: the file is held
    // unshared for writing while a line is counted and appended, and the others wait for it.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) {
            break;
        }
        Sleep(2);
    }
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    size_t lines = 0;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        for (DWORD i = 0; i < got; ++i) {
            lines += chunk[i] == '\n' ? 1 : 0;
        }
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), bytes.data(), size,
                        nullptr, nullptr);
    bytes += "\r\n";
    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return lines;
}

DWORD PickCode(const std::wstring& codes, size_t index) {
    std::vector<DWORD> values;
    const wchar_t* cursor = codes.c_str();
    wchar_t* end = nullptr;
    for (;;) {
        const long long value = std::wcstoll(cursor, &end, 0);
        if (end == cursor) {
            break;
        }
        values.push_back(static_cast<DWORD>(value));
        cursor = end;
    }
    if (values.empty()) {
        return 0;
    }
    return values[index < values.size() ? index : values.size() - 1];
}

} // namespace

int wmain() {
    const std::wstring journal = Variable(L"TOLVANE_STANDIN_JOURNAL");
    size_t call = 0;
    if (!journal.empty()) {
        call = AppendToJournal(journal, GetCommandLineW());
    }
    const std::wstring delay = Variable(L"TOLVANE_STANDIN_DELAY_MS");
    if (!delay.empty()) {
        Sleep(static_cast<DWORD>(std::wcstoul(delay.c_str(), nullptr, 10)));
    }
    ExitProcess(PickCode(Variable(L"TOLVANE_STANDIN_CODES"), call));
}
