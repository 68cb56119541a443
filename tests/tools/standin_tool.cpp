// Stand-in for a system tool, installed into the test prefix's system folder under the tool's
// name. Driven by the environment it inherits:
//   TOLVANE_STANDIN_JOURNAL  file to which the exact command line is appended, one per line;
//   TOLVANE_STANDIN_CODES    exit codes separated by blanks; the Nth call (counted by the
//                            journal's lines) exits with the Nth, the last one repeating;
//   TOLVANE_STANDIN_DELAY_MS how long to run before exiting;
//   TOLVANE_STANDIN_LINES    lines separated by "|", written to its console at its start.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <iomanip>
#include <sstream>
#include <string>

namespace {

std::wstring Variable(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value != nullptr ? value : L"";
}

// Appends the command line in UTF-8 and returns how many lines the journal held before. Stand-ins
// started side by side take turns: each holds the file unshared for writing meanwhile.
size_t AppendToJournal(const std::wstring& path) {
    HANDLE file = INVALID_HANDLE_VALUE;
    int attempts = 0;
    while ((file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) ==
               INVALID_HANDLE_VALUE &&
           ++attempts < 1000) {
        Sleep(2);
    }
    size_t lines = 0;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        lines += static_cast<size_t>(std::count(chunk, chunk + got, '\n'));
    }
    const std::wstring command = GetCommandLineW();
    std::string line(4 * command.size(), '\0'); // room for any UTF-8 text
    line.resize(static_cast<size_t>(
        WideCharToMultiByte(CP_UTF8, 0, command.data(), static_cast<int>(command.size()),
                            line.data(), static_cast<int>(line.size()), nullptr, nullptr)));
    line += "\r\n";
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &got, nullptr);
    CloseHandle(file);
    return lines;
}

} // namespace

int wmain() {
    const std::wstring journal = Variable(L"TOLVANE_STANDIN_JOURNAL");
    const size_t call = journal.empty() ? 0 : AppendToJournal(journal);
    std::wstring lines = Variable(L"TOLVANE_STANDIN_LINES");
    if (!lines.empty()) {
        std::replace(lines.begin(), lines.end(), L'|', L'\n');
        lines += L'\n';
        DWORD written = 0;
        WriteConsoleW(GetStdHandle(STD_OUTPUT_HANDLE), lines.data(),
                      static_cast<DWORD>(lines.size()), &written, nullptr);
    }
    Sleep(std::wcstoul(Variable(L"TOLVANE_STANDIN_DELAY_MS").c_str(), nullptr, 10));
    std::wistringstream codes(Variable(L"TOLVANE_STANDIN_CODES"));
    codes >> std::setbase(0); // decimal, or hexadecimal after 0x
    long long value = 0;
    DWORD code = 0;
    for (size_t index = 0; index <= call && codes >> value; ++index) {
        code = static_cast<DWORD>(value);
    }
    ExitProcess(code);
}
