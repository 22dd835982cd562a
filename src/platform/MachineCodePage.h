#pragma once
// The machine's ANSI code page, kept where Windows keeps it: the REG_SZ value
// ACP of HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Nls\CodePage,
// the code page's Windows number as text ("950", "65001"). Windows maintains
// it itself; on Linux an administrator sets it in the registry file, so that
// every program of ours reads KVRCFG alike whatever the user's locale.
#include <optional>
#include <string>

#include "platform/Registry.h"

namespace kvr::platform {

inline constexpr char kCodePageKey[] = "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage";
inline constexpr char kCodePageValue[] = "ACP";

// The value's number. Nothing when the key or the value is missing, or the
// value is not a REG_SZ of decimal digits from 1 to 65535.
std::optional<unsigned> ReadMachineCodePage(const Registry& registry);
// Sets the value; false when the registry cannot be written.
bool WriteMachineCodePage(const Registry& registry, unsigned codePage);

// The name SetAnsiCodePage takes for a code page's Windows number: "UTF-8"
// for 65001, "windows-<number>" for the others.
std::string CodePageName(unsigned codePage);

enum class MachineCodePage {
    NotSet,   // no value: the system's own code page stays in force
    InForce,  // the machine's code page is now the one in force
    Unknown,  // a value the platform has no code page for: the system's own stays
};
// What every program of ours does first: makes the machine's code page the one
// in force.
MachineCodePage UseMachineCodePage(const Registry& registry);
// The same with the machine's own registry.
MachineCodePage UseMachineCodePage();

}  // namespace kvr::platform
