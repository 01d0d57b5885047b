#include "fake_platform.h"

#include <algorithm>
#include <cstring>

namespace tolvik::testing {
namespace {

const std::set<std::string> kFileSystemCalls = {
    "GetFileAttributesA", "CreateHardLinkA", "CreateDirectoryW", "CreateFileW",
    "DeviceIoControl",    "CloseHandle",     "RemoveDirectoryW"};

bool StartsWith(const std::u16string& text, const std::u16string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The path without a trailing backslash and without \\?\: the name a node
// is kept under. A drive's root is kept as "C:".
std::u16string Key(std::u16string path) {
    if (StartsWith(path, u"\\\\?\\")) path.erase(0, 4);
    while (!path.empty() && path.back() == u'\\') path.pop_back();
    return path;
}

std::u16string ParentOf(const std::u16string& key) {
    const auto slash = key.rfind(u'\\');
    return slash == std::u16string::npos ? std::u16string() : key.substr(0, slash);
}

// Collapses "." and ".." after the root (C: or \\server\share).
std::u16string Normalize(const std::u16string& path, std::size_t rootLength) {
    std::vector<std::u16string> parts;
    std::size_t start = rootLength;
    while (start <= path.size()) {
        auto end = path.find(u'\\', start);
        if (end == std::u16string::npos) end = path.size();
        std::u16string part = path.substr(start, end - start);
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != u".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::u16string result = path.substr(0, rootLength);
    for (const auto& part : parts) result += u"\\" + part;
    if (result.size() == rootLength || path.back() == u'\\') result += u"\\";
    return result;
}

// What the fake code page 932 makes of a few double-byte characters.
char16_t Cp932Unit(unsigned pair) {
    switch (pair) {
        case 0x975C:
            return u'\u4E88';  // 予
        case 0x92E8:
            return u'\u5B9A';  // 定
        case 0x955C:
            return u'\u8868';  // 表
        default:
            return static_cast<char16_t>(0xE000 + (pair & 0xFFF));
    }
}

}  // namespace

std::string Narrow(const std::u16string& text) {
    std::string narrow;
    for (char16_t unit : text) narrow += unit < 0x80 ? static_cast<char>(unit) : '?';
    return narrow;
}

FakePlatform::FakePlatform() {
    localeCodePageText = {{0x409, "1252"}, {0x407, "1252"}, {0x411, "932"}, {0x419, "1251"}};
    leadByteRanges[932] = {0x81, 0x9F, 0xE0, 0xFC};
    leadByteRanges[1252] = {};
    leadByteRanges[1251] = {};
    AddDirectory(u"C:");
    AddDirectory(u"D:");
    AddDirectory(currentDirectory);
}

std::vector<std::string> FakePlatform::FileSystemCalls() const {
    std::vector<std::string> result;
    for (const auto& call : calls)
        if (kFileSystemCalls.count(call) != 0) result.push_back(call);
    return result;
}

void FakePlatform::AddDirectory(const std::u16string& path) {
    nodes[Key(path)] = Node{Node::kDirectory, 0, {}, {}};
}

void FakePlatform::AddFile(const std::u16string& path, const std::string& content) {
    nodes[Key(path)] = Node{Node::kFile, nextFileId_++, {}, content};
}

int FakePlatform::LinkCount(const std::u16string& path) const {
    const auto found = nodes.find(Key(path));
    if (found == nodes.end()) return 0;
    return static_cast<int>(std::count_if(nodes.begin(), nodes.end(), [&](const auto& entry) {
        return entry.second.kind == Node::kFile && entry.second.fileId == found->second.fileId;
    }));
}

std::u16string FakePlatform::Resolve(const std::u16string& typed) const {
    std::u16string path = typed;
    std::replace(path.begin(), path.end(), u'/', u'\\');
    if (StartsWith(path, u"\\\\?\\")) return typed;  // taken as it stands
    if (StartsWith(path, u"\\\\.\\")) return Normalize(path, 3);
    if (StartsWith(path, u"\\\\")) {
        // \\server\share is the root of a share.
        auto share = path.find(u'\\', 2);
        share = share == std::u16string::npos ? path.size() : path.find(u'\\', share + 1);
        return Normalize(path, share == std::u16string::npos ? path.size() : share);
    }
    const std::u16string drive = currentDirectory.substr(0, 2);
    if (path.size() >= 2 && path[1] == u':') {
        if (path.size() >= 3 && path[2] == u'\\') return Normalize(path, 2);
        const std::u16string base =
            path.compare(0, 2, drive) == 0 ? currentDirectory : path.substr(0, 2);
        return Normalize(base + u"\\" + path.substr(2), 2);
    }
    if (!path.empty() && path[0] == u'\\') return Normalize(drive + path, 2);
    return Normalize(currentDirectory + u"\\" + path, 2);
}

std::u16string FakePlatform::ToWide(const std::string& ansi) const {
    std::u16string wide;
    for (std::size_t i = 0; i < ansi.size(); ++i) {
        const auto byte = static_cast<unsigned char>(ansi[i]);
        if (systemCodePage == 932 && IsLeadByte(byte) && i + 1 < ansi.size()) {
            wide += Cp932Unit(
                static_cast<unsigned>(byte << 8 | static_cast<unsigned char>(ansi[i + 1])));
            ++i;
        } else {
            wide += static_cast<char16_t>(byte);
        }
    }
    return wide;
}

bool FakePlatform::Fails(const char* call) {
    calls.push_back(call);
    const bool injected = static_cast<int>(failableCalls.size()) == failCallNumber;
    failableCalls.push_back(call);
    if (injected) injectedAt = calls.size() - 1;
    return injected || failing.count(call) != 0;
}

bool FakePlatform::IsLeadByte(unsigned char byte) const {
    const auto ranges = leadByteRanges.find(systemCodePage);
    if (ranges == leadByteRanges.end()) return false;
    for (std::size_t i = 0; i < 12; i += 2) {
        if (ranges->second[i] == 0 && ranges->second[i + 1] == 0) break;
        if (byte >= ranges->second[i] && byte <= ranges->second[i + 1]) return true;
    }
    return false;
}

bool FakePlatform::ParentIsDirectory(const std::u16string& key) const {
    const auto parent = nodes.find(ParentOf(key));
    return parent != nodes.end() && parent->second.kind == Node::kDirectory &&
           parent->second.reparse.empty();
}

bool FakePlatform::HasChildren(const std::u16string& key) const {
    return std::any_of(nodes.begin(), nodes.end(),
                       [&](const auto& entry) { return ParentOf(entry.first) == key; });
}

bool FakePlatform::IsOpen(const std::u16string& key) const {
    return std::any_of(handles_.begin(), handles_.end(),
                       [&](const auto& entry) { return entry.second == key; });
}

const char* FakePlatform::GetCommandLineA() {
    calls.push_back("GetCommandLineA");
    return commandLine.c_str();
}

const char* FakePlatform::CharNextA(const char* position) {
    if (*position == '\0') return position;
    if (systemCodePage == 932 && IsLeadByte(static_cast<unsigned char>(*position)) &&
        position[1] != '\0') {
        return position + 2;
    }
    return position + 1;
}

std::uint32_t FakePlatform::GetModuleFileNameA(char* buffer, std::uint32_t size) {
    if (Fails("GetModuleFileNameA") || size == 0) return 0;
    const auto length = std::min<std::size_t>(moduleFileName.size(), size - 1);
    std::memcpy(buffer, moduleFileName.data(), length);
    buffer[length] = '\0';
    // Like Windows since Vista: a name that does not fit gives the buffer's size.
    return length < moduleFileName.size() ? size : static_cast<std::uint32_t>(length);
}

std::uint32_t FakePlatform::GetThreadLocale() {
    calls.push_back("GetThreadLocale");
    return threadLocale;
}

int FakePlatform::GetLocaleInfoA(std::uint32_t locale, std::uint32_t type, char* buffer, int size) {
    if (Fails("GetLocaleInfoA") || type != kLocaleDefaultAnsiCodePage) return 0;
    const auto found = localeCodePageText.find(locale);
    if (found == localeCodePageText.end()) return 0;
    const std::string& text = found->second;
    if (static_cast<int>(text.size()) + 1 > size) return 0;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<int>(text.size()) + 1;
}

std::uint32_t FakePlatform::GetACP() {
    calls.push_back("GetACP");
    return systemCodePage;
}

bool FakePlatform::GetCPInfo(std::uint32_t codePage, CodePageInfo* info) {
    codePagesAsked.push_back(codePage);
    if (Fails("GetCPInfo")) return false;
    const auto found = leadByteRanges.find(codePage == kCodePageAnsi ? systemCodePage : codePage);
    if (found == leadByteRanges.end()) return false;
    info->MaxCharSize = found->second[0] != 0 ? 2 : 1;
    info->DefaultChar[0] = '?';
    info->DefaultChar[1] = 0;
    std::memcpy(info->LeadByte, found->second.data(), 12);
    return true;
}

int FakePlatform::MultiByteToWideChar(std::uint32_t codePage, std::uint32_t flags, const char* text,
                                      int length, char16_t* wide, int wideSize) {
    if (Fails("MultiByteToWideChar") || codePage != kCodePageAnsi || flags != 0) return 0;
    const std::u16string converted = ToWide(std::string(text, static_cast<std::size_t>(length)));
    const int units = static_cast<int>(converted.size());
    if (wideSize == 0) return units;
    if (wideSize < units) return 0;
    std::copy(converted.begin(), converted.end(), wide);
    return units;
}

std::uint32_t FakePlatform::GetFullPathNameW(const char16_t* path, std::uint32_t size,
                                             char16_t* buffer) {
    if (Fails("GetFullPathNameW")) return 0;
    const std::u16string full = Resolve(path);
    const auto length = static_cast<std::uint32_t>(full.size());
    if (size < length + 1) return length + 1;
    std::copy(full.begin(), full.end(), buffer);
    buffer[length] = u'\0';
    return length;
}

std::uint32_t FakePlatform::GetFileAttributesA(const char* path) {
    if (Fails("GetFileAttributesA")) return kInvalidFileAttributes;
    const auto found = nodes.find(Key(Resolve(ToWide(path))));
    if (found == nodes.end()) return kInvalidFileAttributes;
    if (found->second.kind == Node::kFile) return 0x20;  // FILE_ATTRIBUTE_ARCHIVE
    return kFileAttributeDirectory | (found->second.reparse.empty() ? 0 : 0x400);
}

bool FakePlatform::CreateHardLinkA(const char* link, const char* existing,
                                   void* securityAttributes) {
    if (Fails("CreateHardLinkA") || securityAttributes != nullptr) return false;
    const auto source = nodes.find(Key(Resolve(ToWide(existing))));
    const std::u16string key = Key(Resolve(ToWide(link)));
    if (source == nodes.end() || source->second.kind != Node::kFile) return false;
    if (Exists(key) || !ParentIsDirectory(key)) return false;
    if (key.compare(0, 2, source->first, 0, 2) != 0) return false;  // another volume
    nodes[key] = source->second;
    return true;
}

bool FakePlatform::CreateDirectoryW(const char16_t* path, void* securityAttributes) {
    if (Fails("CreateDirectoryW") || securityAttributes != nullptr) return false;
    const std::u16string key = Key(Resolve(path));
    if (key.empty() || Exists(key) || !ParentIsDirectory(key)) return false;
    AddDirectory(key);
    return true;
}

Handle FakePlatform::CreateFileW(const char16_t* path, std::uint32_t access, std::uint32_t share,
                                 void* securityAttributes, std::uint32_t disposition,
                                 std::uint32_t flags, Handle templateFile) {
    opens.push_back(OpenCall{path, access, share, disposition, flags, securityAttributes != nullptr,
                             templateFile != nullptr});
    if (Fails("CreateFileW") || disposition != kOpenExisting) return kInvalidHandleValue;
    const std::u16string key = Key(Resolve(path));
    const auto found = nodes.find(key);
    if (found == nodes.end()) return kInvalidHandleValue;
    // A directory opens only with backup semantics.
    if (found->second.kind == Node::kDirectory && (flags & kFileFlagBackupSemantics) == 0) {
        return kInvalidHandleValue;
    }
    const std::uintptr_t handle = nextHandle_++;
    handles_[handle] = key;
    return reinterpret_cast<Handle>(handle);
}

bool FakePlatform::DeviceIoControl(Handle device, std::uint32_t code, const void* in,
                                   std::uint32_t inSize, void* out, std::uint32_t outSize,
                                   std::uint32_t* bytesReturned, void* overlapped) {
    const auto* bytes = static_cast<const unsigned char*>(in);
    ioControls.push_back(IoControlCall{code,
                                       {bytes, bytes + inSize},
                                       out != nullptr,
                                       outSize,
                                       bytesReturned != nullptr,
                                       overlapped != nullptr});
    if (bytesReturned != nullptr) *bytesReturned = 0;
    if (Fails("DeviceIoControl") || code != kFsctlSetReparsePoint || !reparsePointsSupported) {
        return false;
    }
    const auto handle = handles_.find(reinterpret_cast<std::uintptr_t>(device));
    if (handle == handles_.end()) return false;
    Node& node = nodes[handle->second];
    if (node.kind != Node::kDirectory || HasChildren(handle->second)) return false;
    // NTFS takes a mount-point record only when its lengths agree.
    auto u16 = [bytes](std::size_t at) {
        return static_cast<unsigned>(bytes[at] | bytes[at + 1] << 8);
    };
    if (inSize < 20 || u16(0) != 0x0003 || u16(2) != 0xA000 || u16(4) + 8u != inSize) return false;
    if (u16(8) + u16(10) + 2 > inSize - 16 || u16(12) + u16(14) + 2 > inSize - 16) return false;
    node.reparse.assign(bytes, bytes + inSize);
    return true;
}

bool FakePlatform::CloseHandle(Handle handle) {
    calls.push_back("CloseHandle");
    if (handles_.erase(reinterpret_cast<std::uintptr_t>(handle)) == 0) {
        ++doubleCloses;
        return false;
    }
    return true;
}

bool FakePlatform::RemoveDirectoryW(const char16_t* path) {
    if (Fails("RemoveDirectoryW")) return false;
    const std::u16string key = Key(Resolve(path));
    const auto found = nodes.find(key);
    if (found == nodes.end() || found->second.kind != Node::kDirectory) return false;
    // An open handle without delete sharing keeps the directory where it is.
    if (HasChildren(key) || IsOpen(key)) return false;
    nodes.erase(found);
    return true;
}

int FakePlatform::MessageBoxA(void* owner, const char* text, const char* caption,
                              std::uint32_t type) {
    calls.push_back("MessageBoxA");
    boxes.push_back(MessageBoxCall{owner, text, caption, type});
    return 1;  // IDOK
}

}  // namespace tolvik::testing
