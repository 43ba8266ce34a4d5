// "device": the descriptor of the configured interface, built from the settings without
// connecting to the hardware.

#include <CLI/CLI.hpp>

#include <iostream>

#include "acquisition/DeviceFactory.h"
#include "acquisition/EmulDeviceDescriptor.h"
#include "cli/CliContext.h"

namespace kalvero::cli {

void RegisterDeviceCommand(CLI::App& aApp, TCliContext& aContext) {
    auto* cmd = aApp.add_subcommand("device", "Check the configured measuring interface and describe it");
    cmd->callback([&aContext] {
        const TAppConfig& config = aContext.Process().Config();
        // The emulator records through its own descriptor, which also checks the curve settings.
        const std::unique_ptr<TBaseDeviceDescriptor> device =
            config.interfaceType == itEmul ? std::make_unique<TEmulDeviceDescriptor>(config)
                                           : TDeviceFactory::GetDeviceDescriptor(config);
        nlohmann::ordered_json result;
        result["interfaceType"] = InterfaceTypeName(config.interfaceType);
        result["description"] = device->GetDescription();
        if (aContext.Options().json) {
            aContext.Print(result);
            return;
        }
        // One line per "name=value" of the description.
        std::cout << "interfaceType: " << result["interfaceType"].get<std::string>() << '\n';
        std::string line;
        for (char c : device->GetDescription()) {
            if (c != '\r') {
                line += c;
                continue;
            }
            std::cout << line << '\n';
            line.clear();
        }
        std::cout.flush();
    });
}

}  // namespace kalvero::cli
