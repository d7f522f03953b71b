#include "ToolModules.h"

#include "ProgramModules.h"

#include <map>

namespace {

const ToolCommandTable* g_linked = nullptr;
// Loaded modules stay loaded until the process ends: their commands' code
// and texts are used until then.
std::map<std::string, const ToolCommandTable*> g_loaded;

const ToolCommand* InTable(const ToolCommandTable& table, const std::string& name) {
    for (std::size_t i = 0; i < table.count; ++i)
        if (name == table.commands[i].name)
            return &table.commands[i];
    return nullptr;
}

const ToolCommandTable* Load(const char* moduleFile, std::FILE* err) {
    if (const auto loaded = g_loaded.find(moduleFile); loaded != g_loaded.end())
        return loaded->second;
    std::string reasons;
    const auto entry = reinterpret_cast<ToolModules::Entry>(
        ProgramModules::LoadEntry(moduleFile, ToolModules::kEntryName, reasons));
    if (entry != nullptr) {
        const ToolCommandTable* table = entry();
        g_loaded.emplace(moduleFile, table);
        return table;
    }
    std::fprintf(err, "tvtool: the command module %s could not be loaded:%s\n", moduleFile,
                 reasons.c_str());
    return nullptr;
}

} // namespace

namespace ToolModules {

void UseLinked(const ToolCommandTable& table) {
    g_linked = &table;
}

const ToolCommand* Find(const std::string& name, const char* moduleFile, std::FILE* err,
                        bool& loadFailed) {
    const ToolCommandTable* table = g_linked != nullptr ? g_linked : Load(moduleFile, err);
    loadFailed = table == nullptr;
    if (table == nullptr)
        return nullptr;
    return InTable(*table, name);
}

} // namespace ToolModules
