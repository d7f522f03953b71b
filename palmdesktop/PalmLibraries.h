#pragma once

#include "CondMgr.h"
#include "HsApi.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A shared library loaded at run time; closed when the object goes.
class SharedLibrary {
public:
    // Null when the library cannot be loaded; the loader's reason goes to error.
    static std::unique_ptr<SharedLibrary> Open(const std::string& path,
                                               std::string* error = nullptr);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The address of an exported symbol; null when there is none.
    void* Symbol(const char* name) const;

private:
    explicit SharedLibrary(void* handle) : m_handle(handle) {}
    void* m_handle;
};

// The conduit manager's calls, as loaded from its library or as a test
// supplies them.
struct ConduitManagerCalls {
    CmGetNotifierDllFunction getNotifierDll = nullptr;
    CmSetNotifierDllFunction setNotifierDll = nullptr;
    CmInstallCreatorFunction installCreator = nullptr;
    CmRemoveConduitByCreatorIDFunction removeConduitByCreatorId = nullptr;
};

// The conduit manager's calls with the buffers handled.
class ConduitManager {
public:
    // The name buffer every by-index call starts with.
    static constexpr std::int32_t kNameBufferSize = 260;

    explicit ConduitManager(const ConduitManagerCalls& calls) : m_calls(calls) {}

    // The notifier library registered under that number: empty for a number
    // without a registration, nothing once the numbers are past the last one
    // (any non-zero result). A name longer than the buffer is asked for again
    // with the size the conduit manager says it needs.
    std::optional<std::string> NotifierName(std::int32_t index) const;
    std::int32_t SetNotifier(std::int32_t index, const std::string& library) const;
    std::int32_t InstallCreator(const std::string& creator, const std::string& conduit) const;
    std::int32_t RemoveConduit(const std::string& creator) const;

private:
    ConduitManagerCalls m_calls;
};

struct HotSyncCalls {
    HsSetAppStatusFunction setAppStatus = nullptr;
};

class HotSyncApi {
public:
    explicit HotSyncApi(const HotSyncCalls& calls) : m_calls(calls) {}
    std::int32_t SetAppStatus(std::int32_t status, std::uint32_t flags) const {
        return m_calls.setAppStatus(status, flags);
    }

private:
    HotSyncCalls m_calls;
};

// Loads Palm Desktop's libraries from the Palm Desktop folder. What it
// loads stays loaded as long as the loader lives.
class IPalmLibraryLoader {
public:
    virtual ~IPalmLibraryLoader() = default;
    // Nothing when the library is missing or lacks one of its calls.
    virtual std::optional<HotSyncApi> LoadHotSyncApi(const std::string& palmFolder) = 0;
    virtual std::optional<ConduitManager> LoadConduitManager(const std::string& palmFolder) = 0;
};

class PalmLibraryLoader : public IPalmLibraryLoader {
public:
    static constexpr const char* kHotSyncApiFile = "libHsapi.so";
    static constexpr const char* kConduitManagerFile = "libCondMgr.so";

    std::optional<HotSyncApi> LoadHotSyncApi(const std::string& palmFolder) override;
    std::optional<ConduitManager> LoadConduitManager(const std::string& palmFolder) override;
    // Why the last load failed.
    const std::string& LastError() const { return m_lastError; }

private:
    // The library of that file in the folder, kept loaded; null on failure.
    SharedLibrary* Load(const std::string& palmFolder, const char* file);
    // Sets function to the library's call of that name; false when it has none.
    template <typename Function>
    bool Resolve(const SharedLibrary& library, const char* name, Function& function);

    std::vector<std::unique_ptr<SharedLibrary>> m_libraries;
    std::string m_lastError;
};
