// Checks a tolvane.exe as it ships, as a file: that Vista and Windows PE can load it (its
// architecture, subsystem and the DLLs it imports), that it is stripped and small, and that it
// carries its version, manifest and icon. Built for the same architecture as the program it checks.
// Usage: tolvane_release_check TOLVANE_EXE VERSION [GoogleTest options]
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

std::wstring programPath;
std::string expectedVersion;

// Present in every Windows since Vista and in every Windows PE, so the program needs nothing
// installed beside it.
constexpr const char* kAllowedDlls[] = {"kernel32", "user32",  "gdi32",    "comctl32",
                                        "comdlg32", "shell32", "advapi32", "ole32",
                                        "oleaut32", "winmm",   "msvcrt",   "version"};

constexpr std::uint64_t kMaxProgramBytes = 512 * 1024;

std::string Narrow(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

// The arguments of main come in the ANSI code page.
std::wstring WidenArgument(const std::string& text) {
    const int size =
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<unsigned char> ReadWholeFile(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    unsigned char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    CloseHandle(file);
    return bytes;
}

// The parts of a PE file's headers the checks read, for 32- and 64-bit images alike. Every read
// is bounds-checked: a damaged file fails the checks instead of crashing them.
class PeFile {
public:
    explicit PeFile(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {
        IMAGE_DOS_HEADER dos{};
        DWORD signature = 0;
        if (!Read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE ||
            !Read(static_cast<size_t>(dos.e_lfanew), signature) ||
            signature != IMAGE_NT_SIGNATURE ||
            !Read(static_cast<size_t>(dos.e_lfanew) + sizeof(signature), file_)) {
            return;
        }
        const size_t optional =
            static_cast<size_t>(dos.e_lfanew) + sizeof(signature) + sizeof(IMAGE_FILE_HEADER);
        WORD magic = 0;
        if (!Read(optional, magic)) {
            return;
        }
        if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
            IMAGE_OPTIONAL_HEADER64 header{};
            valid_ = Read(optional, header) && Take(header);
        } else if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
            IMAGE_OPTIONAL_HEADER32 header{};
            valid_ = Read(optional, header) && Take(header);
        }
        const size_t sections = optional + file_.SizeOfOptionalHeader;
        for (WORD i = 0; valid_ && i < file_.NumberOfSections; ++i) {
            IMAGE_SECTION_HEADER section{};
            valid_ = Read(sections + i * sizeof(section), section);
            sections_.push_back(section);
        }
    }

    bool Valid() const { return valid_; }
    const IMAGE_FILE_HEADER& FileHeader() const { return file_; }
    WORD Subsystem() const { return subsystem_; }
    WORD MajorSubsystemVersion() const { return subsystemVersion_[0]; }
    WORD MinorSubsystemVersion() const { return subsystemVersion_[1]; }
    WORD MajorOperatingSystemVersion() const { return osVersion_[0]; }
    WORD MinorOperatingSystemVersion() const { return osVersion_[1]; }

    // The DLLs named by the import table and by the delay-load table; nullopt when either
    // cannot be read.
    std::optional<std::vector<std::string>> ImportedDlls() const {
        std::vector<std::string> names;
        const IMAGE_DATA_DIRECTORY imports = directories_[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (DWORD at = imports.VirtualAddress; imports.VirtualAddress != 0;
             at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            IMAGE_IMPORT_DESCRIPTOR descriptor{};
            if (!ReadAtRva(at, descriptor)) {
                return std::nullopt;
            }
            if (descriptor.Name == 0) {
                break;
            }
            std::optional<std::string> name = StringAtRva(descriptor.Name);
            if (!name) {
                return std::nullopt;
            }
            names.push_back(*name);
        }
        const IMAGE_DATA_DIRECTORY delayed = directories_[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT];
        for (DWORD at = delayed.VirtualAddress; delayed.VirtualAddress != 0;
             at += sizeof(IMAGE_DELAYLOAD_DESCRIPTOR)) {
            IMAGE_DELAYLOAD_DESCRIPTOR descriptor{};
            if (!ReadAtRva(at, descriptor)) {
                return std::nullopt;
            }
            if (descriptor.DllNameRVA == 0) {
                break;
            }
            std::optional<std::string> name = StringAtRva(descriptor.DllNameRVA);
            if (!name) {
                return std::nullopt;
            }
            names.push_back(*name);
        }
        return names;
    }

private:
    template <typename T> bool Read(size_t offset, T& value) const {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) {
            return false;
        }
        std::memcpy(&value, bytes_.data() + offset, sizeof(T));
        return true;
    }

    template <typename Header> bool Take(const Header& header) {
        subsystem_ = header.Subsystem;
        subsystemVersion_[0] = header.MajorSubsystemVersion;
        subsystemVersion_[1] = header.MinorSubsystemVersion;
        osVersion_[0] = header.MajorOperatingSystemVersion;
        osVersion_[1] = header.MinorOperatingSystemVersion;
        const DWORD count = std::min<DWORD>(header.NumberOfRvaAndSizes, 16);
        std::copy(header.DataDirectory, header.DataDirectory + count, directories_);
        return true;
    }

    std::optional<size_t> OffsetOfRva(DWORD rva) const {
        for (const IMAGE_SECTION_HEADER& section : sections_) {
            const DWORD size = std::max(section.Misc.VirtualSize, section.SizeOfRawData);
            if (rva >= section.VirtualAddress && rva - section.VirtualAddress < size) {
                return static_cast<size_t>(section.PointerToRawData) +
                       (rva - section.VirtualAddress);
            }
        }
        return std::nullopt;
    }

    template <typename T> bool ReadAtRva(DWORD rva, T& value) const {
        const std::optional<size_t> offset = OffsetOfRva(rva);
        return offset && Read(*offset, value);
    }

    std::optional<std::string> StringAtRva(DWORD rva) const {
        const std::optional<size_t> offset = OffsetOfRva(rva);
        if (!offset || *offset >= bytes_.size()) {
            return std::nullopt;
        }
        const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(*offset);
        const auto end = std::find(begin, bytes_.end(), '\0');
        if (end == bytes_.end()) {
            return std::nullopt;
        }
        return std::string(begin, end);
    }

    std::vector<unsigned char> bytes_;
    bool valid_ = false;
    IMAGE_FILE_HEADER file_{};
    WORD subsystem_ = 0;
    WORD subsystemVersion_[2] = {};
    WORD osVersion_[2] = {};
    IMAGE_DATA_DIRECTORY directories_[16] = {};
    std::vector<IMAGE_SECTION_HEADER> sections_;
};

class ReleaseFile : public ::testing::Test {
protected:
    void SetUp() override {
        bytes_ = ReadWholeFile(programPath);
        ASSERT_FALSE(bytes_.empty()) << "cannot read " << Narrow(programPath);
        pe_.emplace(bytes_);
        ASSERT_TRUE(pe_->Valid()) << "not a PE file";
    }

    std::vector<unsigned char> bytes_;
    std::optional<PeFile> pe_;
};

TEST_F(ReleaseFile, IsBuiltForTheArchitectureOfItsPackage) {
#ifdef _WIN64
    EXPECT_EQ(pe_->FileHeader().Machine, IMAGE_FILE_MACHINE_AMD64);
#else
    EXPECT_EQ(pe_->FileHeader().Machine, IMAGE_FILE_MACHINE_I386);
#endif
}

TEST_F(ReleaseFile, VistaLoadsItAsAWindowProgram) {
    EXPECT_EQ(pe_->Subsystem(), IMAGE_SUBSYSTEM_WINDOWS_GUI);
    // A file that asks for a newer system than 6.0 is "not a valid Win32 application" to Vista.
    EXPECT_LE(MAKELONG(pe_->MinorSubsystemVersion(), pe_->MajorSubsystemVersion()), MAKELONG(0, 6));
    EXPECT_LE(MAKELONG(pe_->MinorOperatingSystemVersion(), pe_->MajorOperatingSystemVersion()),
              MAKELONG(0, 6));
}

TEST_F(ReleaseFile, ImportsOnlyDllsOfEveryWindowsAndWindowsPe) {
    const std::optional<std::vector<std::string>> dlls = pe_->ImportedDlls();
    ASSERT_TRUE(dlls.has_value()) << "the import tables cannot be read";
    EXPECT_FALSE(dlls->empty());
    std::string foreign;
    for (const std::string& dll : *dlls) {
        std::string name = Lower(dll);
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".dll") == 0) {
            name.resize(name.size() - 4);
        }
        if (std::find(std::begin(kAllowedDlls), std::end(kAllowedDlls), name) ==
            std::end(kAllowedDlls)) {
            foreign += " " + dll;
        }
    }
    EXPECT_EQ(foreign, "") << "not on every Windows since Vista and in Windows PE";
}

TEST_F(ReleaseFile, IsStrippedAndSmall) {
    EXPECT_EQ(pe_->FileHeader().PointerToSymbolTable, 0u);
    EXPECT_EQ(pe_->FileHeader().NumberOfSymbols, 0u);
    EXPECT_LT(bytes_.size(), kMaxProgramBytes);
}

std::string VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) ||
        length == 0) {
        return {};
    }
    return Narrow(std::wstring(value, wcsnlen(value, length)));
}

TEST(ReleaseResources, VersionRecordNamesTheRelease) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(programPath.c_str(), &handle);
    ASSERT_GT(size, 0u) << "no version resource";
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(programPath.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    const std::string numbers = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(numbers, expectedVersion);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(VersionString(block, L"FileVersion"), expectedVersion);
    EXPECT_EQ(VersionString(block, L"ProductVersion"), expectedVersion);
    EXPECT_EQ(VersionString(block, L"ProductName"), "Tolvane");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), "tolvane.exe");
}

class ResourceImage {
public:
    ResourceImage()
        : module_(LoadLibraryExW(programPath.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ResourceImage() {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    ResourceImage(const ResourceImage&) = delete;
    ResourceImage& operator=(const ResourceImage&) = delete;
    HMODULE Get() const { return module_; }

    std::optional<std::string> Bytes(LPCWSTR type, LPCWSTR name) const {
        HRSRC found = FindResourceW(module_, name, type);
        HGLOBAL loaded = found != nullptr ? LoadResource(module_, found) : nullptr;
        const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
        if (data == nullptr) {
            return std::nullopt;
        }
        return std::string(static_cast<const char*>(data), SizeofResource(module_, found));
    }

private:
    HMODULE module_;
};

// The text of the first element named `element` whose text contains `marker`.
std::string ElementWith(const std::string& xml, const std::string& element,
                        const std::string& marker) {
    for (size_t start = xml.find("<" + element); start != std::string::npos;
         start = xml.find("<" + element, start + 1)) {
        const size_t end = xml.find('>', start);
        const std::string text = xml.substr(start, end == std::string::npos ? end : end - start);
        if (text.find(marker) != std::string::npos) {
            return text;
        }
    }
    return {};
}

TEST(ReleaseResources, ManifestAsksForCommonControls6PerMonitorDpiAndAnAdministrator) {
    ResourceImage image;
    ASSERT_NE(image.Get(), nullptr);
    const std::optional<std::string> manifest =
        image.Bytes(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
    ASSERT_TRUE(manifest.has_value()) << "no application manifest";

    const std::string controls =
        ElementWith(*manifest, "assemblyIdentity", "Microsoft.Windows.Common-Controls");
    EXPECT_NE(controls.find("version=\"6.0.0.0\""), std::string::npos) << controls;
    const std::string level = ElementWith(*manifest, "requestedExecutionLevel", "level=");
    EXPECT_NE(level.find("level=\"requireAdministrator\""), std::string::npos) << level;
    // Windows 10 1607 and later read dpiAwareness, the earlier ones dpiAware.
    const size_t awareness = manifest->find("<dpiAwareness");
    ASSERT_NE(awareness, std::string::npos);
    EXPECT_NE(manifest->find("PerMonitorV2", awareness), std::string::npos);
    const size_t aware = manifest->find("<dpiAware ");
    ASSERT_NE(aware, std::string::npos);
    EXPECT_NE(manifest->find(">true/pm<", aware), std::string::npos);
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR context) {
    reinterpret_cast<std::vector<LPCWSTR>*>(context)->push_back(name);
    return TRUE;
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE Width;
    BYTE Height;
    BYTE ColorCount;
    BYTE Reserved;
    WORD Planes;
    WORD BitCount;
    DWORD BytesInResource;
    WORD Id;
};
#pragma pack(pop)

TEST(ReleaseResources, IconGroupNamesIconsThatArePresent) {
    ResourceImage image;
    ASSERT_NE(image.Get(), nullptr);
    std::vector<LPCWSTR> groups;
    EnumResourceNamesW(image.Get(), RT_GROUP_ICON, CollectName,
                       reinterpret_cast<LONG_PTR>(&groups));
    ASSERT_FALSE(groups.empty()) << "no icon";
    // Explorer shows the first group; each image it names must be there, or the file shows a
    // blank icon.
    const std::optional<std::string> group = image.Bytes(RT_GROUP_ICON, groups.front());
    ASSERT_TRUE(group.has_value());
    ASSERT_GE(group->size(), 6u);
    WORD count = 0;
    std::memcpy(&count, group->data() + 4, sizeof(count));
    ASSERT_GT(count, 0);
    ASSERT_GE(group->size(), 6 + count * sizeof(GroupIconEntry));
    for (WORD index = 0; index < count; ++index) {
        GroupIconEntry entry{};
        std::memcpy(&entry, group->data() + 6 + index * sizeof(entry), sizeof(entry));
        const std::optional<std::string> icon = image.Bytes(RT_ICON, MAKEINTRESOURCEW(entry.Id));
        ASSERT_TRUE(icon.has_value()) << "icon " << entry.Id << " is missing";
        EXPECT_EQ(icon->size(), entry.BytesInResource) << "icon " << entry.Id;
    }
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "Usage: tolvane_release_check TOLVANE_EXE VERSION\n");
        return 2;
    }
    programPath = WidenArgument(argv[1]);
    expectedVersion = argv[2];
    return RUN_ALL_TESTS();
}
