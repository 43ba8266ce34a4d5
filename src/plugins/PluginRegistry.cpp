#include "plugins/PluginRegistry.h"

#include <map>
#include <mutex>

namespace kalvero {
namespace {

std::mutex& RegistryMutex() {
    static std::mutex m;
    return m;
}

std::map<std::string, TPluginFactory>& Registry() {
    static std::map<std::string, TPluginFactory> classes;
    return classes;
}

}  // namespace

void RegisterPluginClass(const std::string& aClassName, TPluginFactory aFactory) {
    std::lock_guard lock(RegistryMutex());
    Registry()[aClassName] = aFactory;
}

void UnregisterPluginClass(const std::string& aClassName) {
    std::lock_guard lock(RegistryMutex());
    Registry().erase(aClassName);
}

TPluginFactory FindPluginClass(const std::string& aClassName) {
    std::lock_guard lock(RegistryMutex());
    const auto it = Registry().find(aClassName);
    return it == Registry().end() ? nullptr : it->second;
}

}  // namespace kalvero
