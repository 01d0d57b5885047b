// The real Windows behind the boundary: each call forwards to the Win32
// function of the same name. USER32 is loaded only when a box may be shown,
// so that a silent success costs no more than starting any program.
#pragma once

#include "platform/platform.h"

namespace tolvik {

class Win32Platform : public Platform {
  public:
    const char* GetCommandLineA() override;
    const char16_t* GetCommandLineW() override;
    std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t size) override;
    std::uint32_t GetModuleFileNameW(char16_t* buffer, std::uint32_t size) override;
    std::uint32_t GetThreadLocale() override;
    int GetLocaleInfoA(std::uint32_t locale, std::uint32_t type, char* buffer, int size) override;
    std::uint32_t GetACP() override;
    bool GetCPInfo(std::uint32_t codePage, CodePageInfo* info) override;
    int MultiByteToWideChar(std::uint32_t codePage, std::uint32_t flags, const char* text,
                            int length, char16_t* wide, int wideSize) override;
    std::uint32_t GetCurrentProcessId() override;
    bool ProcessIdToSessionId(std::uint32_t processId, std::uint32_t* sessionId) override;
    std::uint32_t GetVersion() override;
    std::uint32_t GetFullPathNameW(const char16_t* path, std::uint32_t size,
                                   char16_t* buffer) override;

    std::uint32_t GetFileAttributesA(const char* path) override;
    bool CreateHardLinkA(const char* link, const char* existing, void* securityAttributes) override;
    std::uint32_t GetFileAttributesW(const char16_t* path) override;
    bool CreateHardLinkW(const char16_t* link, const char16_t* existing,
                         void* securityAttributes) override;
    bool CreateDirectoryW(const char16_t* path, void* securityAttributes) override;
    Handle CreateFileW(const char16_t* path, std::uint32_t access, std::uint32_t share,
                       void* securityAttributes, std::uint32_t disposition, std::uint32_t flags,
                       Handle templateFile) override;
    bool DeviceIoControl(Handle device, std::uint32_t code, const void* in, std::uint32_t inSize,
                         void* out, std::uint32_t outSize, std::uint32_t* bytesReturned,
                         void* overlapped) override;
    bool CloseHandle(Handle handle) override;
    bool RemoveDirectoryW(const char16_t* path) override;

    Handle GetProcessWindowStation() override;
    bool GetUserObjectInformationW(Handle object, int index, void* info, std::uint32_t length,
                                   std::uint32_t* lengthNeeded) override;
    int MessageBoxW(void* owner, const char16_t* text, const char16_t* caption,
                    std::uint32_t type) override;
};

// From here on, every DLL the process loads, and every DLL those load, comes
// from the system folder: none from the program's own folder, where a planted
// imm32.dll or version.dll would otherwise be loaded with the first box.
void LoadDllsFromSystemFolderOnly();

}  // namespace tolvik
