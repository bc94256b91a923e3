#include "platform/win32/file_system_win32.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "platform/error.h"
#include "platform/win32/strings.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

PlatformError lastWin32Error(std::int32_t fallback) { return errorFromWin32(::GetLastError(), fallback); }

// A log line goes straight to the system with WriteFile: nothing is held in
// the process, so a crash later on loses no line already written.
class Win32TextStream : public TextStream {
public:
    explicit Win32TextStream(unique_hfile file) : file_(std::move(file)) {}

    void writeLine(const std::string& text) override {
        if (!file_) throw PlatformError(errnum::nombreArchivoIncorrecto);
        const std::string bytes = toAnsi(text) + "\r\n";
        const char* next = bytes.data();
        std::size_t left = bytes.size();
        while (left > 0) {
            const DWORD chunk = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
            DWORD written = 0;
            if (!::WriteFile(file_.get(), next, chunk, &written, nullptr)) {
                throw lastWin32Error(errnum::errorDeEntradaSalida);
            }
            if (written == 0) throw PlatformError(errnum::errorDeEntradaSalida);
            next += written;
            left -= written;
        }
    }

    void close() override {
        if (!file_) return;
        // The one place where the result of closing matters, so the handle
        // leaves its owner first.
        if (!::CloseHandle(file_.release())) throw lastWin32Error(errnum::errorDeEntradaSalida);
    }

private:
    unique_hfile file_;
};

class Win32FileSystemObject : public FileSystemObject {
public:
    std::unique_ptr<TextStream> createTextFile(const std::string& path) override {
        const std::wstring widePath = toWide(path);
        unique_hfile file(::CreateFileW(widePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) throw lastWin32Error(errnum::accesoRutaArchivo);
        return std::make_unique<Win32TextStream>(std::move(file));
    }

    void copyFile(const std::string& source, const std::string& destination) override {
        const std::wstring from = toWide(source);
        const std::wstring to = toWide(destination);
        if (!::CopyFileW(from.c_str(), to.c_str(), FALSE)) {
            throw lastWin32Error(errnum::accesoRutaArchivo);
        }
    }
};

}  // namespace

std::unique_ptr<FileSystemObject> makeFileSystemObject() { return std::make_unique<Win32FileSystemObject>(); }

}  // namespace trevanil::win32
