#include "win32/resources.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "win32/kernel.h"

namespace win32 {

namespace {

struct Resource {
    WORD typeId;
    std::string typeName;  // for string types; empty when typeId is used
    std::string name;      // upper case, or "#id" for numeric names
    const void* data;
    size_t size;
};

struct Module {
    std::string name;
    std::vector<Resource> resources;
};

// Modules are never removed: resource pointers handed out stay valid for the process's life.
struct ResourceTable {
    std::mutex mutex;
    std::vector<Module> modules{Module{}};  // index 0: the program itself
};

ResourceTable& Table() {
    static ResourceTable* table = new ResourceTable();
    return *table;
}

std::string Upper(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : static_cast<char>(c);
    });
    return result;
}

// Resource names: "#123" and MAKEINTRESOURCE(123) are the same name.
std::string CanonicalName(const char* name) {
    if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<UINT_PTR>(name));
    return Upper(name);
}

constexpr UINT_PTR kModuleBase = 0x10000;

HMODULE ModuleHandle(size_t index) {
    return MakeHandle<HMODULE>(kModuleBase * (index + 1));
}

// The module index behind a handle; a null handle is the program.
bool ModuleIndex(const ResourceTable& table, HMODULE module, size_t& index) {
    if (!module) {
        index = 0;
        return true;
    }
    UINT_PTR value = HandleValue(module);
    if (value % kModuleBase != 0) return false;
    index = value / kModuleBase - 1;
    return index < table.modules.size();
}

// HRSRC and the HGLOBAL of a loaded resource are the same value: module and entry packed together.
UINT_PTR ResourceValue(size_t module, size_t entry) {
    return (module << 20) | (entry + 1);
}
const Resource* LookupResource(ResourceTable& table, UINT_PTR value) {
    size_t module = value >> 20, entry = (value & 0xFFFFF);
    if (entry == 0 || module >= table.modules.size() || entry > table.modules[module].resources.size())
        return nullptr;
    return &table.modules[module].resources[entry - 1];
}

}  // namespace

namespace {
void AddResource(const char* moduleName, Resource resource) {
    ResourceTable& table = Table();
    std::lock_guard lock(table.mutex);
    std::string wanted = moduleName ? moduleName : "";
    auto module = std::find_if(table.modules.begin(), table.modules.end(),
                               [&](const Module& m) { return Upper(m.name) == Upper(wanted); });
    if (module == table.modules.end()) {
        table.modules.push_back(Module{wanted, {}});
        module = table.modules.end() - 1;
    }
    module->resources.push_back(std::move(resource));
}
bool TypeMatches(const Resource& r, const char* type) {
    if (IS_INTRESOURCE(type)) return r.typeName.empty() && r.typeId == reinterpret_cast<UINT_PTR>(type);
    return r.typeName.empty() ? Upper(type) == "#" + std::to_string(r.typeId) : Upper(type) == r.typeName;
}
}  // namespace

void RegisterResource(const char* moduleName, WORD typeId, const char* name, const void* data, size_t size) {
    AddResource(moduleName, Resource{typeId, std::string(), CanonicalName(name), data, size});
}

void RegisterResource(const char* moduleName, const char* typeName, const char* name, const void* data,
                      size_t size) {
    AddResource(moduleName, Resource{0, Upper(typeName), CanonicalName(name), data, size});
}

HMODULE GetModuleHandle(const char* moduleName) {
    ResourceTable& table = Table();
    std::lock_guard lock(table.mutex);
    if (!moduleName || !*moduleName) return ModuleHandle(0);
    for (size_t i = 1; i < table.modules.size(); ++i)
        if (Upper(table.modules[i].name) == Upper(moduleName)) return ModuleHandle(i);
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HRSRC FindResource(HMODULE module, const char* name, const char* type) {
    ResourceTable& table = Table();
    std::lock_guard lock(table.mutex);
    size_t index = 0;
    if (!name || !type || !ModuleIndex(table, module, index)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const std::string wanted = CanonicalName(name);
    const std::vector<Resource>& resources = table.modules[index].resources;
    for (size_t i = 0; i < resources.size(); ++i) {
        const Resource& r = resources[i];
        if (TypeMatches(r, type) && r.name == wanted) return MakeHandle<HRSRC>(ResourceValue(index, i));
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

BOOL EnumResourceNames(HMODULE module, const char* type, ENUMRESNAMEPROC proc, LONG_PTR param) {
    // The names are copied first: the callback may load resources, which takes the table's lock.
    std::vector<std::string> names;
    {
        ResourceTable& table = Table();
        std::lock_guard lock(table.mutex);
        size_t index = 0;
        if (!type || !proc || !ModuleIndex(table, module, index)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        for (const Resource& r : table.modules[index].resources)
            if (TypeMatches(r, type)) names.push_back(r.name);
    }
    if (names.empty()) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    for (std::string& name : names) {
        // "#12" goes out as the id 12, as FindResource takes it back.
        const bool numeric = name.size() > 1 && name.size() <= 6 && name[0] == '#' &&
                             name.find_first_not_of("0123456789", 1) == std::string::npos &&
                             std::stoul(name.substr(1)) <= 0xFFFF;
        char* passed =
            numeric ? const_cast<char*>(MAKEINTRESOURCEA(static_cast<WORD>(std::stoul(name.substr(1)))))
                    : name.data();
        if (!proc(module, type, passed, param)) break;
    }
    return TRUE;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
    ResourceTable& table = Table();
    std::lock_guard lock(table.mutex);
    if (!resource || !LookupResource(table, HandleValue(resource))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return reinterpret_cast<HGLOBAL>(HandleValue(resource));
}

const void* LockResource(HGLOBAL resource) {
    ResourceTable& table = Table();
    std::lock_guard lock(table.mutex);
    const Resource* r = resource ? LookupResource(table, reinterpret_cast<UINT_PTR>(resource)) : nullptr;
    return r ? r->data : nullptr;
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
    ResourceTable& table = Table();
    std::lock_guard lock(table.mutex);
    const Resource* r = resource ? LookupResource(table, HandleValue(resource)) : nullptr;
    if (!r) SetLastError(ERROR_INVALID_HANDLE);
    return r ? static_cast<DWORD>(r->size) : 0;
}

BOOL FreeResource(HGLOBAL) {
    return FALSE;
}  // resources live as long as the process, as in Win32

HBITMAP LoadBitmap(HINSTANCE instance, const char* name) {
    HRSRC resource = FindResource(instance, name, RT_BITMAP);
    if (!resource) return nullptr;
    const void* data = LockResource(LoadResource(instance, resource));
    return ReadBmp(data, SizeofResource(instance, resource));
}

}  // namespace win32
