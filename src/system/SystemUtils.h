#pragma once
// The operating system's shell as the dialogs need it: the port lists of the device settings,
// opening a file or folder with the desktop's default application, and the registration of the
// experiment file type.
//
// The shell is the freedesktop one: files and folders open through xdg-open, which hands them to
// the desktop's default application; the file type is registered as a MIME type with a desktop
// entry in the per-user data folder ($XDG_DATA_HOME, else ~/.local/share), and, as the shell of
// the original platform kept it, under the classes root of the settings store ("Software\Classes"
// in the machine-wide store, each key's default value under the name "@").

#include <string>
#include <vector>

namespace kalvero::SystemUtils {

// The parallel ports a converter may sit on: "$278" and "$378".
std::vector<std::string> GetAvailableLptPorts();
// "COM1" … "COM32", each only when its device (aDeviceFolder + "ttyS0" for COM1, and so on) can
// be opened for reading and writing now; it is closed again at once.
std::vector<std::string> GetAvailableComPorts(const std::string& aDeviceFolder = "/dev/");

// The full name of a program found on PATH; empty when there is none.
std::string FindExecutable(const std::string& aName);

// Whether the desktop has an application for files of aMimeType: the opener is installed and,
// where it can be asked, names a default application for the type.
bool CanShellOpen(const std::string& aMimeType);
// Opens a file or folder with the desktop's default application, without waiting for it. False
// when there is no opener.
bool ShellOpen(const std::string& aPath);

// Registers files ending in "." + aExtension as aLabel, opened by aProgramFile. Throws EFileError
// or ERegistryException when the registration cannot be written.
void RegisterExt(const std::string& aExtension, const std::string& aLabel, const std::string& aProgramFile);

// The MIME type of registered experiment files, "application/x-kalvero-" + the extension.
std::string ExperimentMimeType(const std::string& aExtension);

}  // namespace kalvero::SystemUtils
