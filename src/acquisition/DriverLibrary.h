#pragma once
// Converter driver libraries are loaded by file name, the way the program has always named them
// ("RshUniDriver.dll", "io.dll"). On this platform the file is the shared library
// "lib<stem>.so", looked for in this order:
//   1. every folder of KALVERO_DRIVER_PATH (colon-separated), so an installation can point at
//      the vendor's driver;
//   2. the program's own folder and the "lib" folder beside it (<build>/bin → <build>/lib, where
//      the simulated drivers of drivers/ are built);
//   3. the dynamic loader's own search by bare name (LD_LIBRARY_PATH, the program's run path,
//      the system's library cache).

#include <string>

namespace kalvero {

// "RshUniDriver.dll" → "libRshUniDriver.so"; a name without ".dll" gets "lib" and ".so" likewise.
std::string DriverFileName(const std::string& aDriverName);

// The handle of the loaded library, or null with the loader's last error text in aError.
void* OpenDriverLibrary(const std::string& aDriverName, std::string& aError);

}  // namespace kalvero
