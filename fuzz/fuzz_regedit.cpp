// REGEDIT4 import: any text is either applied whole or refused with nothing changed.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "win32/registry.h"

namespace {

constexpr std::string_view kBase =
    "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Base]\r\n@=\"default\"\r\n\"n\"=dword:00000001\r\n"
    "\"b\"=hex:01,02\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Base\\Child]\r\n\"m\"=hex(7):61,00,00\r\n";

const win32::HKEY kRoots[] = {
    win32::HKEY_CLASSES_ROOT,     win32::HKEY_CURRENT_USER,   win32::HKEY_LOCAL_MACHINE, win32::HKEY_USERS,
    win32::HKEY_PERFORMANCE_DATA, win32::HKEY_CURRENT_CONFIG, win32::HKEY_DYN_DATA};

std::string Snapshot() {
    std::string all, text;
    for (win32::HKEY root : kRoots) {
        if (win32::RegExportBranch(root, "", text) != win32::ERROR_SUCCESS) std::abort();
        all += text;
    }
    return all;
}

void Restore() {
    for (win32::HKEY root : kRoots)
        if (win32::RegDeleteTree(root, nullptr) != win32::ERROR_SUCCESS) std::abort();
    if (win32::RegImportText(kBase) != win32::ERROR_SUCCESS) std::abort();
}

const std::string& Baseline() {
    static const std::string baseline = [] {
        char folder[] = "/tmp/zyl-fuzz-regedit-XXXXXX";
        if (!mkdtemp(folder)) std::abort();
        win32::testing::SetMimeTypesPath("");
        win32::testing::SetRegistryPath(std::string(folder) + "/registry.sqlite");
        Restore();
        return Snapshot();
    }();
    return baseline;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& baseline = Baseline();
    std::string error;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    win32::LSTATUS status = win32::RegImportText(text, &error);
    if (status != win32::ERROR_SUCCESS) {
        if (error.empty()) std::abort();
        if (Snapshot() != baseline) {
            std::fprintf(stderr, "a refused import changed the registry: %s\n", error.c_str());
            std::abort();
        }
        return 0;
    }
    Restore();
    return 0;
}
