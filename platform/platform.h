// The program's one boundary to Windows: exactly the calls it makes, under
// their Win32 names and with their Win32 arguments, so that a test double can
// stand in for Windows and record what would reach it.
//
// Nothing here includes <windows.h>; the constants carry the platform's values
// and the real implementation checks them against the platform's headers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvik {

using Handle = void*;
inline Handle const kInvalidHandleValue = reinterpret_cast<Handle>(static_cast<std::intptr_t>(-1));

constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
constexpr std::uint32_t kFileAttributeDirectory = 0x10u;
// MAX_PATH. The ANSI file calls refuse a path of this many UTF-16 units or
// more, its terminator not counted, with \\?\ or without.
constexpr std::size_t kMaxPath = 260;

constexpr std::uint32_t kCodePageAnsi = 0;                    // CP_ACP
constexpr std::uint32_t kCodePageJapanese = 932;              // Shift_JIS, the fixed texts' own
constexpr std::uint32_t kLocaleDefaultAnsiCodePage = 0x1004;  // LOCALE_IDEFAULTANSICODEPAGE

constexpr std::uint32_t kGenericWrite = 0x40000000u;
constexpr std::uint32_t kFileShareRead = 0x1u;
constexpr std::uint32_t kFileShareWrite = 0x2u;
constexpr std::uint32_t kOpenExisting = 3u;
constexpr std::uint32_t kFileFlagOpenReparsePoint = 0x00200000u;
constexpr std::uint32_t kFileFlagBackupSemantics = 0x02000000u;
constexpr std::uint32_t kFsctlSetReparsePoint = 0x000900A4u;

constexpr std::uint32_t kMbIconError = 0x10u;
constexpr std::uint32_t kMbIconInformation = 0x40u;
constexpr int kUoiFlags = 1;                 // UOI_FLAGS
constexpr std::uint32_t kWsfVisible = 0x1u;  // WSF_VISIBLE

// CPINFO, field for field.
struct CodePageInfo {
    std::uint32_t MaxCharSize;
    std::uint8_t DefaultChar[2];
    std::uint8_t LeadByte[12];
};

// USEROBJECTFLAGS, field for field.
struct UserObjectFlags {
    int fInherit;
    int fReserved;
    std::uint32_t dwFlags;
};

class Platform {
  public:
    // Process, locale and text.
    virtual const char* GetCommandLineA() = 0;
    // The command line as the program was started with it; the ANSI one is
    // made from it and may differ.
    virtual const char16_t* GetCommandLineW() = 0;
    virtual std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t size) = 0;
    // The same path as Windows holds it, which the ANSI one is made from.
    virtual std::uint32_t GetModuleFileNameW(char16_t* buffer, std::uint32_t size) = 0;
    virtual std::uint32_t GetThreadLocale() = 0;
    virtual int GetLocaleInfoA(std::uint32_t locale, std::uint32_t type, char* buffer,
                               int size) = 0;
    virtual std::uint32_t GetACP() = 0;
    virtual bool GetCPInfo(std::uint32_t codePage, CodePageInfo* info) = 0;
    virtual int MultiByteToWideChar(std::uint32_t codePage, std::uint32_t flags, const char* text,
                                    int length, char16_t* wide, int wideSize) = 0;
    virtual std::uint32_t GetCurrentProcessId() = 0;
    virtual bool ProcessIdToSessionId(std::uint32_t processId, std::uint32_t* sessionId) = 0;
    // The major version in the low byte, the minor one in the next; Windows 8.1
    // and later answer 6.2 to a program that does not name them in its manifest.
    virtual std::uint32_t GetVersion() = 0;
    // Only the junction asks for it: its target must be a full path.
    virtual std::uint32_t GetFullPathNameW(const char16_t* path, std::uint32_t size,
                                           char16_t* buffer) = 0;

    // File system.
    virtual std::uint32_t GetFileAttributesA(const char* path) = 0;
    virtual bool CreateHardLinkA(const char* link, const char* existing,
                                 void* securityAttributes) = 0;
    // The same two for paths the code page cannot carry, as they were typed.
    virtual std::uint32_t GetFileAttributesW(const char16_t* path) = 0;
    virtual bool CreateHardLinkW(const char16_t* link, const char16_t* existing,
                                 void* securityAttributes) = 0;
    virtual bool CreateDirectoryW(const char16_t* path, void* securityAttributes) = 0;
    virtual Handle CreateFileW(const char16_t* path, std::uint32_t access, std::uint32_t share,
                               void* securityAttributes, std::uint32_t disposition,
                               std::uint32_t flags, Handle templateFile) = 0;
    virtual bool DeviceIoControl(Handle device, std::uint32_t code, const void* in,
                                 std::uint32_t inSize, void* out, std::uint32_t outSize,
                                 std::uint32_t* bytesReturned, void* overlapped) = 0;
    virtual bool CloseHandle(Handle handle) = 0;
    virtual bool RemoveDirectoryW(const char16_t* path) = 0;

    // User interface. The handle of the process's window station is
    // Windows' own and is never closed.
    virtual Handle GetProcessWindowStation() = 0;
    virtual bool GetUserObjectInformationW(Handle object, int index, void* info,
                                           std::uint32_t length, std::uint32_t* lengthNeeded) = 0;
    virtual int MessageBoxW(void* owner, const char16_t* text, const char16_t* caption,
                            std::uint32_t type) = 0;

  protected:
    ~Platform() = default;
};

}  // namespace tolvik
