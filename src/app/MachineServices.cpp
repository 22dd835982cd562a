#include "app/MachineServices.h"

#include "dbtest/ConnectionOpener.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "settings/PublishMachineSettings.h"

namespace kvr {

MainFormServices MachineServices() {
    MainFormServices s;
    s.currentDirectory = platform::CurrentDirectory;
    s.publishSettings = [](const std::string& workDir) {
        PublishMachineSettings(workDir, *platform::MachineRegistry());
    };
    s.publishedWorkDir = [] { return PublishedWorkDir(*platform::MachineRegistry()); };
    s.openConnection = OpenConnectionOnce;
    s.clock = platform::GetLocalTime;
    return s;
}

}  // namespace kvr
