#include "e2e_support.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace tolvane::e2e {

std::wstring programPath;
std::wstring minimalWindowPath;
std::wstring outputFolder;

namespace {

constexpr UINT kSendTimeoutMs = 5000;
constexpr auto kPollInterval = std::chrono::milliseconds(20);

struct WindowSearch {
    DWORD ProcessId;
    bool VisibleOnly;
    std::vector<HWND> Found;
};

// A named callback: 32-bit compilers cannot turn a lambda into a stdcall window enumerator.
BOOL CALLBACK CollectWindowOfProcess(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->ProcessId && (!search->VisibleOnly || IsWindowVisible(window))) {
        search->Found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId, bool visibleOnly) {
    WindowSearch search{processId, visibleOnly, {}};
    EnumWindows(CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// Pixels of a DC's bitmap as 0x00RRGGBB, top row first.
std::vector<DWORD> PixelsOf(HDC dc, HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    for (DWORD& pixel : pixels) {
        pixel &= 0xFFFFFF;
    }
    return pixels;
}

// Draws into a fresh bitmap of the screen's format and returns its pixels.
std::vector<DWORD> Render(int width, int height, const std::function<void(HDC)>& paint) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    paint(memory);
    SelectObject(memory, old);
    std::vector<DWORD> pixels = PixelsOf(memory, bitmap, width, height);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool CloseColours(DWORD a, DWORD b) {
    for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                     static_cast<int>((b >> shift) & 0xFF)) > 8) {
            return false;
        }
    }
    return true;
}

void SendKeys(const std::vector<INPUT>& keys) {
    std::vector<INPUT> copy = keys;
    SendInput(static_cast<UINT>(copy.size()), copy.data(), sizeof(INPUT));
}

INPUT Key(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

} // namespace

std::wstring WindowsPath(const std::string& path) {
    std::wstring wide(path.begin(), path.end());
    if (!wide.empty() && wide[0] == L'/') {
        wide.insert(0, L"Z:");
    }
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return wide;
}

std::wstring CaptionOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring TextOf(HWND window) {
    const LRESULT length = SendBriefly(window, WM_GETTEXTLENGTH);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendBriefly(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

std::vector<HWND> VisibleWindowsOf(DWORD processId) {
    return TopLevelWindowsOf(processId, true);
}

std::vector<HWND> WindowsCaptioned(DWORD processId, const std::wstring& caption) {
    std::vector<HWND> found;
    for (HWND window : TopLevelWindowsOf(processId, false)) {
        if (CaptionOf(window) == caption) {
            found.push_back(window);
        }
    }
    return found;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

LRESULT SendBriefly(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                            &result) == 0) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

std::wstring AskForText(HANDLE process, HWND window, UINT message, WPARAM wParam) {
    constexpr SIZE_T bytes = kRemoteTextChars * sizeof(wchar_t);
    void* remote =
        VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote == nullptr) {
        return L"<no memory in the target>";
    }
    std::wstring text(kRemoteTextChars, L'\0');
    SIZE_T read = 0;
    if (SendBriefly(window, message, wParam, reinterpret_cast<LPARAM>(remote)) < 0 ||
        !ReadProcessMemory(process, remote, text.data(), bytes, &read)) {
        text = L"<no answer>";
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    text.resize(std::min(text.find(L'\0'), text.size()));
    return text;
}

Child::Child(const std::wstring& path) {
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    started_ = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              outputFolder.c_str(), &startup, &info_) != FALSE;
    error_ = started_ ? 0 : GetLastError();
}

Child::~Child() {
    if (started_) {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
}

bool Child::Running() const {
    return started_ && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Child::WaitForExit(DWORD milliseconds) {
    if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) {
        return STILL_ACTIVE;
    }
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

HWND Child::WaitForWindow(const std::wstring& caption) {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND window : VisibleWindowsOf(Id())) {
            if (CaptionOf(window) == caption) {
                found = window;
                return true;
            }
        }
        return !Running();
    });
    return found;
}

HWND Child::WaitForMessageBox() {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND window : VisibleWindowsOf(Id())) {
            if (ClassOf(window) == L"#32770" && CaptionOf(window) == kMessageBoxCaption) {
                found = window;
                return true;
            }
        }
        return !Running();
    });
    return found;
}

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view;
    view.Text = TextOf(GetDlgItem(box, 0xFFFF));
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) {
            continue;
        }
        if (ClassOf(child) == L"Button") {
            view.Buttons.push_back(CaptionOf(child));
        }
        if (ClassOf(child) == L"Static" &&
            (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            SendBriefly(child, STM_GETICON) > 0) {
            view.Icon = child;
        }
    }
    return view;
}

bool Answer(HWND box, int buttonId) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
    return WaitUntil([box] { return !IsWindow(box); });
}

bool ShowsSystemIcon(HWND control, LPCWSTR icon) {
    RECT rect{};
    GetWindowRect(control, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    const std::vector<DWORD> shown = Render(width, height, [&](HDC dc) {
        HDC screen = GetDC(nullptr);
        BitBlt(dc, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
    });
    // The icons' corners are transparent, so the corner shows the background.
    const DWORD background = shown.front();
    const std::vector<DWORD> expected = Render(width, height, [&](HDC dc) {
        const COLORREF colour =
            RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF);
        HBRUSH brush = CreateSolidBrush(colour);
        const RECT all{0, 0, width, height};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        DrawIconEx(dc, 0, 0, LoadIconW(nullptr, icon), width, height, 0, nullptr, DI_NORMAL);
    });
    size_t different = 0;
    for (size_t index = 0; index < shown.size(); ++index) {
        different += CloseColours(shown[index], expected[index]) ? 0 : 1;
    }
    return different * 50 <= shown.size();
}

HWND FindControl(HWND window, const wchar_t* className, const wchar_t* caption) {
    return FindWindowExW(window, nullptr, className, caption);
}

std::vector<HWND> ControlsInFrame(HWND window, const wchar_t* frameCaption,
                                  const wchar_t* className) {
    std::vector<HWND> found;
    HWND frame = FindControl(window, L"Button", frameCaption);
    RECT frameRect{};
    if (frame == nullptr || !GetWindowRect(frame, &frameRect)) {
        return found;
    }
    for (HWND child = FindWindowExW(window, nullptr, className, nullptr); child != nullptr;
         child = FindWindowExW(window, child, className, nullptr)) {
        RECT rect{};
        GetWindowRect(child, &rect);
        POINT corner{rect.left, rect.top};
        if (PtInRect(&frameRect, corner)) {
            found.push_back(child);
        }
    }
    std::sort(found.begin(), found.end(), [](HWND a, HWND b) {
        RECT first{};
        RECT second{};
        GetWindowRect(a, &first);
        GetWindowRect(b, &second);
        return first.top < second.top;
    });
    return found;
}

bool ChooseListItem(HWND list, const std::wstring& beginning) {
    const LRESULT count = SendBriefly(list, CB_GETCOUNT);
    for (LRESULT index = 0; index < count; ++index) {
        const LRESULT length = SendBriefly(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
        if (length < 0) {
            continue;
        }
        std::wstring item(static_cast<size_t>(length) + 1, L'\0');
        SendBriefly(list, CB_GETLBTEXT, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<size_t>(length));
        if (item.compare(0, beginning.size(), beginning) == 0) {
            SendBriefly(list, CB_SETCURSEL, static_cast<WPARAM>(index));
            SendBriefly(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(list));
            return SendBriefly(list, CB_GETCURSEL) == index;
        }
    }
    return false;
}

bool PressAltAnd(HWND window, WORD key, std::initializer_list<WORD> then) {
    HWND root = GetAncestor(window, GA_ROOT);
    SetForegroundWindow(root);
    if (!WaitUntil([root] { return GetForegroundWindow() == root; }, std::chrono::seconds(3))) {
        return false;
    }
    std::vector<INPUT> keys{Key(VK_MENU, false), Key(key, false), Key(key, true),
                            Key(VK_MENU, true)};
    for (WORD next : then) {
        keys.push_back(Key(next, false));
        keys.push_back(Key(next, true));
    }
    SendKeys(keys);
    return true;
}

void PressKey(WORD key) {
    SendKeys({Key(key, false), Key(key, true)});
}

std::vector<std::string> ReadLines(const std::wstring& path) {
    const std::string text = ReadFileBytes(path);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

TempFolder::TempFolder() {
    static int made = 0;
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    path_ = temp;
    if (!path_.empty() && path_.back() == L'\\') {
        path_.pop_back();
    }
    // Unique across runs too: Wine hands out the same process ids run after run, and a folder
    // name that comes back would meet the save dialog's memory of the last folder used.
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    path_ += L"\\Tolvane e2e " + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(++made) + L"-" + std::to_wstring(now.QuadPart);
    testing::RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    // A program that has just ended may still hold its image for a moment.
    WaitUntil(
        [this] {
            testing::RemoveTree(path_);
            return GetFileAttributesW(path_.c_str()) == INVALID_FILE_ATTRIBUTES;
        },
        std::chrono::seconds(5));
}

std::wstring CopyProgramInto(const TempFolder& folder) {
    const std::wstring copy = folder / L"tolvane.exe";
    return CopyFileW(programPath.c_str(), copy.c_str(), FALSE) ? copy : std::wstring();
}

} // namespace tolvane::e2e
