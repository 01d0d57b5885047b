// A platform for fuzzing the command-line splitting: a command line to split
// and a CharNextA that steps like Windows does in one ANSI code page. Nothing
// else may be asked of it.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/platform.h"

namespace tolvik::fuzzing {

// The lead bytes of the code pages the fuzzers split in: 932 has two ranges,
// 1252 none.
inline bool IsLeadByteOf(std::uint32_t codePage, unsigned char byte) {
    if (codePage == 932) return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return false;
}

class CommandLinePlatform final : public Platform {
  public:
    explicit CommandLinePlatform(std::uint32_t codePage) : codePage_(codePage) {}

    std::string commandLine;
    std::string moduleFileName;

    const char* GetCommandLineA() override { return commandLine.c_str(); }

    // As CharNextA documents it: one byte further, two for a lead byte and the
    // byte after it; a lead byte right before the end is a character alone,
    // and at the end the position stays.
    const char* CharNextA(const char* position) override {
        if (*position == '\0') return position;
        if (IsLeadByteOf(codePage_, static_cast<unsigned char>(*position)) && position[1] != '\0') {
            return position + 2;
        }
        return position + 1;
    }

    std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t size) override {
        const std::size_t length = moduleFileName.size() < size ? moduleFileName.size() : 0;
        moduleFileName.copy(buffer, length);
        if (length < size) buffer[length] = '\0';
        return static_cast<std::uint32_t>(length);
    }

    // The splitting never needs these.
    std::uint32_t GetThreadLocale() override { std::abort(); }
    int GetLocaleInfoA(std::uint32_t, std::uint32_t, char*, int) override { std::abort(); }
    std::uint32_t GetACP() override { std::abort(); }
    bool GetCPInfo(std::uint32_t, CodePageInfo*) override { std::abort(); }
    int MultiByteToWideChar(std::uint32_t, std::uint32_t, const char*, int, char16_t*,
                            int) override {
        std::abort();
    }
    std::uint32_t GetFullPathNameW(const char16_t*, std::uint32_t, char16_t*) override {
        std::abort();
    }
    std::uint32_t GetFileAttributesA(const char*) override { std::abort(); }
    bool CreateHardLinkA(const char*, const char*, void*) override { std::abort(); }
    bool CreateDirectoryW(const char16_t*, void*) override { std::abort(); }
    Handle CreateFileW(const char16_t*, std::uint32_t, std::uint32_t, void*, std::uint32_t,
                       std::uint32_t, Handle) override {
        std::abort();
    }
    bool DeviceIoControl(Handle, std::uint32_t, const void*, std::uint32_t, void*, std::uint32_t,
                         std::uint32_t*, void*) override {
        std::abort();
    }
    bool CloseHandle(Handle) override { std::abort(); }
    bool RemoveDirectoryW(const char16_t*) override { std::abort(); }
    int MessageBoxA(void*, const char*, const char*, std::uint32_t) override { std::abort(); }

  private:
    std::uint32_t codePage_;
};

}  // namespace tolvik::fuzzing
