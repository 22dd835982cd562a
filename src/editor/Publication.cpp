#include "editor/Publication.h"

#include <utility>

#include "platform/Errors.h"
#include "platform/Text.h"

namespace kvr {

SourceText PublicationRefusedText() {
    return KVR_TEXT("MainForm",
                    "The work directory could not be published in the registry "
                    "(HKEY_LOCAL_MACHINE\\SOFTWARE\\KVRPath): that needs an administrator. "
                    "The aliases can be edited all the same");
}

Publish CheckedPublication(Publish publish,
                           std::function<std::optional<std::string>()> publishedWorkDir,
                           std::function<std::u16string(SourceText)> translate) {
    return [publish = std::move(publish), publishedWorkDir = std::move(publishedWorkDir),
            translate = std::move(translate)](const std::string& workDir) {
        publish(workDir);
        if (publishedWorkDir() == workDir) {
            return;
        }
        const SourceText text = PublicationRefusedText();
        throw Error(platform::UnicodeToAnsi(translate(text)).value_or(text.text));
    };
}

}  // namespace kvr
