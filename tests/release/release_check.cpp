// Checks the tolvane.exe of the current folder as it ships. Built for its architecture, so that
// dbghelp reads its headers as this build's own types.
#include <gtest/gtest.h>
#include <windows.h>

#include <dbghelp.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <string>

namespace {

constexpr const char* kProgram = ".\\tolvane.exe"; // with a folder: the loader searches nowhere

// Present in every Windows since Vista and in every Windows PE; those of the save dialog, the
// shell and the timer load on first use, which keeps the start quick.
constexpr const char* kAllowedDlls = " kernel32.dll user32.dll gdi32.dll comctl32.dll "
                                     "advapi32.dll ole32.dll oleaut32.dll msvcrt.dll version.dll ";
constexpr size_t kMaxProgramBytes = 512 * 1024;

TEST(ReleaseProgram, HeadersLetVistaAndWindowsPeLoadAStrippedSmallWindowProgram) {
    std::ifstream file(kProgram, std::ios::binary);
    std::string image{std::istreambuf_iterator<char>(file), {}};
    EXPECT_LT(image.size(), kMaxProgramBytes);
    IMAGE_NT_HEADERS* nt = image.empty() ? nullptr : ImageNtHeader(image.data());
    ASSERT_NE(nt, nullptr) << "no PE file " << kProgram;
    ASSERT_EQ(nt->FileHeader.Machine,
              sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt->FileHeader.PointerToSymbolTable | nt->FileHeader.NumberOfSymbols, 0u);
    const IMAGE_OPTIONAL_HEADER& header = nt->OptionalHeader;
    EXPECT_EQ(header.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    // A file that asks for a newer system than 6.0 is "not a valid Win32 application" to Vista.
    EXPECT_LE(header.MajorSubsystemVersion * 100 + header.MinorSubsystemVersion, 600);
    EXPECT_LE(header.MajorOperatingSystemVersion * 100 + header.MinorOperatingSystemVersion, 600);
    // An elevated program: at a random address (relocations kept), its data never run as code.
    const WORD hardening = IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE |
                           IMAGE_DLLCHARACTERISTICS_NX_COMPAT |
                           (sizeof(void*) == 8 ? IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA : 0);
    EXPECT_EQ(header.DllCharacteristics & hardening, hardening) << header.DllCharacteristics;
    EXPECT_EQ(nt->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED, 0);

    // Both import tables end with an entry of zeros; false when there is no table.
    std::string foreign;
    auto addForeignDlls = [&]<typename Entry>(USHORT table, DWORD Entry::*nameOf) {
        ULONG size = 0;
        auto* first = static_cast<const Entry*>(
            ImageDirectoryEntryToDataEx(image.data(), FALSE, table, &size, nullptr));
        for (auto* entry = first; entry != nullptr && entry->*nameOf != 0; ++entry) {
            auto* dll = static_cast<char*>(ImageRvaToVa(nt, image.data(), entry->*nameOf, nullptr));
            const std::string name = dll != nullptr ? CharLowerA(dll) : "(a name outside the file)";
            foreign += std::strstr(kAllowedDlls, (" " + name + " ").c_str()) ? "" : " " + name;
        }
        return first != nullptr;
    };
    EXPECT_TRUE(addForeignDlls(IMAGE_DIRECTORY_ENTRY_IMPORT, &IMAGE_IMPORT_DESCRIPTOR::Name));
    addForeignDlls(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT, &IMAGE_DELAYLOAD_DESCRIPTOR::DllNameRVA);
    EXPECT_EQ(foreign, "") << "not on every Windows since Vista and in Windows PE";
}

BOOL CALLBACK TakeFirst(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR first) {
    *reinterpret_cast<LPCWSTR*>(first) = name;
    return FALSE;
}

TEST(ReleaseProgram, CarriesItsVersionManifestAndEveryIconImage) {
    std::string info(GetFileVersionInfoSizeA(kProgram, nullptr), '\0');
    ASSERT_TRUE(GetFileVersionInfoA(kProgram, 0, static_cast<DWORD>(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    std::string texts = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                        std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                        std::to_string(HIWORD(fixed->dwFileVersionLS));
    for (const char* name : {"FileVersion", "ProductVersion", "ProductName", "OriginalFilename"}) {
        char* text = nullptr;
        const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
        VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &size);
        texts += std::string(" ") + (text != nullptr ? text : "-");
    }
    EXPECT_EQ(texts,
              TOLVANE_VERSION " " TOLVANE_VERSION " " TOLVANE_VERSION " Tolvane tolvane.exe");

    const std::unique_ptr<HINSTANCE__, decltype(&FreeLibrary)> module(
        LoadLibraryExA(kProgram, nullptr, LOAD_LIBRARY_AS_DATAFILE), &FreeLibrary);
    auto resource = [&](LPCWSTR type, LPCWSTR name) -> std::string {
        HRSRC found = FindResourceW(module.get(), name, type);
        auto* data = static_cast<const char*>(LockResource(LoadResource(module.get(), found)));
        return data != nullptr ? std::string(data, SizeofResource(module.get(), found)) : "";
    };
    // Windows 10 1607 and later read dpiAwareness, the earlier ones dpiAware.
    const std::string manifest = resource(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
    for (const char* pattern :
         {R"(<assemblyIdentity(?=[^>]*"Microsoft\.Windows\.Common-Controls")(?=[^>]*"6\.0\.0\.0"))",
          R"(<requestedExecutionLevel[^>]*level="requireAdministrator")",
          R"(<dpiAwareness[^>]*>[^<]*PerMonitorV2)", R"(<dpiAware [^>]*>\s*true/pm\s*<)"}) {
        EXPECT_TRUE(std::regex_search(manifest, std::regex(pattern))) << pattern;
    }

    // Explorer shows the first icon group, blank where an image it names is missing. Its 6-byte
    // header ends with the count of 14-byte entries that end in an image's size and id.
    LPCWSTR first = nullptr;
    EnumResourceNamesW(module.get(), RT_GROUP_ICON, TakeFirst, reinterpret_cast<LONG_PTR>(&first));
    const std::string group = resource(RT_GROUP_ICON, first);
    auto number = [&](size_t at, size_t bytes) {
        DWORD value = 0;
        std::memcpy(&value, group.data() + at, bytes);
        return value;
    };
    ASSERT_GT(group.size(), 6u) << "no icon";
    ASSERT_EQ(group.size(), 6 + 14 * number(4, 2));
    for (size_t entry = 6; entry < group.size(); entry += 14) {
        const LPCWSTR id = MAKEINTRESOURCEW(number(entry + 12, 2));
        EXPECT_EQ(resource(RT_ICON, id).size(), number(entry + 8, 4)) << "the entry at " << entry;
    }
}

} // namespace
