// A stand-in for Windows: a scripted command line and locale, and a small
// in-memory NTFS volume that behaves like the real one for what the program
// does to it. Every call is logged; any call can be made to fail.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tolvik::testing {

struct MessageBoxCall {
    void* owner;
    std::string text;
    std::string caption;
    std::uint32_t type;
};

struct OpenCall {
    std::u16string path;
    std::uint32_t access, share, disposition, flags;
    bool securityAttributes, templateFile;
};

struct IoControlCall {
    std::uint32_t code;
    std::vector<unsigned char> request;
    bool outBuffer;
    std::uint32_t outSize;
    bool bytesReturned, overlapped;
};

// One name on the fake volume.
struct Node {
    enum Kind { kDirectory, kFile } kind;
    int fileId = 0;                      // shared by hard links
    std::vector<unsigned char> reparse;  // the mount-point record, once set
    std::string content;
};

inline bool operator==(const Node& a, const Node& b) {
    return a.kind == b.kind && a.fileId == b.fileId && a.reparse == b.reparse &&
           a.content == b.content;
}

class FakePlatform final : public Platform {
  public:
    FakePlatform();

    // --- Scripted process and locale ---
    std::string commandLine = "tolvik.exe";
    std::uint32_t systemCodePage = 1252;  // CharNextA and MultiByteToWideChar follow it
    std::string moduleFileName = "C:\\tools\\tolvik.exe";
    std::uint32_t threadLocale = 0x409;
    std::map<std::uint32_t, std::string> localeCodePageText;               // GetLocaleInfoA
    std::map<std::uint32_t, std::array<std::uint8_t, 12>> leadByteRanges;  // GetCPInfo
    std::u16string currentDirectory = u"C:\\work";
    bool reparsePointsSupported = true;
    std::set<std::string> failing;  // names of calls that fail
    // Fault injection: the call with this number fails, counting from 0 over
    // the calls that can fail (those logged in failableCalls).
    int failCallNumber = -1;

    // --- What reached the platform ---
    std::vector<std::string> calls;
    std::vector<MessageBoxCall> boxes;
    std::vector<OpenCall> opens;
    std::vector<IoControlCall> ioControls;
    std::vector<std::uint32_t> codePagesAsked;  // GetCPInfo
    int doubleCloses = 0;
    std::vector<std::string> failableCalls;  // the calls that could have been made to fail
    std::size_t injectedAt = 0;              // where in `calls` failCallNumber struck
    int openHandles() const { return static_cast<int>(handles_.size()); }
    // The calls that touch the volume, in order.
    std::vector<std::string> FileSystemCalls() const;

    // --- The volume: full paths with drive letters, looked up exactly ---
    std::map<std::u16string, Node> nodes;
    void AddDirectory(const std::u16string& path);
    void AddFile(const std::u16string& path, const std::string& content = "data");
    bool Exists(const std::u16string& path) const { return nodes.count(path) != 0; }
    int LinkCount(const std::u16string& path) const;
    std::u16string Resolve(const std::u16string& path) const;  // as GetFullPathNameW
    std::u16string ToWide(const std::string& ansi) const;

    const char* GetCommandLineA() override;
    const char* CharNextA(const char* position) override;
    std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t size) override;
    std::uint32_t GetThreadLocale() override;
    int GetLocaleInfoA(std::uint32_t locale, std::uint32_t type, char* buffer, int size) override;
    std::uint32_t GetACP() override;
    bool GetCPInfo(std::uint32_t codePage, CodePageInfo* info) override;
    int MultiByteToWideChar(std::uint32_t codePage, std::uint32_t flags, const char* text,
                            int length, char16_t* wide, int wideSize) override;
    std::uint32_t GetFullPathNameW(const char16_t* path, std::uint32_t size,
                                   char16_t* buffer) override;
    std::uint32_t GetFileAttributesA(const char* path) override;
    bool CreateHardLinkA(const char* link, const char* existing, void* securityAttributes) override;
    bool CreateDirectoryW(const char16_t* path, void* securityAttributes) override;
    Handle CreateFileW(const char16_t* path, std::uint32_t access, std::uint32_t share,
                       void* securityAttributes, std::uint32_t disposition, std::uint32_t flags,
                       Handle templateFile) override;
    bool DeviceIoControl(Handle device, std::uint32_t code, const void* in, std::uint32_t inSize,
                         void* out, std::uint32_t outSize, std::uint32_t* bytesReturned,
                         void* overlapped) override;
    bool CloseHandle(Handle handle) override;
    bool RemoveDirectoryW(const char16_t* path) override;
    int MessageBoxA(void* owner, const char* text, const char* caption,
                    std::uint32_t type) override;

  private:
    bool Fails(const char* call);
    bool IsLeadByte(unsigned char byte) const;
    bool ParentIsDirectory(const std::u16string& path) const;
    bool HasChildren(const std::u16string& path) const;
    bool IsOpen(const std::u16string& path) const;

    std::map<std::uintptr_t, std::u16string> handles_;  // open ones only
    std::uintptr_t nextHandle_ = 0x100;
    int nextFileId_ = 1;
};

// Narrow bytes of a UTF-16 text that holds only ASCII, for messages.
std::string Narrow(const std::u16string& text);

}  // namespace tolvik::testing
