// Reads a built tolvik.exe the way Windows does (headers, resources through
// LoadLibraryExW as a data file, the version record through
// GetFileVersionInfoW and VerQueryValueW) and checks each part of it. The
// program to read is named by the environment variable TOLVIK_EXE, and
// TOLVIK_EXE_MACHINE says whether it is the 32-bit (i386) or 64-bit build.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr WORD kJapanese = 0x0411;

std::string ProgramPath() {
    const char* path = std::getenv("TOLVIK_EXE");
    return path != nullptr ? path : "";
}

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::vector<unsigned char> FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), {});
}

unsigned Read16(const std::vector<unsigned char>& bytes, std::size_t at) {
    return static_cast<unsigned>(bytes.at(at) | bytes.at(at + 1) << 8);
}

unsigned Read32(const std::vector<unsigned char>& bytes, std::size_t at) {
    return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}

// A resource type or name as text: its number, or its own name.
std::string ResourcePart(LPCSTR value) {
    return IS_INTRESOURCE(value) ? std::to_string(reinterpret_cast<ULONG_PTR>(value))
                                 : std::string(value);
}

// The three levels of the resource tree, each callback handing the list on.
BOOL CALLBACK AddLanguages(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR list) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", language);
    reinterpret_cast<std::vector<std::string>*>(list)->push_back(ResourcePart(type) + "/" +
                                                                 ResourcePart(name) + "/" + hex);
    return TRUE;
}

BOOL CALLBACK AddNames(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR list) {
    EnumResourceLanguagesA(module, type, name, AddLanguages, list);
    return TRUE;
}

BOOL CALLBACK AddTypes(HMODULE module, LPSTR type, LONG_PTR list) {
    EnumResourceNamesA(module, type, AddNames, list);
    return TRUE;
}

class Executable : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(ProgramPath().empty()) << "TOLVIK_EXE names no program";
        ASSERT_NE(GetFileAttributesA(ProgramPath().c_str()), INVALID_FILE_ATTRIBUTES)
            << ProgramPath() << " is missing: build it first";
        module_ = LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (module_ != nullptr) FreeLibrary(module_);
    }

    // Every type/name/language of the program's resources, as text.
    std::vector<std::string> Resources() {
        std::vector<std::string> found;
        EnumResourceTypesA(module_, AddTypes, reinterpret_cast<LONG_PTR>(&found));
        return found;
    }

    std::vector<unsigned char> Resource(LPCSTR type, LPCSTR name) {
        HRSRC found = FindResourceExA(module_, type, name, kJapanese);
        if (found == nullptr) return {};
        const auto* data =
            static_cast<const unsigned char*>(LockResource(LoadResource(module_, found)));
        return std::vector<unsigned char>(data, data + SizeofResource(module_, found));
    }

    HMODULE module_ = nullptr;
};

TEST_F(Executable, IsAGuiProgramForItsMachine) {
    const std::vector<unsigned char> bytes = FileBytes(ProgramPath());
    const std::size_t pe = Read32(bytes, 0x3C);
    ASSERT_EQ(Read32(bytes, pe), 0x00004550u);  // "PE\0\0"
    const char* machine = std::getenv("TOLVIK_EXE_MACHINE");
    const bool i386 = machine != nullptr && std::string(machine) == "i386";
    EXPECT_EQ(Read16(bytes, pe + 4), i386 ? 0x014Cu : 0x8664u);   // IMAGE_FILE_MACHINE_*
    EXPECT_EQ(Read16(bytes, pe + 24), i386 ? 0x010Bu : 0x020Bu);  // PE32 or PE32+
    EXPECT_EQ(Read16(bytes, pe + 24 + 68), 2u);                   // IMAGE_SUBSYSTEM_WINDOWS_GUI
}

TEST_F(Executable, CarriesOnlyItsIconAndVersionRecord) {
    // No manifest, string table, dialog or menu: RT_ICON 3, RT_GROUP_ICON 14,
    // RT_VERSION 16, all Japanese.
    const std::vector<std::string> expected = {"3/1/0411", "14/MAINICON/0411", "16/1/0411"};
    EXPECT_EQ(Resources(), expected);
}

TEST_F(Executable, IconIsOne32x32ImageIn16Colours) {
    const std::vector<unsigned char> group = Resource(RT_GROUP_ICON, "MAINICON");
    ASSERT_EQ(group.size(), 6u + 14u);
    EXPECT_EQ(Read16(group, 0), 0u);   // reserved
    EXPECT_EQ(Read16(group, 2), 1u);   // icon
    EXPECT_EQ(Read16(group, 4), 1u);   // one image
    EXPECT_EQ(group[6], 32);           // width
    EXPECT_EQ(group[7], 32);           // height
    EXPECT_EQ(group[8], 16);           // colours
    EXPECT_EQ(Read16(group, 10), 1u);  // planes
    EXPECT_EQ(Read16(group, 12), 4u);  // bits per pixel
    EXPECT_EQ(Read16(group, 18), 1u);  // image identifier

    const std::vector<unsigned char> image = Resource(RT_ICON, MAKEINTRESOURCEA(1));
    ASSERT_GE(image.size(), 40u + 64u + 512u + 128u);
    EXPECT_EQ(Read32(image, 0), 40u);  // BITMAPINFOHEADER
    EXPECT_EQ(Read32(image, 4), 32u);
    EXPECT_EQ(Read32(image, 8), 64u);  // the picture and its mask
    EXPECT_EQ(Read16(image, 12), 1u);
    EXPECT_EQ(Read16(image, 14), 4u);
    EXPECT_EQ(Read32(group, 14), image.size());
}

class VersionRecord : public Executable {
  protected:
    void SetUp() override {
        Executable::SetUp();
        const std::wstring path = Widen(ProgramPath());
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(size, 0u);
        block_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block_.data()));
    }

    // The value under a path, or nullptr when there is none.
    const void* Query(const wchar_t* path, UINT* length) {
        void* value = nullptr;
        if (!VerQueryValueW(block_.data(), path, &value, length)) return nullptr;
        return value;
    }

    std::vector<unsigned char> block_;
};

TEST_F(VersionRecord, FixedPart) {
    UINT length = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query(L"\\", &length));
    ASSERT_NE(fixed, nullptr);
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);  // 1.1
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u);  // .0.0
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000000u);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, 0x4u);    // VOS__WINDOWS32
    EXPECT_EQ(fixed->dwFileType, 0x1u);  // VFT_APP
    EXPECT_EQ(fixed->dwFileSubtype, 0u);
    EXPECT_EQ(fixed->dwFileDateMS, 0u);
    EXPECT_EQ(fixed->dwFileDateLS, 0u);
}

TEST_F(VersionRecord, TranslationIsJapaneseInCodePage932) {
    UINT length = 0;
    const auto* pair = static_cast<const WORD*>(Query(L"\\VarFileInfo\\Translation", &length));
    ASSERT_NE(pair, nullptr);
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(pair[0], 0x0411);
    EXPECT_EQ(pair[1], 0x03A4);
}

TEST_F(VersionRecord, StringsInOrder) {
    struct Entry {
        const wchar_t* key;
        const wchar_t* value;
    };
    const Entry expected[] = {
        {L"CompanyName", L""},
        // ハードリンク・ジャンクションの作成
        {L"FileDescription",
         L"\u30CF\u30FC\u30C9\u30EA\u30F3\u30AF\u30FB\u30B8\u30E3\u30F3"
         L"\u30AF\u30B7\u30E7\u30F3\u306E\u4F5C\u6210"},
        {L"FileVersion", L"1.1.0.0"},
        {L"InternalName", L"tolvik"},
        {L"LegalCopyright", L"Copyright (C) 2026 the tolvik developers"},
        {L"LegalTrademarks", L""},
        {L"OriginalFilename", L"tolvik"},
        {L"ProductName", L"tolvik"},
        {L"ProductVersion", L"1.1"},
        {L"Comments", L""},
    };
    std::vector<std::wstring> expectedKeys;
    for (const Entry& entry : expected) {
        expectedKeys.push_back(entry.key);
        const std::wstring path = std::wstring(L"\\StringFileInfo\\041103A4\\") + entry.key;
        UINT length = 0;
        const auto* value = static_cast<const wchar_t*>(Query(path.c_str(), &length));
        ASSERT_NE(value, nullptr) << std::string(path.begin(), path.end());
        EXPECT_TRUE(std::wstring(value) == entry.value) << std::string(path.begin(), path.end());
    }

    // The order is the record's own: walk the string table's children.
    // Every node is {wLength, wValueLength, wType, key, padding, value,
    // padding, children}, aligned to 4 bytes.
    const std::vector<unsigned char> raw = Resource(RT_VERSION, MAKEINTRESOURCEA(1));
    auto keyAt = [&raw](std::size_t node) {
        std::wstring key;
        for (std::size_t at = node + 6; Read16(raw, at) != 0; at += 2) {
            key += static_cast<wchar_t>(Read16(raw, at));
        }
        return key;
    };
    auto align = [](std::size_t at) { return (at + 3) & ~static_cast<std::size_t>(3); };
    auto firstChild = [&](std::size_t node, std::size_t valueBytes) {
        return align(align(node + 6 + (keyAt(node).size() + 1) * 2) + valueBytes);
    };
    const std::size_t root = 0;
    ASSERT_TRUE(keyAt(root) == L"VS_VERSION_INFO");
    const std::size_t stringFileInfo = firstChild(root, Read16(raw, 2));
    ASSERT_TRUE(keyAt(stringFileInfo) == L"StringFileInfo");
    const std::size_t table = firstChild(stringFileInfo, 0);
    ASSERT_TRUE(keyAt(table) == L"041103A4");
    std::vector<std::wstring> keys;
    for (std::size_t node = firstChild(table, 0); node < table + Read16(raw, table);
         node = align(node + Read16(raw, node))) {
        keys.push_back(keyAt(node));
    }
    EXPECT_TRUE(keys == expectedKeys);
}

}  // namespace
