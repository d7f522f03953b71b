#include "PalmLibraries.h"

#include <dlfcn.h>

std::unique_ptr<SharedLibrary> SharedLibrary::Open(const std::string& path, std::string* error) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        if (error != nullptr) {
            const char* reason = ::dlerror();
            *error = reason != nullptr ? reason : "cannot load " + path;
        }
        return nullptr;
    }
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary() {
    ::dlclose(m_handle);
}

void* SharedLibrary::Symbol(const char* name) const {
    return ::dlsym(m_handle, name);
}

std::optional<std::string> ConduitManager::NotifierName(std::int32_t index) const {
    // A Linux path may be far longer than the first buffer; a conduit manager
    // that asks for more than this is not believed.
    constexpr std::int32_t kLargestName = 1 << 16;
    std::vector<char> name(kNameBufferSize, '\0');
    std::int32_t size = kNameBufferSize;
    std::int32_t result = m_calls.getNotifierDll(index, name.data(), &size);
    if (result == CondMgrError::BufferTooSmall && size > kNameBufferSize && size <= kLargestName) {
        name.assign(static_cast<std::size_t>(size), '\0');
        result = m_calls.getNotifierDll(index, name.data(), &size);
    }
    if (result != 0)
        return std::nullopt;
    name.back() = '\0';
    return std::string(name.data());
}

std::int32_t ConduitManager::SetNotifier(std::int32_t index, const std::string& library) const {
    return m_calls.setNotifierDll(index, library.c_str());
}

std::int32_t ConduitManager::InstallCreator(const std::string& creator,
                                            const std::string& conduit) const {
    return m_calls.installCreator(creator.c_str(), conduit.c_str());
}

std::int32_t ConduitManager::RemoveConduit(const std::string& creator) const {
    return m_calls.removeConduitByCreatorId(creator.c_str());
}

SharedLibrary* PalmLibraryLoader::Load(const std::string& palmFolder, const char* file) {
    auto library = SharedLibrary::Open(palmFolder + "/" + file, &m_lastError);
    if (library == nullptr)
        return nullptr;
    m_libraries.push_back(std::move(library));
    return m_libraries.back().get();
}

template <typename Function>
bool PalmLibraryLoader::Resolve(const SharedLibrary& library, const char* name,
                                Function& function) {
    function = reinterpret_cast<Function>(library.Symbol(name));
    if (function == nullptr)
        m_lastError = std::string("no ") + name + " in the library";
    return function != nullptr;
}

std::optional<HotSyncApi> PalmLibraryLoader::LoadHotSyncApi(const std::string& palmFolder) {
    const SharedLibrary* library = Load(palmFolder, kHotSyncApiFile);
    HotSyncCalls calls;
    if (library == nullptr || !Resolve(*library, "HsSetAppStatus", calls.setAppStatus))
        return std::nullopt;
    return HotSyncApi(calls);
}

std::optional<ConduitManager> PalmLibraryLoader::LoadConduitManager(const std::string& palmFolder) {
    const SharedLibrary* library = Load(palmFolder, kConduitManagerFile);
    ConduitManagerCalls calls;
    if (library == nullptr || !Resolve(*library, "CmGetNotifierDll", calls.getNotifierDll) ||
        !Resolve(*library, "CmSetNotifierDll", calls.setNotifierDll) ||
        !Resolve(*library, "CmInstallCreator", calls.installCreator) ||
        !Resolve(*library, "CmRemoveConduitByCreatorID", calls.removeConduitByCreatorId))
        return std::nullopt;
    return ConduitManager(calls);
}
