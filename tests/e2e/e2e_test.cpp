// End-to-end tests: the real tolvane.exe, started as a user starts it, watched and driven from
// outside through its windows only.
//
// Usage: tolvane_e2e_tests TOLVANE_EXE MINIMAL_WINDOW_EXE OUTPUT_FOLDER [gtest options]
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "e2e_support.h"

namespace {

using namespace tolvane::e2e;

constexpr wchar_t kMinimalCaption[] = L"Minimal window";
constexpr wchar_t kRefusal[] = L"This app is designed to run on NT based OSes only!";

// Copies what the screen shows of the window into a 24-bit BMP file; returns how many different
// colours it holds (a window that was never painted holds one).
size_t SaveScreenshot(HWND window, const std::wstring& path) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, old);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * height);
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out.write(reinterpret_cast<const char*>(pixels.data()),
              static_cast<std::streamsize>(pixels.size()));

    std::vector<unsigned> colours;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = &pixels[static_cast<size_t>(y) * stride + x * 3];
            colours.push_back(p[0] | (p[1] << 8) | (p[2] << 16));
        }
    }
    std::sort(colours.begin(), colours.end());
    return static_cast<size_t>(std::unique(colours.begin(), colours.end()) - colours.begin());
}

TEST(EndToEnd, ShowsItsWindowAndClosesCleanly) {
    Child program(programPath);
    ASSERT_TRUE(program.Started()) << "CreateProcess failed with error " << program.StartError();
    HWND window = program.WaitForWindow(kMainCaption);
    ASSERT_NE(window, nullptr) << "no window with the exact caption within " << kPatience.count()
                               << " s";

    // Its widgets, found from outside.
    HWND start = FindControl(window, L"Button", L"Start");
    ASSERT_NE(start, nullptr);
    EXPECT_TRUE(IsWindowEnabled(start));
    EXPECT_NE(FindControl(window, L"Button", L"Chkdsk Behavior:"), nullptr);
    EXPECT_NE(FindControl(window, L"msctls_statusbar32", nullptr), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & WS_MAXIMIZEBOX, 0);

    // Let it finish painting, then photograph it.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::wstring shot = outputFolder + L"\\tolvane-window.bmp";
    EXPECT_GT(SaveScreenshot(window, shot), 8u) << "the window looks unpainted";
    std::printf("Screenshot: %ls\n", shot.c_str());

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(10000), 0u);
}

// Alt+A, the About entry's access key, opens the About window; the program ends only when the
// last of its windows has closed, whichever order they close in.
TEST(EndToEnd, AboutOpensByItsAccessKeyAndTheProgramEndsWithItsLastWindow) {
    Child program(programPath);
    ASSERT_TRUE(program.Started()) << "CreateProcess failed with error " << program.StartError();
    HWND window = program.WaitForWindow(kMainCaption);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PressAltAnd(window, 'A'));
    HWND about = program.WaitForWindow(L"About Tolvane");
    ASSERT_NE(about, nullptr) << "Alt+A opened no About window";

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(1000), static_cast<DWORD>(STILL_ACTIVE))
        << "the program ended while its About window was open";
    EXPECT_FALSE(IsWindow(window));
    PostMessageW(about, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(10000), 0u);
}

#pragma pack(push, 2)
struct IconDirectoryEntry {
    BYTE Width;
    BYTE Height;
    BYTE ColourCount;
    BYTE Reserved;
    WORD Planes;
    WORD BitCount;
    DWORD BytesInResource;
    WORD Id;
};
#pragma pack(pop)

TEST(EndToEnd, ResourcesCarryTheVersionTheIconAndTheManifest) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(programPath.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(programPath.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(5, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 4));

    HMODULE image = LoadLibraryExW(programPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    HRSRC group = FindResourceW(image, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(image, group)));
    const WORD count = *reinterpret_cast<const WORD*>(directory + 4);
    std::vector<std::pair<int, int>> images; // size, bits per pixel
    for (WORD index = 0; index < count; ++index) {
        IconDirectoryEntry entry{};
        std::memcpy(&entry, directory + 6 + index * sizeof(entry), sizeof(entry));
        images.emplace_back(entry.Width == 0 ? 256 : entry.Width, entry.BitCount);
    }
    std::sort(images.begin(), images.end());
    EXPECT_EQ(images,
              (std::vector<std::pair<int, int>>{{16, 32}, {32, 8}, {32, 32}, {48, 32}, {256, 32}}));

    HRSRC manifestResource = FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifestResource, nullptr);
    const std::string manifest(
        static_cast<const char*>(LockResource(LoadResource(image, manifestResource))),
        SizeofResource(image, manifestResource));
    for (const char* part :
         {"Microsoft.Windows.Common-Controls", "requireAdministrator", "PerMonitorV2",
          "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
    FreeLibrary(image);
}

// Makes Wine present itself as another Windows version to tolvane.exe alone, for one scope.
class ScopedWineVersion {
public:
    explicit ScopedWineVersion(const wchar_t* version) {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_,
                            nullptr) == ERROR_SUCCESS) {
            RegSetValueExW(key_, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                           static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
        }
    }
    ~ScopedWineVersion() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
            RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
        }
    }
    ScopedWineVersion(const ScopedWineVersion&) = delete;
    ScopedWineVersion& operator=(const ScopedWineVersion&) = delete;
    bool Set() const { return key_ != nullptr; }

private:
    static constexpr wchar_t kKey[] = L"Software\\Wine\\AppDefaults\\tolvane.exe";
    HKEY key_ = nullptr;
};

// The manifest names Vista and 7 only, so Windows 10 reports version 6 to the program and the
// /B mode stays available there, where chkdsk has it.
TEST(EndToEnd, OnWindows10TheBModeStaysAvailable) {
    ScopedWineVersion windows10(L"win10");
    ASSERT_TRUE(windows10.Set());
    Child program(programPath);
    ASSERT_TRUE(program.Started()) << "CreateProcess failed with error " << program.StartError();
    HWND window = program.WaitForWindow(kMainCaption);
    ASSERT_NE(window, nullptr);
    HWND reEval = FindControl(window, L"Button", L"Scan, Recover, Re-Eval (Slow, /B)");
    ASSERT_NE(reEval, nullptr);
    EXPECT_TRUE(IsWindowEnabled(reEval));
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(10000), 0u);
}

TEST(EndToEnd, RefusesToRunOutsideTheNtFamilyWithoutShowingItsWindow) {
    ScopedVariable os(L"os", L"Windows_95");
    Child program(programPath);
    ASSERT_TRUE(program.Started()) << "CreateProcess failed with error " << program.StartError();

    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "no message box captioned Tolvane";
    for (HWND window : VisibleWindowsOf(program.Id())) {
        EXPECT_NE(CaptionOf(window), kMainCaption) << "the main window was shown";
    }

    const MessageBoxView shown = ReadMessageBox(box);
    EXPECT_EQ(shown.Text, kRefusal);
    EXPECT_EQ(shown.Buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_EQ(shown.Icon, nullptr) << "the box shows an icon";

    PostMessageW(box, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    EXPECT_EQ(program.WaitForExit(10000), 1u);
}

// Not a pass-or-fail test: prints how long each program takes from its start to a visible
// window, the program against a bare window program started the same way, in turns.
TEST(StartupTiming, ProgramAgainstAMinimalWindowProgram) {
    constexpr int kRounds = 5;
    std::vector<double> program;
    std::vector<double> minimal;
    const auto time = [](const std::wstring& path, const wchar_t* caption) {
        const auto begin = std::chrono::steady_clock::now();
        Child child(path);
        HWND window = child.Started() ? child.WaitForWindow(caption) : nullptr;
        const std::chrono::duration<double, std::milli> elapsed =
            std::chrono::steady_clock::now() - begin;
        if (window != nullptr) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        child.WaitForExit(10000);
        return window != nullptr ? elapsed.count() : -1.0;
    };
    for (int round = 0; round < kRounds; ++round) {
        minimal.push_back(time(minimalWindowPath, kMinimalCaption));
        program.push_back(time(programPath, kMainCaption));
    }
    for (const auto* series : {&minimal, &program}) {
        for (double value : *series) {
            ASSERT_GT(value, 0.0) << "a window did not show";
        }
    }
    std::sort(program.begin(), program.end());
    std::sort(minimal.begin(), minimal.end());
    const double programMedian = program[kRounds / 2];
    const double minimalMedian = minimal[kRounds / 2];
    std::printf("Start to visible window, median of %d (min .. max):\n", kRounds);
    std::printf("  minimal window program: %7.1f ms (%.1f .. %.1f)\n", minimalMedian,
                minimal.front(), minimal.back());
    std::printf("  tolvane.exe:            %7.1f ms (%.1f .. %.1f)\n", programMedian,
                program.front(), program.back());
    std::printf("  ratio: %.2f\n", programMedian / minimalMedian);
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s TOLVANE_EXE MINIMAL_WINDOW_EXE OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    programPath = WindowsPath(argv[1]);
    minimalWindowPath = WindowsPath(argv[2]);
    outputFolder = WindowsPath(argv[3]);
    return RUN_ALL_TESTS();
}
